#include "charts/chart_output.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>
#include <memory>
#include <optional>

#include "charts/chart_builder.h"
#include "charts/trend_line.h"
#include "render/cell_painter.h"
#include "render/page_painter.h"
#include "render/print.h"
#include "reports/letter_trend.h"

namespace charts {
namespace {

// Qt writes this quality with zlib's level 1: a chart's flat colours pack
// nearly as small as at the default level 6, in a third of the time.
constexpr int kPngQuality = 80;

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QImage Picture(const reports::ChartData& data, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintChart(painter, QRectF(QPointF(0, 0), size), data);
  return image;
}

grid::Status WriteSvg(const reports::ChartData& data, const std::string& path, QSize size) {
  QFile file(Utf8(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return grid::Status::Error("无法写入文件“" + path + "”：" + file.errorString().toStdString());
  QSvgGenerator svg;
  svg.setOutputDevice(&file);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setResolution(96);
  svg.setTitle(Utf8(data.title));
  QPainter painter;
  if (!painter.begin(&svg)) return grid::Status::Error("无法生成SVG文件“" + path + "”");
  PaintChart(painter, QRectF(QPointF(0, 0), size), data);
  painter.end();
  if (!file.flush())
    return grid::Status::Error("写入文件“" + path + "”时出错：" + file.errorString().toStdString());
  return grid::Status::Ok();
}

// The page frame, then the chart under the titles (which carry its title).
void PaintChartPage(QPainter& painter, const reports::ChartData& data,
                    const grid::ReportGrid& page) {
  const double scale = render::DeviceScale(painter.device());
  const QRectF body = render::PaintPageFrame(painter, page, scale);
  PaintChart(painter, body, data, scale, false);
}

}  // namespace

void EnsureChartApplication() {
  render::EnsureGuiApplication(
      [](int& argc, char** argv) -> QGuiApplication* { return new QApplication(argc, argv); });
}

void PaintChart(QPainter& painter, const QRectF& target, const reports::ChartData& data,
                double device_scale, bool with_title) {
  if (target.isEmpty()) return;
  const QSizeF logical = target.size() / (device_scale > 0 ? device_scale : 1);
  QGraphicsScene scene;
  QChart* chart = BuildChart(data, with_title);
  scene.addItem(chart);  // the scene owns it now
  chart->setGeometry(QRectF(QPointF(0, 0), logical));
  // The first layout may turn the category labels upright (chart_builder's
  // FitCategoryLabels), which asks for another; a window gets it from its
  // event loop, a picture must have it before it is drawn.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  scene.setSceneRect(QRectF(QPointF(0, 0), logical));
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  scene.render(&painter, target, scene.sceneRect(), Qt::IgnoreAspectRatio);
  painter.restore();
}

void PaintStripFigures(QPainter& painter, const grid::ReportGrid& grid, const grid::Strip& strip,
                       const render::CellArea& area, double scale) {
  const std::optional<reports::TrendFigure> figure = reports::FindTrendFigure(grid, strip);
  if (figure) PaintTrendLine(painter, area(figure->area), figure->chart, scale);
}

grid::Status WritePackPdfs(std::span<const reports::PdfJob> jobs) {
  std::vector<render::StripDocument> docs;
  docs.reserve(jobs.size());
  for (const reports::PdfJob& job : jobs)
    docs.push_back({&job.doc->grid, job.doc->strips, job.path});
  return render::WriteStripPdfs(docs, PaintStripFigures);
}

QByteArray PngBytes(const reports::ChartData& data, QSize size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!Picture(data, size).save(&buffer, "PNG", kPngQuality)) return {};
  return bytes;
}

grid::Status WriteChart(const reports::ChartData& data, const grid::ReportGrid& page,
                        const std::string& path, QSize size) {
  const std::string ext = QFileInfo(Utf8(path)).suffix().toLower().toStdString();
  if (size.width() < 100 || size.height() < 100 || size.width() > 10000 || size.height() > 10000)
    return grid::Status::Error("图片的大小应在 100x100 到 10000x10000 之间。");
  if (ext == "png") {
    if (!Picture(data, size).save(Utf8(path), "PNG", kPngQuality))
      return grid::Status::Error("无法写入图片文件“" + path + "”");
    return grid::Status::Ok();
  }
  if (ext == "svg") return WriteSvg(data, path, size);
  if (ext == "pdf")
    return render::WritePdfWith(page, path, [&](QPainter& painter, QPagedPaintDevice&) {
      PaintChartPage(painter, data, page);
      return true;
    });
  return grid::Status::Error("不支持的图表文件格式“." + ext + "”：请用 .png、.svg 或 .pdf。");
}

grid::ReportGrid ChartPage(const reports::ChartData& data, const data::TitleSettings& titles,
                           output::Date today) {
  grid::ReportGrid page(1, 1);
  output::AddReportTitles(page, data.title, titles, today);
  output::SetUpReportPage(page, grid::kLandscape, 1);
  return page;
}

void PrintChart(const reports::ChartData& data, const grid::ReportGrid& page, QPrinter& printer) {
  render::ApplyPageLayout(page, printer);
  printer.setFullPage(true);
  QPainter painter;
  if (!painter.begin(&printer)) return;
  PaintChartPage(painter, data, page);
  painter.end();
}

}  // namespace charts
