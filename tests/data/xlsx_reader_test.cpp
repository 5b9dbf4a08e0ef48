#include "data/xlsx_reader.h"

#include <gtest/gtest.h>

#include "data/xlsx_reader_sheet.h"
#include "data/xlsx_reader_xml.h"

namespace data {
namespace {

std::string Fixture(const std::string& name) {
  return std::string(SCORESTAT_SOURCE_DIR) + "/tests/fixtures/" + name;
}

CellValue Num(double v, std::uint8_t notes = kNoNote) {
  return {CellKind::kNumber, v, {}, notes};
}
CellValue Txt(std::string_view t, std::uint8_t notes = kNoNote) {
  return {CellKind::kText, 0, t, notes};
}
CellValue None() {
  return {};
}

WorkbookError::Kind KindOfError(const std::string& file, ReadOptions options = {}) {
  try {
    ReadXlsx(Fixture(file), options);
  } catch (const WorkbookError& e) {
    EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
    return e.kind();
  }
  ADD_FAILURE() << file << " was read without an error";
  return WorkbookError::Kind::kOpen;
}

TEST(XlsxReader, CellTypesAsWritersProduceThem) {
  Workbook book = ReadXlsx(Fixture("cells.xlsx"));
  ASSERT_EQ(book.sheets().size(), 3u);
  // Tab order, not part order: the first tab lives in sheet3.xml.
  EXPECT_EQ(book.sheets()[0].name(), "类型");
  EXPECT_EQ(book.sheets()[1].name(), "间隔");
  EXPECT_EQ(book.sheets()[2].name(), "前缀 & 'q'");

  const Sheet& s = book.sheets()[0];
  EXPECT_EQ(s.At(0, 0), Txt("学校"));
  EXPECT_EQ(s.At(0, 1), Txt("高一(3)班")) << "rich-text runs join, phonetic runs drop";
  EXPECT_EQ(s.At(0, 2), Txt("a\rb_x0041_c")) << "_xHHHH_ escapes, _x005F_ escaping itself";
  EXPECT_EQ(s.At(0, 3), Txt("&<中文\""));
  EXPECT_EQ(s.At(0, 4), Txt("O'Brien"));
  EXPECT_EQ(s.At(1, 0), Txt("内联"));
  EXPECT_EQ(s.At(1, 1), Txt("富文本"));
  EXPECT_EQ(s.At(1, 2), Num(1));
  EXPECT_EQ(s.At(1, 3), Num(0));
  EXPECT_EQ(s.At(1, 4), Txt("#DIV/0!", kErrorValue)) << "an error keeps its text, marked";
  EXPECT_EQ(s.At(1, 5), Txt("学校x")) << "a formula's cached string, not its formula";
  EXPECT_EQ(s.At(1, 6), Num(45356.5, kDateFormat)) << "an ISO date becomes its serial number";
  EXPECT_EQ(s.At(1, 7), Num(45356)) << "a date-styled number stays a serial number";
  EXPECT_DOUBLE_EQ(s.At(1, 8).number, 1.0 / 3);
  EXPECT_EQ(s.At(1, 9), Num(-1500));
  EXPECT_EQ(s.At(1, 10), None()) << "a styled cell without a value is empty";
  EXPECT_EQ(s.At(1, 11), None()) << "an empty shared string is an empty cell";
  EXPECT_EQ(s.cols(), 10u);
}

TEST(XlsxReader, GapsMissingReferencesAndPrefixes) {
  Workbook book = ReadXlsx(Fixture("cells.xlsx"));
  const Sheet& s = book.sheets()[1];
  EXPECT_EQ(s.rows(), 7u) << "a trailing empty row does not count";
  EXPECT_EQ(s.cols(), 6u);
  EXPECT_EQ(s.At(0, 0), Num(1));
  EXPECT_EQ(s.At(0, 1), None());
  EXPECT_EQ(s.At(0, 2), Num(3));
  EXPECT_EQ(s.At(1, 0), None());
  // Row 4: two cells without r from column A, then E4, then the next one F4.
  EXPECT_EQ(s.At(3, 0), Num(41));
  EXPECT_EQ(s.At(3, 1), Num(42));
  EXPECT_EQ(s.At(3, 4), Num(45));
  EXPECT_EQ(s.At(3, 5), Num(46));
  // A row without r follows the previous row.
  EXPECT_EQ(s.At(4, 0), Num(51));
  EXPECT_EQ(s.At(6, 1), Txt("x"));

  const Sheet& prefixed = book.sheets()[2];
  EXPECT_EQ(prefixed.At(0, 0), Txt("O'Brien"));
  EXPECT_EQ(prefixed.At(0, 1), Num(2));
}

TEST(XlsxReader, ReadsOnlyTheSheetsAskedFor) {
  ReadOptions options;
  options.sheets = {"间隔", "不存在"};
  Workbook book = ReadXlsx(Fixture("cells.xlsx"), options);
  ASSERT_EQ(book.sheets().size(), 1u);
  EXPECT_EQ(book.sheets()[0].name(), "间隔");
  // The bad references of the other sheets are never looked at.
  options.sheets = {"远"};
  EXPECT_THROW(ReadXlsx(Fixture("bad_refs.xlsx"), options), WorkbookError);
}

TEST(XlsxReader, InvalidReferencesAreErrors) {
  EXPECT_EQ(KindOfError("bad_sst_index.xlsx"), WorkbookError::Kind::kCorrupt);
  ReadOptions options;
  options.sheets = {"列"};  // XFE1
  EXPECT_EQ(KindOfError("bad_refs.xlsx", options), WorkbookError::Kind::kCorrupt);
  options.sheets = {"行"};  // row 1048577
  EXPECT_EQ(KindOfError("bad_refs.xlsx", options), WorkbookError::Kind::kCorrupt);
  options.sheets = {"断"};  // XML cut off
  EXPECT_EQ(KindOfError("bad_refs.xlsx", options), WorkbookError::Kind::kCorrupt);
  // XFD1048576 is valid but would make a rectangle of 17 billion cells.
  options.sheets = {"远"};
  EXPECT_EQ(KindOfError("bad_refs.xlsx", options), WorkbookError::Kind::kTooLarge);
}

TEST(XlsxReader, EntityDeclarationsAreNotExpanded) {
  Workbook book = ReadXlsx(Fixture("billion_laughs.xlsx"));
  const Sheet& s = book.sheets().at(0);
  EXPECT_EQ(s.At(0, 0), Txt("&lol9;"));
  EXPECT_EQ(s.At(0, 1), Txt("&lol9;"));
}

TEST(XlsxReader, ZipBombsAreRefused) {
  ReadOptions options;
  options.sheets = {"大"};
  EXPECT_EQ(ReadXlsx(Fixture("zip_bomb.xlsx"), options).sheets().at(0).At(0, 0), Num(1));
  options.max_part_bytes = 1 << 20;
  EXPECT_EQ(KindOfError("zip_bomb.xlsx", options), WorkbookError::Kind::kTooLarge);
  options.max_part_bytes = 1ULL << 30;
  options.max_total_bytes = 1 << 20;
  EXPECT_EQ(KindOfError("zip_bomb.xlsx", options), WorkbookError::Kind::kTooLarge);
  // Declares 4 KiB and inflates to 64 MiB.
  options = {};
  options.sheets = {"谎"};
  EXPECT_EQ(KindOfError("zip_bomb.xlsx", options), WorkbookError::Kind::kTooLarge);
}

// The scanner reads a part in chunks; a tag, a reference or a CDATA section
// split across chunks must come out the same.
// Most cells are read whole from the buffer, the rest token by token; the
// two must agree, and a cell cut by the end of what has been read so far
// must not be taken for a plain one.
// A worksheet part read as the reader reads it, its bytes handed over `step`
// at a time.
Sheet ReadInSteps(const std::string& xml, std::size_t step) {
  std::size_t at = 0;
  Sheet sheet("s", std::make_shared<StringPool>());
  xlsx::ReadSheetXml(
      [&](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min({step, capacity, xml.size() - at});
        std::copy_n(xml.data() + at, n, buffer);
        at += n;
        return n;
      },
      xml.size(), {}, {}, sheet);
  return sheet;
}

TEST(XlsxReader, CellsReadAlikeWhetherPlainOrNotAndWhereverTheBytesBreak) {
  const std::string xml =
      "<worksheet><sheetData><row r=\"1\">"
      "<c r=\"A1\"><v>12.5</v></c>"
      "<c r=\"B1\" t=\"inlineStr\"><is><t>高一(1)班</t></is></c>"
      "<c r=\"C1\" t=\"inlineStr\"><is><t>a&amp;b</t></is></c>"
      "<c r=\"D1\"><v><![CDATA[7]]></v></c>"
      "<c r=\"E1\"><v>8</v><!-- > --></c>"
      "<c r=\"F1\"><f>1+1</f><v>2</v></c>"
      "<c r=\"G1\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> x </t></is></c>"
      "<c r=\"H1\"><v></v></c>"
      "<c r=\"I1\" t=\"inlineStr\"><is><r><t>富</t></r><r><t>文本</t></r></is></c>"
      "<c r=\"J1\" t=\"inlineStr\"><is><t>甲</t><rPh><t>jia</t></rPh></is></c>"
      "<c r=\"K1\"><v>3</v></c ><c r=\"L1\"/><c r=\"M1\" t=\"e\"><v>#N/A</v></c>"
      // Start tags the tokens must split: single quotes, a '>' in a value,
      // a tab, no attributes at all (the next column), self-closing.
      "<c r='N1'><v>4</v></c><c r=\"O1\" x=\"a>b\" t=\"str\"><v>5</v></c>"
      "<c\tr=\"P1\"><v>6</v></c><c><v>7</v></c><c r=\"R1\" /><c r=\"S1\"><v>9</v></c>"
      "</row></sheetData></worksheet>";
  const std::vector<CellValue> expected = {Num(12.5),
                                           Txt("高一(1)班"),
                                           Txt("a&b"),
                                           Num(7),
                                           Num(8),
                                           Num(2),
                                           Txt(" x "),
                                           None(),
                                           Txt("富文本"),
                                           Txt("甲"),
                                           Num(3),
                                           None(),
                                           Txt("#N/A", kErrorValue),
                                           Num(4),
                                           Txt("5"),
                                           Num(6),
                                           Num(7),
                                           None(),
                                           Num(9)};
  for (std::size_t step : {std::size_t{1} << 20, std::size_t{1}, std::size_t{2}, std::size_t{3},
                           std::size_t{7}, std::size_t{13}, std::size_t{31}}) {
    SCOPED_TRACE(step);
    const Sheet sheet = ReadInSteps(xml, step);
    for (std::size_t c = 0; c < expected.size(); ++c)
      EXPECT_EQ(sheet.At(0, c), expected[c]) << ColumnLetters(c);
  }
}

// Found by fuzz_sheet_xml: a <v> left open (malformed XML) stayed open into
// the cells after it, so a later formula's text became that cell's value,
// or not, depending on which cells between were taken whole from the
// buffer: the whole part and the same part in pieces read differently.
TEST(XlsxReader, AValueLeftOpenDoesNotReachTheNextCells) {
  const std::string xml =
      "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>x"
      "<c r=\"B1\"><v>123456789012345678901234567890</v></c>"
      "<c r=\"C1\"><f>1+1</f><v></v></c></row></sheetData></worksheet>";
  for (std::size_t step : {std::size_t{1} << 20, std::size_t{1}}) {
    EXPECT_EQ(ReadInSteps(xml, step).At(0, 2), (CellValue{CellKind::kEmpty, 0, {}, kNoResult}))
        << step;
  }
}

TEST(XlsxXmlScanner, TokensDoNotDependOnChunkBoundaries) {
  const std::string xml =
      "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"<b>\">]><!-- c > d -->"
      "<x:root a='1>2' b=\"q\"><c r=\"A1\"/>t&amp;&#x4E2D;<![CDATA[<raw>]]></x:root>";
  auto scan = [&](std::size_t chunk) {
    std::size_t at = 0;
    xlsx::XmlScanner scanner(
        [&](char* buffer, std::size_t capacity) {
          std::size_t n = std::min(capacity, xml.size() - at);
          std::copy_n(xml.data() + at, n, buffer);
          at += n;
          return n;
        },
        chunk);
    std::string out;
    for (xlsx::XmlToken t = scanner.Next(); t.type != xlsx::XmlToken::Type::kEndOfPart;
         t = scanner.Next()) {
      out += std::to_string(static_cast<int>(t.type)) + "|" + std::string(t.name) + "|" +
             std::string(t.attrs) + "|" + (t.self_closing ? "/" : "") + "|";
      xlsx::AppendXmlText(t.text, out);
      out += "\n";
    }
    return out;
  };
  const std::string whole = scan(1 << 20);
  EXPECT_EQ(whole,
            "0|root| a='1>2' b=\"q\"||\n0|c| r=\"A1\"|/|\n2||||t&中\n2||||<raw>\n1|root|||\n");
  for (std::size_t chunk : {1, 2, 3, 5, 7, 13}) EXPECT_EQ(scan(chunk), whole) << chunk;
}

}  // namespace
}  // namespace data
