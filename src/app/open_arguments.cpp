#include "app/open_arguments.h"

#include <QFileInfo>

#include "app/import_command.h"
#include "app/main_window.h"
#include "app/print_commands.h"

namespace app {
namespace {

bool IsWorkbook(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx") ||
         suffix == QLatin1String("ods");
}

}  // namespace

ProgramArguments ParseProgramArguments(const QStringList& args) {
  ProgramArguments parsed;
  const QString db_equals = QStringLiteral("--db=");
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (arg == QLatin1String("--db") && i + 1 < args.size()) {
      parsed.database = args[++i];
    } else if (arg.startsWith(db_equals)) {
      parsed.database = arg.mid(db_equals.size());
    } else if (!arg.startsWith(QLatin1Char('-'))) {
      parsed.files.append(arg);
    }
  }
  return parsed;
}

void OpenArgumentFiles(MainWindow& window, const QStringList& files) {
  QStringList workbooks;
  for (const QString& file : files) {
    if (IsWorkbook(file)) {
      workbooks.append(file);
      continue;
    }
    OpenGridFileInNewWindow(window, file);
  }
  OfferWorkbookImport(window, workbooks);
}

}  // namespace app
