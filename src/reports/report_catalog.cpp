#include "reports/report_catalog.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "reports/all_subject.h"
#include "reports/browse.h"
#include "reports/comprehensive_stats.h"
#include "reports/cover_page.h"
#include "reports/custom_ranking.h"
#include "reports/data_info.h"
#include "reports/filter_rows.h"
#include "reports/listing_scores.h"
#include "reports/single_subject.h"
#include "reports/stat_columns.h"
#include "reports/student_list.h"
#include "reports/subject_count.h"

namespace reports {

void ReportChoices::Add(std::string name, std::string value) {
  values_.emplace_back(std::move(name), std::move(value));
}

const ReportOption& ReportChoices::Declared(std::string_view name) const {
  for (const ReportOption& o : declared_)
    if (name == o.name) return o;
  throw std::logic_error("report option not declared: " + std::string(name));
}

std::string ReportChoices::Get(std::string_view name) const {
  const ReportOption& option = Declared(name);
  for (auto it = values_.rbegin(); it != values_.rend(); ++it)
    if (it->first == name) return it->second;
  return option.fallback;
}

std::vector<std::string> ReportChoices::All(std::string_view name) const {
  Declared(name);
  std::vector<std::string> out;
  for (const auto& [key, value] : values_)
    if (key == name) out.push_back(value);
  return out;
}

bool ReportChoices::Given(std::string_view name) const {
  Declared(name);
  return std::any_of(values_.begin(), values_.end(),
                     [&](const auto& v) { return v.first == name; });
}

ReportChoices ReportChoices::For(std::span<const ReportOption> declared) const {
  ReportChoices other(declared);
  other.values_ = values_;
  return other;
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

int ChosenSubject(const data::AppState& state, const ReportChoices& choices) {
  const std::string name = choices.Get("subject");
  if (name.empty()) throw ReportError("请指定科目：--subject 科目名");
  return SubjectIndex(state.subject_lines, name) + 1;
}

namespace {

// A report that a window shows as made elsewhere: its grid replaces the
// contents of the new document's, which keeps the window's clipboard and
// text measurer.
void MoveInto(output::Document& doc, output::Document made) {
  doc.caption = std::move(made.caption);
  doc.title = std::move(made.title);
  doc.grid.ReplaceContents(std::move(made.grid));
}

template <void (*Report)(output::Document&, data::AppState&)>
void Plain(output::Document& doc, ReportRun& run, const ReportChoices&) {
  Report(doc, run.state);
}

template <void (*Report)(output::Document&, data::AppState&, int)>
void PerSubject(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  Report(doc, run.state, ChosenSubject(run.state, choices));
}

template <output::Document (*Listing)(data::AppState&, common::ProgressSink&)>
void Ranked(output::Document& doc, ReportRun& run, const ReportChoices&) {
  MoveInto(doc, Listing(run.state, run.progress));
}

void Overview(output::Document& doc, ReportRun& run, const ReportChoices&) {
  cjbxx(doc, run.state, run.today);
}

template <output::Document (*Make)(ReportRun&, const ReportChoices&)>
void Made(output::Document& doc, ReportRun& run, const ReportChoices& choices) {
  MoveInto(doc, Make(run, choices));
}

constexpr ReportOption kSubjectOption[] = {{"subject", "科目", ""}};

constexpr ReportOption kComprehensiveOptions[] = {
    {"category", "单科|主科|全科", "全科"},
    {"subject", "科目", ""},
    {"range", "各班|各校|全部", "全部"},
    {"items", "1234", "1234"},
    {"by", "分|名", "分"},
    {"n", "N1,N2,N3,N4", ""},
};

constexpr ReportOption kStudentListOptions[] = {
    {"preset", "1-8", "1"},
    {"cond", "列>值", ""},
    {"and", "列>=值", ""},
    {"or", "列>=值", ""},
    {"show", "主科|全科|列", "", true},
    {"school", "学校", ""},
    {"class", "班级", ""},
};

constexpr ReportOption kCustomTotalOptions[] = {
    {"total", "科目:比例,...", ""},
    {"after", "科目", ""},
    {"name", "列名", "总分"},
    {"rank", "总分:段班校[:1|2]", "", true},
};

constexpr ReportOption kRankingOptions[] = {{"rank", "科目:段班校[:1|2]", "", true}};

constexpr ReportOption kFilterOptions[] = {
    {"from", "报表", "zfdmbm"}, {"school", "学校", ""}, {"class", "班级", ""}};

constexpr ReportOption kCoverOptions[] = {{"date", "年-月-日", ""}};

using K = KindInput;

// In the order of `report --help`; `report all` makes its sheets in this order.
const ReportKind kCatalog[] = {
    {"cj", "成绩表", "成绩表", K::kNone, {}, true, false, Plain<cj>},
    {"jsb", "教师表", "教师表", K::kNone, {}, true, false, Plain<jsb>},
    {"sxb", "三线表", "三线表", K::kNone, {}, true, false, Plain<sxb>},
    {"tjtable", "统计表", "统计表", K::kNone, {}, true, false, Plain<tjtable>},
    {"gbkm", "各班单科统计", "各班单科统计", K::kSubject, kSubjectOption, true, false,
     PerSubject<gbkm>},
    {"gxkm", "各校单科统计", "各校单科统计", K::kSubject, kSubjectOption, true, false,
     PerSubject<gxkm>},
    {"jskm", "各单科教师统计", "各单科教师统计", K::kSubject, kSubjectOption, true, false,
     PerSubject<jskm>},
    {"gdktj", "各科统计", "各科统计", K::kNone, {}, true, false, Plain<gdktj>},
    {"topn",
     "优秀优良及格科目数及成绩",
     "优秀优良及格科目数及成绩",
     K::kNone,
     {},
     true,
     false,
     Plain<topn>},
    {"cjbxx", "统计信息", "统计信息（基本情况表）", K::kNone, {}, true, false, Overview},
    {"cjbschool", "成绩表中的学校", "成绩表中的学校", K::kNone, {}, true, false, Plain<cjbschool>},
    {"cjbclass", "成绩表中的班级", "成绩表中的班级", K::kNone, {}, true, false, Plain<cjbclass>},
    {"zfdmbm",
     "成绩-总分段名-班名&(S)",
     "成绩总分名次表（总分、平均分、年级和班级名次）",
     K::kNone,
     {},
     false,
     true,
     Ranked<zfdmbm>},
    {"czzpm",
     "成绩-主科合计排名-总分排名&(S)",
     "主科总分名次表",
     K::kNone,
     {},
     false,
     true,
     Ranked<czzpm>},
    {"qkjhtj", "全科综合统计", "全科综合统计", K::kDialog, kComprehensiveOptions, false, false,
     Made<ComprehensiveReport>},
    {"mingdan", "符合条件学生名单", "符合条件学生名单", K::kDialog, kStudentListOptions, false,
     false, Made<StudentListReport>},
    {"zdyzf", "自定义合计总分排名", "自定义合计总分排名（可在同一表中排名）", K::kDialog,
     kCustomTotalOptions, false, true, Made<CustomTotalReport>},
    {"zdypm1", "自定义排名", "自定义排名", K::kDialog, kRankingOptions, false, true,
     Made<CustomRankingReport>},
    {"shaixwan", "筛选", "筛选另一张报表的一个学校或班级（其余选项交给 --from 的报表）", K::kDialog,
     kFilterOptions, false, false, Made<FilterReport>},
    {"hxfm", "横向", "统计表封面（横向）", K::kNone, kCoverOptions, false, false,
     Made<LandscapeCover>},
    {"zxfm", "纵向", "统计表封面（纵向）", K::kNone, kCoverOptions, false, false,
     Made<PortraitCover>},
};

}  // namespace

std::span<const ReportKind> ReportCatalog() {
  return kCatalog;
}

const ReportKind* FindReportKind(std::string_view control_name) {
  for (const ReportKind& kind : kCatalog)
    if (control_name == kind.control_name) return &kind;
  return nullptr;
}

std::string UndeclaredOption(const ReportKind& kind, const ReportChoices& choices) {
  const ReportKind* source = nullptr;
  const auto declares = [](const ReportKind* k, const std::string& name) {
    return k != nullptr && std::any_of(k->options.begin(), k->options.end(),
                                       [&](const ReportOption& o) { return name == o.name; });
  };
  if (declares(&kind, "from")) source = FindReportKind(choices.For(kind.options).Get("from"));
  for (const auto& [name, value] : choices.values())
    if (!declares(&kind, name) && !declares(source, name)) return name;
  return {};
}

}  // namespace reports
