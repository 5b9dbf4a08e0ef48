#include "app/application.h"

#include <QApplication>
#include <QFontDatabase>
#include <memory>

#include "app/app_info.h"
#include "app/font_map.h"
#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/ui_services.h"
#include "data/score_database.h"

namespace app {

void UseInterfaceFont() {
  const QStringList installed = QFontDatabase::families();
  for (const char* family : {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Noto Sans CJK"}) {
    const QString name = QString::fromUtf8(family);
    if (installed.contains(name)) {
      QFont font(name);
      font.setPixelSize(13);
      QApplication::setFont(font);
      return;
    }
  }
}

int RunApplication(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(AppTitle());
  QApplication::setApplicationVersion(VersionText());
  UseInterfaceFont();

  std::string db_override;
  const QStringList args = QApplication::arguments();
  const qsizetype db_at = args.indexOf(QStringLiteral("--db"));
  if (db_at >= 0 && db_at + 1 < args.size()) db_override = Std(args[db_at + 1]);

  auto splash = std::make_unique<SplashWindow>();
  splash->show();
  QApplication::processEvents();

  data::AppState state;
  data::SetDatabasePath(state, db_override);
  DialogServices services;
  MainWindow window(state, services);
  splash.reset();
  window.show();
  return QApplication::exec();
}

}  // namespace app
