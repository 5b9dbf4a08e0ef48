// Writing reports to files for the command-line tool.
#pragma once

#include <string>
#include <vector>

#include "cli/report_kinds.h"

namespace cli {

// Writes `doc` in the format its file ending names: .json (the grid file),
// .xlsx, .html, .csv or .pdf. False with a Chinese message on failure.
bool WriteDocument(const output::Document& doc, const std::string& path, std::string& error);

// Every report of `kinds`, once per subject for the per-subject kinds, as the
// sheets of one .xlsx workbook, with a progress bar on stderr.
int WriteAllReports(Context& ctx, const std::vector<ReportKind>& kinds, const std::string& path);

}  // namespace cli
