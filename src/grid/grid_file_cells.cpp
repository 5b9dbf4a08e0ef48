#include "grid/grid_file_cells.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "grid/grid_error.h"

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
// rows: arrays of scalars (indent 2, their scalars at indent 3), each
// preceded by ",\n  " so that runs made apart join.
class RowArray {
 public:
  explicit RowArray(std::string& out) : out_(out) {}
  void BeginRow() {
    out_ += ",\n  [";
    scalars_ = 0;
  }
  void Number(long long v) { AppendNumber(Next(), v); }
  void Text(std::string_view s) {
    // TextsAreUtf8 has passed every text.
    if (!AppendQuoted(Next(), s)) throw GridError("表格内容不是有效的 UTF-8 文本");
  }
  void EndRow() { out_ += scalars_ == 0 ? "]" : "\n  ]"; }

 private:
  std::string& Next() {
    out_ += scalars_++ == 0 ? "\n   " : ",\n   ";
    return out_;
  }

  std::string& out_;
  int scalars_ = 0;
};

// [row, col, n] for each cell of rows first .. last - 1 where `value` is not 0.
template <typename Value>
void AppendNonZero(const CellStore& store, std::size_t first, std::size_t last, RowArray& out,
                   const Value& value) {
  for (std::size_t row = first; row < last; ++row)
    for (std::size_t col = 0; col < store.Cols(); ++col)
      if (const std::uint32_t v = value(row, col)) {
        out.BeginRow();
        out.Number(static_cast<long long>(row));
        out.Number(static_cast<long long>(col));
        value.Write(out, v);
        out.EndRow();
      }
}

// The elements of `member` for rows first .. last - 1, read from the store
// itself: the grid's checked accessors cost more than the writing.
void MakeBlock(const ReportGrid& g, CellMember member, std::size_t first, std::size_t last,
               std::string& out) {
  const CellStore& store = g.Contents().cells;
  RowArray array(out);
  switch (member) {
    case CellMember::kCells:
      for (std::size_t row = first; row < last; ++row) {
        array.BeginRow();
        for (std::size_t col = 0; col < store.Cols(); ++col) array.Text(store.Text(row, col));
        array.EndRow();
      }
      return;
    case CellMember::kCellStyles: {
      struct {
        const CellStore& store;
        std::uint32_t operator()(std::size_t r, std::size_t c) const { return store.Style(r, c); }
        void Write(RowArray& a, std::uint32_t v) const { a.Number(v); }
      } style{store};
      return AppendNonZero(store, first, last, array, style);
    }
    case CellMember::kTags: {
      struct {
        const CellStore& store;
        const std::vector<std::string>& texts;
        std::uint32_t operator()(std::size_t r, std::size_t c) const { return store.Tag(r, c); }
        void Write(RowArray& a, std::uint32_t v) const { a.Text(texts[v]); }
      } tag{store, g.Contents().tags};
      return AppendNonZero(store, first, last, array, tag);
    }
    case CellMember::kRowHeights:
      for (std::size_t row = first; row < last; ++row) {
        if (store.Height(row) == kDefaultRowHeight) continue;
        array.BeginRow();
        array.Number(static_cast<long long>(row));
        array.Number(store.Height(row));
        array.EndRow();
      }
      return;
  }
}

// Below this many rows a second thread costs more than it saves.
constexpr std::size_t kRowsForTwoThreads = 20000;

// Makes blocks 0 .. count - 1 with `make` and hands each to `put` in order,
// on the calling thread. With `two_threads` the odd blocks are made on a
// second thread, at most two ahead, into buffers of its own that `put`
// reads in place; what it throws is thrown here.
class OrderedBlocks {
 public:
  using Make = std::function<void(std::size_t block, std::string& out)>;

  OrderedBlocks(std::size_t count, Make make) : count_(count), make_(std::move(make)) {}

  void Run(bool two_threads, const PutText& put) {
    std::string own;
    if (!two_threads || count_ < 2) {
      for (std::size_t b = 0; b < count_; ++b) {
        own.clear();
        make_(b, own);
        put(own);
      }
      return;
    }
    std::jthread second([this] { MakeOddBlocks(); });
    try {
      for (std::size_t b = 0; b < count_; ++b) {
        if (b % 2 == 0) {
          own.clear();
          make_(b, own);
          put(own);
        } else {
          PutOdd(b, put);
        }
      }
    } catch (...) {
      Stop();
      throw;
    }
  }

 private:
  static std::size_t SlotOf(std::size_t block) { return (block / 2) % 2; }

  void MakeOddBlocks() {
    for (std::size_t b = 1; b < count_; b += 2) {
      const std::size_t slot = SlotOf(b);
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !full_[slot] || stop_; });
        if (stop_) return;
      }
      try {
        slots_[slot].clear();
        make_(b, slots_[slot]);
      } catch (...) {
        const std::lock_guard lock(mutex_);
        failed_ = std::current_exception();
        changed_.notify_all();
        return;
      }
      const std::lock_guard lock(mutex_);
      full_[slot] = true;
      changed_.notify_all();
    }
  }

  void PutOdd(std::size_t block, const PutText& put) {
    const std::size_t slot = SlotOf(block);
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return full_[slot] || failed_; });
      if (failed_) std::rethrow_exception(failed_);
    }
    put(slots_[slot]);  // the second thread leaves a full slot alone
    const std::lock_guard lock(mutex_);
    full_[slot] = false;
    changed_.notify_all();
  }

  void Stop() {
    const std::lock_guard lock(mutex_);
    stop_ = true;
    changed_.notify_all();
  }

  const std::size_t count_;
  const Make make_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::array<std::string, 2> slots_;
  std::array<bool, 2> full_{};
  bool stop_ = false;
  std::exception_ptr failed_;
};

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = SequenceLength(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace

bool TextsAreUtf8(const ReportGrid& g) {
  const std::vector<std::string>& tags = g.Contents().tags;
  return std::all_of(tags.begin(), tags.end(), IsUtf8) &&
         g.Contents().cells.NonAsciiTextsPass(IsUtf8);
}

void WriteCellMember(const ReportGrid& g, CellMember member, const PutText& put) {
  const std::size_t rows = g.Contents().cells.Rows();
  constexpr auto kBlock = static_cast<std::size_t>(kRowsPerBlock);
  bool first = true;  // the first element drops the comma before it
  put("[");
  OrderedBlocks blocks((rows + kBlock - 1) / kBlock, [&](std::size_t b, std::string& out) {
    MakeBlock(g, member, b * kBlock, std::min(rows, (b + 1) * kBlock), out);
  });
  blocks.Run(rows >= kRowsForTwoThreads, [&](std::string_view block) {
    if (block.empty()) return;
    put(block.substr(first ? 1 : 0));
    first = false;
  });
  put(first ? "]" : "\n ]");
}

}  // namespace grid::internal
