// The bytes of the stored copy of the whole of 成绩表 that the ranked
// listings fill from (stored_columns_test.cpp checks when it is used).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/value_columns.h"
#include "stats/grouped_columns.h"

namespace {

using engine::FieldType;
using engine::Value;
using engine::ValueColumns;

// One column of the given values, the records naming them by number.
ValueColumns::Column Column(std::vector<Value> values, std::vector<std::uint32_t> rows) {
  return {std::move(values), std::move(rows)};
}

ValueColumns Numbered(std::uint32_t distinct, std::size_t records) {
  ValueColumns table{{"学号"}, {FieldType::kLong}, {{}}, records};
  for (std::uint32_t v = 0; v < distinct; ++v) table.columns[0].values.push_back(Value::Integer(v));
  for (std::size_t i = 0; i < records; ++i)
    table.columns[0].value_of_row.push_back(static_cast<std::uint32_t>(i % distinct));
  return table;
}

TEST(StoredTableTest, BytesReadBackAsWrittenAndNoPartOfThemReads) {
  // Every kind of value, 0 beside -0 and "" beside Null; a table without
  // records; value numbers past one byte and past two.
  const ValueColumns kinds{
      {"学校", "语文", "学号"},
      {FieldType::kText, FieldType::kDouble, FieldType::kLong},
      {Column({Value::Text("一中"), Value::Text(""), Value(), Value::Text(std::string("a\0b", 3))},
              {0, 1, 2, 3, 0}),
       Column({Value::Real(87.5), Value::Real(0.0), Value::Real(-0.0), Value::Text("缺考")},
              {3, 2, 1, 0, 0}),
       Column({Value::Integer(-7), Value::Integer(2024000001)}, {1, 1, 1, 1, 0})},
      5};
  const ValueColumns empty{{"姓名"}, {FieldType::kText}, {{}}, 0};
  std::vector<std::string> encoded;
  for (const ValueColumns& table : {kinds, empty, Numbered(300, 600), Numbered(70000, 70000)}) {
    encoded.push_back(stats::EncodeTable(table));
    const std::optional<ValueColumns> back = stats::DecodeTable(encoded.back());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, table);
  }
  EXPECT_LT(encoded[2].size(), 600 * 2 + 300 * 9 + 40) << "two bytes a record";
  encoded.resize(2);  // every cut of the long ones would take too long
  // A cut or lengthened entry (a damaged file) is not a copy at all.
  for (const std::string& bytes : encoded)
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
      const std::string cut = n < bytes.size() ? bytes.substr(0, n) : bytes + '\0';
      EXPECT_FALSE(stats::DecodeTable(cut).has_value()) << n << " of " << bytes.size();
    }
  // A record naming a value the column does not have.
  std::string wrong = encoded[0];
  wrong[wrong.size() - 5] = 9;
  EXPECT_FALSE(stats::DecodeTable(wrong).has_value());
}

}  // namespace
