// Writing reports to files for the command-line tool.
#pragma once

#include <string>
#include <vector>

#include "cli/cli.h"
#include "common/progress.h"
#include "output/document.h"
#include "reports/report_catalog.h"

namespace cli {

// The ending of a file name after its last dot, in lower case ("xlsx"); empty
// when there is none.
std::string FileExtension(const std::string& path);

// Writes `doc` in the format its file ending names: .scg or .json (the grid
// file), .xlsx, .html, .csv or .pdf.
common::Status WriteDocument(const output::Document& doc, const std::string& path,
                             common::ProgressSink* progress = nullptr);

// The words after a kind: "-o FILE", "--key value" or "--key=value" (a key
// may repeat; a bare "--key" has the value ""), and a bare word as the
// subject. False, with the message on `err`, when -o has no file.
bool ParseChoices(const std::vector<std::string>& words, reports::ReportChoices& choices,
                  std::string& out_path, std::ostream& err);
// Takes --mask and --no-rank, which every report and the pack accept, out of
// `words` into `privacy`.
void TakePrivacyFlags(std::vector<std::string>& words, data::PrivacySettings& privacy);

// The settings a report reads, loaded; the privacy flags already in
// ctx.state.privacy add to the stored ones.
void LoadSettingsForRun(Context& ctx);

// One kind made with `choices` (checked against its options already), the
// settings loaded first and its progress shown on stderr.
output::Document MakeReport(Context& ctx, const reports::ReportKind& kind,
                            const reports::ReportChoices& choices);

// Every kind of the catalog that `report all` includes, once per subject for
// the per-subject kinds, as the sheets of one .xlsx workbook, with a progress
// bar on stderr; `with_charts` adds each subject's histogram and box plot as
// pictures on sheets of their own.
int WriteAllReports(Context& ctx, const std::string& path, bool with_charts);

// The pictures `report all --charts` adds, named for their sheets. Empty in
// a build without the chart module.
struct ChartSheet {
  std::string name;
  std::string png;
};
std::vector<ChartSheet> SubjectChartSheets(Context& ctx);

}  // namespace cli
