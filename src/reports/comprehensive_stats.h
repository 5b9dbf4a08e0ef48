// 综合统计 (qkjhtj): counts over 统计表 of one subject, the main-subject total
// or the all-subject total, for everybody, per school or per class.
//
// ComprehensiveOptions holds what the dialog zhtjfrm's controls hold and the
// state its category handlers keep; the functions below are its handlers.
// The desktop dialog mirrors the struct into its controls after each call.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "data/app_state.h"
#include "output/document.h"
#include "reports/report_catalog.h"

namespace reports {

enum class StatCategory { kSubject, kMain, kAll };  // 单科, 主科, 全科
enum class StatRange { kClass, kSchool, kAll };     // 各班, 各校, 全部

struct ComprehensiveOptions {
  // ---- controls
  StatCategory category = StatCategory::kAll;
  std::vector<std::string> subjects;  // Combo1's list
  std::string subject;                // Combo1's text
  bool subject_visible = false;
  bool check1 = false;  // 各科全部优秀、优良、及格；综合分
  bool check2 = false;  // 1门、2门、3门不及格
  bool check3 = false;  // segments
  bool check4 = false;  // top N / N points
  bool check1_enabled = true;
  bool check2_enabled = true;
  std::string check3_caption = "总分分数段";
  std::string check4_caption = "总分前N名/N分以上：";
  std::array<std::string, 4> n_texts = {"10", "30", "50", "100"};  // Text1..Text4
  bool by_rank = false;  // mOpt "名" selected; fOpt "分" otherwise
  bool by_rank_enabled = true;
  StatRange range = StatRange::kAll;
  // ---- what the category and subject choices computed
  std::string stat_column;
  int stat_full_mark = 0;
  float stat_max = 0;
  float stat_min = 0;
  int stat_width = 0;
  int stat_subject_count = 0;
};

// Loading the dialog: reloads the subject lines and system settings into
// `state`, then selects 全科, 分 and 全部.
ComprehensiveOptions OpenComprehensiveDialog(data::AppState& state);

// The category options and the subject box. Highest and lowest values are
// read from 成绩表; a failing query leaves them as they were.
void ChooseCategory(ComprehensiveOptions& options, StatCategory category,
                    const data::AppState& state);
void ChooseSubject(ComprehensiveOptions& options, int index, const data::AppState& state);
void ChoosePoints(ComprehensiveOptions& options);  // fOpt: 450, 400, 350, 300
void ChooseRanks(ComprehensiveOptions& options);   // mOpt: 10, 20, 50, 100

// The segment columns between the lowest and the highest value present.
std::string BuildSegmentColumns(int full_mark, float highest, float lowest, int width,
                                std::string_view column);
std::string BuildSegmentColumns(const ComprehensiveOptions& options);

// The statement 确 定 builds, or the message that refuses it.
struct ComprehensiveQuery {
  std::string message;    // non-empty: shown, and nothing else happens
  std::string sql;        // saved as NewQry5
  std::string whole_sql;  // the 合计 row of 各校 and 各班; empty for 全部
  std::string title;      // ReportTitle
};
ComprehensiveQuery BuildComprehensiveQuery(const ComprehensiveOptions& options,
                                           const std::string& main_title);

// 确 定: the report, or the message when a check fails (the dialog stays open).
common::Result<output::Document> RunComprehensive(const ComprehensiveOptions& options,
                                                  data::AppState& state);

// qkjhtj from choices: category, subject, range, by, n and items, each as
// the dialog would have been set. Throws ReportError with the dialog's message.
output::Document ComprehensiveReport(ReportRun& run, const ReportChoices& choices);

}  // namespace reports
