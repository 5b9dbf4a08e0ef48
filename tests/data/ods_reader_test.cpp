// The .ods reader on content.xml written by hand, for the attributes that
// LibreOffice uses to keep files small (repeated rows and cells) and the ones
// that hide or move values (covered cells, spans, annotations, string-value).
#include "data/ods_reader.h"

#include <gtest/gtest.h>
#include <zip.h>

#include "../scratch_dir.h"

namespace data {
namespace {

const char* const kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\">"
    "<office:body><office:spreadsheet>";
const char* const kTail = "</office:spreadsheet></office:body></office:document-content>";

class OdsReaderTest : public ::testing::Test {
 protected:
  // An .ods whose spreadsheet body is `tables`.
  const std::string& Write(const std::string& tables) {
    content_ = kHead + tables + kTail;
    int error = 0;
    zip_t* zip = zip_open(path_.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    static const char kMime[] = "application/vnd.oasis.opendocument.spreadsheet";
    zip_file_add(zip, "mimetype", zip_source_buffer(zip, kMime, sizeof kMime - 1, 0), 0);
    zip_file_add(zip, "content.xml", zip_source_buffer(zip, content_.data(), content_.size(), 0),
                 0);
    zip_close(zip);
    return path_;
  }

  const test_support::ScratchDir scratch_{"scorestat_ods"};
  const std::string path_ = scratch_.File("book.ods");
  std::string content_;
};

std::string Row(const std::string& cells, const std::string& attrs = "") {
  return "<table:table-row" + attrs + ">" + cells + "</table:table-row>";
}
std::string Table(const std::string& name, const std::string& rows) {
  return "<table:table table:name=\"" + name + "\">" + rows + "</table:table>";
}
std::string Float(double v, const std::string& attrs = "") {
  return "<table:table-cell office:value-type=\"float\" office:value=\"" + std::to_string(v) +
         "\"" + attrs + "/>";
}
std::string Text(const std::string& t) {
  return "<table:table-cell office:value-type=\"string\"><text:p>" + t +
         "</text:p></table:table-cell>";
}
std::string Empty(int repeat) {
  return "<table:table-cell table:number-columns-repeated=\"" + std::to_string(repeat) + "\"/>";
}

// LibreOffice closes every sheet with a row of 16,384 empty cells repeated
// a million times; only values may cost memory.
TEST_F(OdsReaderTest, RepeatsCostNothingWhileEmptyAndCopyValuesOtherwise) {
  const std::string& file =
      Write(Table("Sheet1", Row(Text("学校") + Empty(16380)) +
                                Row(Float(85, " table:number-columns-repeated=\"3\""),
                                    " table:number-rows-repeated=\"2\"") +
                                Row(Empty(16384), " table:number-rows-repeated=\"1048573\"")));
  ReadOptions options;
  options.max_cells = 100;
  const Workbook book = ReadOds(file, options);
  const Sheet& s = *book.Find("Sheet1");
  EXPECT_EQ(s.rows(), 3u);
  EXPECT_EQ(s.cols(), 3u);
  EXPECT_EQ(s.TextAt(0, 0), "学校");
  for (std::size_t r : {1u, 2u})
    for (std::size_t c : {0u, 1u, 2u}) EXPECT_EQ(s.At(r, c).number, 85) << r << "," << c;

  // A value past the format's 16,384 columns is refused, not allocated.
  const std::string& far = Write(Table("Sheet1", Row(Empty(1000000) + Float(7))));
  EXPECT_THROW(ReadOds(far), WorkbookError);
}

TEST_F(OdsReaderTest, ValueTypesSpansCoveredCellsAndNotes) {
  const std::string cells =
      "<table:table-cell office:value-type=\"percentage\" office:value=\"0.85\"/>"
      "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-03-05\"/>"
      "<table:table-cell office:value-type=\"time\" office:time-value=\"PT12H00M00S\"/>"
      "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"/>"
      "<table:table-cell office:value-type=\"currency\" office:value=\"-2.5\"/>"
      // Formulas: never calculated; calculated to ""; calculated to an error.
      "<table:table-cell table:formula=\"of:=[.A1]*2\"/>"
      "<table:table-cell table:formula=\"of:=&quot;&quot;\"><text:p/></table:table-cell>"
      "<table:table-cell table:formula=\"of:=1/0\" office:value-type=\"string\" "
      "office:string-value=\"\" calcext:value-type=\"error\"><text:p>#DIV/0!</text:p>"
      "</table:table-cell>";
  const std::string texts =
      // The string-value attribute is the text; the paragraph only shows it.
      "<table:table-cell office:value-type=\"string\" office:string-value=\"真值\">"
      "<text:p>显示</text:p></table:table-cell>"
      // Spaces as text:s, two paragraphs, and a comment that is not the value.
      "<table:table-cell office:value-type=\"string\"><office:annotation><text:p>批注</text:p>"
      "</office:annotation><text:p>a<text:s text:c=\"3\"/>b</text:p><text:p>c</text:p>"
      "</table:table-cell>"
      // A merged area of 2 x 2 whose covered cells hold stale values.
      "<table:table-cell office:value-type=\"string\" table:number-columns-spanned=\"2\" "
      "table:number-rows-spanned=\"2\"><text:p>城关中学</text:p></table:table-cell>"
      "<table:covered-table-cell office:value-type=\"float\" office:value=\"9\"/>";
  const std::string& file =
      Write(Table("三线 & 表", Row(cells) + Row(texts) +
                                   Row(Empty(2) + "<table:covered-table-cell/>"
                                                  "<table:covered-table-cell office:value-type="
                                                  "\"string\"><text:p>旧</text:p>"
                                                  "</table:covered-table-cell>")));
  const Workbook book = ReadOds(file);
  ASSERT_EQ(book.sheets().size(), 1u);
  const Sheet& s = book.sheets()[0];
  EXPECT_EQ(s.name(), "三线 & 表") << "entities in the name are decoded";
  EXPECT_EQ(s.At(0, 0), (CellValue{CellKind::kNumber, 0.85, {}, kPercentFormat}));
  EXPECT_EQ(s.At(0, 1), (CellValue{CellKind::kNumber, 45356, {}, kDateFormat}));
  EXPECT_EQ(s.At(0, 2), (CellValue{CellKind::kNumber, 0.5, {}, kDateFormat}));
  EXPECT_EQ(s.At(0, 3).number, 1);
  EXPECT_EQ(s.At(0, 4).number, -2.5);
  EXPECT_EQ(s.At(0, 5), (CellValue{CellKind::kEmpty, 0, {}, kNoResult}));
  EXPECT_EQ(s.At(0, 6), CellValue{});
  EXPECT_EQ(s.At(0, 7), (CellValue{CellKind::kText, 0, "#DIV/0!", kErrorValue}));
  EXPECT_EQ(s.TextAt(1, 0), "真值");
  EXPECT_EQ(s.TextAt(1, 1), "a   b\nc");
  EXPECT_EQ(s.TextAt(1, 2), "城关中学");
  EXPECT_EQ(s.At(1, 3), CellValue{}) << "a covered cell's stale value is not read";
  EXPECT_EQ(s.At(2, 3), CellValue{});
  EXPECT_EQ(s.merges(), (std::vector<CellRange>{{1, 2, 2, 3}}));
}

}  // namespace
}  // namespace data
