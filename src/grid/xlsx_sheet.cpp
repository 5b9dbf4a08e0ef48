#include "grid/xlsx_sheet.h"

#include <algorithm>
#include <cmath>

#include "common/text_number.h"
#include "grid/display_format.h"
#include "grid/export.h"

namespace grid::xlsx {
namespace {

constexpr double kCmPerInch = 2.54;
constexpr lxw_row_t kMaxSheetRows = 1'048'576;
constexpr lxw_col_t kMaxSheetCols = 16'384;

double ColumnChars(int pixels) {
  return pixels <= 12 ? pixels / 12.0 : (pixels - 5) / 7.0;
}
double RowPoints(int pixels) {
  return pixels * 0.75;
}

// libxlsxwriter takes 0 as "no colour", so black has its own value.
lxw_color_t ToLxw(Color c) {
  return c == kBlack ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : c;
}

uint8_t BorderOf(int line_style) {
  return line_style == kLineThick  ? LXW_BORDER_MEDIUM
         : line_style == kLineThin ? LXW_BORDER_THIN
                                   : LXW_BORDER_NONE;
}

uint8_t PaperCode(const PageSettings& p) {
  struct Code {
    double w, h;
    uint8_t code;
  };
  static const Code kCodes[] = {
      {210, 297, 9}, {297, 420, 8}, {182, 257, 13}, {215.9, 279.4, 1}, {215.9, 355.6, 5}};
  for (const auto& c : kCodes)
    if (std::fabs(c.w - p.paper_width) < 0.5 && std::fabs(c.h - p.paper_height) < 0.5)
      return c.code;
  return 0;  // the printer's default
}

// "&p"/"&n" become the workbook's page fields; a literal "&" is doubled.
std::string HeaderFooterText(const HeaderFooter& hf) {
  if (hf.text.empty()) return {};
  static const char* const kAlign[] = {"&L", "&C", "&R"};
  std::string out = kAlign[hf.alignment >= 0 && hf.alignment <= 2 ? hf.alignment : 1];
  out += "&\"" + hf.font.name + "," +
         (hf.font.bold && hf.font.italic ? "Bold Italic"
          : hf.font.bold                 ? "Bold"
          : hf.font.italic               ? "Italic"
                                         : "Regular") +
         "\"&" + std::to_string(static_cast<int>(hf.font.size));
  for (std::size_t i = 0; i < hf.text.size(); ++i) {
    char ch = hf.text[i];
    if (ch == '&' && i + 1 < hf.text.size() && (hf.text[i + 1] == 'p' || hf.text[i + 1] == 'P')) {
      out += "&P";
      ++i;
    } else if (ch == '&' && i + 1 < hf.text.size() &&
               (hf.text[i + 1] == 'n' || hf.text[i + 1] == 'N')) {
      out += "&N";
      ++i;
    } else if (ch == '&') {
      out += "&&";
    } else {
      out += ch;
    }
  }
  return out;
}

// The first `count` characters of a UTF-8 text.
std::string Utf8Prefix(const std::string& text, std::size_t count) {
  std::size_t i = 0;
  for (std::size_t chars = 0; i < text.size(); ++i) {
    const bool lead = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (lead && chars++ == count) break;
  }
  return text.substr(0, i);
}

}  // namespace

// A worksheet name Excel accepts: at most 31 characters, none of []:*?/\,
// not empty, and not used before in the workbook.
std::string UniqueSheetName(const std::string& wanted, std::set<std::string>& used) {
  std::string clean;
  for (char c : wanted)
    if (std::string_view("[]:*?/\\").find(c) == std::string_view::npos) clean += c;
  if (clean.empty()) clean = "Sheet";
  for (int n = 1;; ++n) {
    const std::string suffix = n > 1 ? "(" + std::to_string(n) + ")" : "";
    std::string name = Utf8Prefix(clean, 31 - suffix.size()) + suffix;
    if (used.insert(name).second) return name;
  }
}

FormatPool::~FormatPool() {
  if (wb_ == nullptr)
    for (const Entry& e : entries_) lxw_format_free(e.format);
}

std::vector<std::pair<const lxw_format*, lxw_format*>> FormatPool::Replay(FormatPool& book) const {
  std::vector<std::pair<const lxw_format*, lxw_format*>> formats;
  for (const Entry& e : entries_) formats.emplace_back(e.format, book.Get(e.style, e.num_format));
  return formats;
}

lxw_format* FormatPool::Get(CellStyle s, const std::string& num_format) {
  s.locked = false;  // not part of a workbook's format
  for (const Entry& e : entries_)
    if (e.style == s && e.num_format == num_format) return e.format;
  entries_.push_back({s, num_format, Create(s, num_format)});
  return entries_.back().format;
}

lxw_format* FormatPool::Create(const CellStyle& s, const std::string& num_format) {
  if (wb_ == nullptr) return lxw_format_new();
  lxw_format* f = workbook_add_format(wb_);
  format_set_font_name(f, s.font_name.c_str());
  format_set_font_size(f, s.font_size);
  if (s.bold) format_set_bold(f);
  if (s.italic) format_set_italic(f);
  if (s.underline) format_set_underline(f, LXW_UNDERLINE_SINGLE);
  if (s.fore_color != kBlack) format_set_font_color(f, ToLxw(s.fore_color));
  if (s.back_color != kWhite) format_set_bg_color(f, ToLxw(s.back_color));
  switch (HorizontalOf(s.alignment)) {
    case HAlign::kLeft:
      format_set_align(f, LXW_ALIGN_LEFT);
      break;
    case HAlign::kCenter:
      format_set_align(f, LXW_ALIGN_CENTER);
      break;
    case HAlign::kRight:
      format_set_align(f, LXW_ALIGN_RIGHT);
      break;
    case HAlign::kGeneral:
      break;
  }
  VAlign v = VerticalOf(s.alignment);
  format_set_align(f, v == VAlign::kTop      ? LXW_ALIGN_VERTICAL_TOP
                      : v == VAlign::kBottom ? LXW_ALIGN_VERTICAL_BOTTOM
                                             : LXW_ALIGN_VERTICAL_CENTER);
  if (s.wrap_text) format_set_text_wrap(f);
  if (s.borders[kEdgeLeft]) format_set_left(f, BorderOf(s.borders[kEdgeLeft]));
  if (s.borders[kEdgeTop]) format_set_top(f, BorderOf(s.borders[kEdgeTop]));
  if (s.borders[kEdgeRight]) format_set_right(f, BorderOf(s.borders[kEdgeRight]));
  if (s.borders[kEdgeBottom]) format_set_bottom(f, BorderOf(s.borders[kEdgeBottom]));
  int down = s.borders[kEdgeDiagonalDown], up = s.borders[kEdgeDiagonalUp];
  if (down || up) {
    format_set_diag_type(f, down && up ? LXW_DIAGONAL_BORDER_UP_DOWN
                            : down     ? LXW_DIAGONAL_BORDER_DOWN
                                       : LXW_DIAGONAL_BORDER_UP);
    format_set_diag_border(f, BorderOf(std::max(down, up)));
  }
  if (!num_format.empty()) format_set_num_format(f, num_format.c_str());
  return f;
}

SheetPlan::SheetPlan(const ReportGrid& grid, FormatPool& formats)
    : g_(grid),
      pool_(formats),
      cols_(ExportedColumns(grid, true)),
      rows_(ExportedRows(grid, true)),
      top_(static_cast<lxw_row_t>(grid.ReportTitles().Count())) {
  sheet_col_.assign(static_cast<std::size_t>(g_.Cols()), -1);
  for (std::size_t i = 0; i < cols_.size(); ++i)
    sheet_col_[static_cast<std::size_t>(cols_[i])] = static_cast<int>(i);
  column_formats_.resize(static_cast<std::size_t>(g_.Cols()));
  for (int c = 0; c < g_.Cols(); ++c) {
    const std::string& format = g_.ColumnAt(c).format;
    column_formats_[static_cast<std::size_t>(c)].number_format =
        !format.empty() && format != kGeneralNumber;
  }
}

Status SheetPlan::Check() const {
  if (HasCells() && (top_ + rows_.size() > kMaxSheetRows || cols_.size() > kMaxSheetCols))
    return Status::Error("表格太大，超出 Excel 工作表的行数或列数上限。");
  return Status::Ok();
}

std::vector<TitleRow> SheetPlan::Titles() {
  std::vector<TitleRow> rows;
  const auto last = static_cast<lxw_col_t>(cols_.size() - 1);
  for (const auto& t : g_.ReportTitles().items()) {
    CellStyle s;
    s.font_name = t.font.name;
    s.font_size = t.font.size;
    s.bold = t.font.bold;
    s.italic = t.font.italic;
    s.underline = t.font.underline;
    auto [left, right] = t.Parts();
    TitleRow& row = rows.emplace_back();
    row.height = RowPoints(static_cast<int>(std::ceil(t.font.size * 2)));
    if (!t.HasRightPart() || last == 0) {
      s.alignment = kAlignCenter;
      row.parts.push_back(
          {0, last, t.HasRightPart() ? left + "  " + right : left, pool_.Get(s, {})});
    } else {
      const lxw_col_t half = (last + 1) / 2;
      s.alignment = 6;  // left, middle
      row.parts.push_back({0, static_cast<lxw_col_t>(half - 1), left, pool_.Get(s, {})});
      s.alignment = 14;  // right, middle
      row.parts.push_back({half, last, right, pool_.Get(s, {})});
    }
  }
  return rows;
}

std::vector<SheetMerge> SheetPlan::Merges() {
  std::vector<SheetMerge> merges;
  for (const auto& m : g_.Merges()) {
    int first = -1, last = -1;
    for (int c = m.first_col; c <= m.last_col; ++c) {
      int sc = sheet_col_[static_cast<std::size_t>(c)];
      if (sc < 0) continue;
      if (first < 0) first = sc;
      last = sc;
    }
    if (first < 0 || (first == last && m.first_row == m.last_row)) continue;
    // Rows are never left out of the workbook, so grid row r is sheet row top + r.
    const int anchor_col = cols_[static_cast<std::size_t>(first)];
    merges.push_back({top_ + static_cast<lxw_row_t>(m.first_row),
                      top_ + static_cast<lxw_row_t>(m.last_row), static_cast<lxw_col_t>(first),
                      static_cast<lxw_col_t>(last), m.first_row, anchor_col,
                      CellFormat(m.first_row, anchor_col, false)});
  }
  return merges;
}

SheetCell SheetPlan::Cell(int r, int c) {
  std::string_view raw = g_.CellText(r, c);
  const bool in_body = r >= g_.FixedRows();
  if (c == 0 && g_.DisplayRowIndex() && in_body) {
    shown_ = g_.DisplayText(r, c);
    raw = shown_;
  }
  if (in_body)
    if (const std::optional<double> number = common::ParseWholeNumber(raw))
      return {SheetCell::Kind::kNumber, *number, {}};
  if (raw.empty()) return {};
  return {SheetCell::Kind::kText, 0, raw};
}

std::optional<std::pair<double, bool>> SheetPlan::RowOptions(int r) const {
  const int height = g_.RowHeight(r);
  if (height == kDefaultRowHeight) return std::nullopt;
  return std::pair{height == 0 ? 15 : RowPoints(height), height == 0};
}
lxw_format* SheetPlan::CellFormat(int r, int c, bool number) {
  ColumnFormats& column = column_formats_[static_cast<std::size_t>(c)];
  const bool formatted = number && column.number_format;
  const std::uint32_t style = g_.CellStyleIndex(r, c);
  if (column.style != style) {
    column.style = style;
    column.format[0] = column.format[1] = nullptr;
  }
  lxw_format*& known = column.format[formatted ? 1 : 0];
  if (known) return known;
  const std::uint64_t key = (static_cast<std::uint64_t>(c) << 33) |
                            (static_cast<std::uint64_t>(style) << 1) | (formatted ? 1u : 0u);
  auto [it, added] = formats_.try_emplace(key, nullptr);
  if (added) it->second = pool_.Get(g_.ResolvedStyle(r, c), formatted ? g_.ColumnAt(c).format : "");
  return known = it->second;
}

void SheetPlan::SetColumns(lxw_worksheet* ws) const {
  for (std::size_t i = 0; i < cols_.size(); ++i) {
    int width = g_.ColWidth(cols_[i]);
    lxw_row_col_options opts{};
    opts.hidden = width == 0 ? 1 : 0;
    auto col = static_cast<lxw_col_t>(i);
    worksheet_set_column_opt(ws, col, col, width == 0 ? 8.43 : ColumnChars(width), nullptr, &opts);
  }
}

void SheetPlan::SetPageSetup(lxw_worksheet* ws) const {
  const PageSettings& p = g_.PageSetup();
  if (p.orientation == kLandscape)
    worksheet_set_landscape(ws);
  else
    worksheet_set_portrait(ws);
  if (uint8_t code = PaperCode(p)) worksheet_set_paper(ws, code);
  worksheet_set_margins(ws, p.left_margin / kCmPerInch, p.right_margin / kCmPerInch,
                        p.top_margin / kCmPerInch, p.bottom_margin / kCmPerInch);
  lxw_header_footer_options header_opts{};
  header_opts.margin = p.header_margin / kCmPerInch;
  std::string header = HeaderFooterText(p.header);
  if (!header.empty()) worksheet_set_header_opt(ws, header.c_str(), &header_opts);
  lxw_header_footer_options footer_opts{};
  footer_opts.margin = p.footer_margin / kCmPerInch;
  std::string footer = HeaderFooterText(p.footer);
  if (!footer.empty()) worksheet_set_footer_opt(ws, footer.c_str(), &footer_opts);
  int repeated = std::min(p.RepeatedTopRows(g_.FixedRows()), g_.Rows());
  bool titles_repeat = top_ > 0;
  for (const auto& t : g_.ReportTitles().items())
    titles_repeat = titles_repeat && t.print_on_all_pages;
  lxw_row_t first = titles_repeat ? 0 : top_;
  if (repeated > 0 || titles_repeat)
    worksheet_repeat_rows(ws, first, top_ + static_cast<lxw_row_t>(std::max(repeated, 0)) - 1);
  // The identifying columns repeat on every page printed from the workbook
  // as they do on ours.
  int last_title = -1;
  for (int c = 0; c < std::min(p.print_title_columns, g_.Cols()); ++c)
    last_title = std::max(last_title, sheet_col_[static_cast<std::size_t>(c)]);
  if (last_title >= 0) worksheet_repeat_columns(ws, 0, static_cast<lxw_col_t>(last_title));
  worksheet_gridlines(ws, p.print_gridlines ? LXW_SHOW_ALL_GRIDLINES : LXW_SHOW_SCREEN_GRIDLINES);
  if (p.center_horizontally) worksheet_center_horizontally(ws);
  if (p.center_vertically) worksheet_center_vertically(ws);
  if (p.zoom >= 10 && p.zoom <= 400) worksheet_set_print_scale(ws, static_cast<uint16_t>(p.zoom));
}

}  // namespace grid::xlsx
