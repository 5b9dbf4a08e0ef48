// The cells of a grid, kept column by column so that a million-row report
// fits in a few hundred megabytes: each text takes 8 bytes (up to 7 bytes
// inline, longer ones in a pool of texts the store owns), and a column keeps
// styles and tags only once one of its cells has one that is not 0.
//
// Rows and cells travel in and out of the store as CellValue and RowValue,
// whole values that own their texts, so that what the undo journal holds
// never points into a store. Positions are not checked here: ReportGrid
// checks them first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "grid/compact_text.h"

namespace grid {

inline constexpr int kDefaultRowHeight = 20;  // pixels at 96 dpi

struct CellValue {
  CompactText text;
  std::uint32_t style = 0;
  std::uint32_t tag = 0;  // index into the grid's tags, 0 = none
  bool operator==(const CellValue&) const = default;
};

struct RowValue {
  std::vector<CellValue> cells;
  int height = kDefaultRowHeight;
  bool operator==(const RowValue&) const = default;
};

class CellStore {
 public:
  CellStore() = default;
  CellStore(std::size_t rows, std::size_t cols, int height);

  std::size_t Rows() const { return heights_.size(); }
  std::size_t Cols() const { return columns_.size(); }

  // The view stays valid until rows or columns are inserted, deleted or
  // reordered, or the cell itself is given another text.
  std::string_view Text(std::size_t row, std::size_t col) const {
    return SlotText(columns_[col].texts[row]);
  }
  void SetText(std::size_t row, std::size_t col, std::string_view text);
  // Row first + i gets texts[index[i]]: a column filled from the few texts
  // it repeats, each kept once (in its slot or once in the pool).
  void SetTexts(std::size_t col, std::size_t first, const std::vector<std::string>& texts,
                const std::vector<std::uint32_t>& index);
  // Whether the cell's text is empty, without reading a pooled text.
  bool Empty(std::size_t row, std::size_t col) const { return columns_[col].texts[row] == 0; }
  std::uint32_t Style(std::size_t row, std::size_t col) const {
    const std::vector<std::uint32_t>& v = columns_[col].styles;
    return v.empty() ? 0 : v[row];
  }
  void SetStyle(std::size_t row, std::size_t col, std::uint32_t style);
  std::uint32_t Tag(std::size_t row, std::size_t col) const;
  void SetTag(std::size_t row, std::size_t col, std::uint32_t tag);
  int Height(std::size_t row) const { return heights_[row]; }
  void SetHeight(std::size_t row, int height) { heights_[row] = height; }

  RowValue Row(std::size_t row) const;
  // Rows must be Cols() cells wide.
  void InsertRows(std::size_t at, const std::vector<RowValue>& rows);
  void InsertBlankRows(std::size_t at, std::size_t count, int height);
  void EraseRows(std::size_t first, std::size_t count);
  // The rows from `first` on become `rows`, and `rows` what they were.
  void SwapRows(std::size_t first, std::vector<RowValue>& rows);
  // The rows now at first + i come from first + order[i].
  void PermuteRows(std::size_t first, const std::vector<std::uint32_t>& order);

  // `cells` holds the new columns row by row (count cells a row), or is
  // empty for blank ones.
  void InsertCols(std::size_t at, std::size_t count, const std::vector<CellValue>& cells);
  // The cells of the columns, row by row.
  std::vector<CellValue> ColsCells(std::size_t first, std::size_t count) const;
  void EraseCols(std::size_t first, std::size_t count);

  // Whether `valid` holds for every text that is not plain ASCII. The pool
  // is tried in its own order, replaced texts included, and only when one of
  // those fails is each pooled cell tried: memory in order rather than a
  // random walk through the pool of a sorted report.
  bool NonAsciiTextsPass(bool (*valid)(std::string_view)) const;

  // The memory the store holds, roughly, in bytes.
  std::size_t Bytes() const;

  // The same texts, styles, tags and heights, however they are stored.
  bool operator==(const CellStore& other) const;

 private:
  using Slot = std::uint64_t;
  struct Column {
    std::vector<Slot> texts;
    std::vector<std::uint32_t> styles;  // empty while every style is 0
    std::vector<std::uint32_t> tags;    // empty while every tag is 0
  };

  // A slot's first byte is the length of an inline text (0 .. 7, the text in
  // the other seven bytes) or kPooled; a pooled text's position is then the
  // block's index in bytes 4 .. 7 and the offset in it in bytes 1 .. 3.
  static constexpr unsigned char kPooled = 0xFF;

  Slot MakeSlot(std::string_view text);
  // An inline text is viewed where the slot lies: the reading passes over a
  // million cells take it without a call.
  std::string_view SlotText(const Slot& slot) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&slot);
    if (bytes[0] != kPooled)
      return std::string_view(reinterpret_cast<const char*>(bytes + 1), bytes[0]);
    return PooledText(slot);
  }
  std::string_view PooledText(const Slot& slot) const;
  static bool IsPooled(const Slot& slot) {
    return *reinterpret_cast<const unsigned char*>(&slot) == kPooled;
  }
  void ForgetText(Slot slot);
  void CompactPoolIfWasteful();
  void PutCell(std::size_t row, std::size_t col, const CellValue& cell);

  std::vector<Column> columns_;
  std::vector<int> heights_;
  // Texts longer than a slot holds: a length prefix then the bytes, in
  // blocks that are never reallocated, so that a text being stored may come
  // from the pool itself. Replaced texts are counted as waste and the pool
  // rebuilt once most of it is waste.
  std::vector<std::vector<char>> pool_;
  std::size_t pool_waste_ = 0;
  std::size_t pool_bytes_ = 0;
};

}  // namespace grid
