#include "app/application.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <memory>

#include "app/app_info.h"
#include "app/main_window.h"
#include "app/qt_convert.h"
#include "app/splash_window.h"
#include "app/ui_services.h"
#include "data/score_database.h"
#include "widgets/toolbar.h"

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

std::unique_ptr<QTranslator> ChineseQtTranslator() {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return nullptr;
  }
  return translator;
}

namespace {

// The program's icon: the tool bar's table picture, doubled.
QIcon ProgramIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(2, 2);
  widgets::PaintToolbarIcon(painter, QRect(0, 0, 16, 16), 8);
  return QIcon(pixmap);
}

}  // namespace

int RunApplication(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(AppTitle());
  QApplication::setApplicationVersion(VersionText());
  UseInterfaceFont();
  const std::unique_ptr<QTranslator> qt_texts = ChineseQtTranslator();
  if (qt_texts) QApplication::installTranslator(qt_texts.get());
  QApplication::setWindowIcon(ProgramIcon());

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
