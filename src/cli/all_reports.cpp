// report all: every kind the catalog includes, as the sheets of one workbook.
//
// The sheets are made ahead of the workbook on worker threads and added to
// it in catalog order as they come, each grid dropped once it is in the
// workbook: the book never holds more than a few grids, and building the
// next reports overlaps writing the last one into the workbook. The kinds
// that store saved queries under shared names (NewQry1, ...) and read them
// back are made one after another on one thread, in catalog order, so the
// queries stored at the end are the ones stored before; the analysis kinds,
// which only read, are shared out between two more, which make them while
// the saved-query kinds are still being made. 统计表 is read once for all
// the analysis sheets.
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/document_writer.h"
#include "cli/stderr_progress.h"
#include "data/score_database.h"
#include "grid/export.h"
#include "reports/analysis_table.h"

namespace cli {
namespace {

struct Job {
  const reports::ReportKind* kind;
  std::string subject;  // empty for the kinds made once
};

std::vector<Job> AllJobs(const std::vector<std::string>& subjects) {
  std::vector<Job> jobs;
  for (const reports::ReportKind& kind : reports::ReportCatalog()) {
    if (!kind.in_report_all) continue;
    if (!reports::PerSubjectInReportAll(kind)) jobs.push_back({&kind, ""});
    for (const std::string& subject :
         reports::PerSubjectInReportAll(kind) ? subjects : std::vector<std::string>{})
      jobs.push_back({&kind, subject});
  }
  return jobs;
}

// The sheet tab: the caption without the main title that starts every one.
std::string SheetName(const output::Document& doc, const std::string& main_title) {
  std::string name = doc.caption.empty() ? doc.title : doc.caption;
  if (!main_title.empty() && name.rfind(main_title, 0) == 0 && name.size() > main_title.size())
    name = name.substr(main_title.size());
  return name;
}

// The documents of `jobs`, made by lanes of worker threads and handed over
// in job order. The saved-query lane starts a job only within kAhead of the
// one the writer waits for; the analysis lanes, whose sheets come last,
// work ahead of the writer from the start while what they hold is under
// kAheadBytes, so that the core the saved-query lane leaves idle makes
// them, and write their sheets' XML too (but for a province's listings),
// which leaves the writer little to do for them once the saved-query kinds
// are done. Either way memory is bounded, not held by the exam's size.
class ReportPipeline {
 public:
  ReportPipeline(const std::vector<Job>& jobs, const data::AppState& base)
      : jobs_(jobs), base_(base), slots_(jobs.size()) {
    lanes_.emplace_back([this] { Work(false); });
    for (int n = 0; n < kAnalysisLanes; ++n) lanes_.emplace_back([this] { Work(true); });
  }
  ReportPipeline(const ReportPipeline&) = delete;
  ReportPipeline& operator=(const ReportPipeline&) = delete;
  ~ReportPipeline() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& lane : lanes_) lane.join();
  }

  struct Made {
    output::Document doc;
    std::unique_ptr<grid::PreparedSheet> sheet;  // written ahead, or nullptr
  };

  // What job `i` made, the jobs taken in order; rethrows what making it
  // threw.
  Made Take(std::size_t i) {
    std::unique_lock lock(mutex_);
    taken_ = i;
    changed_.notify_all();
    changed_.wait(lock, [&] { return slots_[i].doc || slots_[i].error; });
    if (slots_[i].doc && reports::ReadsOnlyTheExam(*jobs_[i].kind)) {
      ahead_bytes_ -= HeldBytes(*slots_[i].doc, slots_[i].sheet.get());
      changed_.notify_all();
    }
    if (slots_[i].error) std::rethrow_exception(slots_[i].error);
    Made made{std::move(*slots_[i].doc), std::move(slots_[i].sheet)};
    slots_[i].doc.reset();
    return made;
  }

 private:
  static constexpr std::size_t kAhead = 4;
  static constexpr int kAnalysisLanes = 2;
  // Every analysis sheet of 100,000 students, their grids and XML: two
  // listings of every student and nine of the borderline ones.
  static constexpr std::size_t kAheadBytes = 256u << 20;
  // Their XML is about 45 bytes a cell: larger sheets are written when the
  // book gets them.
  static constexpr std::size_t kMostCellsAhead = 2'000'000;
  static constexpr std::size_t kGridBytesPerCell = 16;

  static std::size_t CellCount(const output::Document& doc) {
    return static_cast<std::size_t>(doc.grid.Rows()) * static_cast<std::size_t>(doc.grid.Cols());
  }
  static std::size_t HeldBytes(const output::Document& doc, const grid::PreparedSheet* sheet) {
    return CellCount(doc) * kGridBytesPerCell + (sheet ? sheet->Bytes() : 0);
  }

  struct Slot {
    std::optional<output::Document> doc;
    std::unique_ptr<grid::PreparedSheet> sheet;
    std::exception_ptr error;
  };

  // 统计表 as the analysis lanes share it; read by the first that asks.
  std::shared_ptr<const reports::CurrentExam> Exam() {
    std::call_once(exam_read_, [&] {
      common::NullProgress quiet;
      if (std::any_of(jobs_.begin(), jobs_.end(),
                      [](const Job& j) { return reports::ReadsOnlyTheExam(*j.kind); }))
        exam_ = reports::ReadCurrentExamOnce(base_, quiet);
    });
    return exam_;
  }

  // Makes the lane's kind of jobs, each lane taking the next one not taken.
  void Work(bool analysis) {
    const reports::ReuseCurrentExam reuse(analysis ? Exam() : nullptr);
    for (;;) {
      std::size_t i = 0;
      {
        std::unique_lock lock(mutex_);
        std::size_t& next = next_[analysis ? 1 : 0];
        while (next < jobs_.size() && reports::ReadsOnlyTheExam(*jobs_[next].kind) != analysis)
          ++next;
        if (next == jobs_.size()) return;
        i = next++;
        changed_.wait(lock, [&] {
          return stopping_ || i < taken_ + kAhead || (analysis && ahead_bytes_ < kAheadBytes);
        });
        if (stopping_) return;
      }
      Slot made;
      try {
        made.doc = Make(jobs_[i]);
        if (analysis && CellCount(*made.doc) <= kMostCellsAhead)
          made.sheet = std::make_unique<grid::PreparedSheet>(made.doc->grid);
      } catch (...) {
        made.error = std::current_exception();
      }
      std::lock_guard lock(mutex_);
      if (analysis && made.doc) ahead_bytes_ += HeldBytes(*made.doc, made.sheet.get());
      slots_[i] = std::move(made);
      changed_.notify_all();
    }
  }

  // As the single report command makes it, but quietly: the writer shows
  // the progress of the whole book.
  output::Document Make(const Job& job) const {
    data::AppState state = base_;
    common::NullProgress quiet;
    reports::ReportRun run{state, quiet, output::Today()};
    reports::ReportChoices choices;
    if (!job.subject.empty()) choices.Add("subject", job.subject);
    output::Document doc;
    reports::MakeReport(*job.kind, doc, run, choices);
    return doc;
  }

  const std::vector<Job>& jobs_;
  const data::AppState& base_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;
  std::size_t taken_ = 0;
  std::size_t ahead_bytes_ = 0;   // what the analysis documents made and not yet taken hold
  std::size_t next_[2] = {0, 0};  // the next job to look at: saved-query kinds, analysis kinds
  bool stopping_ = false;
  std::once_flag exam_read_;
  std::shared_ptr<const reports::CurrentExam> exam_;
  std::vector<std::thread> lanes_;
};

// Adds every report sheet to `book`, up to the first the workbook refuses
// (its Close then says why).
void AddReportSheets(Context& ctx, const std::vector<Job>& jobs, grid::ExcelBookWriter& book,
                     StderrProgress& progress) {
  ReportPipeline pipeline(jobs, ctx.state);
  const auto total = static_cast<long long>(jobs.size());
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const Job& job = jobs[i];
    progress.Report(static_cast<long long>(i), total,
                    job.kind->control_name + (job.subject.empty() ? "" : " " + job.subject));
    const ReportPipeline::Made made = pipeline.Take(i);
    if (!book.Add({SheetName(made.doc, ctx.state.title_settings.MainTitle),
                   &made.doc.grid,
                   {},
                   made.sheet.get()}))
      return;
  }
}

}  // namespace

int WriteAllReports(Context& ctx, const std::string& path, bool with_charts) {
  if (FileExtension(path) != "xlsx") {
    ctx.err << "report all 只能写成一个 .xlsx 工作簿。\n";
    return 2;
  }
  data::LoadSubjectLines(ctx.state);
  LoadSettingsForRun(ctx);
  const std::vector<Job> jobs = AllJobs(ctx.state.subject_lines.SubjectName);
  StderrProgress progress(ctx.err);
  std::optional<grid::ExcelBookWriter> book(std::in_place, path, grid::SheetWriting::kStreamed);
  try {
    AddReportSheets(ctx, jobs, *book, progress);
  } catch (...) {
    book.reset();
    std::remove(path.c_str());  // no half-written book
    throw;
  }
  progress.Report(static_cast<long long>(jobs.size()), static_cast<long long>(jobs.size()),
                  with_charts ? "正在画图表……" : "正在写入工作簿……");
  const std::vector<ChartSheet> charts =
      with_charts ? SubjectChartSheets(ctx) : std::vector<ChartSheet>{};
  for (const ChartSheet& chart : charts)
    if (!book->Add({chart.name, nullptr, chart.png})) break;
  const grid::Status status = book->Close();
  progress.Finish();
  if (!status) {
    ctx.err << status.message() << "\n";
    return 1;
  }
  ctx.err << "已写入 " << jobs.size() + charts.size() << " 张报表: " << path << "\n";
  return 0;
}

}  // namespace cli
