#include "engine/jet_parser.h"

#include <charconv>

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

// Words that end an expression or a name list; never taken as a bare name.
constexpr const char* kReserved[] = {
    "select", "from", "where",     "group",  "order",   "by",    "having",      "and",    "or",
    "not",    "as",   "on",        "join",   "inner",   "left",  "right",       "union",  "into",
    "is",     "null", "like",      "in",     "between", "mod",   "distinct",    "values", "set",
    "asc",    "desc", "procedure", "exists", "top",     "outer", "distinctrow", "all"};

bool IsReserved(const Token& t) {
  for (const char* w : kReserved) {
    if (t.IsKeyword(w)) return true;
  }
  return false;
}

class Parser {
 public:
  explicit Parser(std::string_view sql) : sql_(sql), tokens_(Lex(sql)) {}

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
  const Token& Peek(size_t ahead = 0) const {
    size_t i = std::min(pos_ + ahead, tokens_.size() - 1);
    return tokens_[i];
  }
  const Token& Advance() {
    const Token& t = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
  }
  [[noreturn]] void Fail(const std::string& reason) const {
    const Token& t = Peek();
    std::string shown = t.text;
    if (t.kind == TokenKind::kString) shown = "'" + t.text + "'";
    if (t.bracketed) shown = "[" + t.text + "]";
    ThrowParseError(sql_, t.pos, shown, reason);
  }
  void Expect(std::string_view symbol) {
    if (!Peek().Is(symbol)) Fail("应为“" + std::string(symbol) + "”");
    Advance();
  }
  void ExpectKeyword(std::string_view keyword) {
    if (!Peek().IsKeyword(keyword)) {
      std::string upper(keyword);
      for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      Fail("应为 " + upper);
    }
    Advance();
  }
  bool AcceptKeyword(std::string_view keyword) {
    if (!Peek().IsKeyword(keyword)) return false;
    Advance();
    return true;
  }
  bool IsName(const Token& t) const {
    return t.kind == TokenKind::kIdentifier && (t.bracketed || !IsReserved(t));
  }
  std::string ParseName(const std::string& what) {
    if (!IsName(Peek())) Fail("应为" + what);
    return Advance().text;
  }

  // --- SELECT ---------------------------------------------------------------

  Select ParseSelect() {
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

  // --- expressions, loosest binding first -------------------------------------

  ExprPtr ParseExpr() {
    Nest nest(*this);
    return ParseOr();
  }

  ExprPtr Binary(std::string op, ExprPtr l, ExprPtr r, size_t pos) {
    auto e = std::make_unique<Expr>(Expr::Kind::kBinary, pos);
    e->text = std::move(op);
    e->args.push_back(std::move(l));
    e->args.push_back(std::move(r));
    return e;
  }

  ExprPtr ParseOr() {
    auto left = ParseAnd();
    Chain chain(*this);
    while (Peek().IsKeyword("or")) {
      chain.Deepen();
      size_t pos = Advance().pos;
      left = Binary("OR", std::move(left), ParseAnd(), pos);
    }
    return left;
  }

  ExprPtr ParseAnd() {
    auto left = ParseNot();
    Chain chain(*this);
    while (Peek().IsKeyword("and")) {
      chain.Deepen();
      size_t pos = Advance().pos;
      left = Binary("AND", std::move(left), ParseNot(), pos);
    }
    return left;
  }

  ExprPtr ParseNot() {
    if (Peek().IsKeyword("not")) {
      Nest nest(*this);
      auto e = std::make_unique<Expr>(Expr::Kind::kUnary, Advance().pos);
      e->text = "NOT";
      e->args.push_back(ParseNot());
      return e;
    }
    return ParseComparison();
  }

  ExprPtr ParseComparison() {
    auto left = ParseConcat();
    Chain chain(*this);
    while (true) {
      chain.Deepen();
      const Token& t = Peek();
      size_t pos = t.pos;
      if (t.Is("=") || t.Is("<>") || t.Is("!=") || t.Is("<") || t.Is(">") || t.Is("<=") ||
          t.Is(">=")) {
        std::string op = t.text == "!=" ? "<>" : t.text;
        Advance();
        left = Binary(op, std::move(left), ParseConcat(), pos);
        continue;
      }
      if (t.IsKeyword("is")) {
        Advance();
        auto e = std::make_unique<Expr>(Expr::Kind::kIsNull, pos);
        e->negated = AcceptKeyword("not");
        ExpectKeyword("null");
        e->args.push_back(std::move(left));
        left = std::move(e);
        continue;
      }
      bool negated = false;
      if (t.IsKeyword("not") &&
          (Peek(1).IsKeyword("like") || Peek(1).IsKeyword("in") || Peek(1).IsKeyword("between"))) {
        Advance();
        negated = true;
      }
      if (AcceptKeyword("like")) {
        auto e = std::make_unique<Expr>(Expr::Kind::kLike, pos);
        e->negated = negated;
        e->args.push_back(std::move(left));
        e->args.push_back(ParseConcat());
        left = std::move(e);
      } else if (AcceptKeyword("in")) {
        left = ParseInList(std::move(left), negated, pos);
      } else if (AcceptKeyword("between")) {
        auto e = std::make_unique<Expr>(Expr::Kind::kBetween, pos);
        e->negated = negated;
        e->args.push_back(std::move(left));
        e->args.push_back(ParseConcat());
        ExpectKeyword("and");
        e->args.push_back(ParseConcat());
        left = std::move(e);
      } else {
        return left;
      }
    }
  }

  ExprPtr ParseInList(ExprPtr left, bool negated, size_t pos) {
    auto e = std::make_unique<Expr>(Expr::Kind::kIn, pos);
    e->negated = negated;
    e->args.push_back(std::move(left));
    Expect("(");
    if (Peek().IsKeyword("select")) {
      e->select = std::make_unique<Select>(ParseSelect());
    } else {
      do {
        e->args.push_back(ParseExpr());
      } while (Peek().Is(",") && (Advance(), true));
    }
    Expect(")");
    return e;
  }

  template <typename Next>
  ExprPtr ParseLeftAssoc(std::initializer_list<const char*> ops, Next next) {
    auto left = (this->*next)();
    Chain chain(*this);
    while (true) {
      const Token& t = Peek();
      const char* found = nullptr;
      for (const char* op : ops) {
        if (t.Is(op) || t.IsKeyword(op)) found = op;
      }
      if (!found) return left;
      chain.Deepen();
      size_t pos = Advance().pos;
      std::string op = found;
      if (op == "mod") op = "MOD";
      left = Binary(op, std::move(left), (this->*next)(), pos);
    }
  }

  ExprPtr ParseConcat() { return ParseLeftAssoc({"&"}, &Parser::ParseAdditive); }
  ExprPtr ParseAdditive() { return ParseLeftAssoc({"+", "-"}, &Parser::ParseMod); }
  ExprPtr ParseMod() { return ParseLeftAssoc({"mod"}, &Parser::ParseIntDiv); }
  ExprPtr ParseIntDiv() { return ParseLeftAssoc({"\\"}, &Parser::ParseMultiplicative); }
  ExprPtr ParseMultiplicative() { return ParseLeftAssoc({"*", "/"}, &Parser::ParseUnary); }

  ExprPtr ParseUnary() {
    if (Peek().Is("-") || Peek().Is("+")) {
      Nest nest(*this);
      auto e = std::make_unique<Expr>(Expr::Kind::kUnary, Peek().pos);
      e->text = Advance().text;
      e->args.push_back(ParseUnary());
      return e;
    }
    return ParsePower();
  }

  // ^ binds tighter than a sign: -2^2 is -4.
  ExprPtr ParsePower() {
    auto left = ParsePrimary();
    Chain chain(*this);
    while (Peek().Is("^")) {
      chain.Deepen();
      size_t pos = Advance().pos;
      ExprPtr right;
      if (Peek().Is("-") || Peek().Is("+")) {
        right = std::make_unique<Expr>(Expr::Kind::kUnary, Peek().pos);
        right->text = Advance().text;
        right->args.push_back(ParsePrimary());
      } else {
        right = ParsePrimary();
      }
      left = Binary("^", std::move(left), std::move(right), pos);
    }
    return left;
  }

  ExprPtr ParsePrimary() {
    const Token& t = Peek();
    size_t pos = t.pos;
    switch (t.kind) {
      case TokenKind::kNumber: {
        auto e = std::make_unique<Expr>(Expr::Kind::kNumber, pos);
        e->text = Advance().text;
        return e;
      }
      case TokenKind::kString: {
        auto e = std::make_unique<Expr>(Expr::Kind::kString, pos);
        e->text = Advance().text;
        return e;
      }
      case TokenKind::kSymbol:
        if (t.Is("(")) return ParseParenthesized();
        Fail("此处应为表达式");
      case TokenKind::kEnd:
        Fail("语句不完整，此处应为表达式");
      case TokenKind::kIdentifier:
        break;
    }
    if (t.IsKeyword("null")) {
      Advance();
      return std::make_unique<Expr>(Expr::Kind::kNull, pos);
    }
    if (t.IsKeyword("true") || t.IsKeyword("false")) {
      auto e = std::make_unique<Expr>(Expr::Kind::kBool, pos);
      e->text = t.IsKeyword("true") ? "-1" : "0";
      Advance();
      return e;
    }
    if (t.IsKeyword("exists")) {
      Advance();
      auto e = std::make_unique<Expr>(Expr::Kind::kExists, pos);
      Expect("(");
      e->select = std::make_unique<Select>(ParseSelect());
      Expect(")");
      return e;
    }
    // Left( and Right( are functions although left and right are join words.
    if (!t.bracketed && Peek(1).Is("(") && !t.IsKeyword("not") && !t.IsKeyword("in") &&
        !t.IsKeyword("select")) {
      std::string name = Advance().text;
      return ParseCall(std::move(name), pos);
    }
    if (!IsName(t)) Fail("此处应为表达式");
    std::string name = Advance().text;
    if (Peek().Is(".")) {
      Advance();
      if (Peek().Is("*")) {
        Advance();
        auto e = std::make_unique<Expr>(Expr::Kind::kStar, pos);
        e->qualifier = std::move(name);
        return e;
      }
      auto e = std::make_unique<Expr>(Expr::Kind::kColumn, pos);
      e->qualifier = std::move(name);
      e->text = ParseName("列名");
      return e;
    }
    auto e = std::make_unique<Expr>(Expr::Kind::kColumn, pos);
    e->text = std::move(name);
    return e;
  }

  ExprPtr ParseParenthesized() {
    size_t pos = Advance().pos;
    if (Peek().IsKeyword("select")) {
      auto e = std::make_unique<Expr>(Expr::Kind::kSubquery, pos);
      e->select = std::make_unique<Select>(ParseSelect());
      Expect(")");
      return e;
    }
    auto inner = ParseExpr();
    Expect(")");
    return inner;
  }

  ExprPtr ParseCall(std::string name, size_t pos) {
    auto e = std::make_unique<Expr>(Expr::Kind::kCall, pos);
    e->text = std::move(name);
    Expect("(");
    if (Peek().Is("*")) {
      Advance();
      e->star_arg = true;
    } else if (!Peek().Is(")")) {
      do {
        e->args.push_back(ParseExpr());
      } while (Peek().Is(",") && (Advance(), true));
    }
    Expect(")");
    return e;
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

  // The depth of a statement is bounded so that a crafted one fails with a
  // message instead of overflowing the stack while it is parsed, printed or
  // freed (fuzzing found 923 parentheses enough under AddressSanitizer). A
  // parenthesis, sub-select, NOT or sign costs kNestCost of the budget, each
  // operator of a chain (a+b+c…, which leans left) costs 1.
  static constexpr int kDepthBudget = 1000;
  static constexpr int kNestCost = 5;
  void Spend(int cost) {
    if (depth_ + cost > kDepthBudget) Fail("表达式嵌套太深或太长");
    depth_ += cost;
  }
  class Nest {
   public:
    explicit Nest(Parser& p) : p_(p) { p_.Spend(kNestCost); }
    ~Nest() { p_.depth_ -= kNestCost; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;

   private:
    Parser& p_;
  };
  class Chain {
   public:
    explicit Chain(Parser& p) : p_(p) {}
    ~Chain() { p_.depth_ -= spent_; }
    void Deepen() {
      p_.Spend(1);
      ++spent_;
    }
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

   private:
    Parser& p_;
    int spent_ = 0;
  };

  std::string_view sql_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int depth_ = 0;
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
