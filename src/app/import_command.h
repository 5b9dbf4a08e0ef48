// 导入数据 > 成绩及科任教师: choose a workbook, import it with the progress
// window, report the result.
#pragma once

#include <QStringList>

namespace app {

class MainWindow;

void ImportWorkbook(MainWindow& window);

// Imports `paths` (one exam; several workbooks are one per school) as the
// menu command does once they are chosen.
void ImportWorkbookFiles(MainWindow& window, const QStringList& paths);

// A workbook handed over by the file manager: asks "导入这个工作簿？" first,
// since an import makes a new current exam.
void OfferWorkbookImport(MainWindow& window, const QStringList& paths);

}  // namespace app
