// The trend on the parent letters (grbg) through the catalog, on the three
// hand-worked exams of tests/stats/two_exams.h (期中, 期末, then 月考
// current): 吴九 missed 期末 and changed class, 孙二's 学号 is twice in 期末.
// 总评 by 全科排名 among the exam's students: ≤ 15 % A, ≤ 50 % B, ≤ 85 % C.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <optional>

#include "../scratch_dir.h"
#include "../stats/two_exams.h"
#include "analysis_fixture.h"
#include "data/score_database.h"
#include "reports/class_pack.h"
#include "reports/letter_trend.h"
#include "settings/stored_settings.h"

namespace reports {
namespace {

using analysis_test::Cells;
using analysis_test::RowOf;

const std::vector<std::string> kEveryName = {"张三", "李四", "王五", "赵六", "陈七", "孙二",
                                             "周八", "吴九", "刘一", "钱三", "郑十"};

// The letters with --trend as given: "" for the bare option, 否 for --no-trend.
output::Document Letters(data::AppState& state, std::optional<std::string> trend = {}) {
  const ReportKind* kind = FindReportKind("grbg");
  ReportChoices choices(kind->options);
  if (trend) choices.Add("trend", *trend);
  common::NullProgress quiet;
  ReportRun run{state, quiet, output::Date{std::chrono::year{2024} / 7 / 1}};
  output::Document doc;
  MakeReport(*kind, doc, run, choices);
  return doc;
}

// The trend table's rows of one letter, its heading first; empty without one.
std::vector<Cells> TrendTable(const output::Document& doc, std::size_t letter) {
  const grid::Strip& strip = doc.strips.at(letter);
  std::vector<Cells> rows;
  for (int r = strip.first_row; r < strip.first_row + strip.rows; ++r) {
    const Cells cells = RowOf(doc.grid, r);
    if (!rows.empty() && cells[0].rfind("说明", 0) == 0) break;
    if (!rows.empty() || (cells[0] == "考试" && cells[2] == "全科总分"))
      rows.push_back({cells[0], cells[2], cells[3]});
  }
  return rows;
}

bool AnyTrend(const output::Document& doc) {
  for (const grid::Strip& strip : doc.strips)
    if (FindTrendFigure(doc.grid, strip)) return true;
  return false;
}

class LetterTrendTest : public ::testing::Test {
 protected:
  LetterTrendTest() { EXPECT_TRUE(exams.Import(two_exams::Monthly(), "月考").ok); }
  two_exams::TwoExams exams;
};

// Each letter's trend is its own student's 全科总分 and 总评 in each exam
// and nothing of anyone else: no other name anywhere on the page.
TEST_F(LetterTrendTest, EachLetterHoldsOnlyItsOwnStudentsHistory) {
  const output::Document doc = Letters(exams.state);
  ASSERT_EQ(doc.strips.size(), 4u);
  const std::vector<std::vector<Cells>> expected = {
      // 张三: 3rd of 9, 5th of 11, 2nd of 4 (tied with 李四): B in each.
      {{"考试", "全科总分", "总评"},
       {"① 期中", "180", "B"},
       {"② 期末", "160", "B"},
       {"③ 月考", "170", "B"}},
      // 李四: 5th of 9 is 56 %, C; 1st of 11 is 9 %, A.
      {{"考试", "全科总分", "总评"},
       {"① 期中", "150", "C"},
       {"② 期末", "185", "A"},
       {"③ 月考", "170", "B"}},
      // 孙二 is found in 期末 by 学校 + 姓名 (104 is twice there); 1st of 4
      // is 25 %, B.
      {{"考试", "全科总分", "总评"},
       {"① 期中", "200", "A"},
       {"② 期末", "170", "B"},
       {"③ 月考", "190", "B"}},
      // 吴九 left before 期末 and came back in 二中 4: a gap, not a 0.
      {{"考试", "全科总分", "总评"},
       {"① 期中", "90", "D"},
       {"② 期末", "未参加", "—"},
       {"③ 月考", "120", "D"}},
  };
  const std::vector<std::string> owners = {"张三", "李四", "孙二", "吴九"};
  for (std::size_t k = 0; k < doc.strips.size(); ++k) {
    EXPECT_EQ(TrendTable(doc, k), expected[k]) << owners[k];
    const grid::Strip& strip = doc.strips[k];
    for (int r = strip.first_row; r < strip.first_row + strip.rows; ++r)
      for (const std::string& text : RowOf(doc.grid, r))
        for (const std::string& name : kEveryName)
          if (name != owners[k]) {
            EXPECT_EQ(text.find(name), std::string::npos) << owners[k];
          }
  }
}

// The chart draws what the table says, over the cells the table leaves it,
// with the missing exam as a gap.
TEST_F(LetterTrendTest, TheChartIsReadFromTheLettersOwnTable) {
  const output::Document doc = Letters(exams.state);
  const std::optional<TrendFigure> figure = FindTrendFigure(doc.grid, doc.strips[3]);
  ASSERT_TRUE(figure);
  // The exams are marked ①, ②, ③ on the axis as in the table.
  EXPECT_EQ(figure->chart.categories, (std::vector<std::string>{"①", "②", "③"}));
  ASSERT_EQ(figure->chart.series.size(), 1u);
  const std::vector<double>& totals = figure->chart.series[0].values;
  ASSERT_EQ(totals.size(), 3u);
  EXPECT_EQ(totals[0], 90);
  EXPECT_TRUE(std::isnan(totals[1]));
  EXPECT_EQ(totals[2], 120);
  // Beside the table's four columns, over its heading and its three exams,
  // inside the letter.
  const grid::Strip& strip = doc.strips[3];
  EXPECT_EQ(figure->area.first_col, 5);
  EXPECT_EQ(figure->area.last_col, 7);
  EXPECT_EQ(figure->area.last_row - figure->area.first_row, 3);
  EXPECT_GE(figure->area.first_row, strip.first_row);
  EXPECT_LT(figure->area.last_row, strip.first_row + strip.rows);
}

// In no-rank mode the letters show no rank, the trend included: 总评 stands
// where a rank would. (The letter's note says 不公布名次 and nothing else
// may name one.)
TEST_F(LetterTrendTest, NoRankModeShowsNoRankAnywhere) {
  exams.state.privacy.no_rank = true;
  const output::Document doc = Letters(exams.state);
  ASSERT_TRUE(AnyTrend(doc));
  for (int r = 0; r < doc.grid.Rows(); ++r)
    for (const std::string& text : RowOf(doc.grid, r)) {
      EXPECT_EQ(text.find("排名"), std::string::npos) << text;
      if (text.rfind("说明", 0) != 0) {
        EXPECT_EQ(text.find("名次"), std::string::npos) << text;
      }
    }
}

// --no-trend and the stored 告知书不画趋势 leave it out; --trend wins over
// the stored setting for one run.
TEST_F(LetterTrendTest, TheOptionAndTheStoredSettingTurnItOff) {
  EXPECT_FALSE(AnyTrend(Letters(exams.state, "否")));
  {
    engine::Database db = exams.Open();
    settings::StoreNumberSetting(db, "告知书不画趋势", "1");
    data::LoadPrivacySettings(db, exams.state.privacy);
  }
  EXPECT_FALSE(AnyTrend(Letters(exams.state)));
  EXPECT_TRUE(AnyTrend(Letters(exams.state, "")));
}

// A trend needs two exams: one exam has none, even when asked for; two
// exams of which only one holds these students have none by default, and
// --trend shows the empty earlier exam as not sat.
TEST(LetterTrendLibraryTest, NoTrendWithoutTwoExamsOfTheseStudents) {
  analysis_test::ExamDatabase one(two_exams::Midterm(), "期中");
  const output::Document lone = Letters(one.state, "");
  EXPECT_EQ(lone.strips.size(), 9u);
  EXPECT_FALSE(AnyTrend(lone));
  EXPECT_TRUE(TrendTable(lone, 0).empty());

  analysis_test::ExamRows newcomers = two_exams::Midterm();
  newcomers.scores = {{"学校", "学号", "班级", "姓名", "语文", "数学"},
                      {"一中", "901", "1", "新甲", "80", "80"},
                      {"一中", "902", "1", "新乙", "70", "60"}};
  ASSERT_TRUE(one.Import(newcomers, "新生").ok);  // 新甲 1st of 2 is 50 %: B
  EXPECT_FALSE(AnyTrend(Letters(one.state)));
  const output::Document asked = Letters(one.state, "");
  EXPECT_EQ(TrendTable(asked, 0),
            (std::vector<Cells>{
                {"考试", "全科总分", "总评"}, {"① 期中", "未参加", "—"}, {"② 新生", "160", "B"}}));
}

// The pack's letters carry the trend too; its charts can be drawn on the
// calling (GUI) thread only, so then every PDF is written there.
TEST_F(LetterTrendTest, ThePacksLettersCarryIt) {
  data::LoadStartupSettings(exams.state);
  const test_support::ScratchDir scratch("scorestat_pack_trend");
  std::atomic<std::size_t> letters_with_trend = 0;  // the classes are written on every core
  const PdfWriter pdf = [&](std::span<const PdfJob> jobs) {
    for (const PdfJob& job : jobs)
      if (job.path.ends_with("家长告知书.pdf") && AnyTrend(*job.doc)) ++letters_with_trend;
    return grid::Status::Ok();
  };
  common::NullProgress quiet;
  const PackResult result = WriteClassPacks(exams.state, (scratch.path() / "pack").string(), pdf,
                                            quiet, output::Date{std::chrono::year{2024} / 7 / 1});
  EXPECT_EQ(result.classes, 3);  // 一中 1, 一中 2, 二中 4
  EXPECT_EQ(letters_with_trend, 3u);
}

}  // namespace
}  // namespace reports
