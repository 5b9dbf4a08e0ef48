#include "render/print.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <thread>
#include <vector>

#include "render/cell_painter.h"
#include "render/page_painter.h"
#include "render/pagination.h"
#include "render/pdf_join.h"
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
      [&pages]() -> PagePainter {
        return
            [&pages](QPainter& p, int index, double scale) { PaintPage(p, pages, index, scale); };
      },
      progress);
}

namespace {

// Below this many pages a part would cost more in its own fonts and in the
// join than the second core saves.
constexpr int kMinPagesPerPart = 150;

// Asked before each page whether to go on, told after each page painted.
struct PageHooks {
  std::function<bool()> go_on;
  std::function<void()> painted;
};

// Pages [first, last) of a document, painted by `paint` on one writer.
grid::Status PaintPages(const grid::ReportGrid& layout, const std::string& path, int first,
                        int last, const PagePainter& paint, const PageHooks& hooks) {
  return WritePdfWith(layout, path, [&](QPainter& painter, QPagedPaintDevice& device) {
    const double scale = DeviceScale(&device);
    for (int i = first; i < last; ++i) {
      if (!hooks.go_on()) return false;
      if (i > first) device.newPage();
      paint(painter, i, scale);
      hooks.painted();
    }
    return true;
  });
}

grid::Status WriteOnOneWriter(const grid::ReportGrid& layout, const std::string& path,
                              int page_count, const PagePainter& paint,
                              const PdfProgress& progress) {
  bool stopped = false;
  int done = 0;
  const grid::Status status =
      PaintPages(layout, path, 0, page_count, paint,
                 {[&] { return !(stopped = progress.cancelled && progress.cancelled()); },
                  [&] {
                    if (progress.sink != nullptr)
                      progress.sink->Report(++done, page_count, "输出PDF");
                  }});
  return stopped ? grid::Status::Error(kPdfCancelled) : status;
}

// What the writers of the parts share: the pages painted by all, and
// whether to stop (the user cancelled, or a part failed).
struct PartsRun {
  std::atomic<int> painted = 0;
  std::atomic<int> running = 0;
  std::atomic<bool> stop = false;
  bool cancelled = false;  // the caller's thread only
};

// The parts' pages [page_count * k / parts, page_count * (k + 1) / parts)
// painted at once, the first on this thread, which alone reports progress and
// asks whether to cancel; then joined into `path`.
grid::Status WritePartsAndJoin(const grid::ReportGrid& layout, const std::string& path,
                               int page_count, int parts, const PagePainterMaker& make_painter,
                               const PdfProgress& progress) {
  // Next to the output: the same file system, and the user's own folder.
  QTemporaryDir dir(QFileInfo(Utf8(path)).absolutePath() +
                    QStringLiteral("/.scorestat-pdf-XXXXXX"));
  if (!dir.isValid()) return grid::Status::Error("无法建立临时文件夹");
  PartsRun run;
  const auto ask = [&] {
    if (progress.sink != nullptr) progress.sink->Report(run.painted, page_count, "输出PDF");
    if (!run.cancelled && progress.cancelled && progress.cancelled())
      run.cancelled = run.stop = true;
    return !run.stop;
  };
  const auto first_page = [&](int k) { return page_count * k / parts; };
  std::vector<std::string> files;
  std::vector<PagePainter> painters;
  std::vector<grid::Status> written(static_cast<std::size_t>(parts), grid::Status::Ok());
  for (int k = 0; k < parts; ++k) {
    files.push_back(dir.filePath(QStringLiteral("%1.pdf").arg(k)).toStdString());
    painters.push_back(make_painter());
  }
  const auto paint_part = [&](int k, const std::function<bool()>& go_on) {
    const auto u = static_cast<std::size_t>(k);
    written[u] = PaintPages(layout, files[u], first_page(k), first_page(k + 1), painters[u],
                            {go_on, [&run] { ++run.painted; }});
    if (!written[u]) run.stop = true;
  };
  {
    run.running = parts - 1;
    std::vector<std::jthread> helpers;
    for (int k = 1; k < parts; ++k)
      helpers.emplace_back([&, k] {
        try {
          paint_part(k, [&run] { return !run.stop; });
        } catch (const std::exception&) {
          // Out of memory, say: the part fails, and one writer tries again.
          written[static_cast<std::size_t>(k)] = grid::Status::Error("输出PDF时出错");
          run.stop = true;
        }
        --run.running;
      });
    paint_part(0, ask);
    while (run.running > 0 && ask()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (run.cancelled) return grid::Status::Error(kPdfCancelled);
  if (progress.sink != nullptr) progress.sink->Report(run.painted, page_count, "输出PDF");
  for (const grid::Status& status : written)
    if (!status) return status;
  return JoinPdfs(files, path);
}

}  // namespace

grid::Status WritePagesPdfInParts(const grid::ReportGrid& layout, const std::string& path,
                                  int page_count, int parts, const PagePainterMaker& make_painter,
                                  const PdfProgress& progress) {
  parts = std::clamp(parts, 1, std::max(page_count, 1));
  return parts > 1 ? WritePartsAndJoin(layout, path, page_count, parts, make_painter, progress)
                   : WriteOnOneWriter(layout, path, page_count, make_painter(), progress);
}

grid::Status WritePagesPdf(const grid::ReportGrid& layout, const std::string& path, int page_count,
                           const PagePainterMaker& make_painter, const PdfProgress& progress) {
  const int parts = std::clamp(page_count / kMinPagesPerPart, 1, QThread::idealThreadCount());
  if (parts > 1) {
    const grid::Status joined =
        WritePartsAndJoin(layout, path, page_count, parts, make_painter, progress);
    if (joined || joined.message() == kPdfCancelled) return joined;
  }
  return WriteOnOneWriter(layout, path, page_count, make_painter(), progress);
}

grid::Status PaintPdf(const grid::ReportGrid& layout,
                      const std::function<bool(QPainter&, QPagedPaintDevice&)>& paint,
                      QByteArray& bytes) {
  if (QGuiApplication::instance() == nullptr)
    return grid::Status::Error("无法生成PDF：程序尚未初始化图形环境");
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfResolution);
    writer.setCreator(QStringLiteral("ScoreStat"));
    ApplyPageLayout(layout, writer);
    QPainter painter;
    if (!painter.begin(&writer) || !paint(painter, writer))
      return grid::Status::Error("无法生成PDF");
    painter.end();
  }
  RepairPdfTextMap(bytes);
  return grid::Status::Ok();
}

grid::Status WritePdfWith(const grid::ReportGrid& layout, const std::string& path,
                          const std::function<bool(QPainter&, QPagedPaintDevice&)>& paint) {
  QByteArray bytes;
  const grid::Status painted = PaintPdf(layout, paint, bytes);
  if (!painted)
    return painted.message().starts_with("无法生成PDF：")
               ? painted
               : grid::Status::Error("无法生成PDF文件“" + path + "”");
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
