#include "engine/sqlite_printer.h"

#include <algorithm>

#include "engine/jet_lexer.h"
#include "engine/value.h"

namespace engine::jet {
namespace {

struct FunctionSpec {
  const char* jet;
  const char* sqlite;  // nullptr: printed specially
  size_t min_args;
  size_t max_args;
};

constexpr FunctionSpec kFunctions[] = {
    {"iif", nullptr, 3, 3},
    {"isnull", "jet_isnull", 1, 1},
    {"nz", nullptr, 1, 2},
    {"count", "count", 1, 1},
    {"sum", "sum", 1, 1},
    {"avg", "avg", 1, 1},
    {"min", "min", 1, 1},
    {"max", "max", 1, 1},
    {"stdev", "jet_stdev", 1, 1},
    {"stdevp", "jet_stdevp", 1, 1},
    {"cint", "jet_cint", 1, 1},
    {"clng", "jet_clng", 1, 1},
    {"int", "jet_int", 1, 1},
    {"fix", "jet_fix", 1, 1},
    {"cdbl", "jet_cdbl", 1, 1},
    {"csng", "jet_single", 1, 1},
    {"cstr", "jet_cstr", 1, 1},
    {"str", "jet_str", 1, 1},
    {"val", "jet_val", 1, 1},
    {"chr", "jet_chr", 1, 1},
    {"len", "jet_len", 1, 1},
    {"left", "jet_left", 2, 2},
    {"right", "jet_right", 2, 2},
    {"mid", "jet_mid", 2, 3},
    {"trim", "jet_trim", 1, 1},
    {"ltrim", "jet_ltrim", 1, 1},
    {"rtrim", "jet_rtrim", 1, 1},
    {"ucase", "upper", 1, 1},
    {"lcase", "lower", 1, 1},
    {"abs", "abs", 1, 1},
    {"sqr", "jet_sqr", 1, 1},
    {"round", "jet_round", 1, 2},
    {"instr", "jet_instr", 2, 3},
    {"year", "jet_year", 1, 1},
    {"month", "jet_month", 1, 1},
    {"day", "jet_day", 1, 1},
    {"weekday", "jet_weekday", 1, 2},
    {"dateserial", "jet_dateserial", 3, 3},
    {"date", "jet_date", 0, 0},
    {"now", "jet_now", 0, 0},
};

// Jet's wildcards * and ? become SQLite's % and _.
std::string LikePattern(const std::string& jet) {
  std::string out;
  for (char c : jet) out += c == '*' ? '%' : c == '?' ? '_' : c;
  return out;
}

class Printer {
 public:
  explicit Printer(const PrintContext& ctx) : ctx_(ctx) {}

  std::string Statement(const jet::Statement& st) {
    return std::visit([this](const auto& body) { return Print(body); }, st.body);
  }

  std::string Print(const Select& s, const EditableSelect* editable = nullptr,
                    const std::vector<std::string>* aliases = nullptr) {
    std::string out = s.into.empty() ? "" : "CREATE TABLE " + QuoteIdentifier(s.into) + " AS ";
    out += "SELECT ";
    if (s.distinct) out += "DISTINCT ";
    for (size_t i = 0; i < s.items.size(); ++i) {
      if (i) out += ", ";
      const SelectItem& item = s.items[i];
      out += Expr(*item.expr);
      if (aliases) {
        out += " AS " + QuoteIdentifier((*aliases)[i]);
      } else if (!item.alias.empty()) {
        out += " AS " + QuoteIdentifier(item.alias);
      } else if (item.expr->kind != Expr::Kind::kColumn && item.expr->kind != Expr::Kind::kStar) {
        out += " AS " + QuoteIdentifier(DefaultItemName(item, i));
      }
    }
    if (editable) {
      const TableRef& t = *s.from.front();
      out += ", " + QuoteIdentifier(t.alias.empty() ? t.name : t.alias) + "._rowid_ AS " +
             QuoteIdentifier(editable->rowid_alias);
    }
    if (!s.from.empty()) {
      out += " FROM ";
      for (size_t i = 0; i < s.from.size(); ++i) {
        if (i) out += ", ";
        out += Table(*s.from[i]);
      }
      if (editable) out += " NOT INDEXED";
    }
    if (s.where) out += " WHERE " + Condition(*s.where);
    if (!s.group_by.empty()) out += " GROUP BY " + List(s.group_by);
    if (s.having) out += " HAVING " + Condition(*s.having);
    if (!s.order_by.empty()) {
      out += " ORDER BY ";
      for (size_t i = 0; i < s.order_by.size(); ++i) {
        if (i) out += ", ";
        out += Expr(*s.order_by[i].expr);
        if (s.order_by[i].descending) out += " DESC";
      }
    }
    if (s.top) out += " LIMIT " + std::to_string(*s.top);
    return out;
  }

  std::string Print(const Insert& ins) {
    std::vector<std::string> names = ins.columns;
    std::vector<TableColumn> cols = Columns(ins.table);
    if (names.empty()) {
      for (const auto& c : cols) names.push_back(c.name);
    }
    std::string out = "INSERT INTO " + QuoteIdentifier(ins.table);
    if (!ins.columns.empty()) {
      out += " (";
      for (size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + QuoteIdentifier(names[i]);
      out += ")";
    }
    if (ins.select) {
      if (ins.select->items.size() != names.size() ||
          std::any_of(ins.select->items.begin(), ins.select->items.end(),
                      [](const SelectItem& it) { return it.expr->kind == Expr::Kind::kStar; })) {
        return out + " " + Print(*ins.select);
      }
      // Stored through an outer SELECT so that each value gets its column's conversion.
      std::vector<std::string> aliases;
      std::string outer = "SELECT ";
      for (size_t i = 0; i < names.size(); ++i) {
        aliases.push_back("c" + std::to_string(i));
        outer += (i ? ", " : "") + Store(cols, names[i], QuoteIdentifier(aliases.back()));
      }
      return out + " " + outer + " FROM (" + Print(*ins.select, nullptr, &aliases) + ")";
    }
    if (ins.values.size() != names.size()) {
      ThrowParseError(ctx_.source, ins.values.empty() ? 0 : ins.values.front()->pos, "VALUES",
                      "VALUES 中值的个数与列的个数不一致");
    }
    out += " VALUES (";
    for (size_t i = 0; i < ins.values.size(); ++i) {
      out += (i ? ", " : "") + Store(cols, names[i], *ins.values[i]);
    }
    return out + ")";
  }

  std::string Print(const Update& up) {
    std::vector<TableColumn> cols = Columns(up.table);
    std::string out = "UPDATE " + QuoteIdentifier(up.table) + " SET ";
    for (size_t i = 0; i < up.assignments.size(); ++i) {
      const auto& [name, value] = up.assignments[i];
      out += (i ? ", " : "") + QuoteIdentifier(name) + " = " + Store(cols, name, *value);
    }
    if (up.where) out += " WHERE " + Condition(*up.where);
    return out;
  }

  std::string Print(const Delete& del) {
    std::string out = "DELETE FROM " + QuoteIdentifier(del.table);
    if (del.where) out += " WHERE " + Condition(*del.where);
    return out;
  }

  std::string Print(const CreateTable& ct) {
    std::string out = "CREATE TABLE " + QuoteIdentifier(ct.table) + " (";
    bool has_key = false;
    for (size_t i = 0; i < ct.columns.size(); ++i) {
      const ColumnDef& c = ct.columns[i];
      out += (i ? ", " : "") + QuoteIdentifier(c.name) + " " + Declared(c);
      bool counter =
          EqualsIgnoreCase(c.type, "COUNTER") || EqualsIgnoreCase(c.type, "AUTOINCREMENT");
      if (counter && !has_key) {
        out += " PRIMARY KEY AUTOINCREMENT";
        has_key = true;
      } else if (c.primary_key && !has_key) {
        out += " PRIMARY KEY";
        has_key = true;
      }
      if (c.not_null) out += " NOT NULL";
    }
    return out + ")";
  }

  std::string Print(const DropTable& d) { return "DROP TABLE " + QuoteIdentifier(d.table); }

  std::string Print(const AlterAddColumn& a) {
    // SQLite cannot add a key column: a COUNTER added later is a plain integer.
    std::string out = "ALTER TABLE " + QuoteIdentifier(a.table) + " ADD COLUMN " +
                      QuoteIdentifier(a.column.name) + " " + Declared(a.column);
    if (a.column.not_null) out += " NOT NULL DEFAULT 0";
    return out;
  }

 private:
  std::string Declared(const ColumnDef& c) {
    std::string d = DeclaredType(c);
    if (d.empty()) ThrowParseError(ctx_.source, 0, c.type, "不认识的列类型");
    return d;
  }

  std::vector<TableColumn> Columns(const std::string& table) {
    return ctx_.columns_of ? ctx_.columns_of(table) : std::vector<TableColumn>{};
  }

  static TypeCode ColumnType(const std::vector<TableColumn>& cols, const std::string& name) {
    for (const auto& c : cols) {
      if (EqualsIgnoreCase(c.name, name)) return c.type;
    }
    return 0;
  }

  // A value written into a column is converted as Jet converts it: to single
  // precision for SINGLE, rounded half to even for the integer types.
  std::string Store(const std::vector<TableColumn>& cols, const std::string& column,
                    const std::string& printed) {
    TypeCode t = ColumnType(cols, column);
    if (t == static_cast<TypeCode>(FieldType::kSingle)) return "jet_single(" + printed + ")";
    if (t == static_cast<TypeCode>(FieldType::kShort) ||
        t == static_cast<TypeCode>(FieldType::kLong)) {
      return "jet_integer(" + printed + ")";
    }
    return printed;
  }

  std::string Store(const std::vector<TableColumn>& cols, const std::string& column,
                    const jet::Expr& value) {
    bool plain =
        value.kind == Expr::Kind::kNull || value.kind == Expr::Kind::kString ||
        (value.kind == Expr::Kind::kNumber && value.text.find_first_of(".eE") == std::string::npos);
    return plain ? Expr(value) : Store(cols, column, Expr(value));
  }

  std::string Table(const TableRef& t) {
    std::string out;
    switch (t.kind) {
      case TableRef::Kind::kName:
        out = QuoteIdentifier(t.name);
        break;
      case TableRef::Kind::kSubquery:
        out = "(" + Print(*t.subquery) + ")";
        break;
      case TableRef::Kind::kJoin:
        return Table(*t.left) + " " + t.join_type + " JOIN " + Table(*t.right) + " ON " +
               Condition(*t.on);
    }
    if (!t.alias.empty()) out += " AS " + QuoteIdentifier(t.alias);
    return out;
  }

  std::string List(const std::vector<ExprPtr>& list) {
    std::string out;
    for (size_t i = 0; i < list.size(); ++i) out += (i ? ", " : "") + Expr(*list[i]);
    return out;
  }

  std::string Expr(const jet::Expr& e) {
    using K = jet::Expr::Kind;
    switch (e.kind) {
      case K::kNumber:
        return e.text.front() == '.' ? "0" + e.text : e.text;
      case K::kString:
        return QuoteString(e.text);
      case K::kNull:
        return "NULL";
      case K::kBool:
        return e.text;
      case K::kColumn:
        return (e.qualifier.empty() ? "" : QuoteIdentifier(e.qualifier) + ".") +
               QuoteIdentifier(e.text);
      case K::kStar:
        return e.qualifier.empty() ? "*" : QuoteIdentifier(e.qualifier) + ".*";
      case K::kUnary:
        if (e.text == "NOT") return Negated(e);
        return "(" + e.text + Expr(*e.args[0]) + ")";
      case K::kBinary:
        return IsTruth(e) ? Negated(e) : Binary(e);
      case K::kCall:
        return Call(e);
      case K::kIsNull:
      case K::kLike:
      case K::kIn:
      case K::kBetween:
      case K::kExists:
        return Negated(e);
      case K::kSubquery:
        return "(" + Print(*e.select) + ")";
    }
    return {};
  }

  // Jet's True is -1 where SQLite's is 1. A truth used as a value is negated;
  // one that is only tested (WHERE, ON, HAVING, IIf's condition, the operands
  // of And, Or and Not) is printed as it is, so that SQLite can still use an
  // index. Not, And and Or on numbers other than -1 and 0 are logical here,
  // not bitwise as in Jet.
  static bool IsTruth(const jet::Expr& e) {
    using K = jet::Expr::Kind;
    switch (e.kind) {
      case K::kIsNull:
      case K::kLike:
      case K::kIn:
      case K::kBetween:
      case K::kExists:
        return true;
      case K::kUnary:
        return e.text == "NOT";
      case K::kBinary:
        for (const char* op : {"=", "<>", "<", ">", "<=", ">=", "AND", "OR"}) {
          if (e.text == op) return true;
        }
        return false;
      default:
        return false;
    }
  }

  std::string Negated(const jet::Expr& e) { return "(-" + Truth(e) + ")"; }

  std::string Condition(const jet::Expr& e) { return IsTruth(e) ? Truth(e) : Expr(e); }

  std::string Truth(const jet::Expr& e) {
    using K = jet::Expr::Kind;
    std::string neg = e.negated ? "NOT " : "";
    switch (e.kind) {
      case K::kUnary:
        return "(NOT " + Condition(*e.args[0]) + ")";
      case K::kBinary:
        if (e.text == "AND" || e.text == "OR") {
          return "(" + Condition(*e.args[0]) + " " + e.text + " " + Condition(*e.args[1]) + ")";
        }
        return "(" + Expr(*e.args[0]) + " " + e.text + " " + Expr(*e.args[1]) + ")";
      case K::kIsNull:
        return "(" + Expr(*e.args[0]) + " IS " + neg + "NULL)";
      case K::kLike:
        return Like(e);
      case K::kIn: {
        std::string out = "(" + Expr(*e.args[0]) + " " + neg + "IN (";
        if (e.select) return out + Print(*e.select) + "))";
        for (size_t i = 1; i < e.args.size(); ++i) out += (i > 1 ? ", " : "") + Expr(*e.args[i]);
        return out + "))";
      }
      case K::kBetween:
        return "(" + Expr(*e.args[0]) + " " + neg + "BETWEEN " + Expr(*e.args[1]) + " AND " +
               Expr(*e.args[2]) + ")";
      case K::kExists:
        return "EXISTS (" + Print(*e.select) + ")";
      default:
        return Expr(e);
    }
  }

  // SQLite's LIKE serves patterns of * and ? alone; Jet's # and [list], and
  // % and _, which are plain characters to Jet, need jet_like.
  std::string Like(const jet::Expr& e) {
    const jet::Expr& p = *e.args[1];
    std::string neg = e.negated ? "NOT " : "";
    if (p.kind == jet::Expr::Kind::kString && p.text.find_first_of("%_#[") == std::string::npos) {
      return "(" + Expr(*e.args[0]) + " " + neg + "LIKE " + QuoteString(LikePattern(p.text)) + ")";
    }
    return "(" + neg + "jet_like(" + Expr(*e.args[0]) + ", " + Expr(p) + "))";
  }

  std::string Binary(const jet::Expr& e) {
    std::string l = Expr(*e.args[0]), r = Expr(*e.args[1]);
    const std::string& op = e.text;
    // Jet's / always divides in floating point; SQLite gives Null for a zero divisor.
    if (op == "/") return "(CAST(" + l + " AS REAL) / " + r + ")";
    if (op == "\\") return "jet_idiv(" + l + ", " + r + ")";
    if (op == "MOD") return "jet_mod(" + l + ", " + r + ")";
    if (op == "^") return "jet_pow(" + l + ", " + r + ")";
    if (op == "&") return "jet_concat(" + l + ", " + r + ")";
    return "(" + l + " " + op + " " + r + ")";  // + - *
  }

  std::string Call(const jet::Expr& e) {
    const FunctionSpec* fn = nullptr;
    for (const auto& f : kFunctions) {
      if (EqualsIgnoreCase(e.text, f.jet)) fn = &f;
    }
    if (!fn) ThrowParseError(ctx_.source, e.pos, e.text, "不认识的函数");
    if (e.star_arg) {
      if (!EqualsIgnoreCase(e.text, "count"))
        ThrowParseError(ctx_.source, e.pos, e.text, "只有 Count 可以用 *");
      return "count(*)";
    }
    if (e.args.size() < fn->min_args || e.args.size() > fn->max_args) {
      ThrowParseError(ctx_.source, e.pos, e.text, "函数的参数个数不对");
    }
    if (EqualsIgnoreCase(e.text, "iif")) {
      // Only the branch taken is evaluated; a Null condition takes the false branch.
      return "(CASE WHEN " + Condition(*e.args[0]) + " THEN " + Expr(*e.args[1]) + " ELSE " +
             Expr(*e.args[2]) + " END)";
    }
    if (EqualsIgnoreCase(e.text, "nz")) {
      return "coalesce(" + Expr(*e.args[0]) + ", " + (e.args.size() > 1 ? Expr(*e.args[1]) : "0") +
             ")";
    }
    return std::string(fn->sqlite) + "(" + List(e.args) + ")";
  }

  const PrintContext& ctx_;
};

}  // namespace

std::string QuoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::string QuoteString(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string DefaultItemName(const SelectItem& item, size_t index) {
  if (!item.alias.empty()) return item.alias;
  if (item.expr->kind == Expr::Kind::kColumn) return item.expr->text;
  // Jet numbers unnamed expressions by their position [unconfirmed]: Expr1000 is the first item.
  return "Expr" + std::to_string(1000 + index);
}

std::string PrintStatement(const Statement& st, const PrintContext& ctx) {
  return Printer(ctx).Statement(st);
}

std::string PrintSelect(const Select& s, const PrintContext& ctx, const EditableSelect* editable) {
  return Printer(ctx).Print(s, editable);
}

}  // namespace engine::jet
