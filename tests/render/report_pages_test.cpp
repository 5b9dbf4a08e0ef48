// Every report of the sample examination (1,500 students) as it prints:
// built by scorestat-cli exactly as a user builds it, saved as a grid file,
// then paginated and painted onto a device that records what each page
// shows. A printed page must let its reader tell what it is and whose row
// is whose, and no text may be shrunk or cut to make it fit.
#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "../scratch_dir.h"
#include "../shell_run.h"
#include "grid/grid_file.h"
#include "recording_device.h"
#include "render/page_painter.h"
#include "render/pagination.h"
#include "render/print.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDpi = 1200;  // as the PDF writer paints
const double kScale = kDpi / render::kGridDpi;

struct Kind {
  const char* name;  // as the grid file is named
  const char* args;  // after "report"
};

// Every kind of `report --help`, the dialog-driven ones with the choices
// that make their widest reports (全科综合统计 主科/各班 has 38 columns).
const Kind kKinds[] = {
    {"cj", "cj"},
    {"jsb", "jsb"},
    {"sxb", "sxb"},
    {"tjtable", "tjtable"},
    {"gbkm", "gbkm 语文"},
    {"gxkm", "gxkm 语文"},
    {"jskm", "jskm 语文"},
    {"gdktj", "gdktj"},
    {"topn", "topn"},
    {"cjbxx", "cjbxx"},
    {"cjbschool", "cjbschool"},
    {"cjbclass", "cjbclass"},
    {"zfdmbm", "zfdmbm"},
    {"czzpm", "czzpm"},
    {"qkjhtj", "qkjhtj"},
    {"qkjhtj_main_class", "qkjhtj --category 主科 --range 各班"},
    {"qkjhtj_subject_school", "qkjhtj --category 单科 --subject 数学 --range 各校"},
    {"mingdan", "mingdan"},
    {"zdyzf", "zdyzf"},
    {"zdyzf_ranked", "zdyzf --rank 总分:班"},
    {"zdypm1", "zdypm1 --rank 语文:段班"},
    {"shaixwan", "shaixwan --school 第一中学"},
    {"hxfm", "hxfm"},
    {"zxfm", "zxfm"},
    {"yfyd", "yfyd"},
    {"mcfb", "mcfb"},
    {"ljs", "ljs 语文 --band 10"},
    {"ljs_rank", "ljs --rank 100 --band 20"},
    {"cjl", "cjl --subject 语文"},
    {"bzf", "bzf"},
    {"sjzl", "sjzl"},
    {"djpj", "djpj"},
    {"djtj", "djtj"},
    {"jtb", "jtb"},
    {"bjdb", "bjdb"},
    {"bjdb_subject", "bjdb --subject 语文"},
    {"gzb", "gzb --student 20240001"},
    {"gzb_class", "gzb --class '第一中学/高一(1)班'"},
    {"cjt", "cjt --average --level --class '第一中学/高一(1)班'"},
    {"grbg", "grbg --class '第一中学/高一(1)班'"},
};

bool IsCover(const std::string& name) {
  return name == "hxfm" || name == "zxfm";
}

// Slips and letters print as strips (strip_layout_test.cpp), not as titled pages.
bool IsStrips(const std::string& name) {
  return name == "cjt" || name == "grbg";
}

std::string RunCommand(const std::string& command) {
  return test_support::RunCommand(command).out;
}

const std::string& Cli() {
  static const std::string cli = std::string("QT_QPA_PLATFORM=offscreen ") + SCORESTAT_CLI;
  return cli;
}

const Kind& KindNamed(const std::string& name) {
  const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                 [&](const Kind& k) { return name == k.name; });
  if (kind == std::end(kKinds)) throw std::invalid_argument("no such kind in kKinds: " + name);
  return *kind;
}

// The sample imported by the tool into a folder of this test's own (ctest
// runs each test in a process of its own, side by side with the tests of
// other builds), and each report made by the tool the first time it is
// loaded.
class SampleReports {
 public:
  SampleReports() : dir_("scorestat_report_pages"), cli_(Cli() + " --db " + dir_.File("s.db")) {
    // The sample twice, as two exams of the library, for the kinds that
    // compare the current exam with an earlier one.
    RunCommand(cli_ + " import " SCORESTAT_SOURCE_DIR "/examples/sample.xls 2>&1");
    RunCommand(cli_ + " import " SCORESTAT_SOURCE_DIR "/examples/sample.xlsx 2>&1");
  }

  grid::GridDocument Load(const std::string& name) {
    const std::string path = dir_.File(name + ".json");
    if (!fs::exists(path))
      RunCommand(cli_ + " report " + KindNamed(name).args + " -o " + path + " 2>&1");
    grid::GridDocument doc;
    grid::Status status = grid::OpenGridFile(path, doc);
    EXPECT_TRUE(status.ok()) << name << ": " << status.message();
    return doc;
  }

 private:
  test_support::ScratchDir dir_;
  std::string cli_;
};

class ReportPages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { reports_ = new SampleReports(); }
  static void TearDownTestSuite() {
    delete reports_;
    reports_ = nullptr;
  }

  static grid::GridDocument Load(const std::string& name) { return reports_->Load(name); }

  static SampleReports* reports_;
};

SampleReports* ReportPages::reports_ = nullptr;

// What one printed page shows.
struct PrintedPage {
  std::vector<render_test::DrawnText> texts;
  QString all;  // every text in drawing order
  int lines = 0;
  QSizeF paper;
};

std::vector<PrintedPage> Print(const grid::ReportGrid& grid) {
  render::EnsureGuiApplication();
  const render::Pagination pages(grid);
  const render::PageGeometry& g = pages.geometry();
  std::vector<PrintedPage> out;
  for (int i = 0; i < pages.PageCount(); ++i) {
    render_test::RecordingDevice device(static_cast<int>(g.paper_width * kScale),
                                        static_cast<int>(g.paper_height * kScale), kDpi);
    QPainter painter(&device);
    render::PaintPage(painter, pages, i, kScale);
    painter.end();
    PrintedPage page;
    page.texts = device.engine().texts;
    for (const auto& t : page.texts) page.all += t.text;
    page.lines = device.engine().lines;
    page.paper = QSizeF(device.width(), device.height());
    out.push_back(std::move(page));
  }
  return out;
}

QString Qs(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The headers a reader identifies a row by: 学校, 学号, 班级, 姓名, and for a
// report with none of them its first column.
std::set<int> IdentifyingColumns(const grid::ReportGrid& grid) {
  std::set<int> cols;
  for (int c = 1; c < grid.Cols(); ++c) {
    const std::string_view h = grid.CellText(0, c);
    if (h == "学校" || h == "学号" || h == "班级" || h == "姓名") cols.insert(c);
  }
  if (cols.empty()) cols.insert(1);
  return cols;
}

// The smallest size any text of the report has, times the zoom the table
// is printed at (titles and footer are not zoomed, so this is a floor).
double SmallestAllowedSize(const grid::ReportGrid& grid) {
  double smallest = grid.DefaultFont().size;
  for (const grid::CellStyle& s : grid.Styles().styles())
    if (s.font_size > 0) smallest = std::min(smallest, s.font_size);
  return smallest * grid.PageSetup().zoom / 100.0;
}

TEST_F(ReportPages, EveryPageCarriesTitleFooterAndAnIdentifyingColumn) {
  for (const Kind& kind : kKinds) {
    if (IsCover(kind.name) || IsStrips(kind.name)) continue;
    SCOPED_TRACE(kind.name);
    const grid::GridDocument doc = Load(kind.name);
    const grid::ReportGrid& grid = doc.grid;
    // The title and the subtitles, once: a listing ranked after it was laid
    // out is not given a second pair.
    ASSERT_EQ(grid.ReportTitles().Count(), 2u);
    const QString title = Qs(grid.ReportTitles().Item(0).text);
    const std::set<int> identifying = IdentifyingColumns(grid);
    const render::Pagination pages(grid);
    const std::vector<PrintedPage> printed = Print(grid);
    ASSERT_EQ(static_cast<int>(printed.size()), pages.PageCount());
    for (int i = 0; i < pages.PageCount(); ++i) {
      SCOPED_TRACE("page " + std::to_string(i + 1) + " of " + std::to_string(pages.PageCount()));
      const PrintedPage& page = printed[static_cast<std::size_t>(i)];
      EXPECT_TRUE(page.all.contains(title));
      const QString footer = QStringLiteral("共%1页  第%2页").arg(pages.PageCount()).arg(i + 1);
      EXPECT_TRUE(page.all.contains(footer));
      std::vector<int> cols = pages.left_cols();
      cols.insert(cols.end(), pages.Page(i).cols.begin(), pages.Page(i).cols.end());
      const bool identified = std::any_of(cols.begin(), cols.end(), [&](int c) {
        return identifying.count(c) > 0 && page.all.contains(Qs(grid.CellText(0, c)));
      });
      EXPECT_TRUE(identified);
    }
  }
}

TEST_F(ReportPages, NoTextIsShrunkCutOrOffThePaper) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const grid::GridDocument doc = Load(kind.name);
    const double smallest = SmallestAllowedSize(doc.grid);
    // The automatic choice never shrinks below 80 %.
    EXPECT_GE(doc.grid.PageSetup().zoom, 80);
    int page_number = 0;
    for (const PrintedPage& page : Print(doc.grid)) {
      ++page_number;
      const QRectF paper(QPointF(0, 0), page.paper);
      for (const render_test::DrawnText& t : page.texts) {
        SCOPED_TRACE("page " + std::to_string(page_number) + ": " + t.text.toStdString());
        EXPECT_GE(t.point_size, smallest - 1e-6);
        EXPECT_FALSE(t.clipped);
        EXPECT_TRUE(paper.contains(t.rect));
        if (HasFailure()) return;  // one report's first fault says enough
      }
    }
  }
}

}  // namespace
