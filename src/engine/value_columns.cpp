#include "engine/value_columns.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <unordered_map>
#include <vector>

#include "engine/database.h"

namespace engine {
namespace {

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};

// A number for each 64-bit key, by open addressing: a column of 100,000
// distinct 学号 allocated a node each in a std::unordered_map. A new key's
// number is 0 until the caller sets it, as it does at once.
class NumberIndex {
 public:
  std::uint32_t& operator[](std::uint64_t key) {
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    Slot& slot = Find(key);
    if (slot.number == 0) {
      slot.key = key;
      ++used_;
    }
    return slot.number;
  }

 private:
  struct Slot {
    std::uint64_t key = 0;
    std::uint32_t number = 0;
  };

  Slot& Find(std::uint64_t key) {
    const std::size_t mask = slots_.size() - 1;
    // Scores as doubles differ only in their high bits: mix them all down.
    std::uint64_t h = (key ^ (key >> 31)) * 0x9E3779B97F4A7C15ULL;
    h ^= h >> 29;
    std::size_t i = static_cast<std::size_t>(h) & mask;
    while (slots_[i].number != 0 && slots_[i].key != key) i = (i + 1) & mask;
    return slots_[i];
  }

  void Grow() {
    std::vector<Slot> old(std::max<std::size_t>(slots_.size() * 2, 1024));
    old.swap(slots_);
    for (const Slot& slot : old)
      if (slot.number != 0) Find(slot.key) = slot;
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

// The distinct values of one column, numbered as first read.
class Distinct {
 public:
  explicit Distinct(ValueColumns::Column& column) : column_(column) {}

  void Add(const ValueView& v) {
    switch (v.kind) {
      case ValueView::Kind::kNull:
        Push(null_, v);
        break;
      case ValueView::Kind::kInteger:
        Push(integers_[static_cast<std::uint64_t>(v.integer)], v);
        break;
      case ValueView::Kind::kReal:
        Push(reals_[std::bit_cast<std::uint64_t>(v.real)], v);
        break;
      case ValueView::Kind::kText: {
        const auto it = texts_.find(v.text);
        Push(it != texts_.end() ? it->second : texts_[std::string(v.text)], v);
        break;
      }
    }
  }

 private:
  // `slot` holds the value's number + 1, 0 while unseen.
  void Push(std::uint32_t& slot, const ValueView& v) {
    if (slot == 0) {
      column_.values.push_back(Value::Of(v));
      slot = static_cast<std::uint32_t>(column_.values.size());
    }
    column_.value_of_row.push_back(slot - 1);
  }

  ValueColumns::Column& column_;
  std::uint32_t null_ = 0;
  NumberIndex integers_;
  NumberIndex reals_;
  std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>> texts_;
};

}  // namespace

ValueColumns ReadValueColumns(Database& db, std::string_view source) {
  Recordset rs = db.OpenRecordset(source);
  ValueColumns out;
  const int fields = rs.FieldCount();
  out.columns.resize(static_cast<std::size_t>(fields));
  std::vector<Distinct> distinct;
  distinct.reserve(out.columns.size());
  for (int k = 0; k < fields; ++k) {
    out.names.push_back(rs.FieldName(k));
    out.types.push_back(rs.FieldTypeOf(k));
    distinct.emplace_back(out.columns[static_cast<std::size_t>(k)]);
  }
  for (; !rs.Eof(); rs.MoveNext(), ++out.records)
    for (int k = 0; k < fields; ++k) distinct[static_cast<std::size_t>(k)].Add(rs.FieldView(k));
  return out;
}

}  // namespace engine
