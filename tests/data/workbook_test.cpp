#include "data/workbook.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "../scratch_dir.h"

namespace data {
namespace {

namespace fs = std::filesystem;

std::string Fixture(const std::string& name) {
  return std::string(SCORESTAT_SOURCE_DIR) + "/" + name;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

WorkbookError::Kind ErrorKindOf(const std::string& path, std::string* message = nullptr) {
  try {
    ReadWorkbook(path);
  } catch (const WorkbookError& e) {
    if (message) *message = e.what();
    return e.kind();
  }
  ADD_FAILURE() << path << " was read without an error";
  return WorkbookError::Kind::kOpen;
}

TEST(WorkbookCells, NumbersKeepEveryValueThatTheTagsCouldShadow) {
  Workbook book;
  Sheet& sheet = book.AddSheet("s");
  const double values[] = {0.0,
                           -0.0,
                           -1.5,
                           1e308,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::denorm_min()};
  for (std::size_t i = 0; i < std::size(values); ++i) sheet.SetNumber(0, i, values[i]);
  for (std::size_t i = 0; i < std::size(values); ++i) {
    ASSERT_EQ(sheet.KindAt(0, i), CellKind::kNumber) << i;
    EXPECT_EQ(*sheet.NumberAt(0, i), values[i]) << i;
  }
  // Any NaN, whatever its payload, stays a number and does not turn into a
  // text or an empty cell.
  for (std::uint64_t bits :
       {0xFFF1'0000'0000'0003ULL, 0xFFF2'0000'0000'0000ULL, 0x7FF8'0000'0000'0000ULL}) {
    sheet.SetNumber(1, 0, std::bit_cast<double>(bits));
    EXPECT_EQ(sheet.KindAt(1, 0), CellKind::kNumber);
    EXPECT_TRUE(std::isnan(*sheet.NumberAt(1, 0)));
  }
}

TEST(WorkbookCells, GrowingWideningAndTrimmingKeepCellsInPlace) {
  Workbook book;
  Sheet& sheet = book.AddSheet("s");
  sheet.SetText(0, 0, "学校");
  sheet.SetNumber(2, 1, 7);
  sheet.SetText(1, 4, "");  // an empty text is still a text cell
  sheet.SetNumber(5, 9, 1);
  EXPECT_EQ(sheet.rows(), 6u);
  EXPECT_EQ(sheet.cols(), 10u);
  EXPECT_EQ(sheet.TextAt(0, 0), "学校");
  EXPECT_EQ(*sheet.NumberAt(2, 1), 7);
  EXPECT_EQ(sheet.KindAt(1, 4), CellKind::kText);
  EXPECT_EQ(sheet.KindAt(100, 100), CellKind::kEmpty);
  EXPECT_FALSE(sheet.NumberAt(0, 0));

  sheet.Clear(5, 9);
  sheet.Trim();
  EXPECT_EQ(sheet.rows(), 3u);
  EXPECT_EQ(sheet.cols(), 5u);
  EXPECT_EQ(*sheet.NumberAt(2, 1), 7);
  EXPECT_EQ(sheet.TextAt(0, 0), "学校");

  // Sheets of one workbook share the pool; indices stay valid across them.
  std::uint32_t shared = book.strings().Add("共享");
  book.AddSheet("t").SetTextIndex(0, 0, shared);
  EXPECT_EQ(book.Find("t")->TextAt(0, 0), "共享");
  EXPECT_EQ(book.Find("s")->TextAt(0, 0), "学校");
  EXPECT_EQ(book.Find("u"), nullptr);
}

// Rows that reach one column further each (fuzzing found an .ods whose
// sheet was copied whole for every row, a minute for 48 KB): the storage
// widens ahead of the rows, and every value and note stays in its cell.
TEST(WorkbookCells, RowsReachingFurtherRightKeepTheirValuesAndNotes) {
  Workbook book;
  Sheet& sheet = book.AddSheet("s");
  for (std::size_t r = 0; r < 300; ++r) {
    sheet.SetNumber(r, r, static_cast<double>(r));
    if (r % 7 == 0) sheet.AddNotes(r, r, kPercentFormat);
  }
  sheet.SetText(0, 1, "右");
  EXPECT_EQ(sheet.cols(), 300u) << "the width is the cells', not the storage's";
  sheet.Trim();
  ASSERT_EQ(sheet.rows(), 300u);
  ASSERT_EQ(sheet.cols(), 300u);
  for (std::size_t r = 0; r < 300; ++r) {
    ASSERT_EQ(sheet.NumberAt(r, r), static_cast<double>(r)) << r;
    ASSERT_EQ(sheet.NotesAt(r, r), r % 7 == 0 ? kPercentFormat : kNoNote) << r;
    if (r > 1) {
      ASSERT_EQ(sheet.KindAt(r, r - 1), CellKind::kEmpty) << r;
    }
  }
  EXPECT_EQ(sheet.TextAt(0, 1), "右");
}

TEST(WorkbookHelpers, ColumnLettersAndDateSerials) {
  EXPECT_EQ(ColumnLetters(0), "A");
  EXPECT_EQ(ColumnLetters(25), "Z");
  EXPECT_EQ(ColumnLetters(26), "AA");
  EXPECT_EQ(ColumnLetters(16383), "XFD");

  EXPECT_EQ(SerialFromDateText("1900-03-01", false), 61);
  EXPECT_EQ(SerialFromDateText("2024-03-05", false), 45356);
  EXPECT_EQ(SerialFromDateText("2024-03-05 12:00:00", false), 45356.5);
  EXPECT_EQ(SerialFromDateText("2024-03-05T18:00:00", false), 45356.75);
  EXPECT_EQ(SerialFromDateText("1904-01-02", true), 1);
  EXPECT_EQ(SerialFromDateText("06:00:00", false), 0.25);
  for (const char* bad : {"", "2024-13-01", "2024-03-05x", "85分", "12:61:00", "2024-3-5"}) {
    EXPECT_FALSE(SerialFromDateText(bad, false)) << bad;
  }
}

TEST(ReadWorkbook, RefusesWhatIsNotAWorkbookWithTheFileNamed) {
  const test_support::ScratchDir scratch("scorestat_workbook");
  const fs::path& dir = scratch.path();
  WriteBytes(dir / "empty.xls", "");
  WriteBytes(dir / "text.xlsx", "学校,学号\n第一中学,1\n");
  WriteBytes(dir / "pk.xlsx", "PK\x03\x04 not really a zip");
  // An OLE2 container without a workbook stream.
  WriteBytes(dir / "ole.xls",
             std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'));

  std::string message;
  EXPECT_EQ(ErrorKindOf((dir / "empty.xls").string(), &message), WorkbookError::Kind::kNotWorkbook);
  // The user is told which formats can be imported.
  EXPECT_EQ(message, std::string(kNotWorkbookMessage) + "：" + (dir / "empty.xls").string());
  EXPECT_NE(message.find(".ods"), std::string::npos);
  EXPECT_EQ(ErrorKindOf((dir / "text.xlsx").string()), WorkbookError::Kind::kNotWorkbook);
  EXPECT_NE(ErrorKindOf((dir / "pk.xlsx").string(), &message), WorkbookError::Kind::kOpen);
  EXPECT_NE(message.find("pk.xlsx"), std::string::npos);
  EXPECT_NE(ErrorKindOf((dir / "ole.xls").string()), WorkbookError::Kind::kOpen);
  EXPECT_EQ(ErrorKindOf((dir / "missing.xls").string()), WorkbookError::Kind::kOpen);
}

// A download cut short must give an error, never a crash or a silently
// shorter sheet that the import would take for the whole examination.
TEST(ReadWorkbook, TruncatedFilesFailCleanly) {
  const test_support::ScratchDir scratch("scorestat_workbook");
  const fs::path& dir = scratch.path();
  for (const char* name : {"examples/sample.xls", "examples/sample.xlsx"}) {
    std::string bytes = ReadBytes(Fixture(name));
    ASSERT_GT(bytes.size(), 4096u);
    for (std::size_t keep : {std::size_t{8}, std::size_t{512}, std::size_t{1500}, bytes.size() / 3,
                             bytes.size() / 2, bytes.size() - 100, bytes.size() - 1}) {
      fs::path cut = dir / ("cut_" + std::to_string(keep) + fs::path(name).extension().string());
      WriteBytes(cut, bytes.substr(0, keep));
      std::string message;
      WorkbookError::Kind kind = ErrorKindOf(cut.string(), &message);
      EXPECT_NE(kind, WorkbookError::Kind::kOpen) << name << " cut at " << keep;
      EXPECT_NE(message.find(cut.string()), std::string::npos) << message;
    }
  }
}

}  // namespace
}  // namespace data
