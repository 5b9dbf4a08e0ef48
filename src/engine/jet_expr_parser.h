// The token cursor and the expression grammar of the Jet dialect, with the
// depth budget that bounds them. Internal to the engine: the statement
// parser (jet_parser.cpp) derives from ExprParser and parses the
// sub-selects that expressions contain.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/jet_ast.h"
#include "engine/jet_lexer.h"

namespace engine::jet {

// Words that end an expression or a name list; never taken as a bare name.
bool IsReserved(const Token& t);

class ExprParser {
 public:
  explicit ExprParser(std::string_view sql) : sql_(sql), tokens_(Lex(sql)) {}
  virtual ~ExprParser() = default;
  ExprParser(const ExprParser&) = delete;
  ExprParser& operator=(const ExprParser&) = delete;

 protected:
  // A sub-select inside an expression (IN, EXISTS, a parenthesized SELECT).
  virtual Select ParseSelect() = 0;

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

  ExprPtr ParseConcat() { return ParseLeftAssoc({"&"}, &ExprParser::ParseAdditive); }
  ExprPtr ParseAdditive() { return ParseLeftAssoc({"+", "-"}, &ExprParser::ParseMod); }
  ExprPtr ParseMod() { return ParseLeftAssoc({"mod"}, &ExprParser::ParseIntDiv); }
  ExprPtr ParseIntDiv() { return ParseLeftAssoc({"\\"}, &ExprParser::ParseMultiplicative); }
  ExprPtr ParseMultiplicative() { return ParseLeftAssoc({"*", "/"}, &ExprParser::ParseUnary); }

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
    return ParseColumnReference(pos);
  }

  // A column, qualifier.column or qualifier.*, at a name.
  ExprPtr ParseColumnReference(size_t pos) {
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
    explicit Nest(ExprParser& p) : p_(p) { p_.Spend(kNestCost); }
    ~Nest() { p_.depth_ -= kNestCost; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;

   private:
    ExprParser& p_;
  };
  class Chain {
   public:
    explicit Chain(ExprParser& p) : p_(p) {}
    ~Chain() { p_.depth_ -= spent_; }
    void Deepen() {
      p_.Spend(1);
      ++spent_;
    }
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

   private:
    ExprParser& p_;
    int spent_ = 0;
  };

  std::string_view sql_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace engine::jet
