// 按班输出 (pack): what a class teacher hands out and keeps, one folder per
// class, DIR/学校/班级/, holding
//   成绩条.pdf        the class's result slips (本班平均 and 等级 on each),
//   家长告知书.pdf    a letter per student,
//   单科统计.xlsx     the class's row of 各班单科统计, a sheet per subject,
//   学生名单.xlsx     the class's students with their scores and totals.
// The exam is read once and the per-class statistics made once per subject,
// so a province's pack costs little more than its reports. The privacy
// settings of the state apply to every file, as to any report.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "common/progress.h"
#include "data/app_state.h"
#include "grid/grid_error.h"
#include "output/document.h"
#include "output/report_layout.h"
#include "reports/report_catalog.h"

namespace reports {

// Writes documents of strips (slips, letters), each to its own PDF file;
// the core cannot paint, so the caller hands in its renderer. It gets many
// classes' documents at once, so that it can paint them together and split
// the result. It is called from several threads at once, each with its own
// documents and files.
struct PdfJob {
  const output::Document* doc = nullptr;
  std::string path;
};
using PdfWriter = std::function<grid::Status(std::span<const PdfJob> jobs)>;

struct PackResult {
  int classes = 0;  // folders written
  int files = 0;
  bool cancelled = false;
};

// A text made safe as one file or folder name on every system: / \ become
// "-", : and ( ) their full-width forms, * ? " < > | and control characters
// "_", leading and trailing spaces and dots dropped; "_" when nothing is left.
std::string SafeFileName(const std::string& text);

// Writes the packs of every class under `dir` (created if needed), the
// classes shared out among the machine's cores in runs of consecutive
// classes. Progress is reported on the calling thread only, after each class
// it writes, and `cancelled` asked there after each run; a cancelled pack
// finishes the runs already begun, so every folder it leaves is whole. Throws ReportError with the
// user's message when a file cannot be written, after the other threads have stopped.
PackResult WriteClassPacks(data::AppState& state, const std::string& dir, const PdfWriter& pdf,
                           common::ProgressSink& progress, output::Date today,
                           const std::function<bool()>& cancelled = {});

}  // namespace reports
