// The settings dialog frmOptions without its widgets: what its pages hold,
// how each is filled, and what its buttons do. Opened in one of four modes
// (OptionsMode).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/custom_ranking.h"

namespace settings {

enum class OptionsPage { kTotals, kRanking, kSegments, kOthers };

inline constexpr std::array<const char*, 11> kPercentItems = {"100", "90", "80", "70", "60", "50",
                                                              "40",  "30", "20", "10", "0"};
inline constexpr std::array<const char*, 5> kTotalNameItems = {"", "主科总分", "全科总分", "合计",
                                                               "小计"};
inline constexpr const char* kRankingLegend =
    "排名方式：1-并列时下一名次跳过;2-并列时下一名次不跳过";
inline constexpr const char* kWeightQuestion = "计算综合分的四项之和不是100%，要这样设置吗？";

// Page 分数段设置: Text1..Text6 (平均分, 优秀, 优良, 及格 weights; 单科段, 总分段).
struct SegmentPage {
  std::array<std::string, 6> texts = {"40", "20", "20", "20", "10", "10"};
  // chkSxzs, 三线按满分折算: the stored setting 三线折算.
  int scale_lines = 0;
};

// Page 其它设置.
struct TitlePage {
  std::string school, school_year, grade_level, exam_type;  // xxTex ndTex njTex ksTex
  std::string main_title, left_subtitle, right_subtitle;    // zbtTex fleftTex frightTex
  int show_date = 0;                                        // Check1
  std::string show_date_caption;                            // "+" and today's date
  // What goes beyond the class teacher: 隐藏姓名 (chkYcxm), 不显示名次
  // (chkBxsmc), the parent letters' last line 告知书落款 (lkTex) and their
  // trend through the exam library (chkQsh; stored as 告知书不画趋势).
  int mask_names = 0;
  int no_rank = 0;
  std::string letter_footer;
  int letter_trend = 1;
};

// The four ways the window opens, by the commands that open it.
enum class OptionsMode {
  kSegments,       // syssz: the composite weights and segment widths
  kTitles,         // qtsz: the title texts
  kCustomTotal,    // zdyzf: the custom total (then, on request, the ranking)
  kCustomRanking,  // zdypm1: the ranking of the active score listing
};

struct OptionsModel {
  OptionsMode mode = OptionsMode::kSegments;
  OptionsPage page = OptionsPage::kSegments;  // the selected page
  std::vector<OptionsPage> available;         // the pages that can be selected
  bool apply_visible = false;                 // cmdApply 下一步(&N)
  bool apply_enabled = true;
  bool retotal_visible = false;              // Comzhj 再合计
  reports::TotalsPage totals;                // Grid1(0) and Combo1
  std::vector<reports::RankingRow> ranking;  // Grid1(1)
  SegmentPage segments;
  TitlePage titles;
  std::string all_total_label = "总分满分是 ";  // zfLab
  std::string main_total_label = "主科";        // zkzflab
};

// Loading in `mode`. `report` is the active report's grid (may be null: the
// totals and ranking grids are then empty).
OptionsModel LoadOptionsModel(data::AppState& state, const grid::ReportGrid* report,
                              OptionsMode mode, output::Date today = output::Today());

// cmdApply 下一步(&N) and Comzhj 再合计 (mode "zdyzf").
void NextStep(OptionsModel& dialog, const grid::ReportGrid& report, int first_subject_col);
void BackToTotals(OptionsModel& dialog, const grid::ReportGrid& report, int first_subject_col);

// The import's last step: page 分数段设置, loaded, selectable beside the
// page already shown.
void OfferSegmentPage(OptionsModel& dialog, data::AppState& state);

// The full-mark summaries of zfLab and zkzflab; a failing query leaves a
// label as it was.
void LoadFullMarkSummary(OptionsModel& dialog, data::AppState& state);

// Asked before storing weights that do not add up to 100; true is Yes.
using Question = std::function<bool(const std::string& text, const std::string& title)>;

// Stores page 分数段设置 with the six UPDATE statements. Returns false when
// the user answered No (nothing stored, the dialog stays open). Throws
// engine::Error when the database cannot be written.
bool StoreSegmentPage(const SegmentPage& page, const data::AppState& state, const Question& ask);
// Stores page 其它设置 (quotes intact) and reloads state.title_settings.
void StoreTitlePage(const TitlePage& page, data::AppState& state);

// cmdOK on the selected page. `report` is the active report document (for
// the totals and ranking pages). Returns whether the dialog closes.
bool AcceptOptions(OptionsModel& dialog, data::AppState& state, output::Document* report,
                   const Question& ask, common::ProgressSink& progress);

}  // namespace settings
