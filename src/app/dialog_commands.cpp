#include "app/dialog_commands.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/command_table.h"
#include "app/comprehensive_dialog.h"
#include "app/document_window.h"
#include "app/filter_dialog.h"
#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/qt_convert.h"
#include "app/student_list_dialog.h"
#include "reports/custom_ranking.h"

namespace app {
namespace {

using Listing = output::Document (*)(data::AppState&);

// 自定义合计总分排名 and 自定义排名: the score listing first, then the
// dialog that acts on it.
CommandTable::Command ListingThenOptions(MainWindow& w, Listing listing,
                                         settings::OptionsMode mode) {
  return [&w, listing, mode] {
    ShowInNewWindow(w, listing(w.state()));
    OpenOptions(w, mode);
  };
}

}  // namespace

void RegisterDialogCommands(MainWindow& w) {
  CommandTable& t = w.commands();
  t.Register(QStringLiteral("syssz"), [&w] { OpenOptions(w, settings::OptionsMode::kSegments); });
  t.Register(QStringLiteral("qtsz"), [&w] { OpenOptions(w, settings::OptionsMode::kTitles); });
  t.Register(QStringLiteral("zdyzf"), ListingThenOptions(w, reports::CustomTotalListing,
                                                         settings::OptionsMode::kCustomTotal));
  t.Register(QStringLiteral("zdypm1"), ListingThenOptions(w, reports::CustomRankingListing,
                                                          settings::OptionsMode::kCustomRanking));
  t.Register(QStringLiteral("qkjhtj"), [&w] { OpenComprehensive(w); });
  t.Register(QStringLiteral("mingdan"), [&w] { OpenStudentList(w); });
  t.Register(QStringLiteral("shaixwan"), [&w] { OpenFilter(w); });
}

DocumentWindow* ShowInNewWindow(MainWindow& w, output::Document document) {
  DocumentWindow* doc = w.NewDocument();
  doc->document().Take(std::move(document));
  doc->SyncFromDocument();
  return doc;
}

void SetComboItems(QComboBox* box, const std::vector<std::string>& items) {
  const QSignalBlocker block(box);
  box->clear();
  for (const std::string& item : items) box->addItem(Qs(item));
  box->setCurrentIndex(-1);
}

void SetComboText(QComboBox* box, const std::string& text) {
  const QSignalBlocker block(box);
  const int index = box->findText(Qs(text), Qt::MatchExactly);
  box->setCurrentIndex(index);
  if (box->isEditable()) box->setEditText(Qs(text));
}

}  // namespace app
