// The File menu's commands on the active report: open and save grid files,
// export to Excel, HTML and PDF, page setup, print preview and printing.
// With no report window open they do nothing, except 打开表格文件, which
// opens an empty report window first. When a chart window is the active
// one, 输出到PDF, 页面设置, 打印预览 and 打印 act on its chart, and 另存为图片
// writes it as PNG or SVG (a chart's own command).
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QDialog;
class QPrinter;
class QWidget;

namespace app {

class DocumentWindow;
class MainWindow;

// The modal parts these commands reach for, replaceable so that tests run
// them without a user or a printer. The file dialogs are the main window's
// UiServices. Page setup and preview are opened window-modal and return at
// once.
struct PrintCommandHooks {
  // Shows a dialog (page setup, print preview), taking ownership of it.
  std::function<void(QDialog* dialog)> show_dialog;
  // A printer set to the system's default printer; nullptr when no printer
  // is installed.
  std::function<std::unique_ptr<QPrinter>()> default_printer;
};

// QDialog::open, deleting the dialog when it closes, and QPrinterInfo.
PrintCommandHooks DefaultPrintCommandHooks();

// Registers mnuOpen, mnuSave, mnuFileSaveAs, ExcelSave, mnuExportHtml,
// mnuExportPdf, mnuSaveImage, mnuFilePageSetup, mnuPrintPreview and
// mnuDirectPrint.
// Registering again replaces them.
void RegisterPrintCommands(MainWindow& window);
void RegisterPrintCommands(MainWindow& window, PrintCommandHooks hooks);

// Opens the grid file at `path` in a new report window, which then saves
// back there. A file that cannot be read is refused with a message, no
// window opened and nullptr returned.
DocumentWindow* OpenGridFileInNewWindow(MainWindow& window, const QString& path);

// The grid file a report window was last opened from or saved to, empty
// when none; 保存 writes there.
QString GridFilePathOf(const QWidget& document_window);

}  // namespace app
