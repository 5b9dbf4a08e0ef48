// The syntax tree of one Jet-dialect statement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace engine::jet {

struct Select;
struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
  enum class Kind {
    kNumber,  // text: as written
    kString,  // text: the value
    kNull,
    kBool,      // text: "-1" or "0"
    kColumn,    // qualifier.text
    kStar,      // qualifier.* or *
    kUnary,     // text: "-", "+" or "NOT"; args[0]
    kBinary,    // text: the operator as written, upper-cased keywords; args[0], args[1]
    kCall,      // text: the function name as written; args, or star_arg for count(*)
    kIsNull,    // args[0] IS [NOT] NULL
    kLike,      // args[0] [NOT] LIKE args[1]
    kIn,        // args[0] [NOT] IN (args[1..]) or IN (select)
    kBetween,   // args[0] [NOT] BETWEEN args[1] AND args[2]
    kSubquery,  // (select)
    kExists,    // EXISTS (select)
  };

  Expr(Kind k, size_t p) : kind(k), pos(p) {}
  ~Expr();

  Kind kind;
  size_t pos;
  std::string text;
  std::string qualifier;
  bool negated = false;
  bool star_arg = false;
  std::vector<ExprPtr> args;
  std::unique_ptr<Select> select;
};

struct SelectItem {
  ExprPtr expr;
  std::string alias;  // empty when none was given
};

struct TableRef {
  enum class Kind { kName, kSubquery, kJoin };
  Kind kind = Kind::kName;
  std::string name;  // kName
  std::string alias;
  std::unique_ptr<Select> subquery;
  // kJoin: left JOIN right ON on
  std::string join_type;  // "INNER", "LEFT", "RIGHT"
  std::unique_ptr<TableRef> left, right;
  ExprPtr on;
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct Select {
  bool distinct = false;
  std::optional<int64_t> top;
  std::vector<SelectItem> items;
  std::string into;
  std::vector<std::unique_ptr<TableRef>> from;
  ExprPtr where;
  std::vector<ExprPtr> group_by;
  ExprPtr having;
  std::vector<OrderItem> order_by;
};

struct ColumnDef {
  std::string name;
  std::string type;  // upper-cased Jet type name: COUNTER, SHORT, LONG, SINGLE, DOUBLE, TEXT, ...
  std::optional<int> length;
  bool not_null = false;
  bool primary_key = false;
};

struct Insert {
  std::string table;
  std::vector<std::string> columns;  // empty: every column in table order
  std::vector<ExprPtr> values;
  std::unique_ptr<Select> select;  // INSERT INTO … SELECT
};

struct Update {
  std::string table;
  std::vector<std::pair<std::string, ExprPtr>> assignments;
  ExprPtr where;
};

struct Delete {
  std::string table;
  ExprPtr where;
};

struct CreateTable {
  std::string table;
  std::vector<ColumnDef> columns;
};

struct DropTable {
  std::string table;
};

struct AlterAddColumn {
  std::string table;
  ColumnDef column;
};

struct Statement {
  std::variant<Select, Insert, Update, Delete, CreateTable, DropTable, AlterAddColumn> body;
  std::string procedure_name;  // from a leading "PROCEDURE name;" clause
};

// True for the aggregate functions of the dialect (count, sum, avg, min, max,
// StDev, StDevP), by name.
bool IsAggregateName(const std::string& name);

// True when the expression contains an aggregate call outside sub-selects.
bool ContainsAggregate(const Expr& e);

}  // namespace engine::jet
