#include "app/report_commands.h"

#include <functional>
#include <optional>

#include "app/app_info.h"
#include "app/document_window.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/progress_window.h"
#include "app/qt_convert.h"
#include "app/report_options_dialog.h"
#include "app/ui_services.h"
#include "reports/custom_ranking.h"
#include "reports/option_form.h"
#include "reports/report_catalog.h"

namespace app {
void MakeInNewWindow(MainWindow& w, const reports::ReportKind& kind,
                     const reports::ReportChoices& choices) {
  // Filled in its window, so that the columns fit the window's own fonts.
  DocumentWindow* doc = w.NewDocument();
  try {
    common::NullProgress quiet;
    std::optional<ProgressWindow> shown;
    if (kind.reports_progress) {
      shown.emplace(&w);
      shown->Start(100);
    }
    reports::ReportRun run{w.state(), shown ? static_cast<common::ProgressSink&>(*shown) : quiet,
                           output::Today()};
    reports::MakeReport(kind, doc->document(), run, choices);
  } catch (...) {
    if (QWidget* frame = doc->parentWidget()) frame->close();
    throw;
  }
  doc->SyncFromDocument();
}

namespace {

// A command on the active report's grid, one undoable step; nothing
// without a report.
CommandTable::Command OnGrid(MainWindow& w, const char* name,
                             std::function<void(grid::ReportGrid&)> action) {
  return
      [&w, step = StepName(QString::fromLatin1(name)), action] { w.EditActiveGrid(step, action); };
}

}  // namespace

void RegisterReportCommands(MainWindow& w) {
  CommandTable& t = w.commands();
  for (const reports::ReportKind& kind : reports::ReportCatalog()) {
    const QString name = QString::fromLatin1(kind.control_name);
    switch (kind.input) {
      case reports::KindInput::kNone:
        t.Register(name, [&w, &kind] { MakeInNewWindow(w, kind, reports::ReportChoices()); });
        break;
      case reports::KindInput::kSubject:
        t.RegisterIndexed(name, [&w, &kind](int index) {
          const std::vector<std::string>& subjects = w.state().subject_lines.SubjectName;
          if (index < 1 || index > static_cast<int>(subjects.size())) return;  // 0: 科目
          reports::ReportChoices choices;
          choices.Add("subject", subjects[static_cast<size_t>(index - 1)]);
          MakeInNewWindow(w, kind, choices);
        });
        break;
      case reports::KindInput::kDialog:
      case reports::KindInput::kSubjectDialog:
        // The others are registered with their own dialogs (dialog_commands.cpp).
        if (reports::HasOptionForm(kind))
          t.Register(name, [&w, &kind] { OpenReportOptions(w, kind); });
        break;
    }
  }
  t.Register(QStringLiteral("zdypm"),
             OnGrid(w, "zdypm", [](grid::ReportGrid& g) { reports::RankSelectedColumn(g); }));
  t.Register(QStringLiteral("oldstor"), OnGrid(w, "oldstor", reports::RestoreFilledOrder));
  t.Register(QStringLiteral("pm"), [&w] {
    if (w.ActiveDocument() == nullptr) return;
    std::string message;
    w.EditActiveGrid(StepName(QStringLiteral("pm")), [&message](grid::ReportGrid& g) {
      message = reports::SortBySelectedColumn(g);
    });
    if (!message.empty()) w.services().Message(&w, AppTitle(), Qs(message));
  });
}

}  // namespace app
