#include "grid/grid_file_cells.h"

#include <charconv>
#include <cstdint>
#include <exception>
#include <string_view>
#include <thread>
#include <vector>

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

// The elements of a top-level member's array (indent 1) made for a run of
// rows: arrays of scalars (indent 2, their scalars at indent 3).
class RowArray {
 public:
  explicit RowArray(std::string& out) : out_(out) {}
  void BeginRow() {
    out_ += ",\n  [";
    scalars_ = 0;
  }
  void Number(long long v) { AppendNumber(Next(), v); }
  bool Text(std::string_view s) { return AppendQuoted(Next(), s); }
  void EndRow() { out_ += scalars_ == 0 ? "]" : "\n  ]"; }

 private:
  std::string& Next() {
    out_ += scalars_++ == 0 ? "\n   " : ",\n   ";
    return out_;
  }

  std::string& out_;
  int scalars_ = 0;
};

struct Part {
  std::string cells, styles, tags, heights;
  bool ok = true;
};

// Rows first .. last - 1, read from the store itself: the grid's checked
// accessors cost more than the writing.
bool WriteRows(const ReportGrid& g, int first, int last, Part& out) {
  const CellStore& store = g.Contents().cells;
  const std::vector<std::string>& tag_texts = g.Contents().tags;
  // A cell takes its text and about ten bytes around it; a listing's are
  // short, so the first guess is seldom grown.
  out.cells.reserve(static_cast<std::size_t>(last - first) * store.Cols() * 16);
  RowArray cells(out.cells), styles(out.styles), tags(out.tags), heights(out.heights);
  for (int r = first; r < last; ++r) {
    const auto row = static_cast<std::size_t>(r);
    cells.BeginRow();
    for (std::size_t col = 0; col < store.Cols(); ++col) {
      if (!cells.Text(store.Text(row, col))) return false;
      if (const std::uint32_t s = store.Style(row, col)) {
        styles.BeginRow();
        styles.Number(r);
        styles.Number(static_cast<long long>(col));
        styles.Number(s);
        styles.EndRow();
      }
      if (const std::uint32_t t = store.Tag(row, col)) {
        tags.BeginRow();
        tags.Number(r);
        tags.Number(static_cast<long long>(col));
        if (!tags.Text(tag_texts[t])) return false;
        tags.EndRow();
      }
    }
    cells.EndRow();
    if (store.Height(row) != kDefaultRowHeight) {
      heights.BeginRow();
      heights.Number(r);
      heights.Number(store.Height(row));
      heights.EndRow();
    }
  }
  return true;
}

// Below this many rows a second thread costs more than it saves.
constexpr int kRowsForTwoParts = 20000;

}  // namespace

std::size_t MemberText::Size() const {
  std::size_t size = 4;
  for (const std::string& part : parts) size += part.size();
  return size;
}

bool WriteCellMembers(const ReportGrid& g, CellMembers& out) {
  const int rows = g.Rows();
  std::vector<Part> parts(rows >= kRowsForTwoParts ? 2 : 1);
  const int middle = parts.size() == 2 ? rows / 2 : rows;
  // The second half is made on a thread of its own while this one makes the
  // first; the grid is only read. What it throws is thrown here.
  std::exception_ptr failed;
  {
    std::jthread second;
    if (parts.size() == 2) {
      second = std::jthread([&] {
        try {
          parts[1].ok = WriteRows(g, middle, rows, parts[1]);
        } catch (...) {
          failed = std::current_exception();
        }
      });
    }
    parts[0].ok = WriteRows(g, 0, middle, parts[0]);
  }
  if (failed) std::rethrow_exception(failed);
  for (Part& part : parts) {
    if (!part.ok) return false;
    out.cells.parts.push_back(std::move(part.cells));
    out.cell_styles.parts.push_back(std::move(part.styles));
    out.tags.parts.push_back(std::move(part.tags));
    out.row_heights.parts.push_back(std::move(part.heights));
  }
  return true;
}

}  // namespace grid::internal
