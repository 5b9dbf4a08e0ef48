#include "reports/report_catalog.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "common/text_number.h"
#include "reports/above_average.h"
#include "reports/all_subject.h"
#include "reports/browse.h"
#include "reports/class_comparison.h"
#include "reports/comprehensive_stats.h"
#include "reports/cover_page.h"
#include "reports/custom_ranking.h"
#include "reports/data_info.h"
#include "reports/exam_comparison.h"
#include "reports/filter_rows.h"
#include "reports/grade_levels.h"
#include "reports/listing_scores.h"
#include "reports/near_line.h"
#include "reports/paper_quality.h"
#include "reports/parent_letter.h"
#include "reports/privacy.h"
#include "reports/rank_bands.h"
#include "reports/result_slips.h"
#include "reports/score_bands.h"
#include "reports/score_tracking.h"
#include "reports/single_subject.h"
#include "reports/standard_scores.h"
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

bool PerSubjectInReportAll(const ReportKind& kind) {
  return kind.input == KindInput::kSubject || kind.input == KindInput::kSubjectDialog;
}

namespace {

ReportError NotANumber(std::string_view name, const std::string& text, const char* what) {
  return ReportError("选项 --" + std::string(name) + " 应是" + what + "，不是“" + text + "”。");
}

double Number(std::string_view name, const std::string& text) {
  const std::optional<double> v = common::ParseWholeNumber(text);
  if (!v) throw NotANumber(name, text, "数");
  return *v;
}

int WholeNumber(std::string_view name, const std::string& text) {
  const double v = Number(name, text);
  if (v != std::floor(v) || std::fabs(v) > std::numeric_limits<int>::max())
    throw NotANumber(name, text, "整数");
  return static_cast<int>(v);
}

// The non-blank parts of a list choice.
std::vector<std::string> ListParts(const ReportChoices& choices, std::string_view name) {
  std::vector<std::string> parts = SplitList(choices.Get(name), ',');
  std::erase_if(parts, [](const std::string& p) { return p.find_first_not_of(' ') == p.npos; });
  return parts;
}

}  // namespace

double NumberChoice(const ReportChoices& choices, std::string_view name) {
  return Number(name, choices.Get(name));
}

int WholeNumberChoice(const ReportChoices& choices, std::string_view name) {
  return WholeNumber(name, choices.Get(name));
}

std::vector<double> NumberListChoice(const ReportChoices& choices, std::string_view name) {
  std::vector<double> numbers;
  for (const std::string& part : ListParts(choices, name)) numbers.push_back(Number(name, part));
  return numbers;
}

std::vector<int> WholeNumberListChoice(const ReportChoices& choices, std::string_view name) {
  std::vector<int> numbers;
  for (const std::string& part : ListParts(choices, name))
    numbers.push_back(WholeNumber(name, part));
  return numbers;
}

int ChosenSubject(const data::AppState& state, const ReportChoices& choices) {
  const std::string name = choices.Get("subject");
  if (name.empty()) throw ReportError("请指定科目：--subject 科目名");
  return SubjectIndex(state.subject_lines, name) + 1;
}

namespace {

// A report that a window shows as made elsewhere.
void MoveInto(output::Document& doc, output::Document made) {
  doc.Take(std::move(made));
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
  ExamOverview(doc, run.state, run.today);
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

constexpr ReportOption kScoreBandOptions[] = {
    {"subject", "科目|全科总分|主科总分", "全科总分", false, "科目"},
    {"step", "N", "1", false, "每段分数"},
    {"school", "学校", "", false, "学校（空为全部）"},
};

constexpr ReportOption kRankBandOptions[] = {
    {"by", "全科|主科|科目", "全科", false, "名次按"},
    {"n", "N1,N2,...", "50,100,200,300", false, "前N名"},
};

constexpr ReportOption kNearLineOptions[] = {
    {"subject", "科目", "", false, "科目"},
    {"line", "优秀|优良|及格", "及格", false, "分数线"},
    {"band", "D|K", "5", false, "线下分数（按名次时为人数）"},
    {"rank", "N", "", false, "或按全科前N名（不选科目时）"},
};

constexpr ReportOption kAboveAverageOptions[] = {
    {"subject", "科目|全科总分|主科总分", "全科总分", false, "科目"}};

constexpr ReportOption kGradeOptions[] = {
    {"ratio", "A,B,C", "15,50,85", false, "总评累计比例（%）"}};

constexpr ReportOption kProgressOptions[] = {
    {"base", "考试编号", "", false, "对比的考试（空为上一次）"},
    {"by", "全科|主科", "全科", false, "总分"},
};

constexpr ReportOption kClassComparisonOptions[] = {
    {"base", "考试编号", "", false, "对比的考试（空为上一次）"},
    {"subject", "科目", "", false, "科目（空为全科总分）"},
};

constexpr ReportOption kSlipOptions[] = {
    {"average", "是|否", "否", false, "本班平均"},
    {"level", "是|否", "否", false, "等级"},
    {"rank", "是|否", "否", false, "名次"},
    {"class", "学校/班级", "", false, "班级（学校/班级，空为全部）"},
};

constexpr ReportOption kLetterOptions[] = {
    kSlipOptions[3], {"trend", "是|否", "", false, "成绩趋势（空为按设置）", /*negatable=*/true}};

using K = KindInput;

// In the order of `report --help`; `report all` makes its sheets in this order.
const ReportKind kCatalog[] = {
    {"cj", "成绩表", "成绩表", K::kNone, {}, true, false, Plain<ShowScoreTable>},
    {"jsb", "教师表", "教师表", K::kNone, {}, true, false, Plain<ShowTeacherTable>},
    {"sxb", "三线表", "三线表", K::kNone, {}, true, false, Plain<ShowSubjectLines>},
    {"tjtable", "统计表", "统计表", K::kNone, {}, true, false, Plain<ShowStatisticsTable>},
    {"gbkm", "各班单科统计", "各班单科统计", K::kSubject, kSubjectOption, true, false,
     PerSubject<ClassSubjectStats>},
    {"gxkm", "各校单科统计", "各校单科统计", K::kSubject, kSubjectOption, true, false,
     PerSubject<SchoolSubjectStats>},
    {"jskm", "各单科教师统计", "各单科教师统计", K::kSubject, kSubjectOption, true, false,
     PerSubject<TeacherSubjectStats>},
    {"gdktj", "各科统计", "各科统计", K::kNone, {}, true, false, Plain<AllSubjectStats>},
    {"topn",
     "优秀优良及格科目数及成绩",
     "优秀优良及格科目数及成绩",
     K::kNone,
     {},
     true,
     false,
     Plain<SubjectCountReport>},
    {"cjbxx", "统计信息", "统计信息（基本情况表）", K::kNone, {}, true, false, Overview},
    {"cjbschool", "成绩表中的学校", "成绩表中的学校", K::kNone, {}, true, false, Plain<SchoolList>},
    {"cjbclass", "成绩表中的班级", "成绩表中的班级", K::kNone, {}, true, false, Plain<ClassList>},
    {"zfdmbm",
     "成绩-总分段名-班名&(S)",
     "成绩总分名次表（总分、平均分、年级和班级名次）",
     K::kNone,
     {},
     false,
     true,
     Ranked<TotalRankListing>},
    {"czzpm",
     "成绩-主科合计排名-总分排名&(S)",
     "主科总分名次表",
     K::kNone,
     {},
     false,
     true,
     Ranked<MainTotalRankListing>},
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
     Made<LandscapeCoverReport>},
    {"zxfm", "纵向", "统计表封面（纵向）", K::kNone, kCoverOptions, false, false,
     Made<PortraitCoverReport>},
    {"yfyd", "一分一段表",
     "一分一段表：从最高到最低分数段（空段也列出）的人数、累计人数、累计百分比；段的下限为 "
     "floor(成绩/N)×N；科目计参考学生，总分计全体学生",
     K::kDialog, kScoreBandOptions, true, true, ScoreBandKind},
    {"mcfb", "名次段分布",
     "各班名次段分布：合计行在前，各班（按学校、班级）在全体中前N名的人数及占本班人数的"
     "百分比；并列同名次（1,2,2,4）；按科目只排参考学生，人数为参考人数",
     K::kDialog, kRankBandOptions, true, true, RankBandKind},
    {"ljs", "临界生名单",
     "临界生名单：L−D ≤ 成绩 < L（L = 满分×线的百分比）的学生，差 = L − 成绩；或 --rank N "
     "--band K：全科排名第 N+1 至 N+K 名，差 = 从高到低第 N 个全科总分 − 本人；都按学校、班级、"
     "差从小到大排列",
     K::kSubjectDialog, kNearLineOptions, true, true, NearLineKind},
    {"cjl", "超均率",
     "各班超均率：合计行在前；超均率 = (班均−年级均)/年级均×100，比均率 = 班均/年级均，"
     "标准差为样本标准差，排名为班均名次；不指定科目时为全科总分（全体学生）",
     K::kDialog, kAboveAverageOptions, true, true, AboveAverageKind},
    {"bzf",
     "标准分",
     "标准分：每科一列（列名为科目名），T = 50 + 10×(成绩−平均分)/总体标准差，按参考学生计算，"
     "缺考为空，标准差为 0 时为 50；最后一列 总分T 按全体学生的全科总分",
     K::kNone,
     {},
     true,
     true,
     StandardScoreKind},
    {"sjzl",
     "试卷质量分析",
     "试卷质量分析：难度 = 平均分/满分；区分度 = (高分组均分−低分组均分)/满分，两组各为参考"
     "人数的 27%（四舍五入，至少 1 人）；样本标准差、差异系数、与全科总分的相关系数",
     K::kNone,
     {},
     true,
     true,
     PaperQualityKind},
    {"djpj", "等级评价",
     "等级评价：各科达优秀线 A、达优良线 B、达及格线 C、其余 D、缺考为“缺”；总评按全科排名"
     "占人数的累计比例（默认 15,50,85），并列取较好等级；不含分数和名次",
     K::kDialog, kGradeOptions, true, true, GradeListKind},
    {"djtj",
     "等级分布",
     "各班等级分布：合计行在前，各科 A、B、C、D 的人数（缺考不计）",
     K::kNone,
     {},
     true,
     true,
     GradeCountKind},
    {"jtb", "学生进退步表",
     "学生进退步表：与 --base 考试（默认为上一次）对比，每名对应上的学生一行，按学校、班级、"
     "本次名次；名次变化 = 上次名次 − 本次名次（正为进步），进退步系数 = 名次变化/上次名次；"
     "班名为班内名次（1,2,2,4）；未能对应的学生列在后面；--by 主科 按主科总分和主科排名",
     K::kDialog, kProgressOptions, false, true, ProgressTableKind},
    {"bjdb", "班级对比表",
     "班级对比表：两次考试都有的班级各一行，合计行在前；人数、全科总分平均分、前50/100/200名"
     "人数及平均分变化；--subject 时为该科的人数、平均分、优秀率、及格率（同各班单科统计）及其变化",
     K::kDialog, kClassComparisonOptions, false, true, ClassComparisonKind},
    {"gzb", "成绩跟踪表",
     "成绩跟踪表：考试库中每次考试一行（按日期）；--student 学号：各科成绩、全科总分、全科排名、"
     "班名；--class 学校/班级：人数、各科平均分、全科总分平均分及其在各班中的名次",
     K::kDialog, kTrackingOptions, false, true, TrackingKind},
    {"cjt", "成绩条",
     "成绩条：每个学生一条（表头和本人的成绩、全科总分），裁开发给学生；--average 加本班平均，"
     "--level 加等级，--rank 加名次（默认不加）；PDF 每页排满，条间有裁剪虚线，每班另起一页",
     K::kDialog, kSlipOptions, false, true, ResultSlipKind},
    {"grbg", "家长告知书",
     "家长告知书：每个学生一页，有本人各科成绩和等级、本班各等级人数（只有人数）、总评，"
     "不含名次和别人的姓名；末行为设置“告知书落款”（默认学校名和日期）；--trend 加考试库中"
     "历次考试的全科总分、总评和折线（默认：考试库中有两次以上考试有这些学生时加，"
     "可用设置“告知书不画趋势”关闭），--no-trend 不加",
     K::kDialog, kLetterOptions, false, true, ParentLetterKind},
};

}  // namespace

std::span<const ReportKind> ReportCatalog() {
  return kCatalog;
}

bool IsRankingReport(const ReportKind& kind) {
  static constexpr std::string_view kRanking[] = {"zfdmbm", "czzpm", "zdyzf", "zdypm1", "mcfb"};
  return std::find(std::begin(kRanking), std::end(kRanking), kind.control_name) !=
         std::end(kRanking);
}

bool ReadsOnlyTheExam(const ReportKind& kind) {
  static constexpr std::string_view kAnalysis[] = {"yfyd", "mcfb", "ljs",  "cjl",
                                                   "bzf",  "sjzl", "djpj", "djtj"};
  return std::find(std::begin(kAnalysis), std::end(kAnalysis), kind.control_name) !=
         std::end(kAnalysis);
}

void MakeReport(const ReportKind& kind, output::Document& doc, ReportRun& run,
                const ReportChoices& choices) {
  kind.fill(doc, run, choices.For(kind.options));
  ApplyPrivacy(doc, run.state.privacy, IsRankingReport(kind));
}

const ReportKind* FindReportKind(std::string_view control_name) {
  for (const ReportKind& kind : kCatalog)
    if (control_name == kind.control_name) return &kind;
  return nullptr;
}

namespace {

bool Declares(std::span<const ReportOption> options, const std::string& name) {
  return std::any_of(options.begin(), options.end(),
                     [&](const ReportOption& o) { return name == o.name; });
}

}  // namespace

std::string UndeclaredOption(const ReportKind& kind, const ReportChoices& choices) {
  const ReportKind* source = nullptr;
  if (Declares(kind.options, "from"))
    source = FindReportKind(choices.For(kind.options).Get("from"));
  for (const auto& [name, value] : choices.values())
    if (!Declares(kind.options, name) && (source == nullptr || !Declares(source->options, name)))
      return name;
  return {};
}

std::string UndeclaredOption(std::span<const ReportOption> options, const ReportChoices& choices) {
  for (const auto& [name, value] : choices.values())
    if (!Declares(options, name)) return name;
  return {};
}

}  // namespace reports
