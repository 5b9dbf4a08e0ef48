// A small exam for the analysis reports, imported through the real import
// so that 统计表 holds the totals and ranks the program itself computes.
// Every figure the tests expect was worked out by hand from this table.
//
//   学校 学号 班级 姓名  语文  数学   体育 | 主科总分 全科总分 全科排名
//   二中 201  1    甲    80    120    40   |  200      220      3
//   一中 101  2    乙    90    135    40   |  225      245      1
//   一中 102  1    丙    85    112.5  40   |  197.5    217.5    4
//   一中 103  1    丁    58    -      40   |  58       78       8
//   一中 104  2    戊    -     90     -    |  90       90       7
//   二中 202  1    己    77.5  120    40   |  197.5    217.5    4
//   一中 105  1    庚    90    127.5  40   |  217.5    237.5    2
//   一中 106  2    辛    55    60     40   |  115      135      6
//
// 语文 out of 100 (lines 85 / 75 / 60), 数学 out of 150 (127.5 / 112.5 /
// 90), both main; 体育 out of 50 (45 / 40 / 30), weighted 50 %, and all who
// sat it scored 40: a subject without spread. "-" is absent. The classes in
// report order are 一中 1 (丙 丁 庚), 一中 2 (乙 戊 辛), 二中 1 (甲 己).
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "../scratch_dir.h"
#include "data/import.h"
#include "data/score_database.h"
#include "data/workbook.h"
#include "data/xlsx_writer.h"

namespace analysis_test {

using Row = std::vector<std::string>;  // "" is an empty cell

inline void FillSheet(data::Sheet& sheet, const std::vector<Row>& rows) {
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const std::string& v = rows[r][c];
      if (v.empty()) continue;
      char* end = nullptr;
      const double d = std::strtod(v.c_str(), &end);
      if (r > 0 && c != 0 && *end == '\0')
        sheet.SetNumber(r, c, d);
      else
        sheet.SetText(r, c, v);
    }
}

struct ExamRows {
  std::vector<Row> scores = {
      {"学校", "学号", "班级", "姓名", "语文", "数学", "体育"},
      {"二中", "201", "1", "甲", "80", "120", "40"},
      {"一中", "101", "2", "乙", "90", "135", "40"},
      {"一中", "102", "1", "丙", "85", "112.5", "40"},
      {"一中", "103", "1", "丁", "58", "", "40"},
      {"一中", "104", "2", "戊", "", "90", ""},
      {"二中", "202", "1", "己", "77.5", "120", "40"},
      {"一中", "105", "1", "庚", "90", "127.5", "40"},
      {"一中", "106", "2", "辛", "55", "60", "40"},
  };
  std::vector<Row> teachers = {
      {"学校", "班级", "语文", "数学", "体育"},
      {"一中", "1", "张老师", "李老师", "王老师"},
      {"一中", "2", "赵老师", "", "王老师"},
  };
  std::vector<Row> lines = {
      {"项目", "语文", "数学", "体育"}, {"满分", "100", "150", "50"}, {"优秀", "85", "85", "90"},
      {"优良", "75", "75", "80"},       {"及格", "60", "60", "60"},   {"主科", "1", "1", "0"},
      {"权重", "100", "100", "50"},
  };
};

// The exam as a workbook in the import's layout.
inline void WriteExamBook(const ExamRows& rows, const std::string& path) {
  data::Workbook book;
  FillSheet(book.AddSheet("Sheet1"), rows.scores);
  FillSheet(book.AddSheet("Sheet2"), rows.teachers);
  FillSheet(book.AddSheet("Sheet3"), rows.lines);
  data::WriteWorkbookXlsx(path, book);
}

// A database in a folder of its own, removed afterwards, with the titles
// the reports print.
class ExamDatabase {
 public:
  // `name` is the workbook's file name, which names the exam in the library.
  explicit ExamDatabase(const ExamRows& rows = {}, const std::string& name = "exam") {
    state.database_path = dir_.File("sujuf.db");
    import_result = Import(rows, name);
    engine::Database db = data::OpenScoreDatabase(state);
    db.Execute(
        "UPDATE bsxtable SET 主标题='高一期中', 副左标题='某县一中', 副右标题='2024学年', "
        "显示日期='0'");
    data::LoadTitleSettings(state);
  }
  // Imports another exam into the same database, which becomes the current
  // one; the library keeps the earlier ones.
  data::ImportResult Import(const ExamRows& rows, const std::string& name) {
    const std::string path = dir_.File(name + ".xlsx");
    WriteExamBook(rows, path);
    common::NullProgress progress;
    return data::ImportExam(state, path, progress);
  }
  engine::Database Open() const { return data::OpenScoreDatabase(state); }

  data::AppState state;
  data::ImportResult import_result;

 private:
  test_support::ScratchDir dir_{"scorestat_analysis"};
};

}  // namespace analysis_test
