// 符合条件的学生名单 (mingdan): the students of 统计表 who meet a ready-made
// condition (tab 精简) or one or two comparisons (tab 更多), optionally
// within one school or one class.
//
// StudentListOptions holds what the dialog mingdanfrm's controls hold and the
// texts its click handlers keep; the functions below are those handlers.
// Only checked text reaches the SQL: column names must be columns of 统计表,
// operators one of the five, comparison values numbers, and the school and
// class go in as quoted literals.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "data/app_state.h"
#include "output/document.h"
#include "reports/report_catalog.h"

namespace reports {

inline constexpr const char* kMainGroupItem = "主科成绩、总分、排名";
inline constexpr const char* kAllGroupItem = "全科成绩、总分、排名";
inline constexpr const char* kAllSchools = "全部";

struct StudentListOptions {
  // ---- controls
  int tab = 0;                                    // 0 精简, 1 更多
  int preset = 1;                                 // jingjOpt(1) .. jingjOpt(8)
  std::string column1, op1 = ">", value1 = "80";  // Combo1, Combo2, Text1
  bool use_or = false;                            // hOpt 或; qOpt 且 otherwise
  std::string column2, op2, value2;               // Combo3, Combo4, Text2
  std::string show1, show2;                       // Combo5, Combo6
  bool show2_enabled = false;
  std::string school = kAllSchools;  // Combo7
  std::string klass;                 // Combo8
  bool class_enabled = false;
  // ---- the lists
  std::vector<std::string> columns;      // 统计表's columns after 姓名 (Combo1, 3, 5, 6)
  std::vector<std::string> operators;    // Combo2; Combo4 has an empty item first
  std::vector<std::string> schools;      // Combo7: 全部, then each school
  std::vector<std::string> classes;      // Combo8: an empty item, then each class
  std::vector<std::string> all_columns;  // every column of 统计表
  // ---- form-level texts
  std::string all_subjects, main_subjects;  // ",语文,数学,英语"
  int all_subject_count = 0, main_subject_count = 0;
  std::string jingj_sql, jingj_caption;
  std::string show_item1, show_item2;
};

// Loading the dialog: the column, school and subject lists from the database
// at state.database_path (a missing table leaves them empty), then preset 1.
StudentListOptions OpenStudentListDialog(data::AppState& state);
// The lists and texts the loading builds, from 统计表's columns, the schools
// and the subject lines (for tests and callers with their own data).
void FillStudentListOptions(StudentListOptions& options,
                            const std::vector<std::string>& table_columns,
                            const std::vector<std::string>& schools,
                            const data::SubjectLines& lines);

void ChoosePreset(StudentListOptions& options, int preset);  // 1 .. 8
// Combo7: fills the class list of that school (none for 全部).
void ChooseListSchool(StudentListOptions& options, const std::string& school,
                      const data::AppState& state);
void ChooseSecondColumn(StudentListOptions& options, const std::string& column);  // Combo3
void ChooseShowItem1(StudentListOptions& options, const std::string& item);       // Combo5
// Combo6: returns the refusal message when the item is already shown, else
// an empty text.
std::string ChooseShowItem2(StudentListOptions& options, const std::string& item);

// The statement and title OK builds, or the message that refuses them.
struct StudentListQuery {
  std::string message;
  std::string sql;
  std::string title;
};
StudentListQuery BuildStudentListQuery(const StudentListOptions& options,
                                       const std::string& main_title);

// OK: saves NewQry2 and fills a new document; a refused or rejected
// statement gives a message and changes nothing (the dialog stays open).
common::Result<output::Document> RunStudentList(const StudentListOptions& options,
                                                data::AppState& state);

// mingdan from choices: a preset (1-8) or a condition with its shown
// columns, for one school or class or for everybody.
output::Document StudentListReport(ReportRun& run, const ReportChoices& choices);

}  // namespace reports
