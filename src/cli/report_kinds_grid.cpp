// The report kinds built on the grid or from dialog choices: the ranked
// listings, custom totals and rankings, comprehensive statistics, student
// lists, the filter and the covers. Dialog choices come as options.
#include <algorithm>
#include <exception>
#include <optional>
#include <sstream>

#include "cli/report_kinds.h"
#include "cli/stderr_progress.h"
#include "common/text_number.h"
#include "data/score_database.h"
#include "output/report_layout.h"
#include "reports/comprehensive_stats.h"
#include "reports/cover_page.h"
#include "reports/custom_ranking.h"
#include "reports/filter_rows.h"
#include "reports/listing_scores.h"
#include "reports/stat_columns.h"
#include "reports/student_list.h"
#include "settings/options_model.h"

namespace cli {
namespace {

// An option's values, its key given with or without the dashes.
std::vector<std::string> Values(const ReportArgs& args, const std::string& key) {
  std::vector<std::string> out;
  for (const std::string& k : {key, "--" + key}) {
    auto [first, last] = args.options.equal_range(k);
    for (auto it = first; it != last; ++it) out.push_back(it->second);
  }
  return out;
}

std::string Value(const ReportArgs& args, const std::string& key,
                  const std::string& fallback = {}) {
  const std::vector<std::string> all = Values(args, key);
  return all.empty() ? fallback : all.back();
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, sep);) parts.push_back(part);
  return parts;
}

// ---- zdyzf, zdypm1
// "--rank 科目:段班校[:1|2]" options as the ranking page's rows.
std::vector<reports::RankingRow> RankRows(const ReportArgs& args) {
  std::vector<reports::RankingRow> rows;
  for (const std::string& item : Values(args, "rank")) {
    const std::vector<std::string> parts = Split(item, ':');
    if (parts.size() < 2) throw reports::ReportError("排名写成 科目:段班校[:1|2]：" + item);
    reports::RankingRow row{parts[0], false, false, false, parts.size() > 2 ? parts[2] : "1"};
    row.grade = parts[1].find("段") != std::string::npos;
    row.klass = parts[1].find("班") != std::string::npos;
    row.school = parts[1].find("校") != std::string::npos;
    rows.push_back(row);
  }
  return rows;
}

output::Document CustomTotal(Context& ctx, const ReportArgs& args) {
  data::LoadStartupSettings(ctx.state);
  output::Document doc = reports::zdyzf(ctx.state);
  const int first = ctx.state.subject_lines.FirstSubjectCol;
  reports::TotalsPage page = settings::BuildTotalsPage(doc.grid, first);
  if (const std::string total = Value(args, "total"); !total.empty()) {
    for (auto& row : page.rows) row.in_total = false;
    for (const std::string& item : Split(total, ',')) {
      const std::vector<std::string> parts = Split(item, ':');
      auto it = std::find_if(page.rows.begin(), page.rows.end(),
                             [&](const auto& r) { return r.subject == parts.at(0); });
      if (it == page.rows.end()) throw reports::ReportError("没有这个列：" + parts.at(0));
      it->in_total = true;
      it->percent = parts.size() > 1 ? parts[1] : "100";
    }
  }
  if (const std::string after = Value(args, "after"); !after.empty()) {
    auto it = std::find_if(page.rows.begin(), page.rows.end(),
                           [&](const auto& r) { return r.subject == after; });
    if (it == page.rows.end()) throw reports::ReportError("没有这个列：" + after);
    settings::TickRightOf(page, static_cast<int>(it - page.rows.begin()));
  }
  page.column_name = Value(args, "name", page.column_name);
  StderrProgress progress(ctx.err);
  reports::ApplyCustomTotal(doc.grid, first, page, progress);
  // The dialog's second stage: the new total can be ranked in the same window.
  if (const std::vector<reports::RankingRow> rows = RankRows(args); !rows.empty())
    reports::ApplyRanking(doc, ctx.state, rows, progress);
  progress.Finish();
  return doc;
}

output::Document CustomRanking(Context& ctx, const ReportArgs& args) {
  data::LoadStartupSettings(ctx.state);
  output::Document doc = reports::zdypm1(ctx.state);
  const std::vector<reports::RankingRow> rows = RankRows(args);
  if (rows.empty()) throw reports::ReportError("请指定排名：--rank 科目:段班校[:1|2]");
  StderrProgress progress(ctx.err);
  reports::ApplyRanking(doc, ctx.state, rows, progress);
  progress.Finish();
  return doc;
}

// ---- qkjhtj
output::Document Comprehensive(Context& ctx, const ReportArgs& args) {
  data::LoadStartupSettings(ctx.state);
  reports::ComprehensiveOptions o = reports::OpenComprehensiveDialog(ctx.state);
  const std::string category = Value(args, "category", "全科");
  if (category == "单科") {
    reports::ChooseCategory(o, reports::StatCategory::kSubject, ctx.state);
    const std::string subject = Value(args, "subject");
    if (!subject.empty())
      reports::ChooseSubject(o, reports::SubjectIndex(ctx.state.subject_lines, subject), ctx.state);
  } else if (category == "主科") {
    reports::ChooseCategory(o, reports::StatCategory::kMain, ctx.state);
  } else if (category != "全科") {
    throw reports::ReportError("统计类别只能是 单科、主科 或 全科");
  }
  const std::string range = Value(args, "range", "全部");
  o.range = range == "各班"   ? reports::StatRange::kClass
            : range == "各校" ? reports::StatRange::kSchool
                              : reports::StatRange::kAll;
  if (Value(args, "by") == "名" && o.by_rank_enabled) reports::ChooseRanks(o);
  if (const std::string n = Value(args, "n"); !n.empty()) {
    const std::vector<std::string> parts = Split(n, ',');
    for (size_t i = 0; i < o.n_texts.size(); ++i) o.n_texts[i] = i < parts.size() ? parts[i] : "";
  }
  const std::string items = Value(args, "items", "1234");
  o.check1 = o.check1_enabled && items.find('1') != std::string::npos;
  o.check2 = o.check2_enabled && items.find('2') != std::string::npos;
  o.check3 = items.find('3') != std::string::npos;
  o.check4 = items.find('4') != std::string::npos;
  reports::ComprehensiveResult result = reports::RunComprehensive(o, ctx.state);
  if (!result.document) throw reports::ReportError(result.message);
  return std::move(*result.document);
}

// ---- mingdan
// "语文>=80" as column, operator and value.
void ParseComparison(const std::string& text, std::string& column, std::string& op,
                     std::string& value) {
  const size_t at = text.find_first_of("<>=");
  if (at == std::string::npos || at == 0)
    throw reports::ReportError("条件写成 列名比较符数值：" + text);
  size_t end = at + 1;
  if (end < text.size() && text[end] == '=') ++end;
  column = text.substr(0, at);
  op = text.substr(at, end - at);
  value = text.substr(end);
}

output::Document StudentList(Context& ctx, const ReportArgs& args) {
  data::LoadStartupSettings(ctx.state);
  reports::StudentListOptions o = reports::OpenStudentListDialog(ctx.state);
  if (const std::string school = Value(args, "school"); !school.empty()) {
    reports::ChooseListSchool(o, school, ctx.state);
    o.klass = Value(args, "class");
  }
  const std::string cond = Value(args, "cond");
  if (cond.empty()) {
    const double preset = common::NumericValue(Value(args, "preset", "1"));
    if (preset < 1 || preset > 8) throw reports::ReportError("--preset 只能是 1 到 8");
    reports::ChoosePreset(o, static_cast<int>(preset));
  } else {
    o.tab = 1;
    ParseComparison(cond, o.column1, o.op1, o.value1);
    const std::string second_and = Value(args, "and"), second_or = Value(args, "or");
    if (!second_and.empty() || !second_or.empty()) {
      o.use_or = second_and.empty();
      ParseComparison(o.use_or ? second_or : second_and, o.column2, o.op2, o.value2);
    }
    const std::vector<std::string> show = Values(args, "show");
    if (!show.empty()) {
      const std::string first = show[0] == "主科"   ? reports::kMainGroupItem
                                : show[0] == "全科" ? reports::kAllGroupItem
                                                    : show[0];
      reports::ChooseShowItem1(o, first);
      if (show.size() > 1) {
        const std::string message = reports::ChooseShowItem2(o, show[1]);
        if (!message.empty()) throw reports::ReportError(message);
      }
    }
  }
  reports::StudentListResult result = reports::RunStudentList(o, ctx.state);
  if (!result.document) throw reports::ReportError(result.message);
  return std::move(*result.document);
}

// ---- shaixwan: the source report is built first, with the same options.
output::Document Filter(Context& ctx, const ReportArgs& args) {
  const std::string from = Value(args, "from", "zfdmbm");
  std::vector<ReportKind> kinds = GridReportKinds();
  for (ReportKind& k : SqlReportKinds()) kinds.push_back(std::move(k));
  auto kind =
      std::find_if(kinds.begin(), kinds.end(), [&](const auto& k) { return k.name == from; });
  if (kind == kinds.end() || from == "shaixwan")
    throw reports::ReportError("不能筛选这个报表：" + from);
  const output::Document source = kind->build(ctx, args);
  reports::FilterOptions o = reports::OpenFilterDialog(source.grid);
  reports::ChooseFilterSchool(o, source.grid, Value(args, "school"));
  o.klass = Value(args, "class");
  std::optional<output::Document> doc = reports::RunFilter(o, source.grid, ctx.state);
  if (!doc) throw reports::ReportError("没有这个学校或班级的行：" + o.school + o.klass);
  return std::move(*doc);
}

template <output::Document (*Listing)(data::AppState&, common::ProgressSink&)>
output::Document RankedListing(Context& ctx, const ReportArgs&) {
  data::LoadStartupSettings(ctx.state);
  StderrProgress progress(ctx.err);
  output::Document doc = Listing(ctx.state, progress);
  progress.Finish();
  return doc;
}

// "--date 2024-07-01": the day printed on the cover, today when absent.
output::Date CoverDate(const ReportArgs& args) {
  const std::string text = Value(args, "date");
  if (text.empty()) return output::Today();
  int year = 0;
  unsigned month = 0, day = 0;
  char dash1 = 0, dash2 = 0;
  std::istringstream in(text);
  in >> year >> dash1 >> month >> dash2 >> day;
  const output::Date date{std::chrono::year{year}, std::chrono::month{month},
                          std::chrono::day{day}};
  if (!in || dash1 != '-' || dash2 != '-' || !date.ok())
    throw reports::ReportError("日期写成 年-月-日：" + text);
  return date;
}

template <output::Document (*Cover)(const data::TitleSettings&, output::Date)>
output::Document CoverPage(Context& ctx, const ReportArgs& args) {
  data::LoadStartupSettings(ctx.state);
  return Cover(ctx.state.title_settings, CoverDate(args));
}

}  // namespace

std::vector<ReportKind> GridReportKinds() {
  return {
      {"zfdmbm", "zfdmbm: 成绩总分名次表（总分、平均分、年级和班级名次）",
       RankedListing<reports::zfdmbm>},
      {"czzpm", "czzpm: 主科总分名次表", RankedListing<reports::czzpm>},
      {"qkjhtj",
       "qkjhtj [--category 单科|主科|全科] [--subject 科目] [--range 各班|各校|全部] [--items "
       "1234] "
       "[--by 分|名] [--n N1,N2,N3,N4]",
       Comprehensive},
      {"mingdan",
       "mingdan [--preset 1-8] [--cond 列>值 [--and|--or 列>=值] [--show 主科|全科|列 [--show "
       "列]]] "
       "[--school 学校 [--class 班级]]",
       StudentList},
      {"zdyzf", "zdyzf [--total 科目:比例,...] [--after 科目] [--name 总分] [--rank 总分:班[:2]]",
       CustomTotal},
      {"zdypm1", "zdypm1 --rank 科目:段班校[:1|2] ...", CustomRanking},
      {"shaixwan", "shaixwan [--from KIND [its options]] --school 学校 [--class 班级]", Filter},
      {"hxfm", "hxfm [--date 年-月-日]", CoverPage<reports::hxfm>},
      {"zxfm", "zxfm [--date 年-月-日]", CoverPage<reports::zxfm>},
  };
}

}  // namespace cli
