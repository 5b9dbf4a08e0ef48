// The report kinds built by SQL: the browse commands, the single-subject,
// all-subject and subject-count reports and the data information tables.
#include <exception>

#include "cli/report_kinds.h"
#include "data/score_database.h"
#include "reports/all_subject.h"
#include "reports/browse.h"
#include "reports/data_info.h"
#include "reports/single_subject.h"
#include "reports/stat_columns.h"
#include "reports/subject_count.h"

namespace cli {
namespace {

// The subject named by "--subject NAME" or by the first positional word, as
// the 1-based index of the subject menus.
int SubjectMenuIndex(data::AppState& state, const ReportArgs& args) {
  std::string name;
  // The option's key is accepted with or without its dashes.
  for (const char* key : {"subject", "--subject"})
    if (auto it = args.options.find(key); name.empty() && it != args.options.end())
      name = it->second;
  if (name.empty() && !args.positional.empty()) name = args.positional.front();
  if (name.empty()) throw reports::ReportError("请指定科目：--subject 科目名");
  return reports::SubjectIndex(state.subject_lines, name) + 1;
}

using PlainReport = void (*)(output::Document&, data::AppState&);
using SubjectReport = void (*)(output::Document&, data::AppState&, int);

ReportKind Plain(std::string name, std::string usage, PlainReport report) {
  return {std::move(name), std::move(usage), [report](Context& ctx, const ReportArgs&) {
            data::LoadStartupSettings(ctx.state);
            output::Document doc;
            report(doc, ctx.state);
            return doc;
          }};
}

ReportKind PerSubject(std::string name, std::string usage, SubjectReport report) {
  return {std::move(name), std::move(usage),
          [report](Context& ctx, const ReportArgs& args) {
            data::LoadStartupSettings(ctx.state);
            int index = SubjectMenuIndex(ctx.state, args);
            output::Document doc;
            report(doc, ctx.state, index);
            return doc;
          },
          true};
}

void OverviewToday(output::Document& doc, data::AppState& state) {
  reports::cjbxx(doc, state);
}

}  // namespace

std::vector<ReportKind> SqlReportKinds() {
  return {
      Plain("cj", "cj: 成绩表", reports::cj),
      Plain("jsb", "jsb: 教师表", reports::jsb),
      Plain("sxb", "sxb: 三线表", reports::sxb),
      Plain("tjtable", "tjtable: 统计表", reports::tjtable),
      PerSubject("gbkm", "gbkm --subject 科目 (或 gbkm 科目): 各班单科统计", reports::gbkm),
      PerSubject("gxkm", "gxkm --subject 科目 (或 gxkm 科目): 各校单科统计", reports::gxkm),
      PerSubject("jskm", "jskm --subject 科目 (或 jskm 科目): 各单科教师统计", reports::jskm),
      Plain("gdktj", "gdktj: 各科统计", reports::gdktj),
      Plain("topn", "topn: 优秀优良及格科目数及成绩", reports::topn),
      Plain("cjbxx", "cjbxx: 统计信息（基本情况表）", OverviewToday),
      Plain("cjbschool", "cjbschool: 成绩表中的学校", reports::cjbschool),
      Plain("cjbclass", "cjbclass: 成绩表中的班级", reports::cjbclass),
  };
}

}  // namespace cli
