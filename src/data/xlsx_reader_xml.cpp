#include "data/xlsx_reader_xml.h"

#include <algorithm>

namespace data::xlsx {

namespace {

constexpr std::size_t kNotFound = std::string::npos;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view LocalName(std::string_view qualified) {
  std::size_t colon = qualified.find(':');
  return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The code point of "#123" or "#x7B"; nullopt when malformed or not a
// character XML allows.
std::optional<char32_t> CharReference(std::string_view body) {
  if (body.size() < 2 || body[0] != '#') return std::nullopt;
  bool hex = body[1] == 'x' || body[1] == 'X';
  std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  char32_t value = 0;
  for (char c : digits) {
    int d = hex ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
  }
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
  return value;
}

}  // namespace

XmlScanner::XmlScanner(ByteSource source, std::size_t chunk)
    : source_(std::move(source)), chunk_(chunk) {}

bool XmlScanner::Fill() {
  if (eof_) return false;
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  std::size_t old_size = buffer_.size();
  buffer_.resize(old_size + chunk_);
  std::size_t got = source_(buffer_.data() + old_size, chunk_);
  buffer_.resize(old_size + got);
  if (got == 0) eof_ = true;
  return got > 0;
}

std::string_view XmlScanner::Buffered(std::size_t min) {
  while (buffer_.size() - pos_ < min && Fill()) {
  }
  return std::string_view(buffer_).substr(pos_);
}

// Offset (relative to pos_) of `what` at or after pos_ + from, reading on as
// needed; kNotFound at the end of the part.
std::size_t XmlScanner::FindFrom(std::size_t from, std::string_view what) {
  for (;;) {
    std::size_t at = buffer_.find(what, pos_ + from);
    if (at != kNotFound) return at - pos_;
    std::size_t scanned = buffer_.size() - pos_;
    from = scanned >= what.size() ? scanned - what.size() + 1 : 0;
    if (!Fill()) return kNotFound;
  }
}

// Offset of the '>' closing the tag at pos_, skipping '>' inside quotes.
std::size_t XmlScanner::TagEnd() {
  std::size_t i = 1;
  char quote = 0;
  for (;;) {
    for (; pos_ + i < buffer_.size(); ++i) {
      char c = buffer_[pos_ + i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        return i;
      }
    }
    if (!Fill()) throw XmlError("XML 标记不完整");
  }
}

XmlToken XmlScanner::StartOrEnd(std::size_t end) {
  std::string_view tag(buffer_.data() + pos_ + 1, end - 1);
  pos_ += end + 1;
  XmlToken token;
  bool closing = !tag.empty() && tag[0] == '/';
  if (closing) tag.remove_prefix(1);
  if (!tag.empty() && tag.back() == '/') {
    token.self_closing = true;
    tag.remove_suffix(1);
  }
  std::size_t name_end = 0;
  while (name_end < tag.size() && !IsSpace(tag[name_end])) ++name_end;
  if (name_end == 0) throw XmlError("XML 标记没有名称");
  token.type = closing ? XmlToken::Type::kEnd : XmlToken::Type::kStart;
  token.name = LocalName(tag.substr(0, name_end));
  token.attrs = tag.substr(name_end);
  return token;
}

XmlToken XmlScanner::Next() {
  for (;;) {
    if (pos_ >= buffer_.size() && !Fill()) return {};
    if (buffer_[pos_] != '<') {
      std::size_t lt = FindFrom(0, "<");
      if (lt == kNotFound) lt = buffer_.size() - pos_;
      XmlToken token;
      token.type = XmlToken::Type::kText;
      token.text = std::string_view(buffer_.data() + pos_, lt);
      pos_ += lt;
      return token;
    }
    while (buffer_.size() - pos_ < 9 && Fill()) {
    }
    std::string_view head(buffer_.data() + pos_, std::min<std::size_t>(9, buffer_.size() - pos_));
    if (head.starts_with("<!--")) {
      std::size_t end = FindFrom(4, "-->");
      if (end == kNotFound) throw XmlError("XML 注释不完整");
      pos_ += end + 3;
    } else if (head.starts_with("<![CDATA[")) {
      std::size_t end = FindFrom(9, "]]>");
      if (end == kNotFound) throw XmlError("XML CDATA 不完整");
      XmlToken token;
      token.type = XmlToken::Type::kText;
      token.cdata = true;
      token.text = std::string_view(buffer_.data() + pos_ + 9, end - 9);
      pos_ += end + 3;
      return token;
    } else if (head.starts_with("<?")) {
      std::size_t end = FindFrom(2, "?>");
      if (end == kNotFound) throw XmlError("XML 处理指令不完整");
      pos_ += end + 2;
    } else if (head.starts_with("<!")) {
      SkipDeclaration();
    } else {
      return StartOrEnd(TagEnd());
    }
  }
}

// Skips <!DOCTYPE ...> including an internal subset in brackets, whose entity
// declarations are ignored rather than expanded.
void XmlScanner::SkipDeclaration() {
  std::size_t i = 2;
  int depth = 0;
  char quote = 0;
  for (;;) {
    for (; pos_ + i < buffer_.size(); ++i) {
      char c = buffer_[pos_ + i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        --depth;
      } else if (c == '>' && depth <= 0) {
        pos_ += i + 1;
        return;
      }
    }
    if (!Fill()) throw XmlError("XML 声明不完整");
  }
}

std::optional<std::string_view> FindAttr(std::string_view attrs, std::string_view name) {
  std::optional<std::string_view> found;
  ForEachAttr(attrs, [&](std::string_view attr_name, std::string_view value) {
    if (attr_name == name) found = value;
    return found.has_value();
  });
  return found;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendXmlText(std::string_view raw, std::string& out) {
  for (;;) {
    std::size_t amp = raw.find('&');
    out.append(raw.substr(0, amp));
    if (amp == std::string_view::npos) return;
    raw.remove_prefix(amp);
    std::size_t semi = raw.find(';');
    std::string_view body =
        semi == std::string_view::npos || semi > 12 ? std::string_view() : raw.substr(1, semi - 1);
    char named = body == "amp"    ? '&'
                 : body == "lt"   ? '<'
                 : body == "gt"   ? '>'
                 : body == "quot" ? '"'
                 : body == "apos" ? '\''
                                  : 0;
    std::optional<char32_t> cp = CharReference(body);
    if (named) {
      out.push_back(named);
    } else if (cp) {
      AppendUtf8(*cp, out);
    } else {
      out.push_back('&');
      raw.remove_prefix(1);
      continue;
    }
    raw.remove_prefix(semi + 1);
  }
}

void DecodeOoxmlEscapes(std::string& text) {
  std::size_t at = text.find("_x");
  if (at == std::string::npos) return;
  std::string out(text, 0, at);
  while (at < text.size()) {
    if (text.compare(at, 2, "_x") == 0 && at + 7 <= text.size() && text[at + 6] == '_') {
      char32_t cp = 0;
      bool ok = true;
      for (std::size_t k = at + 2; k < at + 6; ++k) {
        int d = HexDigit(text[k]);
        ok = ok && d >= 0;
        cp = cp * 16 + static_cast<char32_t>(d < 0 ? 0 : d);
      }
      if (ok && !(cp >= 0xD800 && cp <= 0xDFFF)) {
        AppendUtf8(cp, out);
        at += 7;
        continue;
      }
    }
    out.push_back(text[at++]);
  }
  text = std::move(out);
}

}  // namespace data::xlsx
