// 筛选 (shaixwan): copies the rows of one school, or of one class of a school,
// from a report grouped by school and class into a new document. Works on
// what the grid shows, not on the database.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/app_state.h"
#include "output/document.h"
#include "reports/report_catalog.h"

namespace reports {

// What the dialog frmshaixuan holds.
struct FilterOptions {
  int school_col = 0;  // 0 when the grid has no 学校 column
  int class_col = 0;
  std::vector<std::string> schools;  // Combo1
  std::vector<std::string> classes;  // Combo2: an empty item, then the classes
  std::string school;                // Combo1's text
  std::string klass;                 // Combo2's text
};

// Loading: the columns and the school list of `source` (a school that occurs
// in two separate runs of rows is listed twice). Texts are trimmed.
FilterOptions OpenFilterDialog(const grid::ReportGrid& source);
// Combo1: the classes of that school, in the order they first follow each other.
void ChooseFilterSchool(FilterOptions& options, const grid::ReportGrid& source,
                        const std::string& school);
// OK: the first to the last matching row (and every row between them) in a
// new document titled school + class + "成绩表", laid out as a listing; no
// document when no row matches.
std::optional<output::Document> RunFilter(const FilterOptions& options,
                                          const grid::ReportGrid& source,
                                          const data::AppState& state);

// shaixwan from choices: the kind named by "--from" is made first with the
// same choices, then filtered to "--school" and "--class".
output::Document FilterReport(ReportRun& run, const ReportChoices& choices);

}  // namespace reports
