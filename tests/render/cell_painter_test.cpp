// The screen entry point, checked by the colours it leaves on an image.
#include "render/cell_painter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>

#include "grid/content_fit.h"
#include "recording_device.h"
#include "render/print.h"

namespace {

QImage Paint(const grid::ReportGrid& g, const grid::CellRect& cells,
             const render::PaintOptions& options) {
  render::EnsureGuiApplication();
  QImage image(300, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  render::PaintCells(painter, g, cells, QPointF(0, 0), options);
  return image;
}

// Dark pixels in columns [x0, x1) of the image's first 20 rows.
int InkBetween(const QImage& image, int x0, int x1) {
  int ink = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = x0; x < x1; ++x) ink += image.pixelColor(x, y).lightness() < 128;
  return ink;
}

// The layouts widen columns to their texts; a column the user narrowed by
// hand still keeps its text to itself: drawn at its own size (a smaller type
// made ragged columns), cut at the cell's border, nothing in the neighbours.
TEST(PaintCells, TextWiderThanItsCellIsCutAtItsBorderNotShrunk) {
  grid::ReportGrid g(2, 4);
  g.SetColWidth(1, 64);
  g.SetColWidth(2, 38);
  g.SetColWidth(3, 64);
  render::PaintOptions options;
  options.gridlines = false;
  for (const char* text : {"149985.5", "12345678901234567890", "分130_150段"}) {
    SCOPED_TRACE(text);
    g.SetCellText(0, 2, text);
    QImage image = Paint(g, {0, 1, 0, 3}, options);
    EXPECT_EQ(InkBetween(image, 0, 64), 0);
    EXPECT_GT(InkBetween(image, 64, 102), 10);
    EXPECT_EQ(InkBetween(image, 102, 166), 0);

    render_test::RecordingDevice device(300, 200, 96);
    QPainter painter(&device);
    render::PaintCells(painter, g, {0, 1, 0, 3}, QPointF(0, 0), options);
    painter.end();
    ASSERT_EQ(device.engine().texts.size(), 1u);
    EXPECT_DOUBLE_EQ(device.engine().texts[0].point_size, 9);
    EXPECT_TRUE(device.engine().texts[0].clipped);
  }
  // Widened to fit, the same text is drawn whole.
  g.SetCellText(0, 2, "149985.5");
  grid::WidenToFit(g);
  render_test::RecordingDevice device(300, 200, 96);
  QPainter painter(&device);
  render::PaintCells(painter, g, {0, 2, 0, 2}, QPointF(0, 0), options);
  painter.end();
  ASSERT_EQ(device.engine().texts.size(), 1u);
  EXPECT_FALSE(device.engine().texts[0].clipped);
}

}  // namespace

// The darkest pixel of a small box: a gridline or a glyph leaves one.
int DarkestIn(const QImage& image, int x0, int y0, int x1, int y1) {
  int darkest = 255;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) darkest = std::min(darkest, image.pixelColor(x, y).lightness());
  return darkest;
}

// 4 x 4 cells of 64 x 20 px (the row-header column widened to match), cells (1,1)..(2,2) merged.
// The cells' segments are joined into whole lines: 5 across and 5 down, but the line between rows 1
// and 2 and the one between columns 1 and 2 stop at the merge, each leaving a piece on either side
// of it: 12 lines, and none inside the merge.
TEST(PaintCells, GridlinesAreJoinedIntoLinesThatStopAtMerges) {
  grid::ReportGrid g(4, 4);
  g.SetColWidth(0, 64);
  g.AddMerge({1, 1, 2, 2});
  render::PaintOptions options;
  options.gridline_color = Qt::black;
  render_test::RecordingDevice device(300, 200, 96);
  QPainter painter(&device);
  render::PaintCells(painter, g, {0, 0, 3, 3}, QPointF(0, 0), options);
  painter.end();
  EXPECT_EQ(device.engine().lines, 12);

  const QImage image = Paint(g, {0, 0, 3, 3}, options);
  EXPECT_GT(DarkestIn(image, 124, 45, 132, 55), 200)
      << "no line between columns 1 and 2 in the merge";
  EXPECT_GT(DarkestIn(image, 70, 36, 120, 44), 200) << "nor between rows 1 and 2";
  EXPECT_LT(DarkestIn(image, 60, 45, 68, 55), 100) << "the merge's left edge";
  EXPECT_LT(DarkestIn(image, 124, 5, 132, 15), 100) << "columns 1 and 2 apart above it";
  EXPECT_LT(DarkestIn(image, 200, 36, 240, 44), 100) << "rows 1 and 2 apart beside it";
}

// With a cache the texts of a band are drawn together, a run per font and
// colour: each keeps its own colour.
TEST(PaintCells, TextsDrawnTogetherKeepTheirColours) {
  grid::ReportGrid g(2, 4);
  g.SetColWidth(0, 64);
  g.SetCellText(0, 1, "88");
  g.SetCellText(0, 2, "88");
  g.ModifyStyles({0, 1, 0, 1}, [](grid::CellStyle& s) { s.fore_color = 0xFF0000; });
  render::PaintCache cache;
  render::PaintOptions options;
  options.gridlines = false;
  options.cache = &cache;
  const QImage image = Paint(g, {0, 0, 0, 3}, options);
  auto reddest = [&](int x0, int x1) {
    int most = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = x0; x < x1; ++x) {
        const QColor c = image.pixelColor(x, y);
        most = std::max(most, c.red() - c.green());
      }
    return most;
  };
  EXPECT_GT(reddest(64, 128), 100) << "the red figures";
  EXPECT_LT(reddest(128, 192), 20) << "the black ones";
}

// With a cache, texts are laid out once and drawn from their glyphs; each
// must land exactly where drawText puts it without one, pixel for pixel:
// wrapped over lines (a letter's greeting), aligned every way, mixing a
// Latin and a CJK face, and too tall for its cell (left to drawText).
TEST(PaintCells, TextsFromTheCacheLandWhereDrawTextPutsThem) {
  const struct {
    const char* text;
    int alignment;  // 5 + 4 * horizontal + vertical
    bool wrap;
    int height;
  } cases[] = {
      {"尊敬的欧阳小明同学家长：您好！现将欧阳小明同学在“高一期中考试”中的成绩告知如下。", 6, true,
       48},
      {"说明：A 达到优秀线，B 达到优良线；“本班”各列只是人数。", 14, true, 48},
      {"说明：A 达到优秀线，B 达到优良线；“本班”各列只是人数。", 10, true, 48},
      {"说明：A 达到优秀线，B 达到优良线；“本班”各列只是人数。", 7, true, 60},
      {"说明：A 达到优秀线，B 达到优良线；“本班”各列只是人数。", 13, true, 60},
      {"XX县XX中学　2026-12-06", 14, true, 24},
      {"全科总分 486.5", 10, false, 24},
      {"尊敬的欧阳小明同学家长：您好！现将欧阳小明同学的成绩告知如下，仅供您了解。", 6, true, 18},
  };
  render::EnsureGuiApplication();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " at " + std::to_string(c.alignment));
    grid::ReportGrid g(2, 2);
    g.SetColWidth(0, 0);
    g.SetColWidth(1, 160);
    g.SetRowHeight(0, c.height);
    g.SetCellText(0, 1, c.text);
    g.ModifyStyles({0, 1, 0, 1}, [&c](grid::CellStyle& s) {
      s.alignment = c.alignment;
      s.wrap_text = c.wrap;
      s.font_size = 11;
    });
    auto paint = [&g](render::PaintCache* cache) {
      QImage image(400, 200, QImage::Format_RGB32);
      image.fill(Qt::white);
      QPainter painter(&image);
      render::PaintOptions options;
      options.scale = 2;
      options.cache = cache;
      render::PaintCells(painter, g, {0, 1, 0, 1}, QPointF(10, 10), options);
      return image;
    };
    render::PaintCache cache;
    const QImage drawn = paint(nullptr);
    EXPECT_EQ(paint(&cache), drawn) << "laid out afresh";
    EXPECT_EQ(paint(&cache), drawn) << "from the cache";
    QImage blank(drawn.size(), drawn.format());
    blank.fill(Qt::white);
    EXPECT_NE(drawn, blank) << "the text is drawn at all";
  }
}
