#include "stats/grouped_columns.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <type_traits>

#include "stats/exam_snapshot.h"

namespace stats {
using engine::Value;

KeyValue KeyOf(const Value& v) {
  KeyValue key;
  if (v.IsNull()) return key;
  key.kind = v.IsNumber() ? KeyValue::Kind::kNumber : KeyValue::Kind::kText;
  if (v.IsNumber()) key.number = v.AsDouble();
  if (v.IsText()) key.text = v.AsText();
  return key;
}

namespace {

bool IsMinusZero(const Value& v) {
  return v.IsReal() && v.AsDouble() == 0 && std::signbit(v.AsDouble());
}

// Gives each row the group of its keys (`fields` of the keys read), numbered
// first as first seen and by Finish in GROUP BY order.
class Grouper {
 public:
  explicit Grouper(std::vector<std::size_t> fields) : fields_(std::move(fields)) {}

  void Row(const std::vector<Value>& read) {
    if (!exact_) return;
    bool same = !rows_.empty();
    for (std::size_t i = 0; i < fields_.size() && same; ++i) same = read[fields_[i]] == last_[i];
    if (!same) Switch(read);
    rows_.push_back(last_id_);
  }

  GroupedRows Finish(std::vector<engine::FieldType> key_types) {
    GroupedRows out;
    out.exact = exact_;
    out.key_types = std::move(key_types);
    if (!exact_) return out;
    std::vector<std::uint32_t> renumbered(first_keys_.size());
    for (const auto& [sort_key, id] : index_) {
      renumbered[id] = static_cast<std::uint32_t>(out.keys.size());
      out.keys.push_back(std::move(first_keys_[id]));
    }
    out.group_of_row = std::move(rows_);
    for (std::uint32_t& g : out.group_of_row) g = renumbered[g];
    return out;
  }

 private:
  void Switch(const std::vector<Value>& read) {
    last_.clear();
    std::vector<KeyValue> sort_key;
    for (const std::size_t f : fields_) {
      last_.push_back(read[f]);
      exact_ = exact_ && !IsMinusZero(read[f]);  // prints apart from the 0 of its group
      sort_key.push_back(KeyOf(read[f]));
    }
    const auto [it, added] =
        index_.try_emplace(std::move(sort_key), static_cast<std::uint32_t>(first_keys_.size()));
    if (added) first_keys_.push_back(last_);
    exact_ = exact_ && first_keys_[it->second] == last_;
    last_id_ = it->second;
  }

  std::vector<std::size_t> fields_;
  bool exact_ = true;
  std::map<std::vector<KeyValue>, std::uint32_t> index_;
  std::vector<std::vector<Value>> first_keys_;
  std::vector<std::uint32_t> rows_;
  std::vector<Value> last_;
  std::uint32_t last_id_ = 0;
};

void AddValue(NumberColumn& column, const Value& v) {
  if (!column.all_real) return;
  if (v.IsNull()) {
    column.values.push_back(std::numeric_limits<double>::quiet_NaN());
  } else if (v.IsReal()) {
    column.values.push_back(v.AsDouble());
  } else {
    column.all_real = false;
    column.values = {};
  }
}

class ByteWriter {
 public:
  template <typename T>
  void Put(T v) {
    static_assert(std::is_trivially_copyable_v<T>);
    out_.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  void PutText(const std::string& text) {
    Put(static_cast<std::uint32_t>(text.size()));
    out_ += text;
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  template <typename T>
  bool Get(T& v) {
    if (bytes_.size() < sizeof v) return false;
    std::memcpy(&v, bytes_.data(), sizeof v);
    bytes_.remove_prefix(sizeof v);
    return true;
  }
  bool GetText(std::string& text) {
    std::uint32_t n = 0;
    if (!Get(n) || bytes_.size() < n) return false;
    text.assign(bytes_.substr(0, n));
    bytes_.remove_prefix(n);
    return true;
  }
  // `n` items of `size` bytes each still to come.
  bool Holds(std::uint64_t n, std::size_t size) const { return n <= bytes_.size() / size; }
  // The next `n` bytes, which the caller has checked are there.
  std::string_view Take(std::size_t n) {
    const std::string_view taken = bytes_.substr(0, n);
    bytes_.remove_prefix(n);
    return taken;
  }
  bool AtEnd() const { return bytes_.empty(); }

 private:
  std::string_view bytes_;
};

enum class Tag : std::uint8_t { kNull, kInteger, kReal, kText };

void PutValue(ByteWriter& w, const Value& v) {
  if (v.IsNull()) {
    w.Put(Tag::kNull);
  } else if (v.IsInteger()) {
    w.Put(Tag::kInteger);
    w.Put(v.AsInteger());
  } else if (v.IsReal()) {
    w.Put(Tag::kReal);
    w.Put(v.AsDouble());
  } else {
    w.Put(Tag::kText);
    w.PutText(v.AsText());
  }
}

bool GetValue(ByteReader& r, Value& v) {
  Tag tag{};
  if (!r.Get(tag)) return false;
  std::int64_t i = 0;
  double d = 0;
  std::string text;
  switch (tag) {
    case Tag::kNull:
      v = Value();
      return true;
    case Tag::kInteger:
      return r.Get(i) && (v = Value::Integer(i), true);
    case Tag::kReal:
      return r.Get(d) && (v = Value::Real(d), true);
    case Tag::kText:
      return r.GetText(text) && (v = Value::Text(std::move(text)), true);
  }
  return false;
}

// Row numbers and scores are written as narrow as they fit without loss.
template <typename Narrow, typename Wide>
void PutNarrowable(ByteWriter& w, const std::vector<Wide>& values, bool narrow) {
  w.Put(static_cast<std::uint32_t>(values.size()));
  w.Put(static_cast<std::uint8_t>(narrow ? sizeof(Narrow) : sizeof(Wide)));
  for (const Wide v : values) narrow ? w.Put(static_cast<Narrow>(v)) : w.Put(v);
}

template <typename Narrow, typename Wide>
bool GetNarrowable(ByteReader& r, std::vector<Wide>& values) {
  std::uint32_t n = 0;
  std::uint8_t width = 0;
  if (!r.Get(n) || !r.Get(width) || (width != sizeof(Narrow) && width != sizeof(Wide)) ||
      !r.Holds(n, width))
    return false;
  values.resize(n);
  for (Wide& v : values) {
    Narrow narrow{};
    if (width == sizeof(Wide) ? !r.Get(v) : !(r.Get(narrow) && (v = narrow, true))) return false;
  }
  return true;
}

constexpr std::uint8_t kRowsMark = 'G';
constexpr std::uint8_t kColumnMark = 'C';
constexpr std::uint8_t kTableMark = 'T';

// Each record's value number in 1, 2 or 4 bytes, as few as the column's
// distinct values allow.
void PutValueNumbers(ByteWriter& w, const engine::ValueColumns::Column& column) {
  const std::size_t n = column.values.size();
  const std::uint8_t width = n <= 0x100 ? 1 : n <= 0x10000 ? 2 : 4;
  w.Put(width);
  for (const std::uint32_t v : column.value_of_row) {
    if (width == 1) w.Put(static_cast<std::uint8_t>(v));
    if (width == 2) w.Put(static_cast<std::uint16_t>(v));
    if (width == 4) w.Put(v);
  }
}

bool GetValueNumbers(ByteReader& r, std::size_t records, engine::ValueColumns::Column& column) {
  std::uint8_t width = 0;
  if (!r.Get(width) || (width != 1 && width != 2 && width != 4) || !r.Holds(records, width))
    return false;
  column.value_of_row.resize(records);
  const char* bytes = r.Take(records * width).data();
  std::vector<std::uint32_t>& rows = column.value_of_row;
  if (width == 4) {
    std::memcpy(rows.data(), bytes, records * width);
  } else {
    for (std::size_t i = 0; i < records; ++i) {
      std::uint8_t b = 0;
      std::uint16_t h = 0;
      rows[i] =
          width == 1 ? (std::memcpy(&b, bytes + i, 1), b) : (std::memcpy(&h, bytes + 2 * i, 2), h);
    }
  }
  return std::all_of(column.value_of_row.begin(), column.value_of_row.end(),
                     [&](std::uint32_t v) { return v < column.values.size(); });
}

}  // namespace

GroupedColumns ReadGroupedColumns(engine::Database& db,
                                  const std::vector<std::vector<std::string>>& key_sets,
                                  const std::vector<std::string>& columns) {
  std::vector<std::string> keys;  // every key once, in the order first named
  std::vector<Grouper> groupers;
  std::vector<std::vector<std::size_t>> fields(key_sets.size());
  for (std::size_t s = 0; s < key_sets.size(); ++s) {
    for (const std::string& k : key_sets[s]) {
      const auto at = std::find(keys.begin(), keys.end(), k);
      fields[s].push_back(static_cast<std::size_t>(at - keys.begin()));
      if (at == keys.end()) keys.push_back(k);
    }
    groupers.emplace_back(fields[s]);
  }
  std::string sql = "select ";
  for (const std::string& k : keys) sql += k + ",";
  for (const std::string& c : columns) sql += "[" + c + "],";
  sql.back() = ' ';
  engine::Recordset rs = db.OpenRecordset(sql + "from 成绩表");
  const int k = static_cast<int>(keys.size());
  GroupedColumns out;
  out.columns.resize(columns.size());
  for (std::size_t c = 0; c < columns.size(); ++c)
    out.columns[c].type = rs.FieldTypeOf(k + static_cast<int>(c));
  std::vector<Value> read(keys.size());
  for (; !rs.Eof(); rs.MoveNext()) {
    for (int i = 0; i < k; ++i) read[static_cast<std::size_t>(i)] = rs.FieldValue(i);
    for (Grouper& g : groupers) g.Row(read);
    for (std::size_t c = 0; c < columns.size(); ++c)
      AddValue(out.columns[c], rs.FieldValue(k + static_cast<int>(c)));
  }
  for (std::size_t s = 0; s < key_sets.size(); ++s) {
    std::vector<engine::FieldType> types;
    for (const std::size_t f : fields[s]) types.push_back(rs.FieldTypeOf(static_cast<int>(f)));
    out.groupings.push_back(groupers[s].Finish(std::move(types)));
  }
  return out;
}

std::string EncodeRows(const GroupedRows& rows) {
  ByteWriter w;
  w.Put(kRowsMark);
  w.Put(static_cast<std::uint8_t>(rows.exact));
  w.Put(static_cast<std::uint32_t>(rows.key_types.size()));
  for (const engine::FieldType t : rows.key_types) w.Put(static_cast<std::int32_t>(t));
  w.Put(static_cast<std::uint32_t>(rows.keys.size()));
  for (const std::vector<Value>& key : rows.keys)
    for (const Value& v : key) PutValue(w, v);
  PutNarrowable<std::uint16_t>(w, rows.group_of_row, rows.keys.size() <= 65536);
  return w.Take();
}

std::optional<GroupedRows> DecodeRows(std::string_view bytes) {
  ByteReader r(bytes);
  std::uint8_t mark = 0, exact = 0;
  std::uint32_t key_count = 0, group_count = 0;
  if (!r.Get(mark) || mark != kRowsMark || !r.Get(exact) || !r.Get(key_count) ||
      !r.Holds(key_count, sizeof(std::int32_t)))
    return std::nullopt;
  GroupedRows rows;
  rows.exact = exact != 0;
  for (std::uint32_t i = 0; i < key_count; ++i) {
    std::int32_t type = 0;
    r.Get(type);
    rows.key_types.push_back(static_cast<engine::FieldType>(type));
  }
  if (!r.Get(group_count) || !r.Holds(static_cast<std::uint64_t>(group_count) * key_count, 1))
    return std::nullopt;
  rows.keys.assign(group_count, std::vector<Value>(key_count));
  for (std::vector<Value>& key : rows.keys)
    for (Value& v : key)
      if (!GetValue(r, v)) return std::nullopt;
  if (!GetNarrowable<std::uint16_t>(r, rows.group_of_row) || !r.AtEnd()) return std::nullopt;
  for (const std::uint32_t g : rows.group_of_row)
    if (g >= group_count) return std::nullopt;
  return rows;
}

std::string EncodeColumn(const NumberColumn& column) {
  ByteWriter w;
  w.Put(kColumnMark);
  w.Put(static_cast<std::int32_t>(column.type));
  w.Put(static_cast<std::uint8_t>(column.all_real));
  // NaN (Null) and -0 survive a float as well.
  const bool narrow = std::all_of(column.values.begin(), column.values.end(), [](double v) {
    return std::isnan(v) || static_cast<double>(static_cast<float>(v)) == v;
  });
  PutNarrowable<float>(w, column.values, narrow);
  return w.Take();
}

std::optional<NumberColumn> DecodeColumn(std::string_view bytes) {
  ByteReader r(bytes);
  std::uint8_t mark = 0, all_real = 0;
  std::int32_t type = 0;
  NumberColumn column;
  if (!r.Get(mark) || mark != kColumnMark || !r.Get(type) || !r.Get(all_real) ||
      !GetNarrowable<float>(r, column.values) || !r.AtEnd())
    return std::nullopt;
  column.type = static_cast<engine::FieldType>(type);
  column.all_real = all_real != 0;
  return column;
}

std::string EncodeTable(const engine::ValueColumns& table) {
  ByteWriter w;
  w.Put(kTableMark);
  w.Put(static_cast<std::uint32_t>(table.columns.size()));
  w.Put(static_cast<std::uint64_t>(table.records));
  for (std::size_t k = 0; k < table.columns.size(); ++k) {
    w.PutText(table.names[k]);
    w.Put(static_cast<std::int32_t>(table.types[k]));
    w.Put(static_cast<std::uint32_t>(table.columns[k].values.size()));
    for (const Value& v : table.columns[k].values) PutValue(w, v);
    PutValueNumbers(w, table.columns[k]);
  }
  return w.Take();
}

std::optional<engine::ValueColumns> DecodeTable(std::string_view bytes) {
  ByteReader r(bytes);
  std::uint8_t mark = 0;
  std::uint32_t fields = 0;
  std::uint64_t records = 0;
  if (!r.Get(mark) || mark != kTableMark || !r.Get(fields) || !r.Get(records) ||
      !r.Holds(fields, 9) || !r.Holds(records, 1))
    return std::nullopt;
  engine::ValueColumns table;
  table.records = static_cast<std::size_t>(records);
  table.names.resize(fields);
  table.types.resize(fields);
  table.columns.resize(fields);
  for (std::uint32_t k = 0; k < fields; ++k) {
    std::int32_t type = 0;
    std::uint32_t distinct = 0;
    if (!r.GetText(table.names[k]) || !r.Get(type) || !r.Get(distinct) || !r.Holds(distinct, 1))
      return std::nullopt;
    table.types[k] = static_cast<engine::FieldType>(type);
    table.columns[k].values.resize(distinct);
    for (Value& v : table.columns[k].values)
      if (!GetValue(r, v)) return std::nullopt;
    if (!GetValueNumbers(r, table.records, table.columns[k])) return std::nullopt;
  }
  if (!r.AtEnd()) return std::nullopt;
  return table;
}

}  // namespace stats
