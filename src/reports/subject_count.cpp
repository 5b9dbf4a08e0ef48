#include "reports/subject_count.h"

#include "output/paper_fit.h"
#include "output/report_layout.h"
#include "reports/stat_columns.h"

namespace reports {

void SubjectCountReport(output::Document& doc, data::AppState& state) {
  state.report_title = state.title_settings.MainTitle + "优秀优良及格科目数及成绩表";
  doc.grid.SetAutoRedraw(false);
  doc.title = state.report_title;
  output::ShowSourceInGrid(doc, state, "统计表", output::FieldFormat::kTwoDecimals);
  output::LayoutListGrid(doc, state);
  output::SkipOnError([&] {
    int last = doc.grid.Cols() - 1;
    doc.grid.Cell(0, last).SetWrapText(true);
    doc.grid.SetColWidth(last, 38);
    output::FitReportToPaper(doc.grid, output::FitPreference::kShrinkFirst);
  });
  doc.grid.SetAutoRedraw(true);
  doc.grid.Refresh();
}

}  // namespace reports
