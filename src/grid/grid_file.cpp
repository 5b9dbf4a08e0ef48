#include "grid/grid_file.h"

#include "grid/grid_file_cells.h"

#include <climits>
#include <cstdint>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <utility>

namespace grid {

using nlohmann::json;

namespace {

constexpr std::string_view kFormatName = "ScoreStat grid";

// A number the grid keeps as an int. The file may hold any JSON number there
// (fuzzing found 4.4e44), and converting one out of range is undefined.
long long Ranged(const json& v, long long low, long long high) {
  if (v.is_number_unsigned()) {
    const auto n = v.get<unsigned long long>();
    if (n <= static_cast<unsigned long long>(high)) return static_cast<long long>(n);
  } else if (v.is_number_integer()) {
    const auto n = v.get<long long>();
    if (n >= low && n <= high) return n;
  } else if (v.is_number_float()) {
    const double d = v.get<double>();
    if (d > static_cast<double>(low) - 1.0 && d < static_cast<double>(high) + 1.0)
      return static_cast<long long>(d);
  } else {
    return v.get<int>();  // throws json::type_error for a non-number
  }
  throw GridError("数值超出范围");
}

int Int(const json& v) {
  return static_cast<int>(Ranged(v, INT_MIN, INT_MAX));
}

std::size_t Index(const json& v) {
  const int n = Int(v);
  if (n < 0) throw GridError("序号不能是负数");
  return static_cast<std::size_t>(n);
}

json FontToJson(const Font& f) {
  return {{"name", f.name},     {"size", f.size},           {"bold", f.bold},
          {"italic", f.italic}, {"underline", f.underline}, {"strikethrough", f.strikethrough}};
}

Font FontFromJson(const json& j) {
  Font f;
  f.name = j.at("name").get<std::string>();
  f.size = j.at("size").get<double>();
  f.bold = j.value("bold", false);
  f.italic = j.value("italic", false);
  f.underline = j.value("underline", false);
  f.strikethrough = j.value("strikethrough", false);
  return f;
}

json StyleToJson(const CellStyle& s) {
  return {{"fontName", s.font_name},   {"fontSize", s.font_size},  {"bold", s.bold},
          {"italic", s.italic},        {"underline", s.underline}, {"foreColor", s.fore_color},
          {"backColor", s.back_color}, {"alignment", s.alignment}, {"wrapText", s.wrap_text},
          {"locked", s.locked},        {"borders", s.borders}};
}

CellStyle StyleFromJson(const json& j) {
  CellStyle s;
  s.font_name = j.at("fontName").get<std::string>();
  s.font_size = j.at("fontSize").get<double>();
  s.bold = j.at("bold").get<bool>();
  s.italic = j.at("italic").get<bool>();
  s.underline = j.at("underline").get<bool>();
  s.fore_color = static_cast<Color>(Ranged(j.at("foreColor"), 0, UINT32_MAX));
  s.back_color = static_cast<Color>(Ranged(j.at("backColor"), 0, UINT32_MAX));
  s.alignment = Int(j.at("alignment"));
  s.wrap_text = j.at("wrapText").get<bool>();
  s.locked = j.at("locked").get<bool>();
  const json& borders = j.at("borders");
  if (!borders.is_array() || borders.size() != kEdgeCount) throw GridError("边框应有 8 个数值");
  for (std::size_t e = 0; e < s.borders.size(); ++e)
    s.borders[e] = static_cast<std::uint8_t>(Ranged(borders[e], 0, 255));
  return s;
}

json HeaderFooterToJson(const HeaderFooter& h) {
  return {{"text", h.text}, {"alignment", h.alignment}, {"font", FontToJson(h.font)}};
}

HeaderFooter HeaderFooterFromJson(const json& j) {
  return {j.at("text").get<std::string>(), Int(j.at("alignment")), FontFromJson(j.at("font"))};
}

json PageToJson(const PageSettings& p) {
  json papers = json::array();
  for (const auto& paper : p.papers)
    papers.push_back({{"name", paper.name}, {"width", paper.width}, {"height", paper.height}});
  return {{"orientation", p.orientation},
          {"papers", papers},
          {"paperWidth", p.paper_width},
          {"paperHeight", p.paper_height},
          {"zoom", p.zoom},
          {"margins",
           {p.left_margin, p.right_margin, p.top_margin, p.bottom_margin, p.header_margin,
            p.footer_margin}},
          {"blackAndWhite", p.black_and_white},
          {"printFixedRow", p.print_fixed_row},
          {"printFixedColumn", p.print_fixed_column},
          {"printGridlines", p.print_gridlines},
          {"printTitleRows", p.print_title_rows},
          {"printTitleColumns", p.print_title_columns},
          {"printBottomTitleRows", p.print_bottom_title_rows},
          {"centerHorizontally", p.center_horizontally},
          {"centerVertically", p.center_vertically},
          {"header", HeaderFooterToJson(p.header)},
          {"footer", HeaderFooterToJson(p.footer)}};
}

PageSettings PageFromJson(const json& j) {
  PageSettings p;
  p.orientation = Int(j.at("orientation"));
  p.papers.clear();
  for (const auto& paper : j.at("papers"))
    p.papers.push_back({paper.at("name").get<std::string>(), paper.at("width").get<double>(),
                        paper.at("height").get<double>()});
  p.paper_width = j.at("paperWidth").get<double>();
  p.paper_height = j.at("paperHeight").get<double>();
  p.zoom = Int(j.at("zoom"));
  auto m = j.at("margins").get<std::vector<double>>();
  if (m.size() != 6) throw GridError("页边距应有 6 个数值");
  p.left_margin = m[0];
  p.right_margin = m[1];
  p.top_margin = m[2];
  p.bottom_margin = m[3];
  p.header_margin = m[4];
  p.footer_margin = m[5];
  p.black_and_white = j.at("blackAndWhite").get<bool>();
  p.print_fixed_row = j.at("printFixedRow").get<bool>();
  p.print_fixed_column = j.at("printFixedColumn").get<bool>();
  p.print_gridlines = j.at("printGridlines").get<bool>();
  p.print_title_rows = Int(j.at("printTitleRows"));
  p.print_title_columns = Int(j.at("printTitleColumns"));
  p.print_bottom_title_rows = Int(j.at("printBottomTitleRows"));
  p.center_horizontally = j.at("centerHorizontally").get<bool>();
  p.center_vertically = j.at("centerVertically").get<bool>();
  p.header = HeaderFooterFromJson(j.at("header"));
  p.footer = HeaderFooterFromJson(j.at("footer"));
  return p;
}

json RectToJson(const CellRect& r) {
  return {r.first_row, r.first_col, r.last_row, r.last_col};
}

CellRect RectFromJson(const json& j) {
  if (!j.is_array() || j.size() != 4) throw GridError("区域应有 4 个数值");
  return {Int(j[0]), Int(j[1]), Int(j[2]), Int(j[3])};
}

// The per-cell members as JSON values; see grid_file_cells.h for the same as text.
void CellMembersToJson(const ReportGrid& g, json& cells, json& cell_styles, json& tags,
                       json& heights) {
  for (int r = 0; r < g.Rows(); ++r) {
    json row = json::array();
    for (int c = 0; c < g.Cols(); ++c) {
      row.push_back(g.CellText(r, c));
      if (auto s = g.CellStyleIndex(r, c)) cell_styles.push_back({r, c, s});
      if (auto t = g.CellTag(r, c); !t.empty()) tags.push_back({r, c, t});
    }
    cells.push_back(std::move(row));
    if (g.RowHeight(r) != kDefaultRowHeight) heights.push_back({r, g.RowHeight(r)});
  }
}

// The members whose text GridFileText writes itself hold this mark instead.
constexpr std::string_view kPlaceholder = "\x01";

json GridToJson(const ReportGrid& g, std::string_view caption, std::string_view title,
                bool with_cells = true) {
  json cells = json::array();
  json cell_styles = json::array();
  json tags = json::array();
  json heights = json::array();
  if (with_cells) {
    CellMembersToJson(g, cells, cell_styles, tags, heights);
  } else {
    for (json* member : {&cells, &cell_styles, &tags, &heights}) *member = kPlaceholder;
  }
  json styles = json::array();
  for (const auto& s : g.Styles().styles()) styles.push_back(StyleToJson(s));
  json columns = json::array();
  for (int c = 0; c < g.Cols(); ++c) {
    const ColumnInfo& col = g.ColumnAt(c);
    columns.push_back({{"width", col.width},
                       {"mask", col.mask},
                       {"format", col.format},
                       {"alignment", col.alignment}});
  }
  json merges = json::array();
  for (const auto& m : g.Merges()) merges.push_back(RectToJson(m));
  json titles = json::array();
  for (const auto& t : g.ReportTitles().items())
    titles.push_back({{"text", t.text},
                      {"font", FontToJson(t.font)},
                      {"alignTo", t.align_to},
                      {"printOnAllPages", t.print_on_all_pages}});
  return {{"format", kFormatName},
          {"version", kGridFileVersion},
          {"caption", caption},
          {"title", title},
          {"rows", g.Rows()},
          {"cols", g.Cols()},
          {"cells", std::move(cells)},
          {"fixedRows", g.FixedRows()},
          {"fixedCols", g.FixedCols()},
          {"displayRowIndex", g.DisplayRowIndex()},
          {"allowUserSort", g.AllowUserSort()},
          {"defaultFont", FontToJson(g.DefaultFont())},
          {"styles", std::move(styles)},
          {"cellStyles", std::move(cell_styles)},
          {"tags", std::move(tags)},
          {"columns", std::move(columns)},
          {"rowHeights", std::move(heights)},
          {"merges", std::move(merges)},
          {"titles", std::move(titles)},
          {"pageSetup", PageToJson(g.PageSetup())},
          {"selection", RectToJson(g.SelectionRect())},
          {"activeCell", {g.ActiveCellPosition().first, g.ActiveCellPosition().second}}};
}

void ReadCells(const json& j, ReportGrid& g) {
  const json& cells = j.at("cells");
  if (!cells.is_array() || static_cast<int>(cells.size()) != g.Rows())
    throw GridError("\"cells\" 的行数与 \"rows\" 不符");
  for (int r = 0; r < g.Rows(); ++r) {
    const json& row = cells[static_cast<std::size_t>(r)];
    if (!row.is_array() || static_cast<int>(row.size()) > g.Cols())
      throw GridError("第 " + std::to_string(r) + " 行的单元格数与 \"cols\" 不符");
    for (std::size_t c = 0; c < row.size(); ++c)
      g.SetCellText(r, static_cast<int>(c), row[c].get_ref<const std::string&>());
  }
}

// Everything beyond the plain texts. Members missing from the file keep
// their defaults, so that a hand-written file with only the texts opens.
void ReadLayout(const json& j, ReportGrid& g) {
  std::vector<std::uint32_t> style_map;
  for (const auto& s : j.value("styles", json::array()))
    style_map.push_back(g.InternStyle(StyleFromJson(s)));
  for (const auto& e : j.value("cellStyles", json::array())) {
    auto index = Index(e.at(2));
    if (index >= style_map.size()) throw GridError("样式序号无效");
    g.SetCellStyleIndex(Int(e.at(0)), Int(e.at(1)), style_map[index]);
  }
  for (const auto& e : j.value("tags", json::array()))
    g.SetCellTag(Int(e.at(0)), Int(e.at(1)), e.at(2).get<std::string>());
  if (j.contains("columns")) {
    const json& cols = j.at("columns");
    if (static_cast<int>(cols.size()) != g.Cols())
      throw GridError("\"columns\" 的列数与 \"cols\" 不符");
    for (int c = 0; c < g.Cols(); ++c) {
      const json& col = cols[static_cast<std::size_t>(c)];
      g.SetColumnInfo(c, {Int(col.at("width")), Int(col.at("mask")),
                          col.at("format").get<std::string>(), Int(col.at("alignment"))});
    }
  }
  for (const auto& e : j.value("rowHeights", json::array()))
    g.SetRowHeight(Int(e.at(0)), Int(e.at(1)));
  for (const auto& m : j.value("merges", json::array())) g.AddMerge(RectFromJson(m));
  for (const auto& t : j.value("titles", json::array())) {
    ReportTitle& item = g.ReportTitles().Add(t.at("text").get<std::string>());
    item.font = FontFromJson(t.at("font"));
    item.align_to = Int(t.at("alignTo"));
    item.print_on_all_pages = t.at("printOnAllPages").get<bool>();
  }
  if (j.contains("pageSetup")) g.PageSetup() = PageFromJson(j.at("pageSetup"));
  if (j.contains("defaultFont")) g.SetDefaultFont(FontFromJson(j.at("defaultFont")));
  g.SetFixedRows(j.value("fixedRows", 1));
  g.SetFixedCols(j.value("fixedCols", 1));
  g.SetDisplayRowIndex(j.value("displayRowIndex", false));
  g.SetAllowUserSort(j.value("allowUserSort", false));
  if (j.contains("selection")) g.Select(RectFromJson(j.at("selection")));
  if (j.contains("activeCell")) {
    const json& a = j.at("activeCell");
    if (!a.is_array()) throw GridError("活动单元格应是两个数");
    if (a.size() == 2 && g.SelectionRect().Contains(Int(a[0]), Int(a[1]))) {
      CellRect keep = g.SelectionRect();
      g.SetActiveCell(Int(a[0]), Int(a[1]));
      g.Select(keep);
    }
  }
}

// The grid file's text in pieces, put one after another: the cells'
// members written by hand, the rest by the library with a mark where each
// of them goes. The rest is made and every text checked before anything is
// put, so that a grid the library refuses leaves no file behind.
class GridFilePieces {
 public:
  GridFilePieces(const ReportGrid& grid, std::string_view caption, std::string_view title)
      : grid_(grid) {
    if (!internal::TextsAreUtf8(grid)) {
      rest_ = GridToJson(grid, caption, title).dump(1);  // refuses, with its own message
      return;
    }
    rest_ = GridToJson(grid, caption, title, false).dump(1);
    by_hand_ = true;
  }

  void Write(const internal::PutText& put) const {
    if (!by_hand_) return put(rest_);
    // Top-level members are the only ones at indent 1, and a mark cannot
    // appear unescaped in any text: each placeholder is found where it is.
    using internal::CellMember;
    const std::pair<std::string_view, CellMember> parts[] = {
        {"cellStyles", CellMember::kCellStyles},
        {"cells", CellMember::kCells},
        {"rowHeights", CellMember::kRowHeights},
        {"tags", CellMember::kTags}};
    const std::string_view rest = rest_;
    std::size_t from = 0;
    for (const auto& [name, member] : parts) {
      const std::string mark = "\n \"" + std::string(name) + "\": \"\\u0001\"";
      const std::size_t at = rest.find(mark, from);
      if (at == std::string::npos) throw GridError("表格文件的内容顺序不符");
      const std::size_t value = at + mark.size() - 8;  // the quoted mark
      put(rest.substr(from, value - from));
      internal::WriteCellMember(grid_, member, put);
      from = value + 8;
    }
    put(rest.substr(from));
  }

 private:
  const ReportGrid& grid_;
  std::string rest_;
  bool by_hand_ = false;
};

}  // namespace

std::string GridFileText(const ReportGrid& grid, std::string_view caption, std::string_view title) {
  const GridFilePieces pieces(grid, caption, title);
  std::string text;
  pieces.Write([&](std::string_view piece) { text.append(piece); });
  return text;
}

Status ParseGridFileText(std::string_view text, GridDocument& out) {
  json j = json::parse(text, nullptr, false);
  if (j.is_discarded()) return Status::Error("表格文件已损坏或不完整，不是有效的 JSON 文档。");
  // json::value throws when "format" is there but not a text (found by
  // fuzzing), so the format is looked at by hand.
  const auto format = j.is_object() ? j.find("format") : j.end();
  if (!j.is_object() || format == j.end() || !format->is_string() || *format != kFormatName)
    return Status::Error("这不是本程序的表格文件。");
  if (!j.contains("version") || !j["version"].is_number_integer())
    return Status::Error("表格文件缺少版本号。");
  if (j["version"] != kGridFileVersion)
    return Status::Error("不支持的表格文件版本：" + j["version"].dump() + "。");
  try {
    int rows = Int(j.at("rows")), cols = Int(j.at("cols"));
    if (rows < 1 || cols < 1 || rows > 100'000'000 || cols > 100'000)
      return Status::Error("表格文件的行数或列数无效。");
    GridDocument doc{ReportGrid(rows, cols), j.value("caption", std::string()),
                     j.value("title", std::string())};
    ReadCells(j, doc.grid);
    ReadLayout(j, doc.grid);
    out = std::move(doc);
    return Status::Ok();
  } catch (const json::exception& e) {
    return Status::Error(std::string("表格文件内容无效：") + e.what());
  } catch (const GridError& e) {
    return Status::Error(std::string("表格文件内容无效：") + e.what());
  }
}

Status SaveGridFile(const std::string& path, const ReportGrid& grid, std::string_view caption,
                    std::string_view title) {
  std::optional<GridFilePieces> pieces;
  try {
    pieces.emplace(grid, caption, title);
  } catch (const json::exception& e) {
    // dump() refuses texts that are not valid UTF-8.
    return Status::Error(std::string("表格内容无法保存：") + e.what());
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return Status::Error("无法写入文件：" + path);
  pieces->Write([&](std::string_view piece) {
    file.write(piece.data(), static_cast<std::streamsize>(piece.size()));
  });
  file.close();
  if (!file) return Status::Error("写入文件失败：" + path);
  return Status::Ok();
}

Status OpenGridFile(const std::string& path, GridDocument& out) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Status::Error("无法打开文件：" + path);
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return Status::Error("读取文件失败：" + path);
  return ParseGridFileText(text.str(), out);
}

}  // namespace grid
