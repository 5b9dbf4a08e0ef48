// A forward-only XML tokenizer for the large parts of an .xlsx (sheets and
// shared strings). It holds only a window of the part in memory, never
// expands DTD entities (an undeclared reference stays as written), and knows
// just enough XML for what spreadsheet writers produce.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace data::xlsx {

// Fills `buffer` with up to `capacity` further bytes of the part; returns how
// many, 0 at the end.
using ByteSource = std::function<std::size_t(char* buffer, std::size_t capacity)>;

// Malformed or truncated XML.
class XmlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct XmlToken {
  enum class Type { kStart, kEnd, kText, kEndOfPart };
  Type type = Type::kEndOfPart;
  std::string_view name;   // local name, without a namespace prefix
  std::string_view attrs;  // the raw attribute text of a start tag
  bool self_closing = false;
  std::string_view text;  // raw character data, or the content of a CDATA section
  bool cdata = false;
};

class XmlScanner {
 public:
  explicit XmlScanner(ByteSource source, std::size_t chunk = 1 << 20);

  // The views of the token stay valid until the next call. Comments,
  // processing instructions and the DOCTYPE are skipped.
  XmlToken Next();

  // The unread bytes already in memory, at least `min` of them unless the
  // part ends first, for a caller that recognises a whole element at once;
  // valid until the next call. Skip(n) consumes n of them.
  std::string_view Buffered(std::size_t min);
  void Skip(std::size_t bytes) { pos_ += bytes; }

 private:
  bool Fill();
  std::size_t FindFrom(std::size_t from, std::string_view what);
  std::size_t TagEnd();
  XmlToken StartOrEnd(std::size_t end);
  void SkipDeclaration();

  ByteSource source_;
  std::size_t chunk_;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool eof_ = false;
};

// Calls take(name, raw value) for each attribute in order until it returns
// true or the text is malformed (where a reader must stop, since what
// follows cannot be split reliably). A template: it runs once per cell.
template <typename Take>
void ForEachAttr(std::string_view attrs, Take take) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t i = 0;
  while (i < attrs.size()) {
    while (i < attrs.size() && space(attrs[i])) ++i;
    const std::size_t name_begin = i;
    while (i < attrs.size() && attrs[i] != '=' && !space(attrs[i])) ++i;
    const std::string_view name = attrs.substr(name_begin, i - name_begin);
    while (i < attrs.size() && space(attrs[i])) ++i;
    if (i >= attrs.size() || attrs[i] != '=') return;
    ++i;
    while (i < attrs.size() && space(attrs[i])) ++i;
    if (i >= attrs.size() || (attrs[i] != '"' && attrs[i] != '\'')) return;
    const char quote = attrs[i++];
    const std::size_t value_end = attrs.find(quote, i);
    if (value_end == std::string_view::npos) return;
    if (take(name, attrs.substr(i, value_end - i))) return;
    i = value_end + 1;
  }
}

// The raw value of attribute `name` (matched exactly, prefix included).
std::optional<std::string_view> FindAttr(std::string_view attrs, std::string_view name);

// Appends `raw` with the five predefined entities and character references
// decoded. Any other reference is kept as written.
void AppendXmlText(std::string_view raw, std::string& out);

// Decodes the _xHHHH_ escapes that spreadsheet writers use for characters
// XML cannot carry (_x000D_ is a carriage return, _x005F_ an underscore).
void DecodeOoxmlEscapes(std::string& text);

// Appends the UTF-8 form of a code point.
void AppendUtf8(char32_t code_point, std::string& out);

}  // namespace data::xlsx
