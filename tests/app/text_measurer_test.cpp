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

}  // namespace
}  // namespace app_test
