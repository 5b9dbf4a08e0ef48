#include "app/report_options_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/app_info.h"
#include "app/dialog_commands.h"
#include "app/dialog_util.h"
#include "app/main_window.h"
#include "app/qt_convert.h"
#include "app/report_commands.h"
#include "app/ui_services.h"

namespace app {
namespace {

constexpr const char* kOK = "确 定";
constexpr const char* kCancel = "取 消";

}  // namespace

ReportOptionsWindow::ReportOptionsWindow(MainWindow& main, const char* control_name,
                                         const char* caption,
                                         std::span<const reports::ReportOption> options, Make make)
    : QDialog(&main, Qt::Dialog),
      main_(main),
      options_(options),
      make_(std::move(make)),
      fields_(reports::OptionFields(options, main.state().subject_lines,
                                    data::ListExams(main.state().database_path))) {
  setObjectName(QString::fromLatin1(control_name) + QStringLiteral("frm"));
  setWindowTitle(Qs(caption));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  auto* form = new QFormLayout;
  for (const reports::OptionField& f : fields_) {
    QComboBox* list = nullptr;
    QLineEdit* text = nullptr;
    if (f.choices.empty()) {
      text = Named<QLineEdit>(this, Qs(f.name), Qs(f.value));
      form->addRow(Qs(f.label), text);
    } else {
      list = Named<QComboBox>(this, Qs(f.name));
      SetComboItems(list, f.choices);
      SetComboText(list, f.value);
      form->addRow(Qs(f.label), list);
    }
    lists_.push_back(list);
    texts_.push_back(text);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(OkCancelRow(this, "cmdOK", kOK, "cmdCancel", kCancel, [this] { OnOK(); }));
}

void ReportOptionsWindow::OnOK() {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    fields_[i].value = Std(lists_[i] ? lists_[i]->currentText() : texts_[i]->text());
  try {
    make_(reports::ChoicesOf(options_, fields_));
  } catch (const reports::ReportError& e) {
    main_.services().Message(this, AppTitle(), QString::fromUtf8(e.what()), QMessageBox::Warning);
    return;
  }
  close();
}

ReportOptionsWindow* OpenReportOptions(MainWindow& main, const reports::ReportKind& kind) {
  return OpenOptions(main, kind.control_name, kind.caption, kind.options,
                     [&main, &kind](const reports::ReportChoices& choices) {
                       MakeInNewWindow(main, kind, choices);
                     });
}

ReportOptionsWindow* OpenOptions(MainWindow& main, const char* control_name, const char* caption,
                                 std::span<const reports::ReportOption> options,
                                 ReportOptionsWindow::Make make) {
  delete main.findChild<ReportOptionsWindow*>(QString(), Qt::FindDirectChildrenOnly);
  auto* window = new ReportOptionsWindow(main, control_name, caption, options, std::move(make));
  window->show();
  window->raise();
  return window;
}

}  // namespace app
