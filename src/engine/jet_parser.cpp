#include "engine/jet_parser.h"

#include <charconv>

#include "engine/jet_expr_parser.h"
#include "engine/jet_lexer.h"
#include "engine/statement.h"

namespace engine::jet {

Expr::~Expr() = default;

bool IsAggregateName(const std::string& name) {
  for (const char* n : {"count", "sum", "avg", "min", "max", "stdev", "stdevp"}) {
    if (EqualsIgnoreCase(name, n)) return true;
  }
  return false;
}

bool ContainsAggregate(const Expr& e) {
  if (e.kind == Expr::Kind::kCall && IsAggregateName(e.text) && e.args.size() <= 1) return true;
  for (const auto& a : e.args) {
    if (a && ContainsAggregate(*a)) return true;
  }
  return false;
}

namespace {

constexpr const char* kReserved[] = {
    "select", "from", "where",     "group",  "order",   "by",    "having",      "and",    "or",
    "not",    "as",   "on",        "join",   "inner",   "left",  "right",       "union",  "into",
    "is",     "null", "like",      "in",     "between", "mod",   "distinct",    "values", "set",
    "asc",    "desc", "procedure", "exists", "top",     "outer", "distinctrow", "all"};

}  // namespace

bool IsReserved(const Token& t) {
  for (const char* w : kReserved) {
    if (t.IsKeyword(w)) return true;
  }
  return false;
}

namespace {

class Parser : public ExprParser {
 public:
  explicit Parser(std::string_view sql) : ExprParser(sql) {}

  Statement ParseStatement() {
    Statement st;
    if (Peek().kind == TokenKind::kEnd) Fail("语句是空的");
    if (Peek().IsKeyword("procedure")) {
      Advance();
      st.procedure_name = ParseName("查询名称");
      // Parameter declarations are not used by the program's texts: skip them.
      while (!Peek().Is(";") && Peek().kind != TokenKind::kEnd) Advance();
      Expect(";");
    }
    const Token& t = Peek();
    if (t.IsKeyword("select")) {
      st.body = ParseSelect();
    } else if (t.IsKeyword("insert")) {
      st.body = ParseInsert();
    } else if (t.IsKeyword("update")) {
      st.body = ParseUpdate();
    } else if (t.IsKeyword("delete")) {
      st.body = ParseDelete();
    } else if (t.IsKeyword("create")) {
      st.body = ParseCreate();
    } else if (t.IsKeyword("drop")) {
      Advance();
      ExpectKeyword("table");
      st.body = DropTable{ParseName("表名")};
    } else if (t.IsKeyword("alter")) {
      st.body = ParseAlter();
    } else {
      Fail("应为 SELECT、INSERT、UPDATE、DELETE、CREATE、DROP 或 ALTER");
    }
    if (Peek().Is(";")) Advance();
    if (Peek().kind != TokenKind::kEnd) Fail("语句在此处应当结束");
    return st;
  }

 private:
  // --- SELECT ---------------------------------------------------------------

  Select ParseSelect() override {
    Nest nest(*this);
    ExpectKeyword("select");
    Select s;
    if (AcceptKeyword("distinct") || AcceptKeyword("distinctrow")) {
      s.distinct = true;
    } else {
      AcceptKeyword("all");
    }
    if (AcceptKeyword("top")) {
      if (Peek().kind != TokenKind::kNumber) Fail("TOP 后面应为数字");
      // std::stoll throws past the range of long long (found by fuzzing).
      const std::string& digits = Peek().text;
      long long top = 0;
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), top);
      if (error != std::errc() || end != digits.data() + digits.size())
        Fail("TOP 后面应为不太大的整数");
      Advance();
      s.top = top;
    }
    do {
      s.items.push_back(ParseSelectItem());
    } while (Peek().Is(",") && (Advance(), true));
    if (AcceptKeyword("into")) s.into = ParseName("表名");
    if (AcceptKeyword("from")) {
      do {
        s.from.push_back(ParseJoinedTable());
      } while (Peek().Is(",") && (Advance(), true));
    }
    if (AcceptKeyword("where")) s.where = ParseExpr();
    if (AcceptKeyword("group")) {
      ExpectKeyword("by");
      do {
        s.group_by.push_back(ParseExpr());
      } while (Peek().Is(",") && (Advance(), true));
    }
    if (AcceptKeyword("having")) s.having = ParseExpr();
    if (AcceptKeyword("order")) {
      ExpectKeyword("by");
      do {
        OrderItem item;
        item.expr = ParseExpr();
        if (AcceptKeyword("desc")) {
          item.descending = true;
        } else {
          AcceptKeyword("asc");
        }
        s.order_by.push_back(std::move(item));
      } while (Peek().Is(",") && (Advance(), true));
    }
    return s;
  }

  SelectItem ParseSelectItem() {
    SelectItem item;
    if (Peek().Is("*")) {
      item.expr = std::make_unique<Expr>(Expr::Kind::kStar, Advance().pos);
      return item;
    }
    item.expr = ParseExpr();
    if (AcceptKeyword("as")) {
      if (Peek().kind == TokenKind::kString) {
        item.alias = Advance().text;
      } else {
        item.alias = ParseName("别名");
      }
    }
    return item;
  }

  std::unique_ptr<TableRef> ParseJoinedTable() {
    auto left = ParseTablePrimary();
    while (true) {
      std::string type;
      if (Peek().IsKeyword("inner") || Peek().IsKeyword("join")) {
        type = "INNER";
      } else if (Peek().IsKeyword("left")) {
        type = "LEFT";
      } else if (Peek().IsKeyword("right")) {
        type = "RIGHT";
      } else {
        return left;
      }
      if (!Peek().IsKeyword("join")) Advance();
      AcceptKeyword("outer");
      ExpectKeyword("join");
      auto join = std::make_unique<TableRef>();
      join->kind = TableRef::Kind::kJoin;
      join->join_type = type;
      join->left = std::move(left);
      join->right = ParseTablePrimary();
      ExpectKeyword("on");
      join->on = ParseExpr();
      left = std::move(join);
    }
  }

  std::unique_ptr<TableRef> ParseTablePrimary() {
    auto ref = std::make_unique<TableRef>();
    if (Peek().Is("(")) {
      Advance();
      if (Peek().IsKeyword("select")) {
        ref->kind = TableRef::Kind::kSubquery;
        ref->subquery = std::make_unique<Select>(ParseSelect());
        Expect(")");
      } else {
        ref = ParseJoinedTable();
        Expect(")");
        return ref;
      }
    } else {
      ref->name = ParseName("表名或查询名");
    }
    if (AcceptKeyword("as")) {
      ref->alias = ParseName("别名");
    } else if (IsName(Peek())) {
      ref->alias = Advance().text;
    }
    return ref;
  }

  // --- other statements -------------------------------------------------------

  Insert ParseInsert() {
    ExpectKeyword("insert");
    ExpectKeyword("into");
    Insert ins;
    ins.table = ParseName("表名");
    if (Peek().Is("(")) {
      Advance();
      do {
        ins.columns.push_back(ParseName("列名"));
      } while (Peek().Is(",") && (Advance(), true));
      Expect(")");
    }
    if (Peek().IsKeyword("select")) {
      ins.select = std::make_unique<Select>(ParseSelect());
      return ins;
    }
    ExpectKeyword("values");
    Expect("(");
    do {
      ins.values.push_back(ParseExpr());
    } while (Peek().Is(",") && (Advance(), true));
    Expect(")");
    return ins;
  }

  Update ParseUpdate() {
    ExpectKeyword("update");
    Update up;
    up.table = ParseName("表名");
    ExpectKeyword("set");
    do {
      std::string column = ParseName("列名");
      if (Peek().Is(".")) {  // "t.c = …": the table is the one being updated
        Advance();
        column = ParseName("列名");
      }
      Expect("=");
      up.assignments.emplace_back(std::move(column), ParseExpr());
    } while (Peek().Is(",") && (Advance(), true));
    if (AcceptKeyword("where")) up.where = ParseExpr();
    return up;
  }

  Delete ParseDelete() {
    ExpectKeyword("delete");
    if (Peek().Is("*")) {
      Advance();
    } else if (IsName(Peek()) && Peek(1).Is(".") && Peek(2).Is("*")) {
      Advance();
      Advance();
      Advance();
    }
    ExpectKeyword("from");
    Delete del;
    del.table = ParseName("表名");
    if (AcceptKeyword("where")) del.where = ParseExpr();
    return del;
  }

  CreateTable ParseCreate() {
    ExpectKeyword("create");
    ExpectKeyword("table");
    CreateTable ct;
    ct.table = ParseName("表名");
    Expect("(");
    do {
      ct.columns.push_back(ParseColumnDef());
    } while (Peek().Is(",") && (Advance(), true));
    Expect(")");
    return ct;
  }

  AlterAddColumn ParseAlter() {
    ExpectKeyword("alter");
    ExpectKeyword("table");
    AlterAddColumn alter;
    alter.table = ParseName("表名");
    ExpectKeyword("add");
    AcceptKeyword("column");
    alter.column = ParseColumnDef();
    return alter;
  }

  ColumnDef ParseColumnDef() {
    ColumnDef col;
    col.name = ParseName("列名");
    if (Peek().kind != TokenKind::kIdentifier || Peek().bracketed) Fail("应为列的类型");
    col.type = Advance().text;
    for (char& c : col.type) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (Peek().Is("(")) {
      Advance();
      if (Peek().kind != TokenKind::kNumber) Fail("应为长度");
      const std::string& n = Advance().text;
      int length = 0;
      auto [p, ec] = std::from_chars(n.data(), n.data() + n.size(), length);
      if (ec != std::errc() || p != n.data() + n.size()) Fail("长度应为整数");
      col.length = length;
      Expect(")");
    }
    while (true) {
      if (AcceptKeyword("not")) {
        ExpectKeyword("null");
        col.not_null = true;
      } else if (AcceptKeyword("primary")) {
        ExpectKeyword("key");
        col.primary_key = true;
      } else {
        return col;
      }
    }
  }
};

}  // namespace

Statement Parse(std::string_view sql) {
  return Parser(sql).ParseStatement();
}

}  // namespace engine::jet

namespace engine {

StatementKind KindOfStatement(std::string_view jet_sql) {
  const jet::Statement st = jet::Parse(jet_sql);
  const auto* select = std::get_if<jet::Select>(&st.body);
  return select != nullptr && select->into.empty() ? StatementKind::kQuery
                                                   : StatementKind::kCommand;
}

bool IsReservedWord(std::string_view word) {
  jet::Token t;
  t.kind = jet::TokenKind::kIdentifier;
  t.text = std::string(word);
  // TRUE and FALSE end no clause, but as bare names they read as the constants.
  return jet::IsReserved(t) || t.IsKeyword("true") || t.IsKeyword("false");
}

}  // namespace engine
