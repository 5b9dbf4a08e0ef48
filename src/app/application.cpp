#include "app/application.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/app_info.h"
#include "app/main_window.h"
#include "app/open_arguments.h"
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

bool UseChineseForQt() {
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  static std::unique_ptr<QTranslator> translator;
  if (!translator) translator = ChineseQtTranslator();
  if (!translator) return false;
  QCoreApplication::installTranslator(translator.get());
  return true;
}

namespace {

// The program's icon: the tool bar's table picture, drawn at each size so
// that the about box's larger one is sharp too.
QIcon ProgramIcon() {
  QIcon icon;
  for (int scale : {2, 3, 4}) {
    QPixmap pixmap(16 * scale, 16 * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    widgets::PaintToolbarIcon(painter, QRect(0, 0, 16, 16), 8);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

int RunApplication(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("scorestat %s\n", VersionText().toUtf8().constData());
      return 0;
    }
  }
  // Qt's own dialogs rather than the desktop's, which would speak the
  // desktop's language; with the Chinese translation below every word shows
  // in Chinese.
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication application(argc, argv);
  QApplication::setApplicationName(AppTitle());
  QApplication::setApplicationVersion(VersionText());
  UseInterfaceFont();
  UseChineseForQt();
  // The menu entry's icon once installed; from the build folder, the tool
  // bar's table picture.
  QApplication::setWindowIcon(
      QIcon::fromTheme(QStringLiteral("io.github.scorestat.ScoreStat"), ProgramIcon()));

  const ProgramArguments args = ParseProgramArguments(QApplication::arguments());

  SplashWindow splash;
  splash.Present();

  data::AppState state;
  data::SetDatabasePath(state, Std(args.database));
  DialogServices services;
  MainWindow window(state, services);
  window.show();
  splash.CloseAfterMinimumTime();
  // Once the window is on screen, so that a question about a workbook has
  // the program behind it.
  QTimer::singleShot(0, &window, [&window, &args] { OpenArgumentFiles(window, args.files); });
  return QApplication::exec();
}

}  // namespace app
