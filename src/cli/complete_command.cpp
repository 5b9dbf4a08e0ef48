// complete: the words of scorestat-cli's bash completion, read from the
// report catalog and the database so that the two cannot drift apart.
#include <filesystem>
#include <iostream>

#include "cli/cli.h"
#include "data/score_database.h"
#include "reports/report_catalog.h"

namespace cli {
namespace {

void PrintKinds(std::ostream& out) {
  for (const reports::ReportKind& kind : reports::ReportCatalog()) out << kind.control_name << "\n";
  out << "all\n";
}

void PrintOptions(std::ostream& out, const std::string& kind_name) {
  out << "-o\n";
  const reports::ReportKind* kind = reports::FindReportKind(kind_name);
  if (kind == nullptr) return;
  out << "--mask\n--no-rank\n";
  for (const reports::ReportOption& option : kind->options) out << "--" << option.name << "\n";
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
    PrintKinds(ctx.out);
  } else if (what == "options" && ctx.args.size() > 1) {
    PrintOptions(ctx.out, ctx.args[1]);
  } else if (what == "subjects") {
    PrintSubjects(ctx);
  }
  return 0;
}

}  // namespace cli
