// The desktop's text widths: whatever shortcuts the measurer takes (fonts
// made once, digit strings by their length), each width is the one
// QFontMetrics gives, so columns fitted on screen are as wide as before.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <string>

#include "app/qt_clipboard.h"
#include "app/qt_convert.h"
#include "grid/content_fit.h"
#include "grid/report_grid.h"

namespace app_test {
namespace {

int Reference(const std::string& text, const grid::Font& font) {
  const QFontMetrics metrics(app::QtFontOf(font));
  int widest = 0;
  for (const QString& line : app::Qs(text).split(QLatin1Char('\n')))
    widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

grid::Font FontOf(const char* name, double size, bool bold) {
  grid::Font font;
  font.name = name;
  font.size = size;
  font.bold = bold;
  return font;
}

TEST(QtTextMeasurerTest, EveryWidthIsTheFontMetricsOne) {
  // 宋体 maps to a face whose digits differ in width, Arial to one whose
  // digits are all alike: both paths of the measurer are taken.
  const grid::Font fonts[] = {FontOf("宋体", 9, false), FontOf("Arial", 10, false),
                              FontOf("Arial", 12, true), FontOf("宋体", 14, true)};
  const char* texts[] = {
      "7",          "11",       "2024000123", "0000000000000000000000",  // digits alone
      "111.1",      "-5",       "1e3",        "12 34",                   // digits and others
      "学生12",     "张三",     "率%",        "Ⅲ班",                     // wide characters
      "一\n二二二", "22\n4444", "\n",         "",                        // lines, nothing
  };
  app::QtTextMeasurer measurer;
  for (const grid::Font& font : fonts) {
    for (const char* text : texts) {
      SCOPED_TRACE(font.name + " " + std::to_string(font.size) + " [" + text + "]");
      // Asked twice: the second answer comes from what the first one kept.
      EXPECT_EQ(measurer.TextWidth(text, font), Reference(text, font));
      EXPECT_EQ(measurer.TextWidth(text, font), Reference(text, font));
    }
  }
}

// A column is fitted to its widest display text; a width the report set is
// kept when it is wider.
TEST(QtTextMeasurerTest, ColumnsFitTheWidestTextAndKeepWiderSetWidths) {
  grid::ReportGrid g(1, 4);
  g.SetMeasurer(std::make_shared<app::QtTextMeasurer>());
  g.SetDefaultFont(FontOf("Arial", 10, false));
  g.SetColFormat(2, "0.00");
  g.SetColWidth(2, 10);
  g.SetColWidth(3, 400);
  for (int i = 0; i < 300; ++i) {
    const std::string id = std::to_string(20240000 + i * 37);
    g.AddItem("\t" + id + "\t" + std::to_string(i % 7 * 10.5) + "\t" + std::to_string(i));
  }
  g.SetCellText(150, 1, "2024000011111");  // the one longer id
  g.SetCellText(9, 2, "149.5");            // shown as 149.50
  grid::WidenToFit(g);
  const grid::Font font = g.DefaultFont();
  EXPECT_EQ(g.ColWidth(1), Reference("2024000011111", font) + grid::kFitPaddingX);
  EXPECT_EQ(g.ColWidth(2), Reference("149.50", font) + grid::kFitPaddingX);
  EXPECT_EQ(g.ColWidth(3), 400);
}

}  // namespace
}  // namespace app_test
