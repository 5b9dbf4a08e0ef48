#include "app/import_command.h"

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/progress_window.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"
#include "data/import.h"

namespace app {

void ImportWorkbook(MainWindow& window) {
  // Several workbooks (one per school) may be chosen: they make one exam.
  const QStringList paths = window.services().OpenFileNames(
      &window, QStringLiteral("导入数据"),
      QStringLiteral("数据文件(*.XLS *.xls *.XLSX *.xlsx *.ODS *.ods)"));
  if (paths.isEmpty()) return;
  ImportWorkbookFiles(window, paths);
}

void ImportWorkbookFiles(MainWindow& window, const QStringList& paths) {
  std::vector<std::string> files;
  for (const QString& path : paths) files.push_back(Std(path));
  data::ImportResult result;
  {
    ProgressWindow progress(&window);
    progress.Start(100);
    result = data::ImportExam(window.state(), files, progress);
  }
  window.services().Message(&window, Qs(result.caption), Qs(result.message),
                            result.ok ? QMessageBox::Information : QMessageBox::Warning);
  if (!result.ok) return;
  // The subject menus follow the new exam at once, so the restart the message
  // asks for is no longer needed to reach them.
  window.BuildSubjectMenus();
  // The titles and segments of the new examination are entered next.
  OpenOptionsAfterImport(window);
}

void OfferWorkbookImport(MainWindow& window, const QStringList& paths) {
  if (paths.isEmpty()) return;
  const QString question =
      QStringLiteral("导入这个工作簿？") + QStringLiteral("\n\n") + paths.join(QLatin1Char('\n'));
  if (!window.services().Ask(&window, QStringLiteral("导入数据"), question)) return;
  ImportWorkbookFiles(window, paths);
}

}  // namespace app
