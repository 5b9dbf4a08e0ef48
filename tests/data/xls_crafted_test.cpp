// The .xls reader on workbook streams built record by record, for what real
// writers rarely produce but the format allows (every kind of cell record, a
// formula whose string result comes after a shared-formula record) and for
// damage a crafted file can carry (loops in sector and directory chains,
// positions out of range).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "data/number_format.h"
#include "data/xls_reader.h"

namespace data {
namespace {

void Put16(std::string& s, std::size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}
std::string U16(unsigned v) {
  std::string s(2, '\0');
  Put16(s, 0, v);
  return s;
}
std::string U32(std::uint32_t v) {
  std::string s(4, '\0');
  Put32(s, 0, v);
  return s;
}
std::string F64(double d) {
  std::string s(8, '\0');
  std::memcpy(s.data(), &d, 8);
  return s;
}
std::string Rec(unsigned type, const std::string& data) {
  return U16(type) + U16(data.size()) + data;
}
std::string Bof(unsigned kind) {
  return Rec(0x0809, U16(0x0600) + U16(kind) + std::string(12, '\0'));
}
std::string Cell(unsigned row, unsigned col) {
  return U16(row) + U16(col) + U16(0);
}
// Compressed (one byte per character) BIFF8 string with a 16-bit count.
std::string Narrow(const std::string& ascii) {
  return U16(ascii.size()) + '\0' + ascii;
}

// A workbook stream of one sheet named "S" whose records are `cells`, with
// `globals` among the globals records.
std::string Stream(const std::string& globals, const std::string& cells) {
  const std::string head = Bof(0x0005) + globals;
  const std::string sheet_entry_size = Rec(0x0085, U32(0) + '\0' + '\0' + '\x01' + '\0' + "S");
  const std::string eof = Rec(0x000A, "");
  const std::uint32_t sheet_at = head.size() + sheet_entry_size.size() + eof.size();
  std::string stream = head + Rec(0x0085, U32(sheet_at) + '\0' + '\0' + '\x01' + '\0' + "S") + eof +
                       Bof(0x0010) + cells + eof;
  stream.resize(std::max<std::size_t>(stream.size(), 4096), '\0');
  return stream;
}

using Tamper = std::function<void(std::string& file)>;
constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;

// A version 3 compound file: sector 0 the FAT, sector 1 the directory, the
// "Workbook" stream from sector 2 on (streams of 4096 bytes and more live in
// regular sectors).
std::string Compound(const std::string& stream, const Tamper& tamper = {}) {
  const std::size_t sectors = (stream.size() + 511) / 512;
  std::string file(512 * (3 + sectors), '\0');
  const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
  std::memcpy(file.data(), signature, 8);
  Put16(file, 0x18, 0x3E);
  Put16(file, 0x1A, 3);
  Put16(file, 0x1C, 0xFFFE);
  Put16(file, 0x1E, 9);
  Put16(file, 0x20, 6);
  Put32(file, 0x2C, 1);
  Put32(file, 0x30, 1);
  Put32(file, 0x38, 4096);
  Put32(file, 0x3C, kEnd);
  Put32(file, 0x44, kEnd);
  for (int i = 0; i < 109; ++i) Put32(file, 0x4C + 4 * i, i == 0 ? 0 : kFree);
  const std::size_t fat = 512, dir = 1024;
  for (int i = 0; i < 128; ++i) Put32(file, fat + 4 * i, kFree);
  Put32(file, fat, 0xFFFFFFFD);
  Put32(file, fat + 4, kEnd);
  for (std::size_t i = 0; i < sectors; ++i)
    Put32(file, fat + 4 * (2 + i), i + 1 == sectors ? kEnd : 3 + i);
  auto entry = [&](std::size_t at, const std::u16string& name, int type, std::uint32_t child,
                   std::uint32_t start, std::uint32_t size) {
    for (std::size_t k = 0; k < name.size(); ++k) Put16(file, at + 2 * k, name[k]);
    Put16(file, at + 64, 2 * (name.size() + 1));
    file[at + 66] = static_cast<char>(type);
    Put32(file, at + 68, kFree);
    Put32(file, at + 72, kFree);
    Put32(file, at + 76, child);
    Put32(file, at + 116, start);
    Put32(file, at + 120, size);
  };
  entry(dir, u"Root Entry", 5, 1, kEnd, 0);
  entry(dir + 128, u"Workbook", 2, kFree, 2, stream.size());
  std::memcpy(file.data() + 1536, stream.data(), stream.size());
  if (tamper) tamper(file);
  return file;
}

std::string ErrorOf(const std::string& file, WorkbookError::Kind* kind = nullptr) {
  try {
    ReadXlsBytes(file);
  } catch (const WorkbookError& e) {
    if (kind) *kind = e.kind();
    return e.what();
  }
  return "(read without an error)";
}

// A formula record: its cached value (8 bytes), flags, chain, no tokens.
std::string Formula(unsigned row, unsigned col, const std::string& value) {
  return Rec(0x0006, Cell(row, col) + value + U16(0) + U32(0) + U16(0));
}
std::string Special(int type, int byte) {
  std::string v(8, '\0');
  v[0] = static_cast<char>(type);
  v[2] = static_cast<char>(byte);
  v[6] = v[7] = '\xFF';
  return v;
}

TEST(XlsCrafted, CellRecordsOfEveryKind) {
  const std::string recalc = Rec(0x01C1, U32(0x1C1) + U32(1));
  const std::string cells =
      // MULRK: 85 as an integer RK, 85.5 as 8550 with the divide-by-100 bit.
      Rec(0x00BD, Cell(0, 0).substr(0, 4) + U16(0) + U32(85u << 2 | 2) + U16(0) +
                      U32(8550u << 2 | 3) + U16(1)) +
      Rec(0x0203, Cell(0, 2) + F64(-0.125)) +
      // LABEL and RSTRING hold their text in the cell record (BIFF8 form).
      Rec(0x0204, Cell(0, 3) + Narrow("label")) +
      Rec(0x00D6, Cell(0, 4) + Narrow("rich") + U16(1) + U32(0)) +
      // A string result whose STRING record follows a shared-formula record.
      Formula(1, 0, Special(0, 0)) + Rec(0x04BC, std::string(10, '\0')) +
      Rec(0x0207, Narrow("result")) +
      // A string result whose STRING record never comes: no result at all.
      Formula(1, 1, Special(0, 0)) + Formula(1, 2, Special(1, 1)) +
      Formula(1, 3, Special(2, 0x2A)) + Formula(1, 4, Special(3, 0)) +
      Rec(0x0205, Cell(1, 5) + '\x07' + '\x01') +
      Rec(0x00E5, U16(2) + U16(2) + U16(3) + U16(0) + U16(1) + U16(4) + U16(4) + U16(4) + U16(4));
  const Workbook book = ReadXlsBytes(Compound(Stream(recalc, cells)));
  const Sheet& s = book.sheets().at(0);
  EXPECT_EQ(s.At(0, 0).number, 85);
  EXPECT_EQ(s.At(0, 1).number, 85.5);
  EXPECT_EQ(s.At(0, 2).number, -0.125);
  EXPECT_EQ(s.TextAt(0, 3), "label");
  EXPECT_EQ(s.TextAt(0, 4), "rich");
  EXPECT_EQ(s.TextAt(1, 0), "result");
  EXPECT_EQ(s.At(1, 1).notes, kNoResult);
  EXPECT_EQ(s.At(1, 2).number, 1) << "a boolean result TRUE";
  EXPECT_EQ(s.At(1, 3), (CellValue{CellKind::kText, 0, "#N/A", kErrorValue}));
  EXPECT_EQ(s.At(1, 4), CellValue{}) << "\"\" in a calculated workbook (RECALCID) is empty";
  EXPECT_EQ(s.At(1, 5), (CellValue{CellKind::kText, 0, "#DIV/0!", kErrorValue}));
  EXPECT_EQ(s.merges(), (std::vector<CellRange>{{2, 3, 0, 1}})) << "a one-cell area is no merge";
}

// Damage a crafted file can carry that tools/make_hostile.py does not make
// (tests/data/hostile_test.cpp imports those): each is refused as damaged,
// quickly and without reading outside the file; loops are found, not followed.
TEST(XlsCrafted, DamageIsRefusedWithItsReason) {
  const std::string stream = Stream("", Rec(0x0203, Cell(0, 0) + F64(1)));
  const struct {
    const char* what;
    std::string file;
    const char* message;
  } cases[] = {
      {"sector chain loops", Compound(stream, [](std::string& f) { Put32(f, 512 + 4 * 3, 2); }),
       "扇区链无效"},
      {"directory entry its own sibling",
       Compound(stream, [](std::string& f) { Put32(f, 1024 + 128 + 68, 1); }), "目录项无效"},
      {"more FAT sectors than the DIFAT lists",
       Compound(stream, [](std::string& f) { Put32(f, 0x2C, 2); }), "扇区链无效"},
      {"text longer than its record",
       Compound(Stream("", Rec(0x0204, Cell(0, 0) + U16(50) + '\0' + "ab"))), "文本单元格不完整"},
      {"column past the 256 of the format",
       Compound(Stream("", Rec(0x0203, Cell(0, 300) + F64(1)))), "单元格列号超出范围"},
      {"merged areas past their record",
       Compound(Stream("", Rec(0x00E5, U16(3) + std::string(8, '\0')))), "合并单元格记录不完整"},
  };
  for (const auto& c : cases) {
    WorkbookError::Kind kind{};
    const std::string message = ErrorOf(c.file, &kind);
    EXPECT_EQ(kind, WorkbookError::Kind::kCorrupt) << c.what;
    EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
  }
}

// The kinds that matter to the import: a date in a score column is refused,
// a percentage in the lines sheet is read times 100.
TEST(NumberFormats, DatesAndPercentagesAreToldFromPlainNumbers) {
  const struct {
    const char* code;
    NumberFormatKind kind;
  } cases[] = {
      {"General", NumberFormatKind::kPlain},
      {"#,##0.0_);[Red](#,##0.0)", NumberFormatKind::kPlain},  // brackets hold a colour
      {"0.00E+00", NumberFormatKind::kPlain},                  // E is an exponent here
      {"0\"分\"", NumberFormatKind::kPlain},                   // quoted text is shown as is
      {"0%", NumberFormatKind::kPercent},
      {"0\\%", NumberFormatKind::kPlain},  // an escaped % is a character, not a percentage
      {"yyyy-mm-dd", NumberFormatKind::kDate},
      {"[$-804]aaaa", NumberFormatKind::kPlain},  // a weekday name alone is no date letter
      {"[$-F800]dddd, mmmm dd, yyyy", NumberFormatKind::kDate},
      {"[h]:mm", NumberFormatKind::kDate},  // elapsed time
      {"上午/下午h\"时\"mm\"分\"", NumberFormatKind::kDate},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatCodeKind(c.code), c.kind) << c.code;
  EXPECT_EQ(BuiltInFormatKind(9), NumberFormatKind::kPercent);
  EXPECT_EQ(BuiltInFormatKind(14), NumberFormatKind::kDate);
  EXPECT_EQ(BuiltInFormatKind(31), NumberFormatKind::kDate) << "yyyy年m月d日 in Chinese Excel";
  EXPECT_EQ(BuiltInFormatKind(2), NumberFormatKind::kPlain);
  EXPECT_EQ(BuiltInFormatKind(49), NumberFormatKind::kPlain) << "@, text";
}

}  // namespace
}  // namespace data
