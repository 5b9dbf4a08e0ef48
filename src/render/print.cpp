#include "render/print.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <cstdlib>

#include "render/cell_painter.h"
#include "render/page_painter.h"
#include "render/pagination.h"
#include "render/pdf_text_map.h"

namespace render {

namespace {

constexpr int kPdfResolution = 1200;

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void EnsureGuiApplication(MakeApplication make) {
  if (QGuiApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
      std::getenv("WAYLAND_DISPLAY") == nullptr)
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // QGuiApplication keeps references to argc and argv: both must live on.
  static int argc = 1;
  static char name[] = "scorestat";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = make ? make(argc, argv) : new QGuiApplication(argc, argv);
  (void)app;
}

int PageCount(const grid::ReportGrid& grid) {
  return Pagination(grid).PageCount();
}

void ApplyPageLayout(const grid::ReportGrid& grid, QPagedPaintDevice& device) {
  const grid::PageSettings& setup = grid.PageSetup();
  QSizeF portrait(std::min(setup.paper_width, setup.paper_height),
                  std::max(setup.paper_width, setup.paper_height));
  QPageLayout layout(
      QPageSize(portrait, QPageSize::Millimeter),
      setup.orientation == grid::kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
      QMarginsF(0, 0, 0, 0));
  layout.setMode(QPageLayout::FullPageMode);
  device.setPageLayout(layout);
}

grid::Status WritePdf(const grid::ReportGrid& grid, const std::string& path,
                      const PdfProgress& progress) {
  const Pagination pages(grid);
  return WritePagesPdf(
      grid, path, pages.PageCount(),
      [&pages](QPainter& p, int index, double scale) { PaintPage(p, pages, index, scale); },
      progress);
}

grid::Status WritePagesPdf(const grid::ReportGrid& layout, const std::string& path, int page_count,
                           const PagePainter& paint, const PdfProgress& progress) {
  bool stopped = false;
  const grid::Status status =
      WritePdfWith(layout, path, [&](QPainter& painter, QPagedPaintDevice& device) {
        const double scale = DeviceScale(&device);
        for (int i = 0; i < page_count; ++i) {
          if (progress.cancelled && progress.cancelled()) {
            stopped = true;
            return false;
          }
          if (i > 0) device.newPage();
          paint(painter, i, scale);
          if (progress.sink != nullptr) progress.sink->Report(i + 1, page_count, "输出PDF");
        }
        return true;
      });
  return stopped ? grid::Status::Error(kPdfCancelled) : status;
}

grid::Status WritePdfWith(const grid::ReportGrid& layout, const std::string& path,
                          const std::function<bool(QPainter&, QPagedPaintDevice&)>& paint) {
  if (QGuiApplication::instance() == nullptr)
    return grid::Status::Error("无法生成PDF：程序尚未初始化图形环境");
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfResolution);
    writer.setCreator(QStringLiteral("ScoreStat"));
    ApplyPageLayout(layout, writer);
    QPainter painter;
    if (!painter.begin(&writer) || !paint(painter, writer))
      return grid::Status::Error("无法生成PDF文件“" + path + "”");
    painter.end();
  }
  RepairPdfTextMap(bytes);
  // Opened only now: a failed or cancelled PDF leaves an earlier file whole.
  QFile file(Utf8(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return grid::Status::Error("无法写入文件“" + path + "”：" + file.errorString().toStdString());
  if (file.write(bytes) != bytes.size() || !file.flush())
    return grid::Status::Error("写入PDF文件“" + path + "”时出错：" +
                               file.errorString().toStdString());
  return grid::Status::Ok();
}

void PrintPagesToPrinter(const grid::ReportGrid& grid, QPrinter& printer, int page_count,
                         const PagePainter& paint, const PdfProgress& progress) {
  ApplyPageLayout(grid, printer);
  printer.setFullPage(true);
  int first = 1;
  int last = page_count;
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    first = std::max(first, printer.fromPage());
    last = std::min(last, printer.toPage() > 0 ? printer.toPage() : last);
  }
  if (first > last) return;
  QPainter painter;
  if (!painter.begin(&printer)) return;
  const double scale = DeviceScale(&printer);
  for (int page = first; page <= last; ++page) {
    if (progress.cancelled && progress.cancelled()) {
      printer.abort();
      return;
    }
    if (page > first) printer.newPage();
    paint(painter, page - 1, scale);
    if (progress.sink != nullptr) progress.sink->Report(page - first + 1, last - first + 1, "打印");
  }
  painter.end();
}

void PrintToPrinter(const grid::ReportGrid& grid, QPrinter& printer, const PdfProgress& progress) {
  Pagination pages(grid);
  PrintPagesToPrinter(
      grid, printer, pages.PageCount(),
      [&](QPainter& p, int index, double scale) { PaintPage(p, pages, index, scale); }, progress);
}

std::function<void(QPrinter*)> PreviewHandler(const grid::ReportGrid& grid) {
  return [&grid](QPrinter* printer) {
    if (printer != nullptr) PrintToPrinter(grid, *printer);
  };
}

}  // namespace render
