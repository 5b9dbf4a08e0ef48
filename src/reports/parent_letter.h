// 家长告知书 (grbg): a page per student for the family: the child's scores
// and letters, and how the class spread over the letters in each subject —
// counts only, no other child named, no rank. The pages are strips of the
// grid (output::Document::strips), each beginning a page, so the letters
// print, preview and export as the result slips do.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/letter_trend.h"
#include "reports/report_catalog.h"
#include "stats/exam_snapshot.h"

namespace reports {

// One class when `school` or `klass` is set (as SlipStudents chooses).
struct LetterOptions {
  std::string school{};
  std::string klass{};
  data::LetterTrend trend = data::LetterTrend::kAuto;
};

// The letter's last line: the stored 告知书落款, else the school's name and the date.
std::string LetterFooter(const data::TitleSettings& titles, output::Date today);

// The letters of one exam: the class counts computed once (see SlipWriter),
// with `trends` under the scores when they are shown. Keeps a reference to
// `exam`, which must outlive it.
class LetterWriter {
 public:
  explicit LetterWriter(const stats::ExamSnapshot& exam, LetterTrends trends = {});
  void Fill(output::Document& doc, std::span<const std::size_t> students,
            const data::AppState& state, const std::string& title, output::Date today) const;

 private:
  const stats::ExamSnapshot& exam_;
  std::vector<std::vector<std::int64_t>> counts_;     // GradeCounts
  std::vector<std::array<std::int64_t, 4>> overall_;  // 总评 letters per class
  LetterTrends trends_;
};

void ParentLetters(output::Document& doc, data::AppState& state, const LetterOptions& options,
                   common::ProgressSink& progress, output::Date today);

// The catalog's grbg: --class 学校/班级, --trend / --no-trend.
void ParentLetterKind(output::Document& doc, ReportRun& run, const ReportChoices& choices);

}  // namespace reports
