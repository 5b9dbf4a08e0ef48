// Every chart kind drawn offscreen as the user gets it: a PNG with something
// on it, an SVG whose texts are the title and the axes', and a PDF page
// with the report's title lines and footer around the chart.
#include <gtest/gtest.h>
#include <QImage>
#include <QSet>

#include "../pdf_text.h"
#include "../shell_run.h"
#include "../stats/analysis_exam.h"
#include "charts/chart_output.h"
#include "data/score_database.h"
#include "reports/chart_catalog.h"

namespace {

using test_support::PdfText;

class ChartOutputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { charts::EnsureChartApplication(); }

  ChartOutputTest() { data::LoadSystemSettings(db.state); }

  reports::ChartData Make(const reports::ChartKind& kind, const std::string& subject) {
    reports::ReportRun run{db.state, progress, output::Today()};
    reports::ReportChoices choices(kind.options);
    // The trend follows a student instead: 101 through a library of one exam.
    if (std::string_view(kind.control_name) == "qst")
      choices.Add("student", "101");
    else
      choices.Add("subject", subject);
    return kind.make(run, choices);
  }
  std::string PathOf(const std::string& name) const {
    return std::filesystem::path(db.state.database_path).parent_path() / name;
  }

  analysis_test::ExamDatabase db;
  common::NullProgress progress;
};

TEST_F(ChartOutputTest, EveryKindAsPictureSvgAndPdf) {
  for (const reports::ChartKind& kind : reports::ChartCatalog()) {
    SCOPED_TRACE(kind.control_name);
    const reports::ChartData chart = Make(kind, "语文");
    const grid::ReportGrid page =
        charts::ChartPage(chart, db.state.title_settings, output::Today());
    const std::string base = PathOf(kind.control_name);

    ASSERT_TRUE(charts::WriteChart(chart, page, base + ".png", QSize(800, 500)).ok());
    const QImage png(QString::fromStdString(base + ".png"));
    EXPECT_EQ(png.size(), QSize(800, 500));
    // Bars, boxes or a curve in several shades on white, not an empty frame.
    QSet<QRgb> colours;
    int inked = 0;
    for (int y = 0; y < png.height(); y += 2)
      for (int x = 0; x < png.width(); x += 2) {
        colours.insert(png.pixel(x, y));
        if (qGray(png.pixel(x, y)) < 128) ++inked;
      }
    EXPECT_GT(colours.size(), 8);
    EXPECT_GT(inked, 500);

    ASSERT_TRUE(charts::WriteChart(chart, page, base + ".svg").ok());
    const std::string svg = test_support::ReadFileBytes(base + ".svg");
    EXPECT_NE(svg.find(chart.title), std::string::npos);
    EXPECT_NE(svg.find(chart.x_title), std::string::npos);
    EXPECT_NE(svg.find(chart.y_title), std::string::npos);
    if (!chart.notice.empty()) {
      EXPECT_NE(svg.find(chart.notice), std::string::npos);
    }

    ASSERT_TRUE(charts::WriteChart(chart, page, base + ".pdf").ok());
    const std::string text = PdfText(base + ".pdf");
    // The title once, on the page's title line rather than in the chart too.
    EXPECT_EQ(text.find(chart.title), text.rfind(chart.title)) << text;
    EXPECT_NE(text.find(chart.title), std::string::npos) << text;
    EXPECT_NE(text.find("某县一中"), std::string::npos) << "the left subtitle";
    EXPECT_NE(text.find("共1页"), std::string::npos) << "the footer";
    EXPECT_NE(text.find(chart.x_title), std::string::npos);
  }
}

TEST_F(ChartOutputTest, LegendsNameTheLinesAndTheSchools) {
  reports::ReportRun run{db.state, progress, output::Today()};
  reports::ReportChoices choices(reports::FindChartKind("fsd")->options);
  choices.Add("subject", "语文");
  choices.Add("by-school", "");
  const reports::ChartData chart = reports::FindChartKind("fsd")->make(run, choices);
  const grid::ReportGrid page = charts::ChartPage(chart, db.state.title_settings, output::Today());
  ASSERT_TRUE(charts::WriteChart(chart, page, PathOf("legend.svg")).ok());
  const std::string svg = test_support::ReadFileBytes(PathOf("legend.svg"));
  for (const char* text : {"一中", "二中", "优秀线 85", "及格线 60", "80-100"})
    EXPECT_NE(svg.find(text), std::string::npos) << text;
}

TEST_F(ChartOutputTest, RefusesWhatItCannotWrite) {
  const reports::ChartData chart = Make(*reports::FindChartKind("xxt"), "语文");
  const grid::ReportGrid page = charts::ChartPage(chart, db.state.title_settings, output::Today());
  EXPECT_EQ(charts::WriteChart(chart, page, PathOf("x.gif")).message(),
            "不支持的图表文件格式“.gif”：请用 .png、.svg 或 .pdf。");
  EXPECT_FALSE(charts::WriteChart(chart, page, PathOf("x.png"), QSize(20, 20)).ok());
  EXPECT_FALSE(charts::WriteChart(chart, page, "/nonexistent/dir/x.svg").ok());
  EXPECT_FALSE(charts::PngBytes(chart).isEmpty());
}

}  // namespace
