// The printed report as a reader of the PDF sees it.
#include <gtest/gtest.h>

#include <regex>

#include "render/print.h"
#include "report_fixture.h"

namespace {

using render_test::Count;
using render_test::MakeReport;
using render_test::PdfPages;
using render_test::RenderPdf;

// 100 data rows of 20 px under a 32 px header and two title lines leave 44
// rows a page on A4 portrait with 2 cm top and bottom margins.
TEST(PdfOutput, LongReportRepeatsTitlesHeaderAndNumbersItsPages) {
  grid::ReportGrid g = MakeReport(100, 6);
  std::string pdf = RenderPdf(g, "long_report");
  std::vector<std::string> pages = PdfPages(pdf);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(render::PageCount(g), 3);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE("page " + std::to_string(i + 1));
    EXPECT_EQ(Count(pages[i], "各班语文统计表"), 1);
    EXPECT_EQ(Count(pages[i], "2024年6月"), 1);
    EXPECT_EQ(Count(pages[i], "学校"), 1);
    EXPECT_EQ(Count(pages[i], "科目5"), 1);
  }
  // pdftotext -layout rebuilds spaces from gaps, so the double space of
  // "共&n页  第&p页" may come back as one.
  EXPECT_TRUE(std::regex_search(pages[1], std::regex("共3页 +第2页"))) << pages[1];
  EXPECT_NE(pages[0].find("班44 "), std::string::npos);
  EXPECT_EQ(pages[0].find("班45 "), std::string::npos);
  EXPECT_NE(pages[1].find("班45 "), std::string::npos);
  EXPECT_NE(pages[2].find("班100 "), std::string::npos);
}

TEST(PdfOutput, ChineseTextExtractsAsIdeographsNotRadicals) {
  grid::ReportGrid g = MakeReport(2, 4);
  g.SetCellText(1, 1, "一中文页目");
  std::string text = PdfPages(RenderPdf(g, "ideographs")).at(0);
  EXPECT_NE(text.find("一中文页目"), std::string::npos) << text;
}

TEST(PdfOutput, WideGridContinuesOnFurtherPagesWithRowHeaders) {
  // 39 columns of 64 px; 718 px between the margins less the 40 px row
  // header column leave 10 a page.
  grid::ReportGrid g = MakeReport(5, 40);
  g.PageSetup().print_fixed_column = true;
  std::vector<std::string> pages = PdfPages(RenderPdf(g, "wide"));
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_NE(pages[0].find("科目3 "), std::string::npos);
  EXPECT_EQ(pages[0].find("科目39"), std::string::npos);
  EXPECT_NE(pages[3].find("科目39"), std::string::npos);
  for (const std::string& page : pages) EXPECT_NE(page.find(" 5 "), std::string::npos) << page;
}

}  // namespace
