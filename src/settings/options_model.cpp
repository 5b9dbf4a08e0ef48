#include "settings/options_model.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include "common/text_number.h"
#include "data/score_database.h"
#include "data/weighted_totals.h"
#include "settings/stored_settings.h"

namespace settings {
namespace {

// "全科总分满分 F 最高分 x  ,最低分 y" for the weighted total of all subjects
// or of the main ones; a failing query (no main subject gives an empty
// expression) leaves the label as it was.
void SummaryLabel(engine::Database& db, const data::SubjectLines& lines, bool main_only,
                  const char* prefix, std::string& label) {
  try {
    const auto range =
        data::ReadHighestLowest(db, data::WeightedTotalExpression(lines, main_only), true);
    if (!range) return;
    label = std::string(prefix) + common::TextOfDouble(data::WeightedFullMark(lines, main_only)) +
            " 最高分 " + range->highest_text + "  ,最低分 " + range->lowest_text;
  } catch (const engine::Error&) {
  }
}

void LoadSegmentPage(OptionsModel& dialog, data::AppState& state) {
  try {
    data::LoadSystemSettings(state);
  } catch (const engine::Error&) {
    return;
  }
  const data::SystemSettings& s = state.system_settings;
  const int values[] = {s.AvgWeight,  s.ExcellentWeight, s.GoodWeight,
                        s.PassWeight, s.SubjectSegment,  s.TotalSegment};
  for (size_t i = 0; i < dialog.segments.texts.size(); ++i)
    dialog.segments.texts[i] = common::TextOfInteger(values[i]);
  dialog.segments.scale_lines = s.ScaleLinesByFullMark;
}

void LoadTitlePage(OptionsModel& dialog, data::AppState& state, output::Date today) {
  TitlePage& page = dialog.titles;
  page.show_date_caption = "+" + output::DateText(today);
  try {
    engine::Database db = data::OpenScoreDatabase(state);
    data::LoadTitleSettings(db, state.title_settings);
    data::LoadPrivacySettings(db, state.privacy);
  } catch (const engine::Error&) {
    return;
  }
  page.mask_names = state.privacy.mask_names ? 1 : 0;
  page.no_rank = state.privacy.no_rank ? 1 : 0;
  page.letter_footer = state.title_settings.LetterFooter;
  page.letter_trend = state.privacy.letter_trend == data::LetterTrend::kOff ? 0 : 1;
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

void NextStep(OptionsModel& dialog, const grid::ReportGrid& report, int first_subject_col) {
  if (std::find(dialog.available.begin(), dialog.available.end(), OptionsPage::kRanking) ==
      dialog.available.end())
    dialog.available.push_back(OptionsPage::kRanking);
  dialog.page = OptionsPage::kRanking;
  dialog.ranking = reports::BuildRankingPage(report, first_subject_col);
  dialog.apply_enabled = false;
  dialog.retotal_visible = true;
}

void BackToTotals(OptionsModel& dialog, const grid::ReportGrid& report, int first_subject_col) {
  dialog.retotal_visible = false;
  dialog.page = OptionsPage::kTotals;
  dialog.totals = reports::BuildTotalsPage(report, first_subject_col);
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
    SummaryLabel(db, state.subject_lines, false, "全科总分满分 ", dialog.all_total_label);
    SummaryLabel(db, state.subject_lines, true, "主科总分满分 ", dialog.main_total_label);
  } catch (const engine::Error&) {
    // No database: both labels keep their texts.
  }
}

OptionsModel LoadOptionsModel(data::AppState& state, const grid::ReportGrid* report,
                              OptionsMode mode, output::Date today) {
  OptionsModel dialog;
  dialog.mode = mode;
  if (report) data::LoadSubjectLines(state);
  const int first = state.subject_lines.FirstSubjectCol;
  const grid::ReportGrid empty(1, 1);
  const grid::ReportGrid& grid = report ? *report : empty;
  if (dialog.mode == OptionsMode::kCustomTotal) {
    dialog.page = OptionsPage::kTotals;
    dialog.apply_visible = true;
    dialog.totals = reports::BuildTotalsPage(grid, first);
  } else if (dialog.mode == OptionsMode::kCustomRanking) {
    dialog.page = OptionsPage::kRanking;
    dialog.ranking = reports::BuildRankingPage(grid, first);
    dialog.apply_enabled = false;
  } else if (dialog.mode == OptionsMode::kTitles) {
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
  StoreNumberSetting(db, "三线折算", common::TextOfInteger(page.scale_lines));
  return true;
}

void StoreTitlePage(const TitlePage& page, data::AppState& state) {
  data::TitleSettings before;
  {
    engine::Database db = data::OpenScoreDatabase(state);
    data::LoadTitleSettings(db, before);
    const std::string* texts[] = {&page.school,        &page.school_year, &page.grade_level,
                                  &page.exam_type,     &page.main_title,  &page.left_subtitle,
                                  &page.right_subtitle};
    const std::vector<std::string>& columns = TitleSettingNames();
    for (size_t i = 0; i < std::size(texts); ++i) StoreTitleSetting(db, columns[i], *texts[i]);
    StoreTitleSetting(db, "显示日期", common::TextOfInteger(page.show_date));
    // Only what changed: a database that never used them keeps its tables as they were.
    data::PrivacySettings privacy;
    data::LoadPrivacySettings(db, privacy);
    if (privacy.mask_names != (page.mask_names != 0))
      StoreNumberSetting(db, "隐藏姓名", common::TextOfInteger(page.mask_names));
    if (privacy.no_rank != (page.no_rank != 0))
      StoreNumberSetting(db, "不显示名次", common::TextOfInteger(page.no_rank));
    if (before.LetterFooter != page.letter_footer) StoreLetterFooter(db, page.letter_footer);
    if ((privacy.letter_trend != data::LetterTrend::kOff) != (page.letter_trend != 0))
      StoreNumberSetting(db, "告知书不画趋势", page.letter_trend != 0 ? "0" : "1");
    data::LoadPrivacySettings(db, state.privacy);
  }
  data::LoadTitleSettings(state);
  RenameCurrentExamAfterTitles(state, before);
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
