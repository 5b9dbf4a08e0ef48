#include "output/report_layout.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <exception>
#include <functional>
#include <future>
#include <optional>
#include <vector>

#include "common/text_number.h"
#include "data/score_database.h"
#include "engine/database.h"
#include "output/paper_fit.h"
#include "output/skip_step.h"

namespace output {
namespace {

constexpr int kNarrowWidth = 38;
constexpr int kNumberWidth = 50;
constexpr int kHeaderHeight = 32;

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

bool Contains(std::string_view s, std::string_view part) {
  return s.find(part) != std::string_view::npos;
}

// Headers are UTF-8; "a character" is a code point.
std::size_t FirstCharLength(std::string_view s) {
  if (s.empty()) return 0;
  auto lead = static_cast<unsigned char>(s[0]);
  std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return std::min(n, s.size());
}

std::size_t LastCharLength(std::string_view s) {
  std::size_t n = 0;
  while (n < s.size()) {
    ++n;
    if ((static_cast<unsigned char>(s[s.size() - n]) & 0xC0) != 0x80) break;
  }
  return n;
}

std::string DropFirstChar(std::string_view s) {
  return std::string(s.substr(FirstCharLength(s)));
}

// "X90-100段" becomes "90-100", "分130_150段" becomes "130_150".
std::string ShortenedHeader(std::string header) {
  if (EndsWith(header, "段")) {
    std::string_view inner =
        std::string_view(header).substr(0, header.size() - LastCharLength(header));
    header = DropFirstChar(inner);
  }
  if (EndsWith(header, "分以上")) header = DropFirstChar(header);
  return header;
}

void FormatByHeaderWord(grid::ReportGrid& grid, int col) {
  std::string header(grid.CellText(0, col));
  if (Contains(header, "总分")) grid.SetColFormat(col, "####0.0");
  if (Contains(header, "率")) grid.SetCellText(0, col, header + "%");
  for (auto word : {"平均", "综合分", "标准差"})
    if (Contains(header, word)) grid.SetColFormat(col, "##,##0.00");
}

void PrepareGrid(grid::ReportGrid& grid) {
  if (grid.Cols() > 1) grid.SetColMask(1, grid::kMaskText);
  grid.SetRows(1);
  grid.SetDisplayRowIndex(true);
}

// Field names in row 0 and the layout each field's type asks for.
void SetUpColumns(grid::ReportGrid& grid, const std::vector<std::string>& names,
                  const std::vector<engine::FieldType>& types, FieldFormat format) {
  grid.SetCols(static_cast<int>(names.size()) + 1);
  const char* shown = format == FieldFormat::kAsEntered ? "General Number" : "0.00";
  for (std::size_t k = 0; k < names.size(); ++k) {
    const int col = static_cast<int>(k) + 1;
    grid.SetCellText(0, col, names[k]);
    if (types[k] == engine::FieldType::kDouble && names[k] != "学号") {
      grid.SetColMask(col, grid::kMaskNumber);
      grid.SetColWidth(col, kNumberWidth);
      grid.SetColFormat(col, shown);
    }
  }
}

// The text a cell shows for a field's value (Value::AsText's): a real number
// through `numbers`, since scores repeat and a listing's hundreds of
// thousands hold a few hundred distinct values.
void SetFieldText(std::string& text, const engine::ValueView& v, engine::FieldType type,
                  common::NumberTexts& numbers) {
  switch (v.kind) {
    case engine::ValueView::Kind::kReal:
      text = numbers.Text(v.real, type == engine::FieldType::kSingle);
      break;
    case engine::ValueView::Kind::kInteger:
      text = common::TextOfInteger(v.integer);
      break;
    case engine::ValueView::Kind::kText:
      text.assign(v.text);
      break;
    case engine::ValueView::Kind::kNull:
      text.clear();
      break;
  }
}

// What a fill has done so far: a fill that fails midway keeps its columns
// and the records it added.
struct FillCount {
  bool columns = false;
  long long records = 0;
};

// A run of records read into texts, to be added to the grid at once: adding
// them one by one grew each of the grid's columns once a record.
class RecordBlock {
 public:
  static constexpr std::size_t kRecords = 4096;

  explicit RecordBlock(std::size_t fields) : fields_(fields), texts_(kRecords * fields) {}
  bool Full() const { return held_ == kRecords; }
  std::size_t Held() const { return held_; }
  std::string& Text(std::size_t field) { return texts_[held_ * fields_ + field]; }
  void Next() { ++held_; }
  const std::string& At(std::size_t record, std::size_t field) const {
    return texts_[record * fields_ + field];
  }
  void Clear() { held_ = 0; }

 private:
  std::size_t fields_;
  std::vector<std::string> texts_;
  std::size_t held_ = 0;
};

// Reads records into blocks and adds each full block to the grid on a
// thread of its own while the next is read, so that a long fill takes about
// the reading's time; the grid is touched by one thread at a time. Whatever
// was read before a failure is added.
class BlockFill {
 public:
  BlockFill(grid::ReportGrid& grid, const std::vector<engine::FieldType>& types, FillCount& count)
      : grid_(grid), types_(types), count_(count), numbers_(types.size()) {
    for (RecordBlock& block : blocks_) block = RecordBlock(types.size());
  }
  BlockFill(const BlockFill&) = delete;
  BlockFill& operator=(const BlockFill&) = delete;
  ~BlockFill() {
    if (adding_.valid()) adding_.wait();
  }

  // `view(k)` is field k of the record, its text copied from where it lies.
  template <typename FieldView>
  void Add(const FieldView& view) {
    RecordBlock& block = blocks_[current_];
    for (std::size_t k = 0; k < types_.size(); ++k)
      SetFieldText(block.Text(k), view(static_cast<int>(k)), types_[k], numbers_[k]);
    block.Next();
    if (!block.Full()) return;
    Wait();
    adding_ = std::async(std::launch::async, [this, &block] { AddToGrid(block); });
    current_ ^= 1;
  }

  // Adds what is left; rethrows what adding a block threw.
  void Finish() {
    Wait();
    AddToGrid(blocks_[current_]);
  }

 private:
  void Wait() {
    if (adding_.valid()) adding_.get();
  }

  // Cell by cell rather than tab-separated AddItem lines: a tab inside a
  // value (a name pasted from elsewhere) would split it across the columns.
  void AddToGrid(RecordBlock& block) {
    const std::size_t held = block.Held();
    if (held == 0) return;
    const int first = grid_.Rows();
    const int cols = std::min(static_cast<int>(types_.size()) + 1, grid_.Cols());
    grid_.InsertRow(first, static_cast<int>(held));
    for (std::size_t i = 0; i < held; ++i) {
      const int row = first + static_cast<int>(i);
      for (int k = 1; k < cols; ++k)
        grid_.SetCellText(row, k, block.At(i, static_cast<std::size_t>(k - 1)));
      grid_.SetCellTag(row, 0, "U");
    }
    count_.records += static_cast<long long>(held);
    block.Clear();
  }

  grid::ReportGrid& grid_;
  const std::vector<engine::FieldType>& types_;
  FillCount& count_;
  std::vector<common::NumberTexts> numbers_;
  std::array<RecordBlock, 2> blocks_{RecordBlock(0), RecordBlock(0)};
  int current_ = 0;
  std::future<void> adding_;
};

void FillFromQuery(grid::ReportGrid& grid, engine::Database& db, std::string_view source,
                   FieldFormat format, FillCount& count) {
  engine::Recordset rs = db.OpenRecordset(source);
  std::vector<std::string> names;
  std::vector<engine::FieldType> types;
  for (int k = 0; k < rs.FieldCount(); ++k) {
    names.push_back(rs.FieldName(k));
    types.push_back(rs.FieldTypeOf(k));
  }
  SetUpColumns(grid, names, types, format);
  count.columns = true;
  BlockFill fill(grid, types, count);
  try {
    for (; !rs.Eof(); rs.MoveNext()) fill.Add([&](int k) { return rs.FieldView(k); });
  } catch (...) {
    fill.Finish();
    throw;
  }
  fill.Finish();
}

void FillFromTable(grid::ReportGrid& grid, const ComputedTable& table, FieldFormat format,
                   FillCount& count) {
  SetUpColumns(grid, table.names, table.types, format);
  count.columns = true;
  BlockFill fill(grid, table.types, count);
  for (const std::vector<engine::Value>& record : table.records)
    fill.Add([&](int k) { return record[static_cast<std::size_t>(k)].View(); });
  fill.Finish();
}

// Each column's distinct values become texts once, and the cells are set a
// column at a time, a short text's slot made once.
void FillFromColumns(grid::ReportGrid& grid, const engine::ValueColumns& table, FieldFormat format,
                     FillCount& count) {
  SetUpColumns(grid, table.names, table.types, format);
  count.columns = true;
  if (table.records == 0) return;
  const int first = grid.Rows();
  const int n = static_cast<int>(table.records);
  grid.InsertRow(first, n);
  const int cols = std::min(static_cast<int>(table.columns.size()) + 1, grid.Cols());
  std::vector<std::string> texts;
  for (int k = 1; k < cols; ++k) {
    const engine::ValueColumns::Column& column = table.columns[static_cast<std::size_t>(k - 1)];
    common::NumberTexts numbers;
    texts.resize(column.values.size());
    for (std::size_t v = 0; v < texts.size(); ++v)
      SetFieldText(texts[v], column.values[v].View(), table.types[static_cast<std::size_t>(k - 1)],
                   numbers);
    grid.SetColumnTexts(k, first, texts, column.value_of_row);
  }
  for (int i = 0; i < n; ++i) grid.SetCellTag(first + i, 0, "U");
  count.records = n;
}

// `fill` sets the columns up and adds the records; when it throws, what it
// did until then stays.
bool FillWith(Document& doc, const data::AppState& state,
              const std::function<void(grid::ReportGrid&, FillCount&)>& fill) {
  grid::ReportGrid& grid = doc.grid;
  SkipOnError([&] { PrepareGrid(grid); });
  grid.SetAutoRedraw(false);
  doc.caption = state.report_title;
  FillCount count;
  SkipOnError([&] {
    if (fill) fill(grid, count);
  });
  const long long n = count.records;
  if (!count.columns) SkipOnError([&] { grid.SetCols(1); });
  if (n == 0) {
    grid.AddItem("", false);
    doc.title = state.report_title + " [没有记录]";
  } else {
    doc.title = state.report_title + " [共有 " + std::to_string(n) + " 个记录]";
    grid.AddItem("", false);
  }
  grid.SetAutoRedraw(true);
  grid.Refresh();
  return n == 0;
}

bool FillFrom(Document& doc, const data::AppState& state, engine::Database* db,
              std::string_view source, FieldFormat format) {
  if (!db) return FillWith(doc, state, nullptr);
  return FillWith(doc, state, [&](grid::ReportGrid& grid, FillCount& count) {
    FillFromQuery(grid, *db, source, format, count);
  });
}

// The layouts fit their first columns to their texts and then widen every
// column: the cells a column's fit measured need not be measured again.
void FitColumn(grid::ReportGrid& grid, int col, std::vector<int>& fitted) {
  grid.AutoFit(col);
  fitted.push_back(col);
}

void AddTitlesAndSetUp(Document& doc, const data::AppState& state, Date today) {
  AddReportTitles(doc.grid, doc.title, state.title_settings, today);
  doc.grid.SetRowHeight(0, kHeaderHeight);
  doc.grid.SetAutoRedraw(false);
}

}  // namespace

bool ShowSourceInGrid(Document& doc, const data::AppState& state, std::string_view source,
                      FieldFormat format) {
  // A missing or unreadable file shows as an empty report.
  std::optional<engine::Database> db = OpenOrNothing(state);
  return FillFrom(doc, state, db ? &*db : nullptr, source, format);
}

bool ShowSourceInGrid(Document& doc, const data::AppState& state, engine::Database& db,
                      std::string_view source, FieldFormat format) {
  return FillFrom(doc, state, &db, source, format);
}

bool ShowTableInGrid(Document& doc, const data::AppState& state, const ComputedTable& table,
                     FieldFormat format) {
  return FillWith(doc, state, [&](grid::ReportGrid& grid, FillCount& count) {
    FillFromTable(grid, table, format, count);
  });
}

bool ShowColumnsInGrid(Document& doc, const data::AppState& state,
                       const engine::ValueColumns& table, FieldFormat format) {
  return FillWith(doc, state, [&](grid::ReportGrid& grid, FillCount& count) {
    FillFromColumns(grid, table, format, count);
  });
}

Date Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return Date{std::chrono::year{local.tm_year + 1900},
              std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
              std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

std::string DateText(Date date) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return buf;
}

void AddReportTitles(grid::ReportGrid& grid, const std::string& title,
                     const data::TitleSettings& settings, Date today) {
  grid::ReportTitleList& titles = grid.ReportTitles();
  titles.Add(title, "宋体", 14).print_on_all_pages = true;
  std::string subtitle = settings.LeftSubtitle + "||" + settings.RightSubtitle;
  if (settings.ShowDate == "1") subtitle += DateText(today);
  grid::ReportTitle& line2 = titles.Add(subtitle, "Arial", 10);
  line2.align_to = 1;
  line2.print_on_all_pages = true;
}

bool NeedsLandscape(int total_width) {
  return static_cast<double>(total_width) / kNarrowWidth * 1.01 > 20;
}

void SetUpReportPage(grid::ReportGrid& grid, int orientation, int title_rows) {
  grid::PageSettings& page = grid.PageSetup();
  page.orientation = orientation;
  page.left_margin = 1;
  page.right_margin = 1;
  page.black_and_white = true;
  page.print_fixed_row = true;
  page.print_gridlines = true;
  page.print_title_rows = title_rows;
  page.center_horizontally = true;
  page.top_margin = 2;
  page.header_margin = page.top_margin - 1;
  page.bottom_margin = 2;
  page.footer_margin = page.bottom_margin - 1;
  page.footer.text = "共&n页  第&p页";
}

void LayoutStatGrid(Document& doc, const data::AppState& state, Date today) {
  grid::ReportGrid& grid = doc.grid;
  SkipOnError([&] { AddTitlesAndSetUp(doc, state, today); });
  int total_width = 0;
  std::vector<int> fitted;
  SkipOnError([&] {
    for (int c = 1; c < grid.Cols(); ++c) {
      total_width += grid.ColWidth(c);
      grid.SetCellText(0, c, ShortenedHeader(std::string(grid.CellText(0, c))));
      // Columns after the second are set to 38 below, so fitting them is moot.
      if (c <= 2) FitColumn(grid, c, fitted);
      grid.Cell(0, c).SetWrapText(true);
      grid.SetColAlignment(c, grid::kAlignCenter);
      if (c > 2) {
        grid.SetColWidth(c, kNarrowWidth);
        grid.SetColMask(c, grid::kMaskNumber);
      }
      FormatByHeaderWord(grid, c);
    }
  });
  SkipOnError([&] {
    SetUpReportPage(grid, NeedsLandscape(total_width) ? grid::kLandscape : grid::kPortrait, 1);
    FitReportToPaper(grid, FitPreference::kTurnFirst, fitted);
  });
  grid.Refresh();
  grid.SetAutoRedraw(true);
}

void LayoutListGrid(Document& doc, const data::AppState& state, Date today) {
  grid::ReportGrid& grid = doc.grid;
  SkipOnError([&] { AddTitlesAndSetUp(doc, state, today); });
  std::vector<int> fitted;
  SkipOnError([&] {
    // A hidden column (width 0, such as a listing's order column) stays
    // hidden. The first four are fitted together before their headers wrap,
    // as one at a time would be: a long listing's on two threads.
    for (int c = 1; c < grid.Cols() && c <= 4; ++c)
      if (grid.ColWidth(c) != 0) fitted.push_back(c);
    grid.AutoFit(fitted);
    for (int c = 1; c < grid.Cols(); ++c) {
      const bool hidden = grid.ColWidth(c) == 0;
      grid.Cell(0, c).SetWrapText(true);
      grid.SetColAlignment(c, grid::kAlignCenter);
      if (c > 4) {
        if (!hidden) grid.SetColWidth(c, kNarrowWidth);
        grid.SetColMask(c, grid::kMaskNumber);
      }
    }
  });
  SkipOnError([&] {
    SetUpReportPage(grid, grid::kPortrait, 0);
    FitReportToPaper(grid, FitPreference::kShrinkFirst, fitted);
  });
  grid.Refresh();
  grid.SetAutoRedraw(true);
}

void LayoutBrowseGrid(Document& doc, const data::AppState& state, Date today) {
  grid::ReportGrid& grid = doc.grid;
  SkipOnError([&] { AddReportTitles(grid, doc.title, state.title_settings, today); });
  SkipOnError([&] {
    SetUpReportPage(grid, grid::kPortrait, 1);
    FitReportToPaper(grid, FitPreference::kShrinkFirst);
  });
  grid.Refresh();
}

}  // namespace output
