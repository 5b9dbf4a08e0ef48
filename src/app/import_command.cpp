#include "app/import_command.h"

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/progress_window.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"
#include "data/import.h"

namespace app {

void ImportWorkbook(MainWindow& window) {
  const QString path = window.services().OpenFileName(
      &window, QStringLiteral("导入数据"), QStringLiteral("数据文件(*.XLS *.xls *.XLSX *.xlsx)"));
  if (path.isEmpty()) return;
  data::ImportResult result;
  {
    ProgressWindow progress(&window);
    progress.Start(100);
    result = data::cjjs(window.state(), Std(path), progress);
  }
  window.services().Message(&window, Qs(result.caption), Qs(result.message),
                            result.ok ? QMessageBox::Information : QMessageBox::Warning);
  // The titles and segments of the new examination are entered next.
  if (result.ok) OpenOptionsAfterImport(window);
}

}  // namespace app
