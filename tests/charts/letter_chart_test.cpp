// The parent letters' trend chart on paper: the letters of the three-exam
// library of tests/stats/two_exams.h written to PDF with the chart overlay,
// and one letter page painted with and without it.
#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <thread>

#include "../pdf_text.h"
#include "../scratch_dir.h"
#include "../stats/two_exams.h"
#include "charts/chart_output.h"
#include "charts/trend_line.h"
#include "render/strip_layout.h"
#include "reports/letter_trend.h"

namespace {

const std::vector<std::string> kEveryName = {"张三", "李四", "王五", "赵六", "陈七", "孙二",
                                             "周八", "吴九", "刘一", "钱三", "郑十"};

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class LetterChartTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { charts::EnsureChartApplication(); }
  LetterChartTest() {
    EXPECT_TRUE(exams.Import(two_exams::Monthly(), "月考").ok);
    const reports::ReportKind* kind = reports::FindReportKind("grbg");
    common::NullProgress quiet;
    reports::ReportRun run{exams.state, quiet, output::Date{std::chrono::year{2024} / 7 / 1}};
    reports::MakeReport(*kind, letters, run, reports::ReportChoices(kind->options));
  }
  two_exams::TwoExams exams;
  output::Document letters;
};

// One page per student; the chart adds the exams' marks along its axis (so
// each shows twice on the page) and nothing of any other student.
TEST_F(LetterChartTest, EachPageHoldsItsOwnLetterAndChart) {
  const test_support::ScratchDir dir("scorestat_letter_chart");
  const std::string path = (dir.path() / "letters.pdf").string();
  ASSERT_TRUE(
      render::WriteReportPdf(letters.grid, letters.strips, path, {}, charts::PaintStripFigures));
  const std::vector<std::string> owners = {"张三", "李四", "孙二", "吴九"};
  const std::vector<std::string> pages = test_support::PdfPages(path);
  ASSERT_EQ(pages.size(), owners.size()) << "a page per student";
  for (std::size_t page = 0; page < pages.size(); ++page) {
    const std::string& text = pages[page];
    const std::string& owner = owners[page];
    EXPECT_NE(text.find(owner), std::string::npos) << page;
    for (const std::string& name : kEveryName) {
      if (name == owner) continue;
      EXPECT_EQ(text.find(name), std::string::npos) << owner << " " << name;
    }
    EXPECT_EQ(Count(text, "期末"), 1u) << owner;
    for (const char* mark : {"①", "②", "③"})
      EXPECT_EQ(Count(text, mark), 2u) << owner << ": the table's row and the axis";
  }
}

// The chart is drawn inside the cells the table leaves it and nowhere else.
TEST_F(LetterChartTest, TheChartStaysInsideItsCells) {
  const auto pages = render::LayOutStrips(letters.grid, letters.strips);
  const auto paint = [&](const render::StripOverlay& overlay) {
    QImage image(794, 1123, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    render::PaintStripPage(painter, letters.grid, letters.strips, pages, 0, 1.0, nullptr, overlay);
    return image;
  };
  QRectF area;
  const QImage plain = paint(nullptr);
  const QImage charted = paint([&](QPainter& p, const grid::ReportGrid& g, const grid::Strip& strip,
                                   const render::CellArea& cells, double scale) {
    if (const auto figure = reports::FindTrendFigure(g, strip)) area = cells(figure->area);
    charts::PaintStripFigures(p, g, strip, cells, scale);
  });
  ASSERT_FALSE(area.isEmpty());
  // Beside the table's four columns, as tall as its four rows (168 pixels
  // at the least: 42 each).
  EXPECT_NEAR(area.height(), 168, 1);
  int changed = 0, outside = 0;
  for (int y = 0; y < plain.height(); ++y)
    for (int x = 0; x < plain.width(); ++x) {
      if (plain.pixel(x, y) == charted.pixel(x, y)) continue;
      ++changed;
      if (!area.adjusted(-1, -1, 1, 1).contains(QPointF(x, y))) ++outside;
    }
  EXPECT_GT(changed, 500) << "a line, axes and labels";
  EXPECT_EQ(outside, 0);
}

// A missed exam breaks the line, and the line can be drawn on any thread
// (the pack paints its classes on every core).
TEST(TrendLine, AMissedExamBreaksTheLineOnAnyThread) {
  charts::EnsureChartApplication();
  const auto paint = [](double middle) {
    reports::ChartData data;
    data.shape = reports::ChartShape::kCategoryLine;
    data.whole_numbers = true;
    data.categories = {"①", "②", "③"};
    data.series.push_back({"全科总分", {500, middle, 600}});
    QImage image(300, 120, QImage::Format_RGB32);
    std::thread([&] {
      image.fill(Qt::white);
      QPainter painter(&image);
      charts::PaintTrendLine(painter, QRectF(0, 0, 300, 120), data, 1.0);
    }).join();
    // The line's blue between the first and the last dot, round the middle.
    int blue = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 140; x <= 160; ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.blue() > c.red() + 40) ++blue;
      }
    return blue;
  };
  EXPECT_GT(paint(550), 0);
  EXPECT_EQ(paint(std::nan("")), 0);
}

}  // namespace
