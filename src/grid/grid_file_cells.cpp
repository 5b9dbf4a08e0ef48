#include "grid/grid_file_cells.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
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

// A block's text, written through a pointer into room made ahead: a
// listing's cells are a few bytes each, and appending them to a string a
// piece at a time cost more than everything else the writing does.
class BlockText {
 public:
  // Room for `n` more bytes at the end; Keep(end) then keeps what was
  // written up to `end`.
  char* Room(std::size_t n) {
    if (capacity_ - size_ < n) Grow(size_ + n);
    return data_.get() + size_;
  }
  void Keep(const char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }
  void Clear() { size_ = 0; }
  std::string_view View() const { return {data_.get(), size_}; }

 private:
  void Grow(std::size_t need) {
    const std::size_t capacity = std::max(need, 2 * capacity_);
    auto grown = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_);
    data_ = std::move(grown);
    capacity_ = capacity;
  }

  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

template <std::size_t N>
char* Copy(char* p, const char (&literal)[N]) {
  std::memcpy(p, literal, N - 1);
  return p + N - 1;
}

// The escape of one ASCII byte, as the library writes it: the short ones,
// \u00xx for the other control characters.
char* Escaped(char* p, unsigned char c) {
  switch (c) {
    case '"':
      return Copy(p, "\\\"");
    case '\\':
      return Copy(p, "\\\\");
    case '\b':
      return Copy(p, "\\b");
    case '\f':
      return Copy(p, "\\f");
    case '\n':
      return Copy(p, "\\n");
    case '\r':
      return Copy(p, "\\r");
    case '\t':
      return Copy(p, "\\t");
    default: {
      constexpr char kHex[] = "0123456789abcdef";
      p = Copy(p, "\\u00");
      *p++ = kHex[c >> 4];
      *p++ = kHex[c & 15];
      return p;
    }
  }
}

// The library's quoting of a UTF-8 text: escapes where Escaped says,
// everything else as it is. At most 2 + 6 bytes a byte of `s`.
char* Quoted(char* p, std::string_view s) {
  *p++ = '"';
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '"' || c == '\\')
      p = Escaped(p, u);
    else
      *p++ = c;
  }
  *p++ = '"';
  return p;
}

// The elements of a top-level member's array (indent 1) made for a run of
// rows: arrays of scalars (indent 2, their scalars at indent 3), each
// preceded by ",\n  " so that runs made apart join.
class RowArray {
 public:
  explicit RowArray(BlockText& out) : out_(out) {}
  void BeginRow() {
    out_.Keep(Copy(out_.Room(5), ",\n  ["));
    scalars_ = 0;
  }
  void Number(long long v) {
    constexpr std::size_t kDigits = 24;
    char* p = Next(kDigits);
    out_.Keep(std::to_chars(p, p + kDigits, v).ptr);
  }
  // The text must be UTF-8 (TextsAreUtf8 has passed every text).
  void Text(std::string_view s) { out_.Keep(Quoted(Next(2 + 6 * s.size()), s)); }
  void EndRow() {
    out_.Keep(scalars_ == 0 ? Copy(out_.Room(1), "]") : Copy(out_.Room(4), "\n  ]"));
  }

 private:
  // Where a scalar of up to `n` bytes goes, after its separator.
  char* Next(std::size_t n) {
    char* p = out_.Room(5 + n);
    return scalars_++ == 0 ? Copy(p, "\n   ") : Copy(p, ",\n   ");
  }

  BlockText& out_;
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
               BlockText& out) {
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
  using Make = std::function<void(std::size_t block, BlockText& out)>;

  OrderedBlocks(std::size_t count, Make make) : count_(count), make_(std::move(make)) {}

  void Run(bool two_threads, const PutText& put) {
    BlockText own;
    if (!two_threads || count_ < 2) {
      for (std::size_t b = 0; b < count_; ++b) {
        own.Clear();
        make_(b, own);
        put(own.View());
      }
      return;
    }
    std::jthread second([this] { MakeOddBlocks(); });
    try {
      for (std::size_t b = 0; b < count_; ++b) {
        if (b % 2 == 0) {
          own.Clear();
          make_(b, own);
          put(own.View());
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
        slots_[slot].Clear();
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
    put(slots_[slot].View());  // the second thread leaves a full slot alone
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
  std::array<BlockText, 2> slots_;
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
  OrderedBlocks blocks((rows + kBlock - 1) / kBlock, [&](std::size_t b, BlockText& out) {
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
