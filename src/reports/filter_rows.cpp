#include "reports/filter_rows.h"

#include "output/report_layout.h"

namespace reports {
namespace {

std::string Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string TextAt(const grid::ReportGrid& grid, int row, int col) {
  return Trimmed(grid.CellText(row, col));
}

bool Matches(const FilterOptions& o, const grid::ReportGrid& grid, int row) {
  if (TextAt(grid, row, o.school_col) != o.school) return false;
  return o.klass.empty() || TextAt(grid, row, o.class_col) == o.klass;
}

}  // namespace

FilterOptions OpenFilterDialog(const grid::ReportGrid& source) {
  FilterOptions o;
  for (int c = 1; c < source.Cols(); ++c) {
    const std::string header = TextAt(source, 0, c);
    if (header == "学校") o.school_col = c;
    if (header == "班级") o.class_col = c;
  }
  if (o.school_col == 0) return o;
  std::string previous;
  for (int r = 1; r < source.Rows(); ++r) {
    std::string school = TextAt(source, r, o.school_col);
    // The empty row after the last record is no school.
    if (school != previous && !school.empty()) o.schools.push_back(school);
    previous = std::move(school);
  }
  return o;
}

void ChooseFilterSchool(FilterOptions& o, const grid::ReportGrid& source,
                        const std::string& school) {
  o.school = school;
  o.klass.clear();
  o.classes.assign(1, std::string());
  if (o.school_col == 0 || o.class_col == 0) return;
  std::string previous;
  for (int r = 1; r < source.Rows(); ++r) {
    if (TextAt(source, r, o.school_col) != school) continue;
    std::string klass = TextAt(source, r, o.class_col);
    if (klass != previous) o.classes.push_back(klass);
    previous = std::move(klass);
  }
}

std::optional<output::Document> RunFilter(const FilterOptions& o, const grid::ReportGrid& source,
                                          const data::AppState& state) {
  if (o.school_col == 0 || o.school.empty()) return std::nullopt;
  int first = 0;
  int last = 0;
  for (int r = 1; r < source.Rows(); ++r) {
    if (!Matches(o, source, r)) continue;
    if (first == 0) first = r;
    last = r;
  }
  if (first == 0) return std::nullopt;
  const int n = source.Cols() - 1;
  output::Document doc;
  grid::ReportGrid& grid = doc.grid;
  grid.SetAutoRedraw(false);
  grid.SetCols(n + 1);
  grid.SetRows(last - first + 2);
  bool hidden = false;
  for (int c = 1; c <= n; ++c) {
    grid.SetCellText(0, c, source.CellText(0, c));
    // The number formats come along, so averages still show two decimals.
    grid.SetColMask(c, source.ColumnAt(c).mask);
    grid.SetColFormat(c, source.ColumnAt(c).format);
    hidden = hidden || source.ColWidth(c) == 0;
    for (int r = first; r <= last; ++r) grid.SetCellText(r - first + 1, c, source.CellText(r, c));
  }
  doc.title = doc.caption = o.school + o.klass + "成绩表";
  grid.SetDisplayRowIndex(true);
  // A report's hidden column is its order column, always the last one.
  if (hidden) grid.SetColWidth(n, 0);
  grid.SetAutoRedraw(true);
  output::LayoutListGrid(doc, state);
  return doc;
}

output::Document FilterReport(ReportRun& run, const ReportChoices& choices) {
  const std::string from = choices.Get("from");
  const ReportKind* kind = FindReportKind(from);
  if (kind == nullptr || kind->fill == nullptr || from == "shaixwan")
    throw ReportError("不能筛选这个报表：" + from);
  output::Document source;
  kind->fill(source, run, choices.For(kind->options));
  FilterOptions o = OpenFilterDialog(source.grid);
  ChooseFilterSchool(o, source.grid, choices.Get("school"));
  o.klass = choices.Get("class");
  std::optional<output::Document> doc = RunFilter(o, source.grid, run.state);
  if (!doc) throw ReportError("没有这个学校或班级的行：" + o.school + o.klass);
  return std::move(*doc);
}

}  // namespace reports
