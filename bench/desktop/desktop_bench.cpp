// The desktop program on a large exam: the real main window, offscreen,
// opens 成绩表 and the total-score ranking (zfdmbm) through the commands the
// menus run, and the time until the report's grid has finished its first
// paint is taken; then the grid is scrolled page by page, each page painted,
// and the pages a second are printed. The median of the runs is printed.
//
//   bench_desktop [students [runs]]   default 100000 students, 5 runs
#include <QApplication>
#include <QMdiArea>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/document_window.h"
#include "app/grid_view.h"
#include "app/main_window.h"
#include "app/ui_services.h"
#include "common/bench_util.h"
#include "common/generated_exam.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int runs = 5;
constexpr int kScrollPages = 200;

// Notes when a grid view's viewport has finished handling a paint event.
class TimedApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    const bool is_paint = event->type() == QEvent::Paint;
    const bool done = QApplication::notify(receiver, event);
    if (is_paint && receiver->parent() != nullptr &&
        qobject_cast<app::GridView*>(receiver->parent()) != nullptr)
      ++grid_paints;
    return done;
  }
  int grid_paints = 0;
};

// Says nothing and declines every question: the bench has no user.
class SilentServices : public app::UiServices {
 public:
  void Message(QWidget*, const QString&, const QString& text, QMessageBox::Icon) override {
    std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
  }
  QString OpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
};

struct Opened {
  double command = 0;      // the menu command's return
  double first_paint = 0;  // the end of the grid's first paint
  double cpu = 0;          // processor time until then: less swayed by a busy machine
};

Opened OpenReport(TimedApplication& application, app::MainWindow& window, const char* command) {
  const int paints_before = application.grid_paints;
  const double cpu_start = bench::CpuSeconds();
  const auto start = Clock::now();
  window.RunCommand(QString::fromLatin1(command));
  Opened opened;
  opened.command = bench::SecondsSince(start);
  while (application.grid_paints == paints_before && bench::SecondsSince(start) < 120)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  opened.first_paint = bench::SecondsSince(start);
  opened.cpu = bench::CpuSeconds() - cpu_start;
  return opened;
}

// Pages down from the top, painting each page as the screen would.
double ScrollPagesPerSecond(app::GridView& view) {
  QScrollBar* bar = view.verticalScrollBar();
  bar->setValue(0);
  view.viewport()->repaint();
  int pages = 0;
  const auto start = Clock::now();
  while (pages < kScrollPages && bar->value() < bar->maximum()) {
    bar->setValue(bar->value() + bar->pageStep());
    view.viewport()->repaint();
    ++pages;
  }
  return pages / bench::SecondsSince(start);
}

void CloseReports(app::MainWindow& window) {
  window.mdiArea()->closeAllSubWindows();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

void Time(TimedApplication& application, app::MainWindow& window, const char* command,
          const char* name) {
  std::vector<double> commands, paints, cpu, fps;
  int rows = 0;
  for (int run = 0; run < runs; ++run) {
    const Opened opened = OpenReport(application, window, command);
    commands.push_back(opened.command);
    paints.push_back(opened.first_paint);
    cpu.push_back(opened.cpu);
    if (app::DocumentWindow* doc = window.ActiveDocument()) {
      rows = doc->grid().Rows();
      fps.push_back(ScrollPagesPerSecond(*doc->gridView()));
    }
    CloseReports(window);
  }
  std::printf(
      "  %-8s %-6s %7d rows: first paint %.3f s (command %.3f s, processor %.3f s), "
      "paging %.0f pages/s\n",
      name, command, rows, bench::Median(paints), bench::Median(commands), bench::Median(cpu),
      fps.empty() ? 0.0 : bench::Median(fps));
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t students = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  if (argc > 2) runs = std::max(1, std::atoi(argv[2]));
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as soon as it is known
  std::printf("%s\n", bench::MachineLine().c_str());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TimedApplication application(argc, argv);
  const fs::path dir = bench::FreshFolder("scorestat_bench_desktop");
  data::AppState state;
  if (!bench::ImportGeneratedExam(dir, bench::CountyExam(students), state)) return 1;
  std::printf("exam: %zu students, 9 subjects\n", students);
  SilentServices services;
  app::MainWindowOptions options;
  options.settings_file = QString::fromStdString((dir / "settings.ini").string());
  options.help_path = QString::fromStdString((dir / "no-help.html").string());
  app::MainWindow window(state, services, options);
  window.resize(1280, 800);
  window.show();
  QApplication::processEvents();
  Time(application, window, "cj", "成绩表");
  Time(application, window, "zfdmbm", "名次表");
  std::printf("  peak memory: %.0f MiB\n", bench::PeakRssMiB());
  fs::remove_all(dir);
  return 0;
}
