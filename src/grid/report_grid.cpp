#include "grid/report_grid.h"

#include <algorithm>

#include "grid/content_fit.h"
#include "grid/display_format.h"
#include "grid/edit_journal.h"

namespace grid {

namespace {
constexpr double kMinFontSize = 1;
constexpr double kMaxFontSize = 409;
}  // namespace

ReportGrid::ReportGrid(int rows, int cols) {
  if (rows < 1 || cols < 1) throw GridError("表格至少要有一行一列");
  contents_.columns.resize(static_cast<std::size_t>(cols));
  contents_.columns[0].width = kRowHeaderWidth;
  contents_.cells =
      CellStore(static_cast<std::size_t>(rows), static_cast<std::size_t>(cols), kDefaultRowHeight);
  ClampSelection();
  NewRevision();
}

ReportGrid::ReportGrid(const ReportGrid& other) : contents_(other.contents_) {
  NewRevision();
}

ReportGrid::ReportGrid(ReportGrid&& other) noexcept : contents_(std::move(other.contents_)) {
  NewRevision();
}

ReportGrid& ReportGrid::operator=(const ReportGrid& other) {
  if (this != &other) {
    GridContents copy = other.contents_;
    SwapContents(copy);
  }
  return *this;
}

ReportGrid& ReportGrid::operator=(ReportGrid&& other) {
  if (this != &other) SwapContents(other.contents_);
  return *this;
}

ReportGrid::~ReportGrid() = default;

void ReportGrid::ReplaceContents(ReportGrid&& other) {
  *this = std::move(other);
}

void ReportGrid::SwapContents(GridContents& contents) {
  if (contents.cells.Rows() == 0 || contents.columns.empty())
    throw GridError("表格至少要有一行一列");
  if (contents.cells.Cols() != contents.columns.size()) throw GridError("行的列数与表格不一致");
  RecordContents();
  std::swap(contents_, contents);
  NewRevision();
  Notify(GridChange::kAll);
}

void ReportGrid::SwapRows(int first, std::vector<GridContents::Row>& rows) {
  if (rows.empty()) return;
  CheckRow(first);
  CheckRow(first + static_cast<int>(rows.size()) - 1);
  for (const RowData& row : rows) {
    if (row.cells.size() != contents_.columns.size()) throw GridError("行的列数与表格不一致");
    for (const CellData& cell : row.cells) {
      if (cell.style >= contents_.styles.size() || cell.tag >= contents_.tags.size())
        throw GridError("行中的样式或标记不属于这个表格");
    }
  }
  Changed();
  contents_.cells.SwapRows(static_cast<std::size_t>(first), rows);
  if (EditJournal* j = AttachedJournal()) j->records_.emplace_back(journal::RowsWere{first, rows});
  Notify(GridChange::kContents);
}

// ---- checks and access

void ReportGrid::CheckRow(int row) const {
  if (row < 0 || row >= Rows())
    throw GridError("行号超出范围：" + std::to_string(row) + "（共 " + std::to_string(Rows()) +
                    " 行）");
}

void ReportGrid::CheckCol(int col) const {
  if (col < 0 || col >= Cols())
    throw GridError("列号超出范围：" + std::to_string(col) + "（共 " + std::to_string(Cols()) +
                    " 列）");
}

std::pair<std::size_t, std::size_t> ReportGrid::At(int row, int col) const {
  CheckRow(row);
  CheckCol(col);
  return {static_cast<std::size_t>(row), static_cast<std::size_t>(col)};
}

std::uint32_t ReportGrid::InternTag(std::string_view tag) {
  if (tag.empty()) return 0;
  // Tags are few distinct short marks ("U"); a linear search is enough.
  for (std::size_t i = 1; i < contents_.tags.size(); ++i)
    if (contents_.tags[i] == tag) return static_cast<std::uint32_t>(i);
  contents_.tags.emplace_back(tag);
  return static_cast<std::uint32_t>(contents_.tags.size() - 1);
}

// ---- shape

void ReportGrid::SetRows(int rows) {
  if (rows < 1) throw GridError("行数至少为 1：" + std::to_string(rows));
  if (rows < Rows())
    TakeRows(rows, Rows() - rows);
  else if (rows > Rows())
    PutBlankRows(Rows(), rows - Rows());
}

void ReportGrid::SetCols(int cols) {
  if (cols < 1) throw GridError("列数至少为 1：" + std::to_string(cols));
  if (cols < Cols()) {
    TakeCols(cols, Cols() - cols);
  } else if (cols > Cols()) {
    const auto added = static_cast<std::size_t>(cols - Cols());
    PutCols(Cols(), std::vector<ColumnInfo>(added), {});
  }
}

void ReportGrid::SetFixedRows(int n) {
  if (n < 0 || n > Rows()) throw GridError("固定行数超出范围：" + std::to_string(n));
  RecordFrame();
  contents_.fixed_rows = n;
  Notify(GridChange::kLayout);
}

void ReportGrid::SetFixedCols(int n) {
  if (n < 0 || n > Cols()) throw GridError("固定列数超出范围：" + std::to_string(n));
  RecordFrame();
  contents_.fixed_cols = n;
  Notify(GridChange::kLayout);
}

void ReportGrid::SetDisplayRowIndex(bool on) {
  RecordOptions();
  contents_.display_row_index = on;
  Notify(GridChange::kContents);
}

void ReportGrid::SetAllowUserSort(bool on) {
  RecordOptions();
  contents_.allow_user_sort = on;
}

// ---- cells

CellRef ReportGrid::Cell(int row, int col) {
  return CellRef(*this, row, col);
}

std::string_view ReportGrid::CellText(int row, int col) const {
  const auto [r, c] = At(row, col);
  return contents_.cells.Text(r, c);
}

void ReportGrid::SetCellText(int row, int col, std::string_view text) {
  const auto [r, c] = At(row, col);
  if (contents_.cells.Text(r, c) != text) RecordText(row, col);
  contents_.cells.SetText(r, c, text);
  Notify(GridChange::kContents);
}

void ReportGrid::SetColumnTexts(int col, int first, const std::vector<std::string>& texts,
                                const std::vector<std::uint32_t>& index) {
  if (index.empty()) return;
  CheckCol(col);
  CheckRow(first);
  CheckRow(first + static_cast<int>(index.size()) - 1);
  if (std::any_of(index.begin(), index.end(), [&](std::uint32_t t) { return t >= texts.size(); }))
    throw GridError("列的文字编号超出范围");
  // The journal keeps each cell's old text.
  if (AttachedJournal()) {
    for (std::size_t i = 0; i < index.size(); ++i)
      SetCellText(first + static_cast<int>(i), col, texts[index[i]]);
    return;
  }
  contents_.cells.SetTexts(static_cast<std::size_t>(col), static_cast<std::size_t>(first), texts,
                           index);
  Notify(GridChange::kContents);
}

std::string_view ReportGrid::CellTag(int row, int col) const {
  const auto [r, c] = At(row, col);
  return contents_.tags[contents_.cells.Tag(r, c)];
}

void ReportGrid::SetCellTag(int row, int col, std::string_view tag) {
  const auto [r, c] = At(row, col);
  const std::uint32_t index = InternTag(tag);
  if (contents_.cells.Tag(r, c) != index) RecordTag(row, col);
  contents_.cells.SetTag(r, c, index);
}

std::uint32_t ReportGrid::CellStyleIndex(int row, int col) const {
  const auto [r, c] = At(row, col);
  return contents_.cells.Style(r, c);
}

const CellStyle& ReportGrid::CellStyleAt(int row, int col) const {
  return contents_.styles.Get(CellStyleIndex(row, col));
}

void ReportGrid::SetCellStyle(int row, int col, const CellStyle& style) {
  const auto [r, c] = At(row, col);
  RecordStyle(row, col);
  contents_.cells.SetStyle(r, c, contents_.styles.Intern(style));
  Notify(GridChange::kStyle);
}

void ReportGrid::SetCellStyleIndex(int row, int col, std::uint32_t index) {
  if (index >= contents_.styles.size()) throw GridError("样式序号无效：" + std::to_string(index));
  const auto [r, c] = At(row, col);
  RecordStyle(row, col);
  contents_.cells.SetStyle(r, c, index);
  Notify(GridChange::kStyle);
}

CellStyle ReportGrid::ResolvedStyle(int row, int col) const {
  CellStyle s = CellStyleAt(row, col);
  if (s.font_name.empty()) s.font_name = contents_.default_font.name;
  if (s.font_size <= 0) s.font_size = contents_.default_font.size;
  if (s.alignment == kAlignGeneral)
    s.alignment = contents_.columns[static_cast<std::size_t>(col)].alignment;
  return s;
}

Font ReportGrid::CellFont(int row, int col) const {
  CellStyle s = ResolvedStyle(row, col);
  Font f = contents_.default_font;
  f.name = s.font_name;
  f.size = s.font_size;
  f.bold = s.bold || contents_.default_font.bold;
  f.italic = s.italic || contents_.default_font.italic;
  f.underline = s.underline || contents_.default_font.underline;
  return f;
}

std::string ReportGrid::DisplayText(int row, int col) const {
  std::string_view text = CellText(row, col);
  if (col == 0 && contents_.display_row_index && row >= contents_.fixed_rows)
    return std::to_string(row);
  if (row == 0 || col < contents_.fixed_cols) return std::string(text);
  return FormatDisplayText(text, contents_.columns[static_cast<std::size_t>(col)].format);
}

void ReportGrid::ModifyStyles(const CellRect& rect, const std::function<void(CellStyle&)>& edit) {
  CheckRow(rect.first_row);
  CheckRow(rect.last_row);
  CheckCol(rect.first_col);
  CheckCol(rect.last_col);
  // Most cells of a range share a few styles: edit each distinct one once.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> done;
  for (int r = rect.first_row; r <= rect.last_row; ++r) {
    for (int c = rect.first_col; c <= rect.last_col; ++c) {
      const auto sr = static_cast<std::size_t>(r);
      const auto sc = static_cast<std::size_t>(c);
      const std::uint32_t was = contents_.cells.Style(sr, sc);
      auto it =
          std::find_if(done.begin(), done.end(), [&](const auto& p) { return p.first == was; });
      std::uint32_t index = 0;
      if (it != done.end()) {
        index = it->second;
      } else {
        CellStyle s = contents_.styles.Get(was);
        edit(s);
        index = contents_.styles.Intern(s);
        done.emplace_back(was, index);
      }
      if (index == was) continue;
      RecordStyle(r, c);
      contents_.cells.SetStyle(sr, sc, index);
    }
  }
  Notify(GridChange::kStyle);
}

// ---- columns and rows

ColumnRef ReportGrid::Column(int col) {
  CheckCol(col);
  return ColumnRef(*this, col);
}

const ColumnInfo& ReportGrid::ColumnAt(int col) const {
  CheckCol(col);
  return contents_.columns[static_cast<std::size_t>(col)];
}

void ReportGrid::SetColumnInfo(int col, const ColumnInfo& info) {
  CheckCol(col);
  if (info.width < 0) throw GridError("列宽不能为负数");
  RecordColumn(col);
  contents_.columns[static_cast<std::size_t>(col)] = info;
  Notify(GridChange::kLayout);
}

void ReportGrid::SetColWidth(int col, int pixels) {
  CheckCol(col);
  if (pixels < 0) throw GridError("列宽不能为负数：" + std::to_string(pixels));
  RecordColumn(col);
  contents_.columns[static_cast<std::size_t>(col)].width = pixels;
  Notify(GridChange::kLayout);
}

void ReportGrid::SetColMask(int col, int mask) {
  CheckCol(col);
  RecordColumn(col);
  contents_.columns[static_cast<std::size_t>(col)].mask = mask;
}

void ReportGrid::SetColFormat(int col, std::string_view format) {
  CheckCol(col);
  RecordColumn(col);
  contents_.columns[static_cast<std::size_t>(col)].format = std::string(format);
  Notify(GridChange::kContents);
}

void ReportGrid::SetColAlignment(int col, int code) {
  CheckCol(col);
  if (!IsValidAlignment(code)) throw GridError("对齐方式无效：" + std::to_string(code));
  RecordColumn(col);
  contents_.columns[static_cast<std::size_t>(col)].alignment = code;
  Notify(GridChange::kStyle);
}

void ReportGrid::AutoFit(int col) {
  const int width = NeededColumnWidth(*this, col);
  RecordColumn(col);
  contents_.columns[static_cast<std::size_t>(col)].width = width;
  Notify(GridChange::kLayout);
}

void ReportGrid::AutoFit(const std::vector<int>& cols) {
  const std::vector<int> widths = NeededColumnWidths(*this, cols);
  for (std::size_t i = 0; i < cols.size(); ++i) {
    RecordColumn(cols[i]);
    contents_.columns[static_cast<std::size_t>(cols[i])].width = widths[i];
  }
  Notify(GridChange::kLayout);
}

bool ReportGrid::AcceptsInput(int col, std::string_view text) const {
  if (ColumnAt(col).mask != kMaskNumber) return true;
  return text.empty() || IsNumberText(text);
}

int ReportGrid::RowHeight(int row) const {
  CheckRow(row);
  return contents_.cells.Height(static_cast<std::size_t>(row));
}

void ReportGrid::SetRowHeight(int row, int pixels) {
  CheckRow(row);
  if (pixels < 0) throw GridError("行高不能为负数：" + std::to_string(pixels));
  RecordRowHeight(row);
  contents_.cells.SetHeight(static_cast<std::size_t>(row), pixels);
  Notify(GridChange::kLayout);
}

// ---- drawing

void ReportGrid::SetAutoRedraw(bool on) {
  auto_redraw_ = on;
  if (on && pending_change_) {
    pending_change_ = false;
    Notify(GridChange::kAll);
  }
}

void ReportGrid::Refresh() {
  pending_change_ = false;
  for (auto& [id, observer] : observers_.items) observer(GridChange::kAll);
}

void ReportGrid::Notify(GridChange change) {
  if (observers_.items.empty()) return;
  if (!auto_redraw_ && change != GridChange::kSelection) {
    pending_change_ = true;
    return;
  }
  for (auto& [id, observer] : observers_.items) observer(change);
}

int ReportGrid::Subscribe(GridObserver observer) {
  int id = observers_.next_id++;
  observers_.items.emplace_back(id, std::move(observer));
  return id;
}

void ReportGrid::Unsubscribe(int id) {
  std::erase_if(observers_.items, [id](const auto& p) { return p.first == id; });
}

void ReportGrid::SetDefaultFont(const Font& font) {
  if (!(font.size >= kMinFontSize && font.size <= kMaxFontSize))
    throw GridError("字号超出范围：" + std::to_string(font.size));
  RecordOptions();
  contents_.default_font = font;
  Notify(GridChange::kAll);
}

void ReportGrid::SetDefaultFontSize(double size) {
  Font f = contents_.default_font;
  f.size = size;
  SetDefaultFont(f);
}

void ReportGrid::SetClipboard(std::shared_ptr<Clipboard> clipboard) {
  clipboard_ = std::move(clipboard);
}

Clipboard& ReportGrid::clipboard() const {
  return clipboard_ ? *clipboard_ : own_clipboard_;
}

void ReportGrid::SetMeasurer(std::shared_ptr<const TextMeasurer> measurer) {
  measurer_ = std::move(measurer);
}

const TextMeasurer& ReportGrid::measurer() const {
  static const EstimatingMeasurer kEstimate;
  return measurer_ ? *measurer_ : kEstimate;
}

}  // namespace grid
