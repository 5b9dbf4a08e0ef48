#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>

#include "../scratch_dir.h"
#include "../shell_run.h"
#include "grid/export.h"

namespace grid {
namespace {

namespace fs = std::filesystem;

// One member of a zip archive as text; empty when it is missing.
std::string ZipEntry(const std::string& path, const char* name) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (!archive) return {};
  std::string text;
  zip_stat_t st;
  if (zip_stat(archive, name, 0, &st) == 0) {
    if (zip_file_t* f = zip_fopen(archive, name, 0)) {
      text.resize(st.size);
      zip_fread(f, text.data(), st.size);
      zip_fclose(f);
    }
  }
  zip_close(archive);
  return text;
}

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_.SetDisplayRowIndex(true);
    g_.SetCellText(0, 1, "姓名");
    g_.SetCellText(0, 2, "语文");
    g_.SetCellText(0, 3, "备注");
    g_.SetCellText(0, 4, "隐藏");
    g_.AddItem("\t张三\t85.456\t<script>alert(1)</script>\th");
    g_.AddItem("\t李四\t缺考\ta,\"b\"\nc\th");
    g_.AddItem("\t王五\t1234.5\t合并\th");
    g_.AddItem("");
    g_.Column(2).SetFormatString("##,##0.00");
    g_.SetColWidth(4, 0);
    g_.SetRowHeight(2, 0);
    g_.Range(3, 2, 4, 3).Merge();
    g_.Range(0, 1, 0, 3).SetFontBold(true);
    g_.Range(1, 1, 3, 3).SetBorders(kEdgeDiagonalDown, kLineThin);
    g_.ReportTitles().Add("期中考试成绩表", "宋体", 14);
    g_.ReportTitles().Add("一中||2024-06-01", "Arial", 10);
    g_.PageSetup().orientation = kLandscape;
    g_.PageSetup().footer.text = "共&n页  第&p页";
    g_.PageSetup().print_title_rows = 1;
  }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  test_support::ScratchDir scratch_{"scorestat_grid_export"};
  const fs::path dir_ = scratch_.path();
  ReportGrid g_{1, 5};
};

TEST_F(ExportTest, XlsxHoldsNumbersMergesFormatsAndPageSetup) {
  const std::string path = PathOf("r.xlsx");
  Status s = ExportToExcel(g_, path);
  ASSERT_TRUE(s) << s.message();
  pugi::xml_document sheet, styles, strings;
  ASSERT_TRUE(sheet.load_string(ZipEntry(path, "xl/worksheets/sheet1.xml").c_str()));
  ASSERT_TRUE(styles.load_string(ZipEntry(path, "xl/styles.xml").c_str()));
  ASSERT_TRUE(strings.load_string(ZipEntry(path, "xl/sharedStrings.xml").c_str()));

  // Two title rows, then the header: grid row 1 is sheet row 4, grid column 1
  // sheet column A (the row-header column is not printed).
  auto cell = [&](const char* ref) {
    return sheet.select_node((std::string("//c[@r='") + ref + "']").c_str()).node();
  };
  pugi::xml_node score = cell("B4");
  ASSERT_TRUE(score);
  EXPECT_STREQ(score.attribute("t").value(), "");  // a number, not a text
  EXPECT_STREQ(score.child_value("v"), "85.456");
  EXPECT_STREQ(cell("B5").attribute("t").value(), "s");  // 缺考 stays text
  EXPECT_STREQ(cell("A3").attribute("t").value(), "s");  // headers stay text

  // The number's style carries the column's display format.
  int xf_index = score.attribute("s").as_int();
  auto xfs = styles.select_nodes("//cellXfs/xf");
  ASSERT_LT(static_cast<std::size_t>(xf_index), xfs.size());
  int num_fmt_id = xfs[static_cast<std::size_t>(xf_index)].node().attribute("numFmtId").as_int();
  auto fmt =
      styles.select_node(("//numFmt[@numFmtId='" + std::to_string(num_fmt_id) + "']").c_str());
  ASSERT_TRUE(fmt);
  EXPECT_STREQ(fmt.node().attribute("formatCode").value(), "##,##0.00");
  EXPECT_TRUE(styles.select_node("//border[@diagonalDown='1']"));

  std::vector<std::string> merges;
  for (auto m : sheet.select_nodes("//mergeCell"))
    merges.push_back(m.node().attribute("ref").value());
  EXPECT_NE(std::find(merges.begin(), merges.end(), "B6:C7"), merges.end());
  EXPECT_NE(std::find(merges.begin(), merges.end(), "A1:D1"), merges.end());

  EXPECT_TRUE(sheet.select_node("//row[@r='5'][@hidden='1']"));
  EXPECT_TRUE(sheet.select_node("//col[@min='4'][@hidden='1']"));
  EXPECT_STREQ(sheet.select_node("//pageSetup").node().attribute("orientation").value(),
               "landscape");
  std::string footer = sheet.select_node("//oddFooter").node().child_value();
  EXPECT_NE(footer.find("共&N页  第&P页"), std::string::npos) << footer;
  EXPECT_NE(ZipEntry(path, "xl/workbook.xml").find("Print_Titles"), std::string::npos);
}

TEST_F(ExportTest, HtmlEscapesTextsAndKeepsTheLayout) {
  std::string html = HtmlText(g_, "成绩<表>");
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(html.find("<title>成绩&lt;表&gt;</title>"), std::string::npos);
  EXPECT_NE(html.find("85.46"), std::string::npos);
  EXPECT_EQ(html.find("李四"), std::string::npos);  // hidden row
  EXPECT_EQ(html.find(">h<"), std::string::npos);   // hidden column
  EXPECT_NE(html.find("rowspan=\"2\" colspan=\"2\">1,234.50"), std::string::npos);
  EXPECT_NE(html.find("期中考试成绩表"), std::string::npos);
  EXPECT_NE(html.find("<span>一中</span><span>2024-06-01</span>"), std::string::npos);
  // A font rule inside style="…" must not end the attribute early.
  EXPECT_EQ(html.find("style=\"font-family:\""), std::string::npos);
  EXPECT_NE(html.find("共1页  第1页</div>"), std::string::npos);  // the footer, one page
  ASSERT_TRUE(ExportToHtml(g_, PathOf("r.html")));
  EXPECT_EQ(test_support::ReadFileBytes(PathOf("r.html")), HtmlText(g_));
}

TEST_F(ExportTest, CsvHasBomAndQuotesFields) {
  g_.SetRowHeight(2, kDefaultRowHeight);
  std::string csv = CsvText(g_);
  ASSERT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_NE(csv.find("\r\n张三,85.46,<script>alert(1)</script>\r\n"), std::string::npos);
  EXPECT_NE(csv.find("李四,缺考,\"a,\"\"b\"\"\nc\"\r\n"), std::string::npos);
  EXPECT_EQ(csv.find(",h"), std::string::npos);  // hidden column
}

}  // namespace
}  // namespace grid
