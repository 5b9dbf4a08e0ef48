// Writing reports to files for the command-line tool.
#pragma once

#include <string>
#include <vector>

#include "cli/cli.h"
#include "output/document.h"
#include "reports/report_catalog.h"

namespace cli {

// Writes `doc` in the format its file ending names: .scg or .json (the grid
// file), .xlsx, .html, .csv or .pdf.
common::Status WriteDocument(const output::Document& doc, const std::string& path);

// One kind made with `choices` (checked against its options already), the
// settings loaded first and its progress shown on stderr.
output::Document MakeReport(Context& ctx, const reports::ReportKind& kind,
                            const reports::ReportChoices& choices);

// Every kind of the catalog that `report all` includes, once per subject for
// the per-subject kinds, as the sheets of one .xlsx workbook, with a progress
// bar on stderr.
int WriteAllReports(Context& ctx, const std::string& path);

}  // namespace cli
