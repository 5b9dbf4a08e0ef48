#include "grid/cell_store.h"

#include <algorithm>
#include <cstring>

namespace grid {
namespace {

constexpr std::size_t kInline = 7;
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;  // offsets fit in 3 bytes
// Lengths below this take one prefix byte, others this byte and four more.
constexpr unsigned char kLongLength = 0xFF;
constexpr std::size_t kMinWasteToCompact = std::size_t{1} << 20;

struct SlotBytes {
  unsigned char b[8];
};

SlotBytes BytesOf(std::uint64_t slot) {
  SlotBytes s;
  std::memcpy(s.b, &slot, sizeof slot);
  return s;
}

std::uint64_t SlotOf(const SlotBytes& s) {
  std::uint64_t slot;
  std::memcpy(&slot, s.b, sizeof slot);
  return slot;
}

std::size_t PrefixBytes(std::size_t length) {
  return length < kLongLength ? 1 : 5;
}

template <typename T>
void InsertValues(std::vector<T>& v, std::size_t at, std::size_t count) {
  if (!v.empty()) v.insert(v.begin() + static_cast<std::ptrdiff_t>(at), count, T{});
}

template <typename T>
void PermuteValues(std::vector<T>& v, std::size_t first, const std::vector<std::uint32_t>& order) {
  if (v.empty()) return;
  std::vector<T> moved;
  moved.reserve(order.size());
  for (std::uint32_t i : order) moved.push_back(v[first + i]);
  std::copy(moved.begin(), moved.end(), v.begin() + static_cast<std::ptrdiff_t>(first));
}

// Styles and tags: a column keeps them once one is not 0.
void PutIndex(std::vector<std::uint32_t>& v, std::size_t rows, std::size_t row,
              std::uint32_t value) {
  if (v.empty()) {
    if (value == 0) return;
    v.assign(rows, 0);
  }
  v[row] = value;
}

}  // namespace

CellStore::CellStore(std::size_t rows, std::size_t cols, int height)
    : columns_(cols), heights_(rows, height) {
  for (Column& c : columns_) c.texts.assign(rows, 0);
}

std::string_view CellStore::PooledText(const Slot& slot) const {
  const SlotBytes s = BytesOf(slot);
  std::uint32_t block = 0;
  std::memcpy(&block, s.b + 4, sizeof block);
  const std::size_t offset = s.b[1] | (std::size_t{s.b[2]} << 8) | (std::size_t{s.b[3]} << 16);
  const char* at = pool_[block].data() + offset;
  std::size_t length = static_cast<unsigned char>(at[0]);
  if (length == kLongLength) {
    std::uint32_t long_length = 0;
    std::memcpy(&long_length, at + 1, sizeof long_length);
    length = long_length;
  }
  return std::string_view(at + PrefixBytes(length), length);
}

CellStore::Slot CellStore::MakeSlot(std::string_view text) {
  SlotBytes s{};
  if (text.size() <= kInline) {
    s.b[0] = static_cast<unsigned char>(text.size());
    if (!text.empty()) std::memcpy(s.b + 1, text.data(), text.size());
    return SlotOf(s);
  }
  const std::size_t need = PrefixBytes(text.size()) + text.size();
  // A text too long for a block gets one of its own; a block is never grown
  // past what it reserved, so `text` may lie in the pool.
  if (pool_.empty() || pool_.back().size() + need > pool_.back().capacity()) {
    pool_.emplace_back().reserve(std::max(need, kBlockBytes));
  }
  std::vector<char>& block = pool_.back();
  const std::size_t offset = block.size();
  if (text.size() < kLongLength) {
    block.push_back(static_cast<char>(text.size()));
  } else {
    block.push_back(static_cast<char>(kLongLength));
    const auto length = static_cast<std::uint32_t>(text.size());
    block.insert(block.end(), reinterpret_cast<const char*>(&length),
                 reinterpret_cast<const char*>(&length) + sizeof length);
  }
  block.insert(block.end(), text.begin(), text.end());
  pool_bytes_ += need;
  const auto index = static_cast<std::uint32_t>(pool_.size() - 1);
  s.b[0] = kPooled;
  s.b[1] = static_cast<unsigned char>(offset & 0xFF);
  s.b[2] = static_cast<unsigned char>((offset >> 8) & 0xFF);
  s.b[3] = static_cast<unsigned char>((offset >> 16) & 0xFF);
  std::memcpy(s.b + 4, &index, sizeof index);
  return SlotOf(s);
}

void CellStore::ForgetText(Slot slot) {
  if (!IsPooled(slot)) return;
  const std::size_t length = SlotText(slot).size();
  pool_waste_ += PrefixBytes(length) + length;
}

// Rebuilding costs a pass over every cell, so it waits until at least half
// the pool is waste: replacing texts then costs at most twice their size.
// Only edits of rows and columns rebuild it, so that a view of one cell's
// text survives an edit of another cell.
void CellStore::CompactPoolIfWasteful() {
  if (pool_waste_ < kMinWasteToCompact || pool_waste_ * 2 < pool_bytes_) return;
  CellStore rebuilt;
  for (Column& c : columns_)
    for (Slot& slot : c.texts)
      if (IsPooled(slot)) slot = rebuilt.MakeSlot(SlotText(slot));
  pool_ = std::move(rebuilt.pool_);
  pool_bytes_ = rebuilt.pool_bytes_;
  pool_waste_ = 0;
}

void CellStore::SetText(std::size_t row, std::size_t col, std::string_view text) {
  Slot& slot = columns_[col].texts[row];
  const Slot made = MakeSlot(text);
  ForgetText(slot);
  slot = made;
}

void CellStore::SetTexts(std::size_t col, std::size_t first, const std::vector<std::string>& texts,
                         const std::vector<std::uint32_t>& index) {
  // A pooled text is kept once for all its cells, as an inline one is: a
  // column of ten schools reads ten texts, not 100,000 scattered copies.
  // Replacing a shared text counts it as waste for each cell, so the pool is
  // rebuilt, one copy a cell, sooner than it need be, never too late.
  std::vector<Slot> slots(texts.size());
  std::vector<bool> made(texts.size(), false);
  std::vector<Slot>& column = columns_[col].texts;
  for (std::size_t i = 0; i < index.size(); ++i) {
    const std::uint32_t t = index[i];
    if (!made[t]) {
      slots[t] = MakeSlot(texts[t]);
      made[t] = true;
    }
    ForgetText(column[first + i]);
    column[first + i] = slots[t];
  }
}

void CellStore::SetStyle(std::size_t row, std::size_t col, std::uint32_t style) {
  PutIndex(columns_[col].styles, Rows(), row, style);
}

std::uint32_t CellStore::Tag(std::size_t row, std::size_t col) const {
  const std::vector<std::uint32_t>& v = columns_[col].tags;
  return v.empty() ? 0 : v[row];
}

void CellStore::SetTag(std::size_t row, std::size_t col, std::uint32_t tag) {
  PutIndex(columns_[col].tags, Rows(), row, tag);
}

void CellStore::PutCell(std::size_t row, std::size_t col, const CellValue& cell) {
  Slot& slot = columns_[col].texts[row];
  const Slot made = MakeSlot(cell.text.view());
  ForgetText(slot);
  slot = made;
  SetStyle(row, col, cell.style);
  SetTag(row, col, cell.tag);
}

RowValue CellStore::Row(std::size_t row) const {
  RowValue value;
  value.height = heights_[row];
  value.cells.resize(Cols());
  for (std::size_t c = 0; c < Cols(); ++c)
    value.cells[c] = CellValue{CompactText(Text(row, c)), Style(row, c), Tag(row, c)};
  return value;
}

void CellStore::InsertBlankRows(std::size_t at, std::size_t count, int height) {
  CompactPoolIfWasteful();
  for (Column& c : columns_) {
    InsertValues(c.texts, at, count);
    InsertValues(c.styles, at, count);
    InsertValues(c.tags, at, count);
  }
  heights_.insert(heights_.begin() + static_cast<std::ptrdiff_t>(at), count, height);
}

void CellStore::InsertRows(std::size_t at, const std::vector<RowValue>& rows) {
  InsertBlankRows(at, rows.size(), kDefaultRowHeight);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    heights_[at + i] = rows[i].height;
    for (std::size_t c = 0; c < Cols(); ++c) PutCell(at + i, c, rows[i].cells[c]);
  }
}

void CellStore::EraseRows(std::size_t first, std::size_t count) {
  const auto b = static_cast<std::ptrdiff_t>(first);
  const auto e = static_cast<std::ptrdiff_t>(first + count);
  for (Column& c : columns_) {
    for (std::size_t r = first; r < first + count; ++r) ForgetText(c.texts[r]);
    c.texts.erase(c.texts.begin() + b, c.texts.begin() + e);
    if (!c.styles.empty()) c.styles.erase(c.styles.begin() + b, c.styles.begin() + e);
    if (!c.tags.empty()) c.tags.erase(c.tags.begin() + b, c.tags.begin() + e);
  }
  heights_.erase(heights_.begin() + b, heights_.begin() + e);
  CompactPoolIfWasteful();
}

void CellStore::SwapRows(std::size_t first, std::vector<RowValue>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    RowValue was = Row(first + i);
    heights_[first + i] = rows[i].height;
    for (std::size_t c = 0; c < Cols(); ++c) PutCell(first + i, c, rows[i].cells[c]);
    rows[i] = std::move(was);
  }
}

void CellStore::PermuteRows(std::size_t first, const std::vector<std::uint32_t>& order) {
  for (Column& c : columns_) {
    PermuteValues(c.texts, first, order);
    PermuteValues(c.styles, first, order);
    PermuteValues(c.tags, first, order);
  }
  PermuteValues(heights_, first, order);
}

void CellStore::InsertCols(std::size_t at, std::size_t count, const std::vector<CellValue>& cells) {
  Column blank;
  blank.texts.assign(Rows(), 0);
  columns_.insert(columns_.begin() + static_cast<std::ptrdiff_t>(at), count, blank);
  if (cells.empty()) return;
  for (std::size_t r = 0; r < Rows(); ++r)
    for (std::size_t k = 0; k < count; ++k) PutCell(r, at + k, cells[r * count + k]);
}

std::vector<CellValue> CellStore::ColsCells(std::size_t first, std::size_t count) const {
  std::vector<CellValue> cells;
  cells.reserve(Rows() * count);
  for (std::size_t r = 0; r < Rows(); ++r)
    for (std::size_t c = first; c < first + count; ++c)
      cells.push_back(CellValue{CompactText(Text(r, c)), Style(r, c), Tag(r, c)});
  return cells;
}

void CellStore::EraseCols(std::size_t first, std::size_t count) {
  for (std::size_t c = first; c < first + count; ++c)
    for (Slot slot : columns_[c].texts) ForgetText(slot);
  const auto b = columns_.begin() + static_cast<std::ptrdiff_t>(first);
  columns_.erase(b, b + static_cast<std::ptrdiff_t>(count));
  CompactPoolIfWasteful();
}

bool CellStore::NonAsciiTextsPass(bool (*valid)(std::string_view)) const {
  // Bytes 1 .. 7 of a slot hold an inline text, zeros past its length.
  const Slot high_bits = SlotOf({{0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80}});
  for (const Column& c : columns_)
    for (const Slot slot : c.texts)
      if (!IsPooled(slot) && (slot & high_bits) != 0 && !valid(SlotText(slot))) return false;
  bool pool_passes = true;
  for (const std::vector<char>& block : pool_) {
    for (std::size_t at = 0; at < block.size() && pool_passes;) {
      std::size_t length = static_cast<unsigned char>(block[at]);
      if (length == kLongLength) {
        std::uint32_t long_length = 0;
        std::memcpy(&long_length, block.data() + at + 1, sizeof long_length);
        length = long_length;
      }
      const std::size_t text_at = at + PrefixBytes(length);
      pool_passes = valid(std::string_view(block.data() + text_at, length));
      at = text_at + length;
    }
  }
  if (pool_passes) return true;
  for (const Column& c : columns_)
    for (const Slot slot : c.texts)
      if (IsPooled(slot) && !valid(PooledText(slot))) return false;
  return true;
}

std::size_t CellStore::Bytes() const {
  std::size_t bytes = heights_.capacity() * sizeof(int);
  for (const Column& c : columns_)
    bytes += c.texts.capacity() * sizeof(Slot) +
             (c.styles.capacity() + c.tags.capacity()) * sizeof(std::uint32_t);
  for (const std::vector<char>& block : pool_) bytes += block.capacity();
  return bytes;
}

bool CellStore::operator==(const CellStore& other) const {
  if (Cols() != other.Cols() || heights_ != other.heights_) return false;
  for (std::size_t c = 0; c < Cols(); ++c)
    for (std::size_t r = 0; r < Rows(); ++r)
      if (Text(r, c) != other.Text(r, c) || Style(r, c) != other.Style(r, c) ||
          Tag(r, c) != other.Tag(r, c))
        return false;
  return true;
}

}  // namespace grid
