// How a built chart adapts to the room it is given: category labels (class
// names along the bottom) turn upright, then smaller, then go, rather than
// overlap; a trend's missing exam breaks its line.
#include <gtest/gtest.h>
#include <QBarCategoryAxis>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QLegendMarker>
#include <QLineSeries>
#include <cmath>

#include "charts/chart_builder.h"
#include "charts/chart_output.h"

namespace {

// `count` bars, each labelled like a county's class: "第一中学 高一(12)班".
reports::ChartData ClassBars(int count) {
  reports::ChartData data;
  data.shape = reports::ChartShape::kBars;
  data.series.push_back({"平均分", {}});
  for (int i = 0; i < count; ++i) {
    data.categories.push_back("第一中学 高一(" + std::to_string(i + 1) + ")班");
    data.series[0].values.push_back(60 + i % 30);
  }
  return data;
}

// The chart laid out at `width` × 600 as a picture is.
class LaidOut {
 public:
  LaidOut(const reports::ChartData& data, double width) : chart_(charts::BuildChart(data)) {
    scene_.addItem(chart_);
    chart_->setGeometry(QRectF(0, 0, width, 600));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  }
  QBarCategoryAxis* Categories() const {
    for (QAbstractAxis* axis : chart_->axes(Qt::Horizontal))
      if (auto* c = qobject_cast<QBarCategoryAxis*>(axis)) return c;
    return nullptr;
  }
  QChart* chart() const { return chart_; }

 private:
  QGraphicsScene scene_;
  QChart* chart_;
};

class ChartBuilderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { charts::EnsureChartApplication(); }
};

TEST_F(ChartBuilderTest, ClassLabelsTurnUprightThenSmallerThenGoRatherThanOverlap) {
  struct Case {
    int classes;
    double width;
    int angle;
    bool smaller, shown;
  } cases[] = {
      {5, 1600, 0, false, true},      // 300 pixels each: level
      {30, 1600, -90, false, true},   // a county school: upright, full size
      {60, 1600, -90, true, true},    // 25 pixels each: upright and smaller
      {300, 1600, -90, true, false},  // 5 pixels each: nothing readable fits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.classes);
    LaidOut laid(ClassBars(c.classes), c.width);
    QBarCategoryAxis* axis = laid.Categories();
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->labelsAngle(), c.angle);
    EXPECT_EQ(axis->labelsFont().pointSizeF() < 9, c.smaller);
    EXPECT_EQ(axis->labelsVisible(), c.shown);
  }
  // The same 30 classes in a narrow window: the face shrinks with the room.
  LaidOut narrow(ClassBars(30), 600);
  EXPECT_LT(narrow.Categories()->labelsFont().pointSizeF(), 9);
}

// A class that missed 期末: its line in two pieces, the grade's whole, and
// one legend entry each.
TEST_F(ChartBuilderTest, AMissingPointBreaksTheLineButNotTheLegend) {
  reports::ChartData data;
  data.shape = reports::ChartShape::kCategoryLine;
  data.categories = {"期中", "期末", "月考", "联考"};
  data.series.push_back({"一中 1", {150, NAN, 140, 145}});
  data.series.push_back({"年级", {151, 150, 149, 152}});
  LaidOut laid(data, 800);
  QStringList pieces, legend;
  for (QAbstractSeries* s : laid.chart()->series()) {
    pieces << s->name();
    for (QLegendMarker* m : laid.chart()->legend()->markers(s))
      if (m->isVisible()) legend << m->label();
  }
  EXPECT_EQ(pieces, (QStringList{"一中 1", "一中 1", "年级"}));
  EXPECT_EQ(legend, (QStringList{"一中 1", "年级"}));
}

}  // namespace
