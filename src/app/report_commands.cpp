#include "app/report_commands.h"

#include <functional>

#include "app/app_info.h"
#include "app/document_window.h"
#include "app/main_window.h"
#include "app/progress_window.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"
#include "reports/all_subject.h"
#include "reports/browse.h"
#include "reports/custom_ranking.h"
#include "reports/data_info.h"
#include "reports/listing_scores.h"
#include "reports/single_subject.h"
#include "reports/subject_count.h"

namespace app {
namespace {

using Fill = std::function<void(output::Document&, data::AppState&)>;

// A report that fills a new window.
CommandTable::Command InNewWindow(MainWindow& w, Fill fill) {
  return [&w, fill] {
    DocumentWindow* doc = w.NewDocument();
    fill(doc->document(), w.state());
    doc->SyncFromDocument();
  };
}

// A report that builds its own document, with the progress window.
using Build = output::Document (*)(data::AppState&, common::ProgressSink&);
CommandTable::Command Listing(MainWindow& w, Build build) {
  return [&w, build] {
    output::Document made;
    {
      ProgressWindow progress(&w);
      progress.Start(100);
      made = build(w.state(), progress);
    }
    DocumentWindow* doc = w.NewDocument();
    doc->document().caption = made.caption;
    doc->document().title = made.title;
    doc->grid().ReplaceContents(std::move(made.grid));
    doc->SyncFromDocument();
  };
}

// A command on the active report's grid; nothing without one.
CommandTable::Command OnGrid(MainWindow& w, std::function<void(grid::ReportGrid&)> action) {
  return [&w, action] {
    DocumentWindow* doc = w.ActiveDocument();
    if (doc == nullptr) return;
    try {
      action(doc->grid());
    } catch (const std::exception&) {
      // These commands end silently when the grid refuses.
    }
  };
}

}  // namespace

void RegisterReportCommands(MainWindow& w) {
  CommandTable& t = w.commands();
  t.Register(QStringLiteral("cj"), InNewWindow(w, reports::cj));
  t.Register(QStringLiteral("jsb"), InNewWindow(w, reports::jsb));
  t.Register(QStringLiteral("sxb"), InNewWindow(w, reports::sxb));
  t.Register(QStringLiteral("tjtable"), InNewWindow(w, reports::tjtable));
  t.Register(QStringLiteral("gdktj"), InNewWindow(w, reports::gdktj));
  t.Register(QStringLiteral("topn"), InNewWindow(w, reports::topn));
  t.Register(QStringLiteral("cjbxx"),
             InNewWindow(w, [](output::Document& d, data::AppState& s) { reports::cjbxx(d, s); }));
  t.Register(QStringLiteral("cjbschool"), InNewWindow(w, reports::cjbschool));
  t.Register(QStringLiteral("cjbclass"), InNewWindow(w, reports::cjbclass));
  t.Register(QStringLiteral("zfdmbm"), Listing(w, reports::zfdmbm));
  t.Register(QStringLiteral("czzpm"), Listing(w, reports::czzpm));
  t.Register(QStringLiteral("zdypm"), OnGrid(w, [](grid::ReportGrid& g) { reports::zdypm(g); }));
  t.Register(QStringLiteral("oldstor"), OnGrid(w, reports::oldstor));
  t.Register(QStringLiteral("pm"), OnGrid(w, [&w](grid::ReportGrid& g) {
               w.services().Message(&w, AppTitle(), Qs(reports::pm(g)));
             }));

  using Subject = void (*)(output::Document&, data::AppState&, int);
  for (auto [name, fill] : {std::pair<const char*, Subject>{"gbkm", reports::gbkm},
                            {"gxkm", reports::gxkm},
                            {"jskm", reports::jskm}}) {
    t.RegisterIndexed(QString::fromLatin1(name), [&w, fill](int index) {
      if (index < 1) return;  // item 0 is the caption 科目
      DocumentWindow* doc = w.NewDocument();
      fill(doc->document(), w.state(), index);
      doc->SyncFromDocument();
    });
  }
}

}  // namespace app
