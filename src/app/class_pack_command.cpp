#include "app/class_pack_command.h"

#include <exception>

#include "app/app_info.h"
#include "app/main_window.h"
#include "app/progress_window.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"
#include "charts/chart_output.h"
#include "reports/class_pack.h"

namespace app {
namespace {

void WritePacks(MainWindow& w) {
  const QString dir = w.services().ExistingDirectory(&w, QStringLiteral("按班输出到文件夹"));
  if (dir.isEmpty()) return;
  ProgressWindow progress(&w);
  progress.AllowCancel();
  progress.Start(100);
  reports::PackResult result;
  try {
    result =
        reports::WriteClassPacks(w.state(), Std(dir), charts::WritePackPdfs, progress,
                                 output::Today(), [&progress] { return progress.Cancelled(); });
  } catch (const std::exception& e) {
    progress.close();
    w.services().Message(&w, AppTitle(), Qs(e.what()), QMessageBox::Warning);
    return;
  }
  progress.close();
  const QString done = QStringLiteral("已按班输出 %1 个班级到“%2”。").arg(result.classes).arg(dir);
  w.services().Message(&w, QStringLiteral("提示"),
                       result.cancelled ? QStringLiteral("已取消。") + done : done);
}

}  // namespace

void RegisterPackCommand(MainWindow& w) {
  w.commands().Register(QStringLiteral("absc"), [&w] { WritePacks(w); });
}

}  // namespace app
