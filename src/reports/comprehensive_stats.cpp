#include "reports/comprehensive_stats.h"

#include <cmath>
#include <exception>

#include "common/text_number.h"
#include "data/score_database.h"
#include "data/weighted_totals.h"
#include "output/report_layout.h"
#include "reports/listing_ranks.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

std::string Num(double v) {
  return common::TextOfDouble(v);
}

// Reads max and min of `expression` into the options and returns the
// caption suffix "(最高分 x  ,最低分 y )"; empty when the query fails.
std::string ReadRange(ComprehensiveOptions& options, const data::AppState& state,
                      const std::string& expression, bool positive_only) {
  try {
    engine::Database db = data::OpenScoreDatabase(state);
    const auto range = data::ReadHighestLowest(db, expression, positive_only);
    if (!range) return {};
    options.stat_max = static_cast<float>(range->highest);
    options.stat_min = static_cast<float>(range->lowest);
    return "(最高分 " + range->highest_text + "  ,最低分 " + range->lowest_text + " )";
  } catch (const engine::Error&) {
    return {};
  }
}

void ChooseTotal(ComprehensiveOptions& options, bool main_only, const data::AppState& state) {
  const data::SubjectLines& lines = state.subject_lines;
  const std::string prefix = main_only ? "主科" : "全科";
  options.check1_enabled = options.check2_enabled = options.by_rank_enabled = true;
  options.check3_caption = prefix + "总分分段";
  options.check4_caption = "总分前N名/N分以上";
  options.subject_visible = false;
  options.stat_column = prefix + "总分";
  options.stat_width = state.system_settings.TotalSegment;
  options.stat_full_mark =
      static_cast<int>(std::nearbyint(data::WeightedFullMark(lines, main_only)));
  options.stat_subject_count = 0;
  for (int i = 0; i < lines.Count(); ++i)
    if (!main_only || lines.IsMain(i)) ++options.stat_subject_count;
  const std::string range =
      ReadRange(options, state, data::WeightedTotalExpression(lines, main_only), true);
  if (!range.empty()) options.check3_caption = prefix + "总分分段" + range;
}

// One segment column; ">" at the bottom keeps zeros (absent scores) out.
std::string SegmentColumn(std::string_view column, const char* op, double low, double high) {
  const std::string c(column);
  return ",Count(iif([" + c + "]" + op + Num(low) + " And [" + c + "]<=" + Num(high) +
         ", 1, Null)) as 分" + Num(low) + "_" + Num(high) + "段";
}

}  // namespace

ComprehensiveOptions OpenComprehensiveDialog(data::AppState& state) {
  data::LoadSubjectLines(state);
  try {
    data::LoadSystemSettings(state);
  } catch (const engine::Error&) {
    // Before the first import: the dialog opens with zero widths.
  }
  ComprehensiveOptions options;
  ChooseCategory(options, StatCategory::kAll, state);
  ChoosePoints(options);
  options.range = StatRange::kAll;
  return options;
}

void ChooseCategory(ComprehensiveOptions& options, StatCategory category,
                    const data::AppState& state) {
  options.category = category;
  if (category != StatCategory::kSubject) {
    ChooseTotal(options, category == StatCategory::kMain, state);
    return;
  }
  options.check1_enabled = options.check2_enabled = options.by_rank_enabled = false;
  options.check3_caption = "单科分段";
  options.check4_caption = "单科N分以上";
  options.subject_visible = true;
  options.stat_width = state.system_settings.SubjectSegment;
  options.subjects = state.subject_lines.SubjectName;
  options.subject.clear();
}

void ChooseSubject(ComprehensiveOptions& options, int index, const data::AppState& state) {
  const data::SubjectLines& lines = state.subject_lines;
  if (index < 0 || index >= lines.Count()) return;
  const std::string& name = lines.SubjectName[index];
  options.subject = name;
  options.stat_width = state.system_settings.SubjectSegment;
  options.stat_column = name;
  options.stat_full_mark = lines.FullMark[index];
  // Zeros take part in the lowest score here, unlike in the totals.
  const std::string range = ReadRange(options, state, name, false);
  if (!range.empty()) options.check3_caption = name + "分段" + range;
}

void ChoosePoints(ComprehensiveOptions& options) {
  options.by_rank = false;
  options.n_texts = {"450", "400", "350", "300"};
}

void ChooseRanks(ComprehensiveOptions& options) {
  options.by_rank = true;
  options.n_texts = {"10", "20", "50", "100"};
}

std::string BuildSegmentColumns(int full_mark, float highest, float lowest, int width,
                                std::string_view column) {
  if (width <= 0) return {};
  const double f = full_mark, x = highest, w = width;
  const int n = full_mark / width;
  const double l =
      highest <= 150 ? std::trunc(lowest / 10.0) * 10 : std::trunc(lowest / 100.0) * 100;
  std::string out;
  if (l > w) out += SegmentColumn(column, ">", 0, l - 1);
  bool more = true;
  for (int k = 0; k <= n; ++k) {
    const double s = l + k * w;
    if (!more) {
      out += SegmentColumn(column, ">=", s, f);
      break;
    }
    if (x - s >= w && f - s > w) {
      out += SegmentColumn(column, k == 0 && l == 0 ? ">" : ">=", s, s + w - 1);
    } else if (f - x <= w) {
      out += SegmentColumn(column, ">=", s, f);
      break;
    } else {
      out += SegmentColumn(column, ">=", s, s + w - 1);
      more = false;
    }
  }
  return out;
}

std::string BuildSegmentColumns(const ComprehensiveOptions& options) {
  return BuildSegmentColumns(options.stat_full_mark, options.stat_max, options.stat_min,
                             options.stat_width, options.stat_column);
}

namespace {

// The four N columns; a subject counts points whatever 名 says.
std::string TopColumns(const ComprehensiveOptions& options, const std::string& prefix,
                       const std::string& column) {
  std::string out;
  for (const std::string& text : options.n_texts) {
    const std::string n = Num(common::NumericValue(text));
    if (prefix.empty())
      out += ",count(iif([" + column + "]>=" + n + ",1,null)) as 在" + n + "分以上";
    else if (options.by_rank)
      out += ",count(iif([" + prefix + "排名]<=" + n + ",1,null)) as 前" + n + "名";
    else
      out += ",count(iif([" + prefix + "总分]>=" + n + ",1,null)) as 在" + n + "分以上";
  }
  return out;
}

std::string AllGoodColumns(const std::string& p, int n) {
  const std::string c = common::TextOfInteger(n);
  return ",count(iif([" + p + "优秀数]>=" + c + ",1,null)) as 全部优秀,count(iif([" + p +
         "优良数]>=" + c + ",1,null)) as 全科优良,count(iif([" + p + "及格数]>=" + c +
         ",1,null)) as 全科及格";
}

std::string FailColumns(const std::string& p, int n) {
  const auto piece = [&](int k, const char* name) {
    return ",Count(IIf([" + p + "及格数] = " + common::TextOfInteger(n - k) + ", 1, Null)) as " +
           name;
  };
  return piece(1, "一门不及格") + piece(2, "二门不及格") + piece(3, "三门不及格");
}

}  // namespace

ComprehensiveQuery BuildComprehensiveQuery(const ComprehensiveOptions& options,
                                           const std::string& main_title) {
  ComprehensiveQuery q;
  if (options.subject_visible && options.subject.empty()) {
    q.message = "你没有选择单科统计的科目！";
    return q;
  }
  if (options.check4) {
    for (const std::string& text : options.n_texts) {
      if (text.empty()) {
        q.message = "请填全前N分/名数值！";
        return q;
      }
    }
  }
  const std::string& c = options.stat_column;
  const std::string p = c == "全科总分" ? "全科" : c == "主科总分" ? "主科" : "";
  const int n = options.stat_subject_count;
  const std::string a0 = ",count(iif([" + c + "]>0,1,null)) as 参考人数,max(" + c +
                         ") as 最高分,min(iif([" + c + "]>0," + c + ",1000)) as 最低分";
  const std::string a1 = options.check1 && !p.empty() ? AllGoodColumns(p, n) : "";
  const std::string a2 = options.check2 && !p.empty() ? FailColumns(p, n) : "";
  const std::string segments = options.check3 ? BuildSegmentColumns(options) : "";
  const std::string a4 = options.check4 ? TopColumns(options, p, c) : "";
  if ((a1 + a2 + segments + a4).empty()) {
    q.message = "你没有选择统计项目！";
    return q;
  }
  const std::string t = LeadingCharacters(c, 2);
  const std::string g = a0 + a1 + a2 + segments + a4;
  const std::string whole = "select " + g.substr(1) + " From 统计表";
  switch (options.range) {
    case StatRange::kAll:
      q.sql = whole;
      q.title = main_title + t + "统计";
      break;
    case StatRange::kSchool:
      q.sql = "select 学校" + g + " From 统计表  GROUP BY 学校";
      q.whole_sql = whole;
      q.title = main_title + "各校" + t + "统计";
      break;
    case StatRange::kClass:
      q.sql = "select 学校,班级" + g + " From 统计表  GROUP BY 学校,班级";
      q.whole_sql = whole;
      q.title = main_title + "各班" + t + "统计";
      break;
  }
  return q;
}

common::Result<output::Document> RunComprehensive(const ComprehensiveOptions& options,
                                                  data::AppState& state) {
  const ComprehensiveQuery q = BuildComprehensiveQuery(options, state.title_settings.MainTitle);
  if (!q.message.empty()) return common::Result<output::Document>::Error(q.message);
  state.report_title = q.title;
  output::Document doc;
  try {
    engine::Database db = data::OpenScoreDatabase(state);
    try {
      data::ReplaceSavedQuery(db, "NewQry5", q.sql);
    } catch (const engine::Error&) {
      // Skipped like every failing step: the fill then shows what it can.
    }
    output::ShowSourceInGrid(doc, state, db, "NewQry5", output::FieldFormat::kTwoDecimals);
    if (!q.whole_sql.empty()) {
      const int keys = doc.grid.Cols() > 2 && doc.grid.CellText(0, 2) == "班级" ? 2 : 1;
      InsertTotalRow(doc.grid, db, q.whole_sql, 1 + keys);
    }
  } catch (const engine::Error&) {
    output::ShowSourceInGrid(doc, state, "NewQry5", output::FieldFormat::kTwoDecimals);
  }
  output::LayoutStatGrid(doc, state);
  return doc;
}

output::Document ComprehensiveReport(ReportRun& run, const ReportChoices& choices) {
  data::AppState& state = run.state;
  ComprehensiveOptions o = OpenComprehensiveDialog(state);
  const std::string category = choices.Get("category");
  if (category == "单科") {
    ChooseCategory(o, StatCategory::kSubject, state);
    if (const std::string subject = choices.Get("subject"); !subject.empty())
      ChooseSubject(o, SubjectIndex(state.subject_lines, subject), state);
  } else if (category == "主科") {
    ChooseCategory(o, StatCategory::kMain, state);
  } else if (category != "全科") {
    throw ReportError("统计类别只能是 单科、主科 或 全科");
  }
  const std::string range = choices.Get("range");
  o.range = range == "各班"   ? StatRange::kClass
            : range == "各校" ? StatRange::kSchool
                              : StatRange::kAll;
  if (choices.Get("by") == "名" && o.by_rank_enabled) ChooseRanks(o);
  if (const std::string n = choices.Get("n"); !n.empty()) {
    const std::vector<std::string> parts = SplitList(n, ',');
    for (size_t i = 0; i < o.n_texts.size(); ++i) o.n_texts[i] = i < parts.size() ? parts[i] : "";
  }
  const std::string items = choices.Get("items");
  o.check1 = o.check1_enabled && items.find('1') != std::string::npos;
  o.check2 = o.check2_enabled && items.find('2') != std::string::npos;
  o.check3 = items.find('3') != std::string::npos;
  o.check4 = items.find('4') != std::string::npos;
  common::Result<output::Document> result = RunComprehensive(o, state);
  if (!result) throw ReportError(result.message());
  return std::move(result.value());
}

}  // namespace reports
