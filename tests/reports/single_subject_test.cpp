#include "reports/single_subject.h"

#include <gtest/gtest.h>

#include "reports/stat_columns.h"
#include "score_fixture.h"

namespace {

using Cells = std::vector<std::string>;

// Cells of `row` from column 1 on.
Cells RowOf(const grid::ReportGrid& g, int row) {
  Cells out;
  for (int c = 1; c < g.Cols(); ++c) out.emplace_back(g.CellText(row, c));
  return out;
}

const Cells kStatHeadings = {"参考人数", "总分",    "平均分",   "优秀人数", "优秀率%",
                             "优良人数", "优良率%", "及格人数", "及格率%",  "综合分",
                             "最高分",   "最低分",  "全距",     "标准差"};
const Cells kSegmentHeadings = {"80_100", "60_79", "40_59", "20_39", "0_19"};

Cells Join(Cells a, const Cells& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The 合计 figures over all eight 语文 scores, after the key columns.
const Cells kTotals = {"8",  "619.5", "77.44", "3",     "37.5", "6", "75", "7", "87.5", "70.976",
                       "90", "50",    "40",    "14.87", "5",    "1", "1",  "0", "0"};
const Cells kClass1 = {"4",  "320", "80", "2",     "50", "3", "75", "4", "100", "77",
                       "90", "60",  "30", "14.14", "3",  "1", "0",  "0", "0"};
const Cells kClass2 = {"3",  "220", "73.33", "1",     "33.33", "2", "66.67", "2", "66.67", "62.666",
                       "90", "50",  "40",    "20.82", "2",     "0", "1",     "0", "0"};
// Everybody absent: counts 0, every division by zero an empty cell.
const Cells kClass3 = {"0", "", "", "0", "",  "0", "",  "0", "", "",
                       "",  "", "", "",  "0", "0", "0", "0", "0"};
// One score of 79.5: no 标准差, and no segment holds it.
const Cells kClass12 = {"1",    "79.5", "79.5", "0", "0", "1", "100", "1", "100", "71.8",
                        "79.5", "79.5", "0",    "",  "0", "0", "0",   "0", "0"};

class SingleSubjectTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    engine::Database db = fixture.Open();
    reports_test::CreateSmallExam(db, GetParam());
  }
  reports_test::TempDatabase fixture;
  output::Document doc;
};

TEST_P(SingleSubjectTest, PerClassHasTotalsFirstThenOneRowPerClassWithItsTeacher) {
  reports::ClassSubjectStats(doc, fixture.state, 1);
  const grid::ReportGrid& g = doc.grid;
  EXPECT_EQ(doc.caption, "高一年级中期考试各班语文单科统计表");
  EXPECT_EQ(doc.title, "高一年级中期考试各班语文单科统计表 [共有 4 个记录]");
  EXPECT_EQ(RowOf(g, 0),
            Join(Join({"学校", "班级", "教师", "科目"}, kStatHeadings), kSegmentHeadings));
  EXPECT_EQ(RowOf(g, 1), Join({"合计", "", "", ""}, kTotals));
  EXPECT_EQ(RowOf(g, 2), Join({"一中", "1", "张三", "语文"}, kClass1));
  EXPECT_EQ(RowOf(g, 3), Join({"一中", "2", "欧'阳", "语文"}, kClass2));
  EXPECT_EQ(RowOf(g, 4), Join({"二中", "3", "", "语文"}, kClass3));
  EXPECT_EQ(RowOf(g, 5), Join({"二中", "12", "张三", "语文"}, kClass12));
  ASSERT_EQ(g.Rows(), 7);
  EXPECT_EQ(RowOf(g, 6), Cells(static_cast<std::size_t>(g.Cols() - 1), ""));
  EXPECT_EQ(g.ColumnAt(2).format, "0");
  EXPECT_EQ(g.ColWidth(3), 40);
  EXPECT_EQ(g.ColWidth(4), 40);
}

// 教师表 is read once for all classes; a class's teacher is still the one the
// query per class found: its first row, even when that row has no teacher.
TEST_P(SingleSubjectTest, PerClassTeacherIsTheFirstRowOfItsClass) {
  {
    engine::Database db = fixture.Open();
    const std::string q = GetParam() ? "'" : "";
    for (const std::string& row :
         {"'一中'," + q + "1" + q + ",'后来者'", "'二中'," + q + "3" + q + ",Null",
          "'二中'," + q + "3" + q + ",'赵六'"})
      db.Execute("INSERT INTO 教师表 (学校,班级,语文) VALUES (" + row + ")");
  }
  reports::ClassSubjectStats(doc, fixture.state, 1);
  const grid::ReportGrid& g = doc.grid;
  ASSERT_EQ(g.Rows(), 7);
  EXPECT_EQ(g.CellText(2, 3), "张三") << "an earlier row of 一中 1";
  EXPECT_EQ(g.CellText(4, 3), "") << "二中 3's first row names nobody";
  EXPECT_EQ(g.CellText(5, 3), "张三");
}

INSTANTIATE_TEST_SUITE_P(ClassStoredAs, SingleSubjectTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Text" : "Number"; });

}  // namespace
