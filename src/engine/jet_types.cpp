#include "engine/jet_types.h"

#include <algorithm>
#include <string_view>

#include "engine/jet_lexer.h"
#include "engine/value.h"

namespace engine::jet {
namespace {

constexpr TypeCode kShort = static_cast<TypeCode>(FieldType::kShort);
constexpr TypeCode kLong = static_cast<TypeCode>(FieldType::kLong);
constexpr TypeCode kSingle = static_cast<TypeCode>(FieldType::kSingle);
constexpr TypeCode kDouble = static_cast<TypeCode>(FieldType::kDouble);
constexpr TypeCode kText = static_cast<TypeCode>(FieldType::kText);

bool OneOf(std::string_view type, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(),
                     [&](const char* n) { return EqualsIgnoreCase(type, n); });
}

bool IsNumeric(TypeCode t) {
  return t == kShort || t == kLong || t == kSingle || t == kDouble;
}

TypeCode Merge(TypeCode a, TypeCode b) {
  if (a == 0) return b;
  if (b == 0 || a == b) return a;
  if (IsNumeric(a) && IsNumeric(b)) return kDouble;
  return kText;
}

TypeCode InferCall(const Expr& e, const ColumnTypeLookup& lookup) {
  const std::string& f = e.text;
  auto arg = [&](size_t i) { return i < e.args.size() ? InferType(*e.args[i], lookup) : 0; };
  if (OneOf(f, {"count", "clng", "len", "instr"})) return kLong;
  if (OneOf(f, {"avg", "stdev", "stdevp", "cdbl", "val", "sqr"})) return kDouble;
  if (OneOf(f, {"cint", "isnull", "year", "month", "day", "weekday"})) return kShort;
  if (OneOf(f, {"dateserial", "date", "now"})) return kDouble;  // a date is its serial number
  if (OneOf(f, {"csng"})) return kSingle;
  if (OneOf(f, {"sum"})) {
    TypeCode t = arg(0);
    return t == kShort || t == kLong ? kLong : kDouble;
  }
  if (OneOf(f, {"min", "max", "int", "fix", "abs", "round"})) return arg(0);
  if (OneOf(f, {"iif"})) return Merge(arg(1), arg(2));
  if (OneOf(f, {"nz"})) return Merge(arg(0), arg(1));
  return kText;  // the string functions
}

TypeCode InferBinary(const Expr& e, const ColumnTypeLookup& lookup) {
  const std::string& op = e.text;
  if (op == "/" || op == "^") return kDouble;
  if (op == "&") return kText;
  if (op == "\\" || op == "MOD") return kLong;
  if (op == "+" || op == "-" || op == "*") {
    TypeCode l = InferType(*e.args[0], lookup), r = InferType(*e.args[1], lookup);
    if (l == 0 || r == 0) return 0;
    if ((l == kShort || l == kLong) && (r == kShort || r == kLong)) return kLong;
    return IsNumeric(l) && IsNumeric(r) ? kDouble : 0;
  }
  return kShort;  // comparisons and logic: Jet's booleans
}

}  // namespace

std::string DeclaredType(const ColumnDef& c) {
  const std::string& t = c.type;
  if (OneOf(t, {"COUNTER", "AUTOINCREMENT", "LONG", "INT", "INTEGER", "INTEGER4"})) {
    return "INTEGER";
  }
  if (OneOf(t, {"SHORT", "SMALLINT", "INTEGER2", "BYTE", "TINYINT", "BIT", "YESNO", "LOGICAL"})) {
    return "SMALLINT";
  }
  if (OneOf(t, {"SINGLE", "REAL", "FLOAT4", "IEEESINGLE"})) return "FLOAT";
  if (OneOf(t, {"DOUBLE", "FLOAT", "FLOAT8", "IEEEDOUBLE", "NUMBER", "NUMERIC", "CURRENCY", "MONEY",
                "DECIMAL"})) {
    return "DOUBLE";
  }
  if (OneOf(t, {"TEXT", "CHAR", "VARCHAR", "STRING", "ALPHANUMERIC", "NCHAR", "NVARCHAR",
                "CHARACTER"})) {
    return c.length ? "VARCHAR(" + std::to_string(*c.length) + ")" : "TEXT";
  }
  if (OneOf(t, {"MEMO", "LONGTEXT", "NOTE", "NTEXT"})) return "TEXT";
  if (OneOf(t, {"DATETIME", "DATE", "TIME", "TIMESTAMP"})) return "DATETIME";
  return {};
}

TypeCode TypeOfDeclared(const char* decl) {
  if (!decl || !*decl) return 0;
  std::string d(decl);
  for (char& ch : d) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
  if (d == "FLOAT") return kSingle;
  if (d == "SMALLINT" || d == "TINYINT") return kShort;
  if (d.find("INT") != std::string::npos) return kLong;
  for (const char* s : {"CHAR", "TEXT", "CLOB"}) {
    if (d.find(s) != std::string::npos) return kText;
  }
  for (const char* s : {"REAL", "DOUB", "FLOA", "NUM", "DEC"}) {
    if (d.find(s) != std::string::npos) return kDouble;
  }
  return 0;
}

TypeCode InferType(const Expr& e, const ColumnTypeLookup& lookup) {
  switch (e.kind) {
    case Expr::Kind::kNumber:
      return e.text.find_first_of(".eE") == std::string::npos && e.text.size() < 10 ? kLong
                                                                                    : kDouble;
    case Expr::Kind::kString:
      return kText;
    case Expr::Kind::kNull:
    case Expr::Kind::kStar:
    case Expr::Kind::kSubquery:
      return 0;
    case Expr::Kind::kColumn:
      return lookup ? lookup(e.qualifier, e.text) : 0;
    case Expr::Kind::kUnary:
      return e.text == "NOT" ? kShort : InferType(*e.args[0], lookup);
    case Expr::Kind::kBinary:
      return InferBinary(e, lookup);
    case Expr::Kind::kCall:
      return InferCall(e, lookup);
    default:
      return kShort;
  }
}

}  // namespace engine::jet
