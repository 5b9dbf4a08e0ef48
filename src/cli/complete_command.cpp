// complete: the words of scorestat-cli's bash completion, read from the
// report and chart catalogs and the database so that they cannot drift
// apart.
#include <filesystem>
#include <iostream>

#include "cli/cli.h"
#include "data/score_database.h"
#include "reports/chart_catalog.h"
#include "reports/report_catalog.h"

namespace cli {
namespace {

// `report`'s kinds and all, or `chart`'s.
void PrintKinds(std::ostream& out, const std::string& command) {
  if (command == "chart") {
    for (const reports::ChartKind& kind : reports::ChartCatalog()) out << kind.control_name << "\n";
    return;
  }
  for (const reports::ReportKind& kind : reports::ReportCatalog()) out << kind.control_name << "\n";
  out << "all\n";
}

void PrintDeclared(std::ostream& out, std::span<const reports::ReportOption> options) {
  for (const reports::ReportOption& option : options) {
    out << "--" << option.name << "\n";
    if (option.negatable) out << "--no-" << option.name << "\n";
  }
}

// A report kind's or a chart kind's options (the two share no name).
void PrintOptions(std::ostream& out, const std::string& kind_name) {
  out << "-o\n";
  if (const reports::ReportKind* kind = reports::FindReportKind(kind_name)) {
    out << "--mask\n--no-rank\n";
    PrintDeclared(out, kind->options);
  } else if (const reports::ChartKind* chart = reports::FindChartKind(kind_name)) {
    out << "--size\n";
    PrintDeclared(out, chart->options);
  }
}

// A completion must not leave a new database behind where the user merely
// pressed Tab.
void PrintSubjects(Context& ctx) {
  std::error_code ec;
  if (!std::filesystem::exists(ctx.state.database_path, ec)) return;
  if (!data::LoadSubjectLines(ctx.state)) return;
  for (const std::string& name : ctx.state.subject_lines.SubjectName) ctx.out << name << "\n";
}

}  // namespace

int Complete(Context& ctx, const std::vector<std::string>& commands) {
  const std::string what = ctx.args.empty() ? std::string() : ctx.args[0];
  if (what == "commands") {
    for (const std::string& name : commands) ctx.out << name << "\n";
  } else if (what == "kinds") {
    PrintKinds(ctx.out, ctx.args.size() > 1 ? ctx.args[1] : "report");
  } else if (what == "options" && ctx.args.size() > 1) {
    PrintOptions(ctx.out, ctx.args[1]);
  } else if (what == "subjects") {
    PrintSubjects(ctx);
  }
  return 0;
}

}  // namespace cli
