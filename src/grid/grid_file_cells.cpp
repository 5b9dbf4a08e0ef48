#include "grid/grid_file_cells.h"

#include <charconv>
#include <cstdint>
#include <string_view>

namespace grid::internal {
namespace {

// The length of the valid UTF-8 sequence starting at s[i] (not ASCII), or 0:
// no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = at(i);
  std::size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // the bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + n > s.size() || at(i + 1) < low || at(i + 1) > high) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if (at(i + k) < 0x80 || at(i + k) > 0xBF) return 0;
  return n;
}

// The escape of one ASCII byte, as the library writes it: the short ones,
// \u00xx for the other control characters.
void AppendEscape(std::string& out, unsigned char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\b':
      out += "\\b";
      break;
    case '\f':
      out += "\\f";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default: {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
}

// The library's quoting: escapes where AppendEscape says, everything else
// as it is, copied a run at a time. False for a text that is not UTF-8.
bool AppendQuoted(std::string& out, std::string_view s) {
  out += '"';
  std::size_t run = 0;  // the first byte not yet copied
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      const std::size_t n = SequenceLength(s, i);
      if (n == 0) return false;
      i += n;
    } else if (c >= 0x20 && c != '"' && c != '\\') {
      ++i;
    } else {
      out.append(s.substr(run, i - run));
      AppendEscape(out, c);
      run = ++i;
    }
  }
  out.append(s.substr(run));
  out += '"';
  return true;
}

void AppendNumber(std::string& out, long long v) {
  char buf[24];
  const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  out.append(buf, end);
}

// An array that is the value of a top-level member (indent 1), whose
// elements are arrays of scalars (indent 2, their scalars at indent 3).
class RowArray {
 public:
  explicit RowArray(std::string& out) : out_(out) { out_ += '['; }
  void BeginRow() {
    out_ += rows_++ == 0 ? "\n  [" : ",\n  [";
    scalars_ = 0;
  }
  void Number(long long v) { AppendNumber(Next(), v); }
  bool Text(std::string_view s) { return AppendQuoted(Next(), s); }
  void EndRow() { out_ += scalars_ == 0 ? "]" : "\n  ]"; }
  void End() { out_ += rows_ == 0 ? "]" : "\n ]"; }

 private:
  std::string& Next() {
    out_ += scalars_++ == 0 ? "\n   " : ",\n   ";
    return out_;
  }

  std::string& out_;
  int rows_ = 0;
  int scalars_ = 0;
};

}  // namespace

bool WriteCellMembers(const ReportGrid& g, CellMembers& out) {
  // A cell takes its text and about ten bytes around it; a listing's are
  // short, so the first guess is seldom grown.
  out.cells.reserve(static_cast<std::size_t>(g.Rows()) * static_cast<std::size_t>(g.Cols()) * 16);
  RowArray cells(out.cells), styles(out.cell_styles), tags(out.tags), heights(out.row_heights);
  for (int r = 0; r < g.Rows(); ++r) {
    cells.BeginRow();
    for (int c = 0; c < g.Cols(); ++c) {
      if (!cells.Text(g.CellText(r, c))) return false;
      if (const std::uint32_t s = g.CellStyleIndex(r, c)) {
        styles.BeginRow();
        styles.Number(r);
        styles.Number(c);
        styles.Number(s);
        styles.EndRow();
      }
      if (const std::string_view t = g.CellTag(r, c); !t.empty()) {
        tags.BeginRow();
        tags.Number(r);
        tags.Number(c);
        if (!tags.Text(t)) return false;
        tags.EndRow();
      }
    }
    cells.EndRow();
    if (g.RowHeight(r) != kDefaultRowHeight) {
      heights.BeginRow();
      heights.Number(r);
      heights.Number(g.RowHeight(r));
      heights.EndRow();
    }
  }
  for (RowArray* a : {&cells, &styles, &tags, &heights}) a->End();
  return true;
}

}  // namespace grid::internal
