// Lists that leave the class teacher: masked names and no ranks, applied to
// whatever a kind makes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "analysis_fixture.h"
#include "data/score_database.h"
#include "reports/privacy.h"
#include "reports/report_catalog.h"

namespace reports {
namespace {

// The first and last characters stay, one star stands for the rest whatever
// its length; a compound surname stays whole.
TEST(PrivacyTest, NamesKeepFirstAndLastCharacter) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"张", "*"},      // keeping the one character would keep the name
      {"张三", "张*"},  // the examples families know
      {"张小三", "张*三"},
      {"张小三丰", "张*丰"},  // one star: the length is not told
      {"欧阳华", "欧阳*"},    // compound surname, one-character given name
      {"欧阳小华", "欧阳*华"},
      {"司马光", "司马*"},
      {"司马相如", "司马*如"},
      {"欧阳", "欧*"},  // two characters: a plain surname and given name
      {"Tom", "T*m"},   // not only Chinese names
      {"买买提·艾力", "买*力"},
  };
  for (const auto& [name, masked] : cases) EXPECT_EQ(MaskName(name), masked) << name;
}

TEST(PrivacyTest, StudentNumbersKeepTheirLastFourCharacters) {
  EXPECT_EQ(MaskStudentNumber("20230145"), "****0145");
  EXPECT_EQ(MaskStudentNumber("10145"), "*0145");
  EXPECT_EQ(MaskStudentNumber("0145"), "0145");  // nothing before the last four
  EXPECT_EQ(MaskStudentNumber(""), "");
}

TEST(PrivacyTest, RankHeadingsAreFoundByTheirWords) {
  for (const char* h : {"全科排名", "主科排名", "语文名次", "段名", "班名", "排名"})
    EXPECT_TRUE(IsRankHeading(h)) << h;
  // 名次段 counts students in rank bands per class: a ranking report, not a rank column.
  for (const char* h : {"姓名", "全科总分", "前50名", "名次段", "班级"})
    EXPECT_FALSE(IsRankHeading(h)) << h;
}

// Rows 1 .. n - 2 of `texts` (row 0 the headings, then one empty row) from column 1 on.
grid::ReportGrid GridOf(const std::vector<std::vector<std::string>>& texts) {
  grid::ReportGrid g(static_cast<int>(texts.size()) + 1, static_cast<int>(texts[0].size()) + 1);
  for (std::size_t r = 0; r < texts.size(); ++r)
    for (std::size_t c = 0; c < texts[r].size(); ++c)
      g.SetCellText(static_cast<int>(r), static_cast<int>(c) + 1, texts[r][c]);
  return g;
}

TEST(PrivacyTest, NoRankDeletesRankColumnsAndTheOrderByRank) {
  output::Document doc{.caption = "名单",
                       .title = "名单",
                       .grid = GridOf({{"学校", "学号", "姓名", "全科总分", "全科排名"},
                                       {"一中", "20230102", "王小丙", "245", "1"},
                                       {"一中", "20230101", "李乙", "220", "2"},
                                       {"一中", "3", "赵丁", "", ""}})};
  ApplyPrivacy(doc, {.mask_names = true, .no_rank = true}, false);
  const grid::ReportGrid& g = doc.grid;
  ASSERT_EQ(g.Cols(), 5);  // the row-header column and four: 全科排名 is gone
  for (int c = 1; c < g.Cols(); ++c) EXPECT_FALSE(IsRankHeading(g.CellText(0, c)));
  // Listed by rank before, by 学号 now (sorted before masking, as numbers:
  // 3 first); the trailing empty row stays last.
  const std::pair<const char*, const char*> expected[] = {
      {"3", "赵*"}, {"****0101", "李*"}, {"****0102", "王*丙"}, {"", ""}};
  for (int r = 1; r <= 4; ++r) {
    EXPECT_EQ(g.CellText(r, 2), expected[r - 1].first) << r;
    EXPECT_EQ(g.CellText(r, 3), expected[r - 1].second) << r;
  }
}

// A slip repeats its heading row before each student: those headings stay.
TEST(PrivacyTest, RepeatedHeadingRowsAreNotMasked) {
  output::Document doc{
      .caption = "成绩条",
      .title = "成绩条",
      .grid = GridOf(
          {{"学号", "姓名"}, {"20230101", "张三"}, {"学号", "姓名"}, {"20230102", "欧阳小华"}})};
  ApplyPrivacy(doc, {.mask_names = true}, false);
  EXPECT_EQ(doc.grid.CellText(2, 1), "学号");
  EXPECT_EQ(doc.grid.CellText(2, 2), "姓名");
  EXPECT_EQ(doc.grid.CellText(3, 2), "欧阳*华");
}

// Every kind, made as the menus and the CLI make it: with no-rank mode on,
// no rank column is left but in the ranking reports, which say they are
// internal; with masking on, no student's name is shown whole.
TEST(PrivacyTest, EveryKindHonoursNoRankAndMasking) {
  analysis_test::ExamDatabase exam;
  data::LoadStartupSettings(exam.state);
  exam.state.privacy = {.mask_names = true, .no_rank = true};
  common::NullProgress progress;
  ReportRun run{exam.state, progress, output::Date{std::chrono::year{2024} / 7 / 1}};
  const std::set<std::string> names = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛"};
  int made = 0;
  for (const ReportKind& kind : ReportCatalog()) {
    SCOPED_TRACE(kind.control_name);
    ReportChoices choices;
    if (PerSubjectInReportAll(kind)) choices.Add("subject", "数学");
    if (std::string(kind.control_name) == "mingdan") choices.Add("preset", "2");
    output::Document doc;
    try {
      MakeReport(kind, doc, run, choices);
    } catch (const ReportError&) {
      continue;  // a kind that needs choices the fallbacks do not give
    }
    ++made;
    const grid::ReportGrid& g = doc.grid;
    bool has_rank = false;
    for (int r = 0; r < g.Rows(); ++r)
      for (int c = 1; c < g.Cols(); ++c) {
        has_rank = has_rank || (r == 0 && IsRankHeading(g.CellText(r, c)));
        EXPECT_EQ(names.count(std::string(g.CellText(r, c))), 0u) << r << "," << c;
      }
    if (IsRankingReport(kind)) {
      EXPECT_NE(doc.title.find(kInternalUseNote), std::string::npos);
    } else {
      EXPECT_FALSE(has_rank);
    }
  }
  EXPECT_GE(made, 25);
}

}  // namespace
}  // namespace reports
