// The streamed workbook writer against libxlsxwriter's: for every kind of
// sheet content the two must give the same members byte for byte (all but
// the time in docProps/core.xml), since the streamed one replaces the
// library's sheets with its own and keeps the library's other members.
// ExportBookToExcel, which every export to .xlsx goes through, is the
// streamed one; the library's is written by an ExcelBookWriter of its own.
#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../scratch_dir.h"
#include "grid/export.h"

namespace grid {
namespace {

namespace fs = std::filesystem;

// Every member of a zip but docProps/core.xml, in the archive's order.
std::vector<std::pair<std::string, std::string>> Members(const fs::path& path) {
  std::vector<std::pair<std::string, std::string>> members;
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) return members;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t st;
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0) continue;
    if (std::string(st.name) == "docProps/core.xml") continue;
    std::string bytes(st.size, '\0');
    if (zip_file_t* f = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0)) {
      if (zip_fread(f, bytes.data(), st.size) != static_cast<zip_int64_t>(st.size)) bytes = "?";
      zip_fclose(f);
    }
    members.emplace_back(st.name, std::move(bytes));
  }
  zip_close(archive);
  return members;
}

// Where two texts first differ, with some context, for a failure message.
std::string FirstDifference(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const std::size_t from = i < 60 ? 0 : i - 60;
  return "\n  streamed: " + a.substr(from, 120) + "\n  library:  " + b.substr(from, 120);
}

// A PNG's signature and header, all libxlsxwriter reads of a picture.
std::string TinyPng() {
  const char header[] =
      "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x02\0\0\0\x03\x08\x02\0\0\0\0\0\0\0"
      "\0\0\0\0IEND\xae\x42\x60\x82";
  return std::string(header, sizeof header - 1);
}

ReportGrid ReportLike() {
  ReportGrid g(1, 6);
  g.SetDisplayRowIndex(true);
  for (int c = 1; c < 6; ++c) g.SetCellText(0, c, "列" + std::to_string(c));
  g.AddItem("\t张三\t85.456\t<b>&\"'</b>\th\t12");
  g.AddItem("\t李四\t缺考\t a b \th\t");
  g.AddItem("\t王五\t1234.5\t合并\th\t 7 ");
  g.AddItem("\t赵六\t60\t张三\th\t99");
  g.Column(2).SetFormatString("##,##0.00");
  g.Column(5).SetFormatString("0.0");
  g.SetColWidth(4, 0);
  g.SetColWidth(3, 200);
  g.SetRowHeight(2, 0);
  g.SetRowHeight(3, 36);
  g.SetRowHeight(4, 20);  // 15 points: the library's default again
  g.Range(0, 1, 0, 5).SetFontBold(true);
  g.Range(1, 1, 3, 3).SetBorders(kEdgeDiagonalDown, kLineThin);
  g.ReportTitles().Add("期中考试成绩表", "宋体", 14);
  g.ReportTitles().Add("一中||2024-06-01", "Arial", 10);
  PageSettings& p = g.PageSetup();
  p.orientation = kLandscape;
  p.footer.text = "共&n页  第&p页 A&B";
  p.header.text = "成绩";
  p.print_title_rows = 1;
  p.print_title_columns = 2;
  p.center_horizontally = true;
  p.print_gridlines = true;
  p.zoom = 85;
  return g;
}

struct Case {
  const char* what;
  std::function<void(ReportGrid&)> change;  // applied to ReportLike()
};

// Each case changes the report-like grid where the library's table would
// end up other than cell by cell: merges over numbers, texts and hidden
// columns, numbers needing sixteen digits or an exponent, row heights.
const Case kCases[] = {
    {"the report as it is", [](ReportGrid&) {}},
    {"a merge whose first cell is a number, over texts",
     [](ReportGrid& g) { g.Range(3, 2, 4, 3).Merge(); }},
    {"a merge across rows of other heights and a hidden column",
     [](ReportGrid& g) { g.Range(1, 3, 4, 5).Merge(); }},
    {"a merge from the row-header column, which is not written",
     [](ReportGrid& g) {
       g.SetDisplayRowIndex(false);
       g.Range(1, 0, 2, 2).Merge();
       g.Range(0, 4, 0, 5).Merge();
     }},
    {"numbers that need all sixteen digits or an exponent",
     [](ReportGrid& g) {
       g.AddItem("\t0.30000000000000004\t123456789012345678\t-0\t0.0000001\t1e5");
       g.AddItem("\t99999999999999999999\t0.1\t-12.5\t.5\t5.");
     }},
    {"the row-header column printed, no titles",
     [](ReportGrid& g) {
       g.PageSetup().print_fixed_column = true;
       g.ReportTitles() = ReportTitleList();
     }},
    {"one column with a two-part title",
     [](ReportGrid& g) {
       g.DeleteCols(2, 4);
       g.PageSetup().print_fixed_column = false;
     }},
};

class StreamedBookTest : public ::testing::Test {
 protected:
  // Writes `sheets` through the library, streamed, and streamed with the
  // grids' sheets written ahead on another thread (all but the first of
  // several, so that a book mixes both, as report all's does), and expects
  // the same members in the same order.
  void ExpectSameBooks(const std::vector<NamedGrid>& sheets) {
    const fs::path library = dir_ / "library.xlsx", streamed = dir_ / "streamed.xlsx",
                   ahead = dir_ / "ahead.xlsx";
    ExcelBookWriter book(library.string(), SheetWriting::kLibrary);
    for (const NamedGrid& sheet : sheets) ASSERT_TRUE(book.Add(sheet).ok());
    ASSERT_TRUE(book.Close().ok());
    const Status exported = ExportBookToExcel(sheets, streamed.string());
    ASSERT_TRUE(exported.ok()) << exported.message();
    std::vector<std::unique_ptr<PreparedSheet>> prepared(sheets.size());
    std::thread([&] {
      for (std::size_t i = sheets.size() > 1 ? 1 : 0; i < sheets.size(); ++i)
        if (sheets[i].grid) prepared[i] = std::make_unique<PreparedSheet>(*sheets[i].grid);
    }).join();
    ExcelBookWriter ahead_book(ahead.string(), SheetWriting::kStreamed);
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      NamedGrid sheet = sheets[i];
      sheet.prepared = prepared[i].get();
      ASSERT_TRUE(ahead_book.Add(sheet).ok());
    }
    ASSERT_TRUE(ahead_book.Close().ok());
    const auto expected = Members(library);
    ASSERT_GT(expected.size(), sheets.size() + 6);
    for (const fs::path& path : {streamed, ahead}) {
      SCOPED_TRACE(path.filename().string());
      const auto actual = Members(path);
      ASSERT_EQ(actual.size(), expected.size());
      for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].first, expected[i].first);
        EXPECT_TRUE(actual[i].second == expected[i].second)
            << expected[i].first << FirstDifference(actual[i].second, expected[i].second);
      }
    }
  }

  test_support::ScratchDir scratch_{"scorestat_streamed_book"};
  const fs::path dir_ = scratch_.path();
};

TEST_F(StreamedBookTest, EachKindOfSheetAsTheLibraryWritesIt) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    ReportGrid g = ReportLike();
    c.change(g);
    ExpectSameBooks({{"成绩", &g}});
  }
}

// Several sheets share the strings and formats: the second sheet's indexes
// go on from the first's. Names are made unique, a picture sheet sits
// between two grids, and a grid of one header row has no titles.
TEST_F(StreamedBookTest, SheetsShareStringsFormatsAndNames) {
  ReportGrid first = ReportLike(), second = ReportLike();
  second.Range(3, 2, 4, 3).Merge();
  second.Range(1, 1, 1, 5).SetFontItalic(true);
  ReportGrid header_only(1, 3);
  header_only.SetCellText(0, 1, "学校");
  const std::string png = TinyPng();
  ExpectSameBooks(
      {{"成绩", &first}, {"图", nullptr, png}, {"成绩", &second}, {"a[b]:c", &header_only}});
}

// More rows than one piece of the stream holds (a megabyte), with texts
// repeating down a column and a row height every few rows.
TEST_F(StreamedBookTest, ALongListing) {
  ReportGrid g(1, 5);
  for (int c = 1; c < 5; ++c) g.SetCellText(0, c, "列" + std::to_string(c));
  for (int i = 0; i < 30000; ++i)
    g.AddItem("\t学生" + std::to_string(i) + "\t" + std::to_string(i % 151) + "\t班" +
              std::to_string(i % 40) + "\t" + std::to_string(i * 0.25));
  for (int r = 1; r < g.Rows(); r += 7) g.SetRowHeight(r, 30);
  g.Range(1, 3, 40, 3).Merge();
  ExpectSameBooks({{"名次表", &g}});
}

// A failed book leaves nothing behind: neither the workbook nor the
// library's part of it.
TEST_F(StreamedBookTest, NothingLeftWhenTheFolderIsMissing) {
  const ReportGrid g = ReportLike();
  const fs::path path = dir_ / "missing" / "book.xlsx";
  ExcelBookWriter book(path.string(), SheetWriting::kStreamed);
  EXPECT_FALSE(book.Add({"成绩", &g}).ok());
  const Status closed = book.Close();
  EXPECT_FALSE(closed.ok());
  EXPECT_NE(closed.message().find("无法写入文件"), std::string::npos) << closed.message();
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(StreamedBookTest, OnlyTheWorkbookStaysInItsFolder) {
  const ReportGrid g = ReportLike();
  {
    ExcelBookWriter unclosed((dir_ / "unclosed.xlsx").string(), SheetWriting::kStreamed);
    ASSERT_TRUE(unclosed.Add({"成绩", &g}).ok());
  }
  ExcelBookWriter book((dir_ / "closed.xlsx").string(), SheetWriting::kStreamed);
  ASSERT_TRUE(book.Add({"成绩", &g}).ok());
  ASSERT_TRUE(book.Close().ok());
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"closed.xlsx", "unclosed.xlsx"}));
  EXPECT_FALSE(Members(dir_ / "closed.xlsx").empty());
}

}  // namespace
}  // namespace grid
