#include "settings/options_model.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include "common/text_number.h"
#include "data/score_database.h"
#include "settings/stored_settings.h"

namespace settings {
namespace {

std::vector<std::string> ReportHeaders(const grid::ReportGrid& report, int first_subject_col) {
  std::vector<std::string> headers;
  for (int c = std::max(1, first_subject_col); c < report.Cols(); ++c)
    headers.emplace_back(report.CellText(0, c));
  return headers;
}

// Full mark and total expression of the subjects, the main ones only or all.
struct TotalShape {
  double full_mark = 0;
  std::string expression;
};

TotalShape ShapeOf(const data::SubjectLines& lines, bool main_only) {
  TotalShape shape;
  for (int i = 0; i < lines.Count(); ++i) {
    if (main_only && !lines.IsMain(i)) continue;
    const int p = lines.TotalWeightPct[i];
    const int product = lines.FullMark[i] * p;
    // A 16-bit product: a subject beyond it is left out of the full mark.
    if (product >= -32768 && product <= 32767) shape.full_mark += product / 100.0;
    const std::string& s = lines.SubjectName[i];
    shape.expression +=
        "IIf(IsNull(" + s + "), 0, " + s + ")*" + common::TextOfDouble(p / 100.0) + "+";
  }
  if (!shape.expression.empty()) shape.expression.pop_back();
  return shape;
}

void SummaryLabel(engine::Database& db, const TotalShape& shape, const char* prefix,
                  std::string& label) {
  try {
    const std::string& e = shape.expression;
    engine::Recordset rs =
        db.OpenRecordset("select max(" + e + "),min(" + e + ")  From 成绩表 where " + e + ">0");
    if (rs.Eof()) return;
    label = std::string(prefix) + common::TextOfDouble(shape.full_mark) + " 最高分 " +
            rs.FieldValue(0).AsText(rs.FieldTypeOf(0)) + "  ,最低分 " +
            rs.FieldValue(1).AsText(rs.FieldTypeOf(1));
  } catch (const std::exception&) {
    // No main subject gives an empty expression: the label keeps its text.
  }
}

void LoadSegmentPage(OptionsModel& dialog, data::AppState& state) {
  try {
    data::LoadSystemSettings(state);
  } catch (const std::exception&) {
    return;
  }
  const data::SystemSettings& s = state.system_settings;
  const int values[] = {s.AvgWeight,  s.ExcellentWeight, s.GoodWeight,
                        s.PassWeight, s.SubjectSegment,  s.TotalSegment};
  for (size_t i = 0; i < dialog.segments.texts.size(); ++i)
    dialog.segments.texts[i] = common::TextOfInteger(values[i]);
}

void LoadTitlePage(OptionsModel& dialog, data::AppState& state, output::Date today) {
  TitlePage& page = dialog.titles;
  page.show_date_caption = "+" + output::DateText(today);
  try {
    data::LoadTitleSettings(state);
  } catch (const std::exception&) {
    return;
  }
  const data::TitleSettings& t = state.title_settings;
  page.school = t.School;
  page.school_year = t.SchoolYear;
  page.grade_level = t.GradeLevel;
  page.exam_type = t.ExamType;
  page.main_title = t.MainTitle;
  page.left_subtitle = t.LeftSubtitle;
  page.right_subtitle = t.RightSubtitle;
  page.show_date = static_cast<int>(common::NumericValue(t.ShowDate));
}

}  // namespace

reports::TotalsPage BuildTotalsPage(const grid::ReportGrid& report, int first_subject_col) {
  reports::TotalsPage page;
  for (std::string& header : ReportHeaders(report, first_subject_col))
    page.rows.push_back({std::move(header), true, "100", false});
  if (!page.rows.empty()) page.rows.back().right_of = true;  // by default right of the last column
  page.column_name = "总分";
  return page;
}

std::vector<reports::RankingRow> BuildRankingPage(const grid::ReportGrid& report,
                                                  int first_subject_col) {
  std::vector<reports::RankingRow> rows;
  for (std::string& header : ReportHeaders(report, first_subject_col))
    rows.push_back({std::move(header), false, false, false, "1"});
  return rows;
}

void TickRightOf(reports::TotalsPage& page, int row) {
  for (size_t r = 0; r < page.rows.size(); ++r) page.rows[r].right_of = static_cast<int>(r) == row;
}

void NextStep(OptionsModel& dialog, const grid::ReportGrid& report, int first_subject_col) {
  if (std::find(dialog.available.begin(), dialog.available.end(), OptionsPage::kRanking) ==
      dialog.available.end())
    dialog.available.push_back(OptionsPage::kRanking);
  dialog.page = OptionsPage::kRanking;
  dialog.ranking = BuildRankingPage(report, first_subject_col);
  dialog.apply_enabled = false;
  dialog.retotal_visible = true;
}

void BackToTotals(OptionsModel& dialog, const grid::ReportGrid& report, int first_subject_col) {
  dialog.retotal_visible = false;
  dialog.page = OptionsPage::kTotals;
  dialog.totals = BuildTotalsPage(report, first_subject_col);
  dialog.apply_enabled = true;
}

void OfferSegmentPage(OptionsModel& dialog, data::AppState& state) {
  LoadSegmentPage(dialog, state);
  if (std::find(dialog.available.begin(), dialog.available.end(), OptionsPage::kSegments) ==
      dialog.available.end())
    dialog.available.push_back(OptionsPage::kSegments);
}

void LoadFullMarkSummary(OptionsModel& dialog, data::AppState& state) {
  data::LoadSubjectLines(state);
  try {
    engine::Database db = data::OpenScoreDatabase(state);
    SummaryLabel(db, ShapeOf(state.subject_lines, false), "全科总分满分 ", dialog.all_total_label);
    SummaryLabel(db, ShapeOf(state.subject_lines, true), "主科总分满分 ", dialog.main_total_label);
  } catch (const std::exception&) {
    // No database: both labels keep their texts.
  }
}

OptionsModel LoadOptionsModel(data::AppState& state, const grid::ReportGrid* report,
                              output::Date today) {
  OptionsModel dialog;
  dialog.mode = state.report_mode;
  if (report) data::LoadSubjectLines(state);
  const int first = state.subject_lines.FirstSubjectCol;
  const grid::ReportGrid empty(1, 1);
  const grid::ReportGrid& grid = report ? *report : empty;
  if (dialog.mode == "zdyzf") {
    dialog.page = OptionsPage::kTotals;
    dialog.apply_visible = true;
    dialog.totals = BuildTotalsPage(grid, first);
  } else if (dialog.mode == "zdypm1") {
    dialog.page = OptionsPage::kRanking;
    dialog.ranking = BuildRankingPage(grid, first);
    dialog.apply_enabled = false;
  } else if (dialog.mode == "qtsz") {
    dialog.page = OptionsPage::kOthers;
    LoadTitlePage(dialog, state, today);
  } else {
    dialog.page = OptionsPage::kSegments;
    LoadSegmentPage(dialog, state);
  }
  dialog.available = {dialog.page};
  LoadFullMarkSummary(dialog, state);
  return dialog;
}

bool StoreSegmentPage(const SegmentPage& page, const data::AppState& state, const Question& ask) {
  double sum = 0;
  for (size_t i = 0; i < 4; ++i) sum += common::NumericValue(page.texts[i]);
  if (sum != 100 && !(ask && ask(kWeightQuestion, "提示"))) return false;
  engine::Database db = data::OpenScoreDatabase(state);
  const std::vector<std::string>& names = NumberSettingNames();
  for (size_t i = 0; i < names.size() && i < page.texts.size(); ++i)
    StoreNumberSetting(db, names[i], page.texts[i]);
  return true;
}

void StoreTitlePage(const TitlePage& page, data::AppState& state) {
  {
    engine::Database db = data::OpenScoreDatabase(state);
    const std::string* texts[] = {&page.school,        &page.school_year, &page.grade_level,
                                  &page.exam_type,     &page.main_title,  &page.left_subtitle,
                                  &page.right_subtitle};
    const std::vector<std::string>& columns = TitleSettingNames();
    for (size_t i = 0; i < std::size(texts); ++i) StoreTitleSetting(db, columns[i], *texts[i]);
    StoreTitleSetting(db, "显示日期", common::TextOfInteger(page.show_date));
  }
  data::LoadTitleSettings(state);
}

bool AcceptOptions(OptionsModel& dialog, data::AppState& state, output::Document* report,
                   const Question& ask, common::ProgressSink& progress) {
  switch (dialog.page) {
    case OptionsPage::kTotals:
      if (report)
        reports::ApplyCustomTotal(report->grid, state.subject_lines.FirstSubjectCol, dialog.totals,
                                  progress);
      return true;
    case OptionsPage::kRanking:
      if (report) reports::ApplyRanking(*report, state, dialog.ranking, progress);
      return true;
    case OptionsPage::kSegments:
      return StoreSegmentPage(dialog.segments, state, ask);
    case OptionsPage::kOthers:
      StoreTitlePage(dialog.titles, state);
      return true;
  }
  return true;
}

}  // namespace settings
