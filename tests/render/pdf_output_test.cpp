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

TEST(PdfOutput, HiddenRowsAndColumnsAreNotPrinted) {
  grid::ReportGrid g = MakeReport(4, 6);
  g.SetCellText(2, 2, "隐藏行");
  g.SetRowHeight(2, 0);
  g.SetCellText(0, 4, "隐藏列");
  g.SetColWidth(4, 0);
  std::string text = PdfPages(RenderPdf(g, "hidden")).at(0);
  EXPECT_EQ(text.find("隐藏行"), std::string::npos);
  EXPECT_EQ(text.find("隐藏列"), std::string::npos);
  EXPECT_NE(text.find("科目5"), std::string::npos);
}

TEST(PdfOutput, MergedCellPrintsItsTextOnce) {
  grid::ReportGrid g = MakeReport(4, 6);
  for (int r = 1; r <= 3; ++r) g.SetCellText(r, 1, "合并学校");
  g.AddMerge({1, 1, 3, 1});
  std::string text = PdfPages(RenderPdf(g, "merged")).at(0);
  EXPECT_EQ(Count(text, "合并学校"), 1) << text;
}

TEST(PdfOutput, LandscapeTurnsThePaper) {
  grid::ReportGrid g = MakeReport(4, 6);
  EXPECT_EQ(render_test::PdfPageSize(RenderPdf(g, "portrait")).substr(0, 9), "595 x 842");
  g.PageSetup().orientation = grid::kLandscape;
  EXPECT_EQ(render_test::PdfPageSize(RenderPdf(g, "landscape")).substr(0, 9), "842 x 595");
}

TEST(PdfOutput, TitleOnFirstPageOnlyAndFixedRowNotPrinted) {
  grid::ReportGrid g = MakeReport(100, 6);
  g.ReportTitles().Item(0).print_on_all_pages = false;
  g.PageSetup().print_fixed_row = false;
  g.PageSetup().print_title_rows = 0;
  std::vector<std::string> pages = PdfPages(RenderPdf(g, "first_only"));
  ASSERT_GE(pages.size(), 2u);
  EXPECT_EQ(Count(pages[0], "各班语文统计表"), 1);
  EXPECT_EQ(Count(pages[1], "各班语文统计表"), 0);
  EXPECT_EQ(Count(pages[0] + pages[1], "科目5"), 0);
}

TEST(PdfOutput, UnwritablePathGivesAChineseMessage) {
  render::EnsureGuiApplication();
  grid::Status status = render::WritePdf(MakeReport(2, 3), "/nonexistent/dir/report.pdf");
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.message().find("无法写入文件"), std::string::npos);
}

}  // namespace
