// 成绩条 (cjt): one strip per student, to be cut apart and handed to each
// child, so that a family sees its own child's results and nobody else's.
// A strip is a heading row (学校, 班级, 学号, 姓名, each subject, 全科总分) over
// the student's row, then optionally the class's averages and the letters.
// Strips follow class by class (学校, 班级 in report order), students in the
// table's order; an empty row parts one strip from the next, so the grid
// exported to .xlsx is the layout teachers cut from, and Document::strips
// tells the printer where each strip lies and where a class begins.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"
#include "stats/exam_snapshot.h"

namespace reports {

struct SlipOptions {
  bool average = false;  // a 本班平均 row under the student's scores
  bool level = false;    // a 等级 row: letters by the lines, 总评 by rank
  bool rank = false;     // 年级名次 and 班级名次 columns
  // One class only when `school` or `klass` is set.
  std::string school{};
  std::string klass{};
};

// The slips of one exam: the class averages and ranks computed once, so
// that a pack of every class's slips reads the exam one time. Keeps a
// reference to `exam`, which must outlive it.
class SlipWriter {
 public:
  // `options` as ResultSlips adjusts them; their class is not read here.
  SlipWriter(const stats::ExamSnapshot& exam, const SlipOptions& options);
  // Fills `doc` with the slips of `students` (as SlipStudents lists them),
  // titled `title`.
  void Fill(output::Document& doc, std::span<const std::size_t> students,
            const data::AppState& state, const std::string& title, output::Date today) const;

 private:
  const stats::ExamSnapshot& exam_;
  SlipOptions options_;
  std::vector<std::vector<stats::Summary>> class_means_;  // [subject, then the total][class]
  std::vector<std::int32_t> class_ranks_;
};

// In no-rank mode (privacy) ranks are never shown and the letters always are.
SlipOptions AdjustedForPrivacy(SlipOptions options, const data::PrivacySettings& privacy);

// Fills `doc` with the slips of the chosen class, or of all. Throws
// ReportError when the chosen class is not in the exam.
void ResultSlips(output::Document& doc, data::AppState& state, const SlipOptions& options,
                 common::ProgressSink& progress, output::Date today);

// " （一中1班）": what a report for one class adds to its title; empty for all.
std::string ClassTitle(const std::string& school, const std::string& klass);

// The students of one class, or of every class when neither key is set, in
// slip order: class by class, within a class the table's order. Throws
// ReportError "没有这个班级：学校/班级" when a class is asked for and absent.
std::vector<std::size_t> SlipStudents(const stats::ExamSnapshot& exam, const std::string& school,
                                      const std::string& klass);

// "学校/班级" split at its last "/"; a text without one is a class of any school.
std::pair<std::string, std::string> SplitClassChoice(const std::string& text);

// A yes/no choice: given without a value or as 是 it is yes.
bool FlagChoice(const ReportChoices& choices, std::string_view name);

// The catalog's cjt: --average, --level, --rank (是|否), --class 学校/班级.
void ResultSlipKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
