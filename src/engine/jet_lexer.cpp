#include "engine/jet_lexer.h"

#include "common/text_number.h"
#include "engine/error.h"
#include "engine/jet_dates.h"

namespace engine::jet {
namespace {

bool IsIdentStart(unsigned char c) {
  // Every byte of a multi-byte UTF-8 sequence counts, so Chinese names need no brackets.
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool IsIdentChar(unsigned char c) {
  return IsIdentStart(c) || IsDigit(c);
}

size_t CharPosition(std::string_view sql, size_t byte_pos) {
  size_t chars = 0;
  for (size_t i = 0; i < byte_pos && i < sql.size(); ++i) {
    if ((static_cast<unsigned char>(sql[i]) & 0xC0) != 0x80) ++chars;
  }
  return chars + 1;
}

class Lexer {
 public:
  explicit Lexer(std::string_view sql) : sql_(sql) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    while (true) {
      SkipBlanks();
      if (i_ >= sql_.size()) break;
      tokens.push_back(Next());
    }
    Token end;
    end.pos = sql_.size();
    tokens.push_back(end);
    return tokens;
  }

 private:
  void SkipBlanks() {
    while (i_ < sql_.size()) {
      unsigned char c = sql_[i_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
        ++i_;
      } else if (sql_.substr(i_, 3) == "\xE3\x80\x80") {  // ideographic space
        i_ += 3;
      } else {
        break;
      }
    }
  }

  Token Next() {
    Token t;
    t.pos = i_;
    unsigned char c = sql_[i_];
    if (IsDigit(c) || (c == '.' && i_ + 1 < sql_.size() && IsDigit(sql_[i_ + 1]))) return Number(t);
    if (IsIdentStart(c)) {
      size_t start = i_;
      while (i_ < sql_.size() && IsIdentChar(sql_[i_])) ++i_;
      t.kind = TokenKind::kIdentifier;
      t.text = std::string(sql_.substr(start, i_ - start));
      return t;
    }
    if (c == '[') return Bracketed(t);
    if (c == '#') return DateLiteral(t);
    if (c == '\'' || c == '"') return String(t, static_cast<char>(c));
    std::string_view two = sql_.substr(i_, 2);
    if (two == "<>" || two == "<=" || two == ">=" || two == "!=") {
      t.kind = TokenKind::kSymbol;
      t.text = std::string(two);
      i_ += 2;
      return t;
    }
    if (std::string_view("=<>+-*/\\&^(),.;").find(static_cast<char>(c)) != std::string_view::npos) {
      t.kind = TokenKind::kSymbol;
      t.text = std::string(1, static_cast<char>(c));
      ++i_;
      return t;
    }
    size_t len = 1;
    while (i_ + len < sql_.size() && (static_cast<unsigned char>(sql_[i_ + len]) & 0xC0) == 0x80) {
      ++len;
    }
    ThrowParseError(sql_, i_, sql_.substr(i_, len), "无法识别的字符");
  }

  Token Number(Token& t) {
    size_t start = i_;
    while (i_ < sql_.size() && IsDigit(sql_[i_])) ++i_;
    if (i_ < sql_.size() && sql_[i_] == '.') {
      ++i_;
      while (i_ < sql_.size() && IsDigit(sql_[i_])) ++i_;
    }
    if (i_ < sql_.size() && (sql_[i_] == 'e' || sql_[i_] == 'E')) {
      size_t j = i_ + 1;
      if (j < sql_.size() && (sql_[j] == '+' || sql_[j] == '-')) ++j;
      if (j < sql_.size() && IsDigit(sql_[j])) {
        i_ = j;
        while (i_ < sql_.size() && IsDigit(sql_[i_])) ++i_;
      }
    }
    if (i_ < sql_.size() && IsIdentStart(sql_[i_])) {
      size_t end = i_;
      while (end < sql_.size() && IsIdentChar(sql_[end])) ++end;
      ThrowParseError(sql_, start, sql_.substr(start, end - start), "数字后面紧跟着名称");
    }
    t.kind = TokenKind::kNumber;
    t.text = std::string(sql_.substr(start, i_ - start));
    return t;
  }

  Token Bracketed(Token& t) {
    size_t close = sql_.find(']', i_ + 1);
    if (close == std::string_view::npos) ThrowParseError(sql_, i_, "[", "方括号没有结束");
    t.kind = TokenKind::kIdentifier;
    t.bracketed = true;
    t.text = std::string(sql_.substr(i_ + 1, close - i_ - 1));
    if (t.text.empty()) ThrowParseError(sql_, i_, "[]", "方括号中没有名称");
    i_ = close + 1;
    return t;
  }

  // #6/1/2024# is read here into the serial number the engine keeps dates as.
  Token DateLiteral(Token& t) {
    size_t close = sql_.find('#', i_ + 1);
    if (close == std::string_view::npos) ThrowParseError(sql_, i_, "#", "日期没有结束");
    std::string_view body = sql_.substr(i_ + 1, close - i_ - 1);
    auto serial = ParseDateText(body);
    if (!serial) ThrowParseError(sql_, i_, sql_.substr(i_, close + 1 - i_), "日期无效");
    t.kind = TokenKind::kNumber;
    t.text = common::TextOfDouble(*serial);
    i_ = close + 1;
    return t;
  }

  Token String(Token& t, char quote) {
    size_t start = i_++;
    std::string value;
    while (true) {
      if (i_ >= sql_.size()) ThrowParseError(sql_, start, sql_.substr(start, 20), "字符串没有结束");
      char c = sql_[i_++];
      if (c == quote) {
        if (i_ < sql_.size() && sql_[i_] == quote) {
          value += quote;
          ++i_;
          continue;
        }
        break;
      }
      value += c;
    }
    t.kind = TokenKind::kString;
    t.text = std::move(value);
    return t;
  }

  std::string_view sql_;
  size_t i_ = 0;
};

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool Token::IsKeyword(std::string_view keyword) const {
  return kind == TokenKind::kIdentifier && !bracketed && EqualsIgnoreCase(text, keyword);
}

std::vector<Token> Lex(std::string_view sql) {
  return Lexer(sql).Run();
}

void ThrowParseError(std::string_view sql, size_t pos, std::string_view token,
                     const std::string& reason) {
  std::string shown = token.empty() ? std::string("语句结尾") : std::string(token);
  std::string message = "SQL 语句有误：" + reason + "（位置 " +
                        std::to_string(CharPosition(sql, pos)) + "，“" + shown + "”）\n语句：" +
                        std::string(sql);
  throw Error(Error::Kind::kParse, message, std::string(sql));
}

}  // namespace engine::jet
