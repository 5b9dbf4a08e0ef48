// Tokens of the Jet SQL dialect. Keywords are not told apart here: an
// unbracketed identifier is a keyword when the parser expects one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace engine::jet {

enum class TokenKind { kIdentifier, kString, kNumber, kSymbol, kEnd };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;        // an identifier's name, a string's value, a number or symbol as written
  size_t pos = 0;          // byte offset in the statement
  bool bracketed = false;  // [name]: never a keyword

  bool Is(std::string_view symbol) const { return kind == TokenKind::kSymbol && text == symbol; }
  // An unbracketed identifier equal to `keyword`, ignoring ASCII case.
  bool IsKeyword(std::string_view keyword) const;
};

// Splits `sql` into tokens ending with one kEnd token. Throws engine::Error
// (kParse) for a character that starts no token or an unterminated literal.
std::vector<Token> Lex(std::string_view sql);

// Throws engine::Error (kParse) naming the statement, the 1-based character
// position of `pos` and the offending token text.
[[noreturn]] void ThrowParseError(std::string_view sql, size_t pos, std::string_view token,
                                  const std::string& reason);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace engine::jet
