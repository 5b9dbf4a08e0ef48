// What the import tells the user beside its success text, and the checks
// that several workbooks make one exam.
#pragma once

#include <string>
#include <vector>

#include "data/import_layout.h"

namespace data {

// Refuses workbooks that are not one exam: other subjects, other lines, a
// 学号 or a class in two of them. Nothing to check for one workbook.
void CheckSameExam(const std::vector<CheckedWorkbook>& books);

// The import summary: students, schools, classes, subjects, the rows
// skipped (titles, summaries, blank) and every warning with its first
// cells; for each subject whose full mark is not 100, unless `lines_scaled`
// (the reports scale every line by the full mark), the two lines that the
// single-subject reports and 统计表 use.
std::string ImportSummary(const std::vector<CheckedWorkbook>& books, bool lines_scaled);

}  // namespace data
