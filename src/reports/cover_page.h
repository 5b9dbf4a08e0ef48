// The cover page of a bound set of reports: the school year, grade and exam
// title, the school name one character per row downwards, and the date, in
// one wide centred column. hxfm is landscape, zxfm portrait.
#pragma once

#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"

namespace reports {

// The title box shows a hint and must not be editable: the desktop disables
// it for these documents.
inline constexpr const char* kCoverTitle = "你可在打印预览中观看打印效果";

output::Document LandscapeCover(const data::TitleSettings& titles,
                                output::Date today = output::Today());
output::Document PortraitCover(const data::TitleSettings& titles,
                               output::Date today = output::Today());

// hxfm and zxfm from choices: "--date 2024-07-01", else the run's day.
output::Document LandscapeCoverReport(ReportRun& run, const ReportChoices& choices);
output::Document PortraitCoverReport(ReportRun& run, const ReportChoices& choices);

}  // namespace reports
