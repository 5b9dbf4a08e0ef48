#include "engine/value_columns.h"

#include <bit>
#include <functional>
#include <unordered_map>

#include "engine/database.h"

namespace engine {
namespace {

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
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
        Push(integers_[v.integer], v);
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
  std::unordered_map<std::int64_t, std::uint32_t> integers_;
  std::unordered_map<std::uint64_t, std::uint32_t> reals_;
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
