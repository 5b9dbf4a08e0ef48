#include "app/print_commands.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QVariant>
#include <optional>

#include "app/app_info.h"
#include "app/chart_window.h"
#include "app/document_window.h"
#include "app/main_window.h"
#include "app/page_setup_dialog.h"
#include "app/progress_window.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"
#include "charts/chart_output.h"
#include "grid/export.h"
#include "grid/grid_file.h"
#include "render/print.h"
#include "render/strip_layout.h"

namespace app {

namespace {

// The commands' texts, in one place.
namespace text {
const QString kNotice = QStringLiteral("提示");
const QString kSaved = QStringLiteral("保存成功。");
// 保存 writes the table's file only; a teacher who edited 成绩表 must not
// believe the scores in the database changed.
QString SavedToFile(const QString& path) {
  return QStringLiteral(
             "表格已保存到文件 %1。\n成绩数据库没有改动：要更正成绩，请改好成绩表后重新导入。")
      .arg(QDir::toNativeSeparators(path));
}
const QString kExported = QStringLiteral("输出成功。");
const QString kNoPrinter = QStringLiteral("没有安装打印机，无法打印。请先在系统中添加打印机。");
const QString kOpenCaption = QStringLiteral("打开表格文件");
const QString kSaveCaption = QStringLiteral("另存为");
const QString kExcelCaption = QStringLiteral("输出到Excel");
const QString kHtmlCaption = QStringLiteral("输出到HTML");
const QString kPdfCaption = QStringLiteral("输出到PDF");
const QString kPreviewCaption = QStringLiteral("打印预览");
// Grid files are saved as .scg, a type of their own for the file manager;
// the .json files of earlier versions still open.
const QString kGridFilter = QStringLiteral("表格文件 (*.scg *.json);;所有文件 (*)");
const QString kExcelFilter = QStringLiteral("Excel 工作簿 (*.xlsx)");
const QString kHtmlFilter = QStringLiteral("网页文件 (*.html *.htm)");
const QString kPdfFilter = QStringLiteral("PDF 文件 (*.pdf)");
const QString kImageCaption = QStringLiteral("另存为图片");
const QString kImageFilter = QStringLiteral("PNG 图片 (*.png);;SVG 图片 (*.svg)");
}  // namespace text

const char* const kGridFileProperty = "gridFilePath";

// One kind of file a report is written to.
struct Output {
  const QString& caption;
  const QString& filter;
  const char* suffix;
  grid::Status (*write)(const Document& doc, const std::string& path);
};

grid::Status WriteGridFile(const Document& doc, const std::string& path) {
  return grid::SaveGridFile(path, doc.grid, doc.caption, doc.title);
}
grid::Status WriteExcel(const Document& doc, const std::string& path) {
  return grid::ExportToExcel(doc.grid, path);
}
grid::Status WriteHtml(const Document& doc, const std::string& path) {
  return grid::ExportToHtml(doc.grid, path, doc.caption);
}
grid::Status WritePdf(const Document& doc, const std::string& path) {
  return render::WriteReportPdf(doc.grid, doc.strips, path, {}, charts::PaintStripFigures);
}
// A report's pages (a province's slips run to thousands), to a PDF or a
// printer, with a progress window that can stop them.
void WithPageProgress(QWidget& window, const std::function<void(const render::PdfProgress&)>& out) {
  ProgressWindow progress(&window);
  progress.AllowCancel();
  progress.Start(100);
  out({.sink = &progress, .cancelled = [&progress] { return progress.Cancelled(); }});
  progress.close();
}

grid::Status WritePdfShowingProgress(DocumentWindow& window, const std::string& path) {
  grid::Status written = grid::Status::Ok();
  WithPageProgress(window, [&](const render::PdfProgress& progress) {
    written = render::WriteReportPdf(window.grid(), window.document().strips, path, progress,
                                     charts::PaintStripFigures);
  });
  return written;
}

const Output kGridFile{text::kSaveCaption, text::kGridFilter, "scg", WriteGridFile};
const Output kExcel{text::kExcelCaption, text::kExcelFilter, "xlsx", WriteExcel};
const Output kHtml{text::kHtmlCaption, text::kHtmlFilter, "html", WriteHtml};
const Output kPdf{text::kPdfCaption, text::kPdfFilter, "pdf", WritePdf};
// A chart's picture: written by the chart module, never from a report.
const Output kImage{text::kImageCaption, text::kImageFilter, "png", nullptr};

// What 页面设置, 打印预览, 打印 and 输出到PDF act on: the active report window
// or chart window, seen alike, so that each command has one path for both.
struct Printable {
  QWidget* window;
  std::string title;
  grid::ReportGrid* page;  // its page setup and title lines
  EditHistory* history;    // a report's page setup is undoable, a chart's not
  // To a printer or a preview; with progress (and 取消) when printing.
  std::function<void(QPrinter&, const render::PdfProgress&)> print;
  std::function<grid::Status(const std::string&)> write_pdf;
};

std::optional<Printable> ActivePrintable(const MainWindow& w) {
  if (DocumentWindow* doc = w.ActiveDocument())
    return Printable{
        doc,
        doc->document().caption,
        &doc->grid(),
        &doc->history(),
        [doc](QPrinter& printer, const render::PdfProgress& progress) {
          render::PrintReport(doc->grid(), doc->document().strips, printer,
                              charts::PaintStripFigures, progress);
        },
        [doc](const std::string& path) { return WritePdfShowingProgress(*doc, path); }};
  if (ChartWindow* chart = ActiveChart(w))
    return Printable{chart,
                     chart->data().title,
                     &chart->page(),
                     nullptr,
                     [chart](QPrinter& printer, const render::PdfProgress&) {
                       charts::PrintChart(chart->data(), chart->page(), printer);  // one page
                     },
                     [chart](const std::string& path) {
                       return charts::WriteChart(chart->data(), chart->page(), path);
                     }};
  return std::nullopt;
}

// A name typed without an ending gets the format's own.
QString WithSuffix(const QString& path, const char* suffix) {
  if (!QFileInfo(path).suffix().isEmpty()) return path;
  return path + QLatin1Char('.') + QLatin1String(suffix);
}

QString SuggestedName(const QWidget& window, const std::string& caption, const char* suffix) {
  QString name = Qs(caption).trimmed();
  name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
  if (name.isEmpty()) name = QStringLiteral("报表");
  QString existing = GridFilePathOf(window);
  QString dir = existing.isEmpty() ? QDir::homePath() : QFileInfo(existing).absolutePath();
  return QDir(dir).filePath(name + QLatin1Char('.') + QLatin1String(suffix));
}

// False, having told the user why, when the file cannot be read.
bool ReadGridFile(MainWindow& window, const QString& path, grid::GridDocument& opened) {
  grid::Status status = grid::OpenGridFile(Std(path), opened);
  if (!status) {
    window.services().Message(&window, AppTitle(), Qs(status.message()), QMessageBox::Warning);
    return false;
  }
  return true;
}

void ShowGridDocument(DocumentWindow& doc, grid::GridDocument opened, const QString& path) {
  doc.grid().ReplaceContents(std::move(opened.grid));
  doc.document().caption = std::move(opened.caption);
  doc.document().title = std::move(opened.title);
  doc.SyncFromDocument();
  doc.setProperty(kGridFileProperty, path);
}

class PrintCommands {
 public:
  PrintCommands(MainWindow& w, PrintCommandHooks hooks) : w_(w), hooks_(std::move(hooks)) {}

  void Open();
  void Save();
  void SaveAs() { Write(kGridFile, text::kSaved, /*remember=*/true); }
  void Export(const Output& output) { Write(output, text::kExported, /*remember=*/false); }
  void ExportPdf();
  void SaveImage();
  void PageSetup();
  void Preview();
  void DirectPrint();

 private:
  // Asks for the file (`suffix` the format when the name has none), writes
  // it with `write` unless the window closed meanwhile, and tells the user
  // how it went. The file is remembered as the window's when `remember`.
  void Write(QWidget& window, const std::string& name, const Output& output,
             const std::function<grid::Status(const std::string&)>& write, const QString& success,
             bool remember);
  void Write(const Output& output, const QString& success, bool remember);
  void Fail(const grid::Status& status) {
    w_.services().Message(&w_, AppTitle(), Qs(status.message()), QMessageBox::Warning);
  }

  MainWindow& w_;
  PrintCommandHooks hooks_;
};

void PrintCommands::Write(QWidget& window, const std::string& name, const Output& output,
                          const std::function<grid::Status(const std::string&)>& write,
                          const QString& success, bool remember) {
  QPointer<QWidget> target(&window);
  const QString chosen = w_.services().SaveFileName(&w_, output.caption, output.filter,
                                                    SuggestedName(window, name, output.suffix));
  if (target.isNull() || chosen.isEmpty()) return;
  const QString path = WithSuffix(chosen, output.suffix);
  grid::Status status = write(Std(path));
  if (!status) {
    Fail(status);
    return;
  }
  if (remember) target->setProperty(kGridFileProperty, path);
  w_.services().Message(&w_, text::kNotice, success, QMessageBox::Warning);
}

void PrintCommands::Write(const Output& output, const QString& success, bool remember) {
  DocumentWindow* doc = w_.ActiveDocument();
  if (doc == nullptr) return;
  QPointer<DocumentWindow> target(doc);
  Write(
      *doc, doc->document().caption, output,
      [&](const std::string& path) { return output.write(target->document(), path); }, success,
      remember);
}

void PrintCommands::ExportPdf() {
  if (std::optional<Printable> p = ActivePrintable(w_))
    Write(*p->window, p->title, kPdf, p->write_pdf, text::kExported, /*remember=*/false);
}

void PrintCommands::SaveImage() {
  ChartWindow* chart = ActiveChart(w_);
  if (chart == nullptr) return;
  QPointer<ChartWindow> target(chart);
  Write(
      *chart, chart->data().title, kImage,
      [&](const std::string& path) {
        return charts::WriteChart(target->data(), target->page(), path);
      },
      text::kExported, /*remember=*/false);
}

void PrintCommands::Open() {
  DocumentWindow* doc = w_.ActiveDocument();
  if (doc == nullptr) doc = w_.NewDocument();
  QString path = w_.services().OpenFileName(&w_, text::kOpenCaption, text::kGridFilter);
  if (path.isEmpty()) return;
  grid::GridDocument opened;
  if (ReadGridFile(w_, path, opened)) ShowGridDocument(*doc, std::move(opened), path);
}

// The browse tables are views (sorted, filtered, with derived columns), so
// their edits are not written back to the database; 保存 keeps the report
// in the grid file it came from, or asks for one, and says so.
void PrintCommands::Save() {
  DocumentWindow* doc = w_.ActiveDocument();
  if (doc == nullptr) return;
  QString path = GridFilePathOf(*doc);
  if (path.isEmpty()) {
    SaveAs();
    return;
  }
  grid::Status status = WriteGridFile(doc->document(), Std(path));
  if (!status) {
    Fail(status);
    return;
  }
  w_.services().Message(&w_, AppTitle(), text::SavedToFile(path), QMessageBox::Warning);
}

void PrintCommands::PageSetup() {
  std::optional<Printable> p = ActivePrintable(w_);
  if (!p) return;
  auto* dialog = new PageSetupDialog(&w_);
  dialog->SetGrid(*p->page);
  if (p->history != nullptr) dialog->SetHistory(p->history);
  hooks_.show_dialog(dialog);
}

// The dialog is window-modal over the main window, so the window and its
// grid or chart stay while the preview paints from them.
void PrintCommands::Preview() {
  std::optional<Printable> p = ActivePrintable(w_);
  if (!p) return;
  auto* dialog = new QPrintPreviewDialog(&w_);
  dialog->setWindowTitle(text::kPreviewCaption + QStringLiteral(" - ") + Qs(p->title));
  render::ApplyPageLayout(*p->page, *dialog->printer());
  QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                   [print = p->print](QPrinter* printer) {
                     if (printer != nullptr) print(*printer, {});
                   });
  dialog->resize(w_.size() * 0.9);
  hooks_.show_dialog(dialog);
}

void PrintCommands::DirectPrint() {
  std::optional<Printable> p = ActivePrintable(w_);
  if (!p) return;
  std::unique_ptr<QPrinter> printer = hooks_.default_printer();
  if (!printer) {
    w_.services().Message(&w_, AppTitle(), text::kNoPrinter, QMessageBox::Warning);
    return;
  }
  printer->setDocName(Qs(p->title));
  WithPageProgress(*p->window,
                   [&](const render::PdfProgress& progress) { p->print(*printer, progress); });
}

}  // namespace

DocumentWindow* OpenGridFileInNewWindow(MainWindow& window, const QString& path) {
  grid::GridDocument opened;
  if (!ReadGridFile(window, path, opened)) return nullptr;
  DocumentWindow* doc = window.NewDocument();
  ShowGridDocument(*doc, std::move(opened), path);
  return doc;
}

QString GridFilePathOf(const QWidget& document_window) {
  return document_window.property(kGridFileProperty).toString();
}

PrintCommandHooks DefaultPrintCommandHooks() {
  PrintCommandHooks hooks;
  hooks.show_dialog = [](QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
  };
  hooks.default_printer = []() -> std::unique_ptr<QPrinter> {
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
      // No default chosen: any installed printer will do.
      const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
      if (all.isEmpty()) return nullptr;
      info = all.first();
    }
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  };
  return hooks;
}

void RegisterPrintCommands(MainWindow& window) {
  RegisterPrintCommands(window, DefaultPrintCommandHooks());
}

void RegisterPrintCommands(MainWindow& window, PrintCommandHooks hooks) {
  auto commands = std::make_shared<PrintCommands>(window, std::move(hooks));
  CommandTable& t = window.commands();
  t.Register(QStringLiteral("mnuOpen"), [commands] { commands->Open(); });
  t.Register(QStringLiteral("mnuSave"), [commands] { commands->Save(); });
  t.Register(QStringLiteral("mnuFileSaveAs"), [commands] { commands->SaveAs(); });
  t.Register(QStringLiteral("ExcelSave"), [commands] { commands->Export(kExcel); });
  t.Register(QStringLiteral("mnuExportHtml"), [commands] { commands->Export(kHtml); });
  t.Register(QStringLiteral("mnuExportPdf"), [commands] { commands->ExportPdf(); });
  t.Register(QStringLiteral("mnuSaveImage"), [commands] { commands->SaveImage(); });
  t.Register(QStringLiteral("mnuFilePageSetup"), [commands] { commands->PageSetup(); });
  t.Register(QStringLiteral("mnuPrintPreview"), [commands] { commands->Preview(); });
  t.Register(QStringLiteral("mnuDirectPrint"), [commands] { commands->DirectPrint(); });
}

}  // namespace app
