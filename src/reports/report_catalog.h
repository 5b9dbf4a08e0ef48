// The catalog of report kinds: one entry per kind, read by the desktop's
// menu commands, the command-line tool's `report`, its `--help` and
// `report all`. Adding a kind means one source file for the report, one
// entry in report_catalog.cpp and its tests; the menu item that runs it is
// placed in the desktop's menu table under the same control name.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/progress.h"
#include "data/app_state.h"
#include "output/document.h"
#include "output/report_layout.h"

namespace reports {

// A refusal of a report command, with a Chinese message for the user.
class ReportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One choice a kind accepts, declared once: the CLI parses it as
// "--name value", `report --help` lists it, `report all` and a kind run
// without choices use its fallback.
struct ReportOption {
  const char* name;      // "range"
  const char* values;    // how a value is written, for the help: "各班|各校|全部"
  const char* fallback;  // the value when the option is not given ("" for none)
  bool repeats = false;  // may be given more than once ("--rank")
  // Its label in the options dialog the desktop builds from the
  // declarations (kinds with a dialog of their own leave it out).
  const char* label = nullptr;
  // A yes/no option also written --no-NAME (for NAME 否).
  bool negatable = false;
};

// The choices given to one kind: values by option name, in the order given.
// Reading an option the kind does not declare is a programming error and
// throws std::logic_error; an undeclared option given by the user is refused
// earlier, by UndeclaredOption.
class ReportChoices {
 public:
  explicit ReportChoices(std::span<const ReportOption> declared = {}) : declared_(declared) {}
  void Add(std::string name, std::string value);
  // The last value given, else the option's fallback.
  std::string Get(std::string_view name) const;
  std::vector<std::string> All(std::string_view name) const;
  bool Given(std::string_view name) const;
  // The same values read through another kind's declarations.
  ReportChoices For(std::span<const ReportOption> declared) const;
  const std::vector<std::pair<std::string, std::string>>& values() const { return values_; }

 private:
  const ReportOption& Declared(std::string_view name) const;

  std::span<const ReportOption> declared_;
  std::vector<std::pair<std::string, std::string>> values_;
};

// What a kind is made with besides its choices. `state` has its settings
// loaded; the kind reloads what its report needs.
struct ReportRun {
  data::AppState& state;
  common::ProgressSink& progress;
  output::Date today;
};

enum class KindInput {
  kNone,     // the menu command makes it at once, with the fallbacks
  kSubject,  // one per subject: the menu's subject items, "--subject", one per subject in `all`
  kDialog,   // the desktop asks through the kind's own dialog; the CLI reads the options
  // The desktop asks through its dialog, a subject among the choices; the
  // CLI reads the options; `all` makes one per subject with the fallbacks.
  kSubjectDialog,
};

struct ReportKind {
  const char* control_name;  // the menu command's objectName and the CLI's kind: "gbkm"
  const char* caption;       // the menu caption: "各班单科统计"
  const char* description;   // one line of `report --help`
  KindInput input;
  std::span<const ReportOption> options;
  bool in_report_all;     // `report all` makes it (with the fallbacks)
  bool reports_progress;  // long enough that the desktop shows its progress window
  // Fills `doc`, a new document: the desktop's window or the CLI's. Throws
  // ReportError with the user's message when a choice cannot be met.
  void (*fill)(output::Document& doc, ReportRun& run, const ReportChoices& choices);
};

std::span<const ReportKind> ReportCatalog();

// Makes a kind into `doc` as every command should: its fill, then the
// privacy settings of run.state (privacy.h) applied to what it made.
void MakeReport(const ReportKind& kind, output::Document& doc, ReportRun& run,
                const ReportChoices& choices);
// The ranking reports (名次表, 自定义排名, 名次段分布): in no-rank mode they
// keep their ranks, marked for internal use.
bool IsRankingReport(const ReportKind& kind);
// The analysis kinds: they read the exam snapshot and the settings and store
// no saved query, so `report all` may make them beside the other kinds (which
// store and read back queries under shared names such as NewQry1).
bool ReadsOnlyTheExam(const ReportKind& kind);
// nullptr when no kind has this control name.
const ReportKind* FindReportKind(std::string_view control_name);

// The first option in `choices` that neither `kind` nor the kind named by
// its "--from" option declares; empty when all are known.
std::string UndeclaredOption(const ReportKind& kind, const ReportChoices& choices);
// The first option in `choices` that `options` does not declare.
std::string UndeclaredOption(std::span<const ReportOption> options, const ReportChoices& choices);

// The parts of a choice's value between `separator`s ("语文:50,数学" by
// ','): a trailing empty part is dropped.
std::vector<std::string> SplitList(const std::string& text, char separator);

// True for the kinds `report all` makes once per subject.
bool PerSubjectInReportAll(const ReportKind& kind);

// A choice read as a number, or as a whole number within int's range.
// Throws ReportError naming the option when its text is not one.
double NumberChoice(const ReportChoices& choices, std::string_view name);
int WholeNumberChoice(const ReportChoices& choices, std::string_view name);
// A list "50,100,200" of numbers or of whole numbers; blank parts are skipped.
std::vector<double> NumberListChoice(const ReportChoices& choices, std::string_view name);
std::vector<int> WholeNumberListChoice(const ReportChoices& choices, std::string_view name);

// The 1-based menu index of the subject named by the "subject" choice.
// Throws ReportError when none is given or no subject has that name.
int ChosenSubject(const data::AppState& state, const ReportChoices& choices);

}  // namespace reports
