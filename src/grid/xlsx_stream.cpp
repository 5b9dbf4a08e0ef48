#include "grid/xlsx_stream.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace grid::xlsx {
namespace {

constexpr std::size_t kPieceBytes = 1u << 20;
// Marks a place in XML written ahead: then 'S' and a sheet's own string
// index (4 bytes), or 'F' and the recorded format's address. No other
// control character is written to a sheet's cells, whose texts are shared.
constexpr char kMark = '\x01';
constexpr std::size_t kStringMark = 2 + sizeof(std::uint32_t);
constexpr std::size_t kFormatMark = 2 + sizeof(const lxw_format*);
constexpr double kDefaultRowPoints = 15;  // the library's default row height

// The library's own XML for `ws`: everything but the cells and merges.
std::string LibrarySheetXml(lxw_worksheet* ws) {
  char* data = nullptr;
  std::size_t size = 0;
  FILE* memory = open_memstream(&data, &size);
  if (!memory) throw std::bad_alloc();
  ws->file = memory;
  lxw_worksheet_assemble_xml_file(ws);
  std::fclose(memory);
  ws->file = nullptr;
  std::string xml(data, size);
  std::free(data);
  return xml;
}

std::string ColumnName(lxw_col_t col) {
  std::string name;
  for (std::uint32_t n = col + 1; n > 0; n = (n - 1) / 26)
    name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

// The recorded formats of a sheet written ahead, each the workbook's.
class FormatMap {
 public:
  explicit FormatMap(std::vector<std::pair<const lxw_format*, lxw_format*>> formats)
      : formats_(std::move(formats)) {}
  FormatMap(const FormatMap&) = delete;
  FormatMap& operator=(const FormatMap&) = delete;
  lxw_format* operator[](const lxw_format* recorded) {
    if (last_ == formats_.end() || recorded != last_->first)
      last_ = std::find_if(formats_.begin(), formats_.end(),
                           [&](const auto& f) { return f.first == recorded; });
    if (last_ == formats_.end()) throw std::logic_error("a format not recorded ahead");
    return last_->second;
  }

 private:
  std::vector<std::pair<const lxw_format*, lxw_format*>> formats_;
  std::vector<std::pair<const lxw_format*, lxw_format*>>::iterator last_ = formats_.begin();
};

class SheetXml {
 public:
  // Ahead: the string and format indexes are marked, not written (the
  // strings are the sheet's own).
  SheetXml(SheetPlan& plan, SharedStrings& sst, const std::function<void(std::string&&)>& out,
           bool ahead = false)
      : plan_(plan), sst_(sst), out_(out), ahead_(ahead) {
    const std::size_t cols = plan.Cols().size();
    for (std::size_t j = 0; j < cols; ++j) names_.push_back(ColumnName(static_cast<lxw_col_t>(j)));
    spans_ = "1:" + std::to_string(cols);
    last_text_.resize(cols);
    last_index_.assign(cols, kNoIndex);
    buffer_.reserve(kPieceBytes + 4096);
  }

  void Rows(const std::vector<TitleRow>& titles, const std::vector<SheetMerge>& merges);
  // A piece written ahead with its marks filled in: `strings` has the
  // workbook's index of each of the sheet's own strings.
  void AppendAhead(std::string_view piece, const std::vector<std::uint32_t>& strings,
                   FormatMap& formats);
  void Append(std::string_view text) {
    buffer_ += text;
    if (buffer_.size() >= kPieceBytes) Flush();
  }
  void Flush() {
    if (buffer_.empty()) return;
    out_(std::move(buffer_));
    buffer_.clear();
    buffer_.reserve(kPieceBytes + 4096);
  }

 private:
  // As the library's "%.16G".
  void Number(double v) {
    char digits[32];
    char* end =
        std::to_chars(digits, digits + sizeof digits, v, std::chars_format::general, 16).ptr;
    std::replace(digits, end, 'e', 'E');
    buffer_.append(digits, end);
  }
  void Whole(std::uint64_t v) {
    char digits[24];
    buffer_.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
  }
  void StartRow(lxw_row_t row, double height, bool hidden);
  void StartCell(lxw_col_t col, lxw_format* format);
  void Style(lxw_format* format);
  template <typename T>
  void Mark(char kind, T value) {
    buffer_ += kMark;
    buffer_ += kind;
    buffer_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void Text(lxw_col_t col, std::string_view text, lxw_format* format);
  void Blank(lxw_col_t col, lxw_format* format);
  void Cell(lxw_col_t col, const SheetCell& cell, lxw_format* format);
  std::uint32_t SharedString(lxw_col_t col, std::string_view text);
  void GridRow(std::size_t i, const std::vector<int>& cover, const std::vector<SheetMerge>& merges);

  SheetPlan& plan_;
  SharedStrings& sst_;
  const std::function<void(std::string&&)>& out_;
  const bool ahead_;
  std::vector<std::string> names_;
  std::string spans_;
  std::string row_;  // the row number of the row being written
  std::string buffer_;
  // Each column's last text and its index: a class or school repeats down
  // its column, and finding it again was a hash of it for every cell.
  static constexpr std::uint32_t kNoIndex = ~std::uint32_t{0};
  std::vector<std::string> last_text_;
  std::vector<std::uint32_t> last_index_;
};

void SheetXml::StartRow(lxw_row_t row, double height, bool hidden) {
  row_ = std::to_string(row + 1);
  buffer_ += "<row r=\"" + row_ + "\" spans=\"" + spans_ + "\"";
  if (height != kDefaultRowPoints) {
    buffer_ += " ht=\"";
    Number(height);
    buffer_ += '"';
  }
  if (hidden) buffer_ += " hidden=\"1\"";
  if (height != kDefaultRowPoints) buffer_ += " customHeight=\"1\"";
  buffer_ += '>';
}

void SheetXml::StartCell(lxw_col_t col, lxw_format* format) {
  buffer_ += "<c r=\"";
  buffer_ += names_[col];
  buffer_ += row_;
  buffer_ += '"';
  if (ahead_)
    Mark<const lxw_format*>('F', format);
  else
    Style(format);
}

void SheetXml::Style(lxw_format* format) {
  if (const auto style = lxw_format_get_xf_index(format)) {
    buffer_ += " s=\"";
    Whole(static_cast<std::uint64_t>(style));
    buffer_ += '"';
  }
}

void SheetXml::AppendAhead(std::string_view piece, const std::vector<std::uint32_t>& strings,
                           FormatMap& formats) {
  for (std::size_t at = 0; at < piece.size();) {
    const std::size_t mark = std::min(piece.find(kMark, at), piece.size());
    buffer_.append(piece.substr(at, mark - at));
    if (mark == piece.size()) break;
    if (piece[mark + 1] == 'S') {
      std::uint32_t index = 0;
      std::memcpy(&index, piece.data() + mark + 2, sizeof index);
      Whole(strings.at(index));
      at = mark + kStringMark;
    } else {
      const lxw_format* recorded = nullptr;
      std::memcpy(&recorded, piece.data() + mark + 2, sizeof recorded);
      Style(formats[recorded]);
      at = mark + kFormatMark;
    }
  }
  if (buffer_.size() >= kPieceBytes) Flush();
}

std::uint32_t SheetXml::SharedString(lxw_col_t col, std::string_view text) {
  if (last_index_[col] != kNoIndex && last_text_[col] == text) return sst_.Again(last_index_[col]);
  last_text_[col] = text;
  return last_index_[col] = sst_.Index(text);
}

void SheetXml::Text(lxw_col_t col, std::string_view text, lxw_format* format) {
  if (text.empty()) return Blank(col, format);
  const std::uint32_t index = SharedString(col, text);
  StartCell(col, format);
  buffer_ += " t=\"s\"><v>";
  if (ahead_)
    Mark('S', index);
  else
    Whole(index);
  buffer_ += "</v></c>";
}

void SheetXml::Blank(lxw_col_t col, lxw_format* format) {
  StartCell(col, format);
  buffer_ += "/>";
}

void SheetXml::Cell(lxw_col_t col, const SheetCell& cell, lxw_format* format) {
  if (cell.kind == SheetCell::Kind::kText) return Text(col, cell.text, format);
  if (cell.kind == SheetCell::Kind::kBlank) return Blank(col, format);
  StartCell(col, format);
  buffer_ += "><v>";
  Number(cell.number);
  buffer_ += "</v></c>";
}

// Grid row `i`: its cells as the library's table ends up with them, each
// cell covered by a merge (cover[j] >= 0) a blank in the merge's format but
// its first, which keeps its value. The covered cells' texts were given to
// the shared strings before the merge replaced them, so they still are.
void SheetXml::GridRow(std::size_t i, const std::vector<int>& cover,
                       const std::vector<SheetMerge>& merges) {
  const int r = plan_.Rows()[i];
  const lxw_row_t row = plan_.TitleCount() + static_cast<lxw_row_t>(i);
  const auto options = plan_.RowOptions(r);
  StartRow(row, options ? options->first : kDefaultRowPoints, options && options->second);
  const std::vector<int>& cols = plan_.Cols();
  for (std::size_t j = 0; j < cols.size(); ++j) {
    const SheetCell cell = plan_.Cell(r, cols[j]);
    const auto col = static_cast<lxw_col_t>(j);
    const int m = cover.empty() ? -1 : cover[j];
    if (m >= 0 && !(merges[m].first_row == row && merges[m].first_col == col)) {
      if (cell.kind == SheetCell::Kind::kText) SharedString(col, cell.text);
      Blank(col, merges[static_cast<std::size_t>(m)].format);
      continue;
    }
    Cell(col, cell, plan_.CellFormat(r, cols[j], cell.kind == SheetCell::Kind::kNumber));
    // The library's table had the first cell of a merge written twice.
    if (m >= 0 && cell.kind == SheetCell::Kind::kText) SharedString(col, cell.text);
  }
  Append("</row>");
}

void SheetXml::Rows(const std::vector<TitleRow>& titles, const std::vector<SheetMerge>& merges) {
  lxw_row_t row = 0;
  for (const TitleRow& title : titles) {
    StartRow(row++, title.height, false);
    for (const TitlePart& part : title.parts) {
      Text(part.first, part.text, part.format);
      for (lxw_col_t col = part.first + 1; col <= part.last; ++col) Blank(col, part.format);
    }
    Append("</row>");
  }
  // Merges by first row; where two cover a cell the later one wrote last.
  std::vector<std::size_t> order(merges.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return merges[a].first_row < merges[b].first_row;
  });
  std::vector<std::size_t> active;
  std::vector<int> cover;
  std::size_t next = 0;
  for (std::size_t i = 0; i < plan_.Rows().size(); ++i, ++row) {
    while (next < order.size() && merges[order[next]].first_row == row)
      active.push_back(order[next++]);
    std::erase_if(active, [&](std::size_t k) { return merges[k].last_row < row; });
    std::sort(active.begin(), active.end());
    cover.clear();
    if (!active.empty()) {
      cover.assign(plan_.Cols().size(), -1);
      for (std::size_t k : active)
        for (lxw_col_t c = merges[k].first_col; c <= merges[k].last_col; ++c)
          cover[c] = static_cast<int>(k);
    }
    GridRow(i, cover, merges);
  }
}

void AppendRange(std::string& xml, const std::vector<std::string>& names, lxw_row_t r1,
                 lxw_col_t c1, lxw_row_t r2, lxw_col_t c2) {
  xml += "<mergeCell ref=\"" + names[c1] + std::to_string(r1 + 1) + ":" + names[c2] +
         std::to_string(r2 + 1) + "\"/>";
}

// The merges in the order the library was given them: the titles' first.
std::string MergeCellsXml(const std::vector<TitleRow>& titles,
                          const std::vector<SheetMerge>& merges, std::size_t cols) {
  std::vector<std::string> names;
  for (std::size_t j = 0; j < cols; ++j) names.push_back(ColumnName(static_cast<lxw_col_t>(j)));
  std::string xml;
  std::size_t count = merges.size();
  for (lxw_row_t row = 0; row < titles.size(); ++row)
    for (const TitlePart& part : titles[row].parts)
      if (part.first != part.last) {
        AppendRange(xml, names, row, part.first, row, part.last);
        ++count;
      }
  for (const SheetMerge& m : merges)
    AppendRange(xml, names, m.first_row, m.first_col, m.last_row, m.last_col);
  if (count == 0) return {};
  return "<mergeCells count=\"" + std::to_string(count) + "\">" + xml + "</mergeCells>";
}

std::size_t Find(const std::string& xml, std::string_view what) {
  const std::size_t at = xml.find(what);
  if (at == std::string::npos)
    throw std::logic_error("libxlsxwriter's worksheet has no " + std::string(what));
  return at;
}

}  // namespace

std::uint32_t SharedStrings::Index(std::string_view text) {
  ++uses_;
  if (const auto it = known_.find(text); it != known_.end()) {
    if (sst_) ++sst_->string_count;
    return it->second;
  }
  const auto it = known_.emplace(std::string(text), 0).first;
  if (sst_) {
    it->second = lxw_get_sst_index(sst_, it->first.c_str(), LXW_FALSE)->index;  // copies it
  } else {
    it->second = static_cast<std::uint32_t>(order_.size());
    order_.push_back(it->first);
  }
  return it->second;
}

std::vector<std::uint32_t> SharedStrings::Merge(const SharedStrings& sheet) {
  std::vector<std::uint32_t> indexes;
  indexes.reserve(sheet.order_.size());
  for (const std::string_view text : sheet.order_) indexes.push_back(Index(text));
  // Index counted the first use of each; the others count too.
  const std::uint64_t more = sheet.uses_ - sheet.order_.size();
  uses_ += more;
  if (sst_) sst_->string_count += static_cast<std::uint32_t>(more);
  return indexes;
}

namespace {

// The library's XML for `ws` around the cells, which `cells` writes,
// returning the <mergeCells> element that follows them.
void StreamAroundCells(SheetPlan& plan, lxw_worksheet* ws, SharedStrings& shared_strings,
                       const std::function<void(std::string&&)>& out,
                       const std::function<std::string(SheetXml&)>& cells) {
  std::string library = LibrarySheetXml(ws);
  const std::size_t rows = plan.TitleCount() + plan.Rows().size();
  if (!plan.HasCells() || rows == 0) return out(std::move(library));
  constexpr std::string_view kDimension = "<dimension ref=\"A1\"/>";
  constexpr std::string_view kNoCells = "<sheetData/>";
  const std::size_t dimension = Find(library, kDimension);
  const std::size_t after_dimension = dimension + kDimension.size();
  const std::size_t data = Find(library, kNoCells);
  SheetXml xml(plan, shared_strings, out);
  xml.Append(std::string_view(library).substr(0, dimension));
  xml.Append("<dimension ref=\"A1:" + ColumnName(static_cast<lxw_col_t>(plan.Cols().size() - 1)) +
             std::to_string(rows) + "\"/>");
  xml.Append(std::string_view(library).substr(after_dimension, data - after_dimension));
  xml.Append("<sheetData>");
  const std::string merges = cells(xml);
  xml.Append("</sheetData>");
  xml.Append(merges);
  xml.Append(std::string_view(library).substr(data + kNoCells.size()));
  xml.Flush();
}

}  // namespace

void StreamSheetXml(SheetPlan& plan, lxw_worksheet* ws, SharedStrings& shared_strings,
                    const std::function<void(std::string&&)>& out) {
  StreamAroundCells(plan, ws, shared_strings, out, [&](SheetXml& xml) {
    const std::vector<TitleRow> titles = plan.Titles();
    const std::vector<SheetMerge> merges = plan.Merges();
    xml.Rows(titles, merges);
    return MergeCellsXml(titles, merges, plan.Cols().size());
  });
}

void WriteSheetAhead(const ReportGrid& grid, SheetAhead& ahead) {
  SheetPlan plan(grid, ahead.formats);
  ahead.status = plan.Check();
  if (!ahead.status || !plan.HasCells()) return;
  const std::vector<TitleRow> titles = plan.Titles();
  const std::vector<SheetMerge> merges = plan.Merges();
  const std::function<void(std::string &&)> keep = [&](std::string&& piece) {
    ahead.cells.push_back(std::move(piece));
  };
  SheetXml xml(plan, ahead.strings, keep, true);
  xml.Rows(titles, merges);
  xml.Flush();
  ahead.merges = MergeCellsXml(titles, merges, plan.Cols().size());
}

void StreamSheetAheadXml(const SheetAhead& ahead, SheetPlan& plan, lxw_worksheet* ws,
                         FormatPool& formats, SharedStrings& shared_strings,
                         const std::function<void(std::string&&)>& out) {
  StreamAroundCells(plan, ws, shared_strings, out, [&](SheetXml& xml) {
    // The workbook's formats for the looks recorded, made in the order the
    // sheet met them, and its strings' indexes; the formats' own indexes
    // are taken as the marks come, in the cells' order, as the cells take
    // them when written at once.
    FormatMap workbook_formats(ahead.formats.Replay(formats));
    const std::vector<std::uint32_t> strings = shared_strings.Merge(ahead.strings);
    for (const std::string& piece : ahead.cells) xml.AppendAhead(piece, strings, workbook_formats);
    return ahead.merges;
  });
}

}  // namespace grid::xlsx
