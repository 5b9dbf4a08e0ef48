// The import over workbooks made by other people: damaged, renamed, crafted,
// half filled. Each is imported over a database holding a previous exam; a
// refused workbook must say why in Chinese and leave that exam exactly as it
// was, an accepted one must arrive intact. The files come from
// tools/make_hostile.py.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../hostile_names.h"
#include "../scratch_dir.h"
#include "data/import.h"
#include "data/score_database.h"
#include "query_text.h"

namespace data {
namespace {

using data_test::QueryText;

namespace fs = std::filesystem;

const fs::path kHostile = fs::path(SCORESTAT_SOURCE_DIR) / "tests/fixtures/hostile";

// Every row of the four data tables and their definitions, as one text.
std::string Snapshot(const std::string& db_path) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(db_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  std::string out;
  auto dump = [&](const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      out += "<" + sql + ": " + sqlite3_errmsg(db) + ">\n";
      return;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const unsigned char* text = sqlite3_column_text(stmt, c);
        out += text ? reinterpret_cast<const char*>(text) : "<null>";
        out += '\t';
      }
      out += '\n';
    }
    sqlite3_finalize(stmt);
  };
  dump("SELECT type, name, sql FROM sqlite_master ORDER BY name");
  for (const char* table : {"成绩表", "统计表", "教师表", "三线表"})
    dump(std::string("SELECT * FROM ") + table + " ORDER BY rowid");
  sqlite3_close(db);
  return out;
}

class HostileImport : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.database_path = (dir_ / "sujuf.db").string();
    engine::Database db = engine::Database::OpenOrCreate(state_.database_path);
    RepairSystemTables(db);
    db.Close();
    common::NullProgress progress;
    ImportResult previous = ImportExam(state_, (kHostile / "previous.xlsx").string(), progress);
    ASSERT_TRUE(previous.ok) << previous.message;
    before_ = Snapshot(state_.database_path);
  }

  ImportResult Import(const std::string& file) {
    common::NullProgress progress;
    return ImportExam(state_, (kHostile / file).string(), progress);
  }

  test_support::ScratchDir scratch_{"scorestat_hostile"};
  const fs::path dir_ = scratch_.path();
  AppState state_;
  std::string before_;
};

struct Refused {
  const char* file;
  const char* message;  // a part of what the user reads
};

// Files that are not workbooks, or not whole ones.
const Refused kUnreadable[] = {
    {"text_renamed.xls", "文件不是有效的 Excel 工作簿"},
    {"text_renamed.xlsx", "文件不是有效的 Excel 工作簿"},
    {"picture.xls", "文件不是有效的 Excel 工作簿"},
    {"html_saved_as.xls", "文件不是有效的 Excel 工作簿"},
    {"empty.xls", "文件不是有效的 Excel 工作簿"},
    {"empty.xlsx", "文件不是有效的 Excel 工作簿"},
    {"truncated_8.xls", "工作簿已损坏或不完整"},
    {"truncated_512.xls", "工作簿已损坏"},
    {"truncated_2816.xls", "工作簿已损坏"},
    {"truncated_4932.xls", "工作簿已损坏"},
    {"truncated_4.xlsx", "文件不是有效的 Excel 工作簿"},
    {"truncated_100.xlsx", "文件不是有效的 Excel 工作簿"},
    {"truncated_1832.xlsx", "文件不是有效的 Excel 工作簿"},
    {"truncated_3634.xlsx", "文件不是有效的 Excel 工作簿"},
    {"no_workbook_part.xlsx", "缺少 xl/workbook.xml"},
    {"sheet_xml_cut.xlsx", "工作簿已损坏（xl/worksheets/sheet1.xml：XML 标记不完整）"},
    {"directory_name_too_long.xls", "工作簿已损坏（目录项无效）"},
    {"shared_string_overrun.xls", "工作簿已损坏（共享字符串表无效）"},
    {"broken_sector_chain.xls", "工作簿已损坏（扇区链无效）"},
    {"huge_stream_size.xls", "工作簿已损坏（扇区链无效）"},
    {"second_dimensions_record.xls", "工作簿已损坏（工作表尺寸记录无效）"},
    {"encrypted.xls", "工作簿有密码保护，不能读取"},
    {"encrypted_package.xlsx", "工作簿有密码保护，不能读取"},
    {"zip_encrypted.xlsx", "工作簿有密码保护，不能读取"},
    {"zip_bomb_declared_huge.xlsx", "工作簿的部件 xl/worksheets/sheet1.xml 过大，拒绝读取"},
    {"zip_bomb_lying_size.xlsx", "解压后超过声明的大小"},
    {"sst_index_out_of_range.xlsx", "共享字符串索引超出范围（D3：99999）"},
    {"cell_ref_zzzz.xlsx", "单元格引用无效或超出范围"},
};

// Readable workbooks whose layout or contents the import refuses.
const Refused kIllFormed[] = {
    {"missing_sheet3.xlsx", kMissingSheetMessage},
    {"empty_sheet1.xlsx", "工作表 Sheet1 是空的"},
    {"header_only.xls", "工作表 Sheet1 只有标题行，没有学生成绩"},
    {"duplicate_header.xlsx", "列名“语文”重复了（E 列和 F 列）"},
    {"empty_header.xlsx", "工作表 Sheet1 第 1 行（表头）的 E 列没有列名"},
    {"bracket_in_header.xlsx", "列名“备注[1]”含有不能用于列名的字符"},
    {"missing_xuehao_column.xlsx", "缺少“学号”列"},
    {"subject_not_in_sheet1.xlsx", "三线表中的科目“英语”在工作表 Sheet1（成绩）中没有对应的列"},
    {"lines_five_rows.xlsx", "工作表 Sheet3（三线表）中找不到“权重”一行"},
    {"lines_no_subject.xlsx", "中没有科目"},
    {"full_mark_text.xlsx", "工作表 Sheet3 的 B2 单元格（语文的满分）应是一个数"},
    {"full_mark_zero.xls", "工作表 Sheet3 的 C2 单元格（数学的满分）应大于 0"},
    {"subject_with_quote.xlsx", "科目名“数'学”只能由汉字、字母、数字和下划线组成"},
    {"score_text_absent.xlsx", "工作表 Sheet1 的 E4 单元格的成绩“缺考”不是数值"},
    {"score_error_value.xlsx", "工作表 Sheet1 的 F4 单元格是错误值 #N/A"},
    {"cols_16384.xlsx", "工作表 Sheet1 有 16384 列"},
};

void ExpectRefusedKeepingPrevious(HostileImport& t, const Refused& c, const ImportResult& result,
                                  const std::string& before, const std::string& db_path) {
  SCOPED_TRACE(c.file);
  EXPECT_FALSE(result.ok);
  const std::string shown = result.message.substr(0, 400);
  EXPECT_NE(result.message.find(c.message), std::string::npos) << shown;
  EXPECT_FALSE(result.caption.empty());
  // Whatever the engine said must not reach the user untranslated.
  EXPECT_EQ(result.message.find("SQL"), std::string::npos) << shown;
  EXPECT_EQ(Snapshot(db_path), before);
  (void)t;
}

TEST_F(HostileImport, UnreadableFilesAreRefusedAndThePreviousExamStays) {
  for (const Refused& c : kUnreadable)
    ExpectRefusedKeepingPrevious(*this, c, Import(c.file), before_, state_.database_path);
}

TEST_F(HostileImport, IllFormedWorkbooksAreRefusedAndThePreviousExamStays) {
  for (const Refused& c : kIllFormed)
    ExpectRefusedKeepingPrevious(*this, c, Import(c.file), before_, state_.database_path);
}

// Sheet names in another case, with blanks around them, or a teachers'
// sheet named 教师: the sheets are still found (by name, then by content).
TEST_F(HostileImport, SheetsUnderNearlyTheirNamesImport) {
  for (const char* file :
       {"sheet_names_lower.xlsx", "sheet_names_blanks.xlsx", "missing_sheet2.xls"}) {
    SCOPED_TRACE(file);
    ImportResult r = Import(file);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(QueryText(state_.database_path, "SELECT count(*) FROM 统计表"), "6\n");
    EXPECT_EQ(QueryText(state_.database_path, "SELECT count(*) FROM 教师表"), "2\n");
  }
}

TEST_F(HostileImport, EntityDefinitionsAreNeverExpanded) {
  ImportResult r = Import("billion_laughs.xlsx");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(QueryText(state_.database_path, "SELECT 姓名 FROM 成绩表 WHERE 学号 = 2024001"),
            "&lol9;\n");
}

TEST_F(HostileImport, ScoresOutsideTheRangeAreKeptAsData) {
  ImportResult r = Import("scores_negative_over_text_number.xls");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(QueryText(state_.database_path,
                      "SELECT 学号, 语文, 数学, 全科总分 FROM 统计表 "
                      "WHERE 学号 <= 2024004 ORDER BY 学号"),
            "2024001|-5|40|35\n"
            "2024002|200|47|247\n"
            "2024003|86||86\n"
            "2024004|99|85|184\n");
}

TEST_F(HostileImport, NamesWithQuotesCommentsAndEmojiArriveIntact) {
  const std::vector<std::string>& nasty = test_data::kHostileNames;
  const size_t n = nasty.size();
  for (const char* file : {"names_injection.xlsx", "names_injection.xls"}) {
    SCOPED_TRACE(file);
    ImportResult r = Import(file);
    ASSERT_TRUE(r.ok) << r.message;
    engine::Database db = engine::Database::Open(state_.database_path);
    engine::Recordset scores =
        db.OpenRecordset("SELECT 学校, 班级, 姓名 FROM 成绩表 ORDER BY 学号");
    for (size_t i = 0; i < n; ++i, scores.MoveNext()) {
      ASSERT_FALSE(scores.Eof());
      EXPECT_EQ(scores.FieldValue(0).AsText(), nasty[(i + 3) % n]);
      EXPECT_EQ(scores.FieldValue(1).AsText(), nasty[(i + 5) % n]);
      EXPECT_EQ(scores.FieldValue(2).AsText(), nasty[i]);
    }
    EXPECT_TRUE(scores.Eof());
    engine::Recordset teachers = db.OpenRecordset("SELECT 语文, 数学 FROM 教师表");
    for (size_t i = 0; i < n; ++i, teachers.MoveNext()) {
      ASSERT_FALSE(teachers.Eof());
      EXPECT_EQ(teachers.FieldValue(0).AsText(), nasty[i]);
      EXPECT_EQ(teachers.FieldValue(1).AsText(), nasty[(i + 1) % n]);
    }
    EXPECT_EQ(QueryText(state_.database_path, "SELECT count(*) FROM 统计表"),
              std::to_string(n) + "\n");
  }
}

TEST_F(HostileImport, LongTextsAndEmojiSubjectsImport) {
  ImportResult r = Import("long_text.xlsx");
  ASSERT_TRUE(r.ok) << r.message;
  std::string expected;
  for (int i = 0; i < 32767; ++i) expected += "长";
  EXPECT_EQ(QueryText(state_.database_path, "SELECT 姓名 FROM 成绩表 WHERE 学号 = 2024001"),
            expected + "\n");

  r = Import("subject_emoji.xlsx");
  ASSERT_TRUE(r.ok) << r.message;
  ASSERT_EQ(state_.subject_lines.Count(), 2);
  EXPECT_EQ(state_.subject_lines.SubjectName[1], "数学😀");
  EXPECT_EQ(QueryText(state_.database_path,
                      "SELECT 全科总分, 全科及格数 FROM 统计表 WHERE 学号 = 2024002"),
            "120|0\n");
}

TEST_F(HostileImport, TheLargestOldFormatSheetImports) {
  ImportResult r = Import("rows_65536.xls");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(QueryText(state_.database_path, "SELECT count(*), sum(语文), max(学号) FROM 统计表"),
            "65535|4915050|65535\n");
  EXPECT_EQ(QueryText(state_.database_path, "SELECT count(*) FROM 统计表 WHERE 全科排名 = 1"),
            "434\n");
}

}  // namespace
}  // namespace data
