// The frame the analysis reports share (一分一段, 名次段, 临界生, 超均率,
// 标准分, 试卷质量, 等级评价): the exam read once into a snapshot, the
// measure a report counts by, and a table filled cell by cell and laid out
// like the statistics reports (two title lines, centred columns, the page
// and footer, fitted to the paper) but with each column's display format
// given by the report and its heading kept exactly as given.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/paper_fit.h"
#include "output/report_layout.h"
#include "stats/exam_snapshot.h"

namespace reports {

inline constexpr std::string_view kAllTotal = "全科总分";
inline constexpr std::string_view kMainTotal = "主科总分";

// The current exam: the subject lines reloaded from the database, 统计表 read into a snapshot.
// Before the first import (or when 统计表 cannot be read) an exam without students, with the
// subjects of 三线表 if there is one.
stats::ExamSnapshot ReadCurrentExam(data::AppState& state, common::ProgressSink& progress);

// The current exam read once for many reports: what ReadCurrentExam gives
// and the subject lines it leaves in the state.
struct CurrentExam {
  std::string database_path;
  data::SubjectLines lines;
  stats::ExamSnapshot exam;
};
// Nothing when the database cannot be opened (each report then says so).
std::shared_ptr<const CurrentExam> ReadCurrentExamOnce(const data::AppState& state,
                                                       common::ProgressSink& progress);
// While one lives, ReadCurrentExam on this thread, for the same database,
// gives a copy of `exam` instead of reading 统计表 again (`report all` makes a
// dozen analysis sheets of one exam). The exam must not change meanwhile.
class ReuseCurrentExam {
 public:
  explicit ReuseCurrentExam(std::shared_ptr<const CurrentExam> exam);
  ReuseCurrentExam(const ReuseCurrentExam&) = delete;
  ReuseCurrentExam& operator=(const ReuseCurrentExam&) = delete;
  ~ReuseCurrentExam();

 private:
  std::shared_ptr<const CurrentExam> exam_;
  const CurrentExam* previous_;
};

// What a report counts or ranks by: a subject, counting those who sat it,
// or one of the two weighted totals, counting every student.
struct Measure {
  std::string name;  // the subject's name, "全科总分" or "主科总分"
  int subject = -1;  // index into the exam's subjects; -1 for a total
  std::span<const double> scores;
  std::span<const std::int32_t> stored_ranks;  // the totals' ranks from 统计表

  bool IsTotal() const { return subject < 0; }
  // A score as its cell shows it: a total as the single-precision column
  // holds it (7 digits), a subject's score as entered.
  std::string Text(double score) const;
  // Ranks 1, 2, 2, 4 over the whole exam, highest first; 0 for an absent score.
  std::vector<std::int32_t> Ranks() const;
};

// "全科总分", "主科总分" or a subject's name. Throws ReportError
// "没有这个科目：name" for anything else.
Measure ChooseMeasure(const stats::ExamSnapshot& exam, std::string_view name);

// Texts of figures: the shortest form with up to 15 digits (the column's
// format rounds it for display); empty for a figure that does not exist
// (a mean of nobody, a spread of one score).
std::string FigureText(std::optional<double> value);
std::string CountText(std::int64_t count);
// part / whole × 100; empty when whole is 0.
std::string PercentText(std::int64_t part, std::int64_t whole);

// A column of an analysis table: its heading and display format ("0.00",
// "0.0", "0", grid::kGeneralNumber, or "" for texts).
struct TableColumn {
  std::string heading;
  std::string format;
};

// Makes doc.grid a table of `columns` (from grid column 1 on) with
// `data_rows` empty data rows after the heading row and the one empty row
// every filled report ends with. Rows are filled with SetCellText; drawing
// stays off until FinishTable.
void StartTable(output::Document& doc, const std::vector<TableColumn>& columns,
                std::size_t data_rows);

// Writes 学校 and 班级 of the exam's class `class_index` into columns 1 and
// 2 of `row`.
void WriteClassKeys(grid::ReportGrid& grid, int row, const stats::ExamSnapshot& exam,
                    std::size_t class_index);
// Writes 学校, 学号, 班级 and 姓名 of student `student` into columns 1 to 4
// of `row`, the order of the statistics table.
void WriteStudentKeys(grid::ReportGrid& grid, int row, const stats::ExamSnapshot& exam,
                      std::size_t student);
// The label of a 合计 row (always row 1 of a per-class table): "合计" under 学校.
void WriteTotalLabel(grid::ReportGrid& grid);

// Tells `progress`, every 65,536 rows, that row `row` of `rows` is being
// filled: a list of a million students takes seconds.
void ReportRowProgress(common::ProgressSink& progress, std::size_t row, std::size_t rows);

// Sets the caption and the title box (`title` followed by " [共有 n 个记录]",
// n = `records`, or " [没有记录]"), then lays the table out: headings
// wrapped in a 32-pixel row, columns centred, the print titles, the page
// with its footer, and the fit to the paper: a table of figures per class
// or subject turns landscape first, a list of students shrinks first and
// stays portrait (output::FitPreference).
void FinishTable(output::Document& doc, const data::AppState& state, const std::string& title,
                 std::size_t records, output::FitPreference fit, output::Date today);

}  // namespace reports
