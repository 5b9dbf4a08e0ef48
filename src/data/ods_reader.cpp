#include "data/ods_reader.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <vector>

#include "data/zip_archive.h"

namespace data {

namespace {

using Kind = WorkbookError::Kind;
using xlsx::FindAttr;
using xlsx::XmlScanner;
using xlsx::XmlToken;
using Type = XmlToken::Type;

constexpr std::size_t kMaxRows = 1048576;
constexpr std::size_t kMaxColumns = 16384;

std::optional<double> ParseDouble(std::string_view text) {
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A count attribute (repeated, spanned): 1 when absent or not a count.
std::size_t CountAttr(std::string_view attrs, std::string_view name) {
  std::optional<std::string_view> text = FindAttr(attrs, name);
  std::size_t count = 1;
  if (!text) return 1;
  auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), count);
  return ec == std::errc() && count > 0 ? count : 1;
}

std::string Decoded(std::optional<std::string_view> raw) {
  std::string out;
  if (raw) xlsx::AppendXmlText(*raw, out);
  return out;
}

// An ISO 8601 duration of a time value, "PT12H30M05.5S", as a fraction of a
// day.
std::optional<double> DayFraction(std::string_view text) {
  if (!text.starts_with("PT")) return std::nullopt;
  double h = 0, m = 0, s = 0;
  int used = 0;
  const std::string t(text.substr(2));
  if (std::sscanf(t.c_str(), "%lfH%lfM%lfS%n", &h, &m, &s, &used) != 3 ||
      static_cast<std::size_t>(used) != t.size())
    return std::nullopt;
  return (h * 3600 + m * 60 + s) / 86400;
}

// One cell of the row being read, kept until the row's repeat is known.
struct PendingCell {
  std::size_t col = 0, repeat = 1;
  std::size_t col_span = 1, row_span = 1;
  std::optional<double> number;
  std::string text;
  std::uint8_t notes = kNoNote;
  bool has_text = false;
};

class ContentReader {
 public:
  ContentReader(Workbook& book, const ReadOptions& options) : book_(book), options_(options) {}
  void Token(const XmlToken& tok);
  bool complete() const { return complete_; }

 private:
  void CellStart(const XmlToken& tok);
  void CellEnd();
  void RowEnd();
  void Emit(const PendingCell& cell, std::size_t row, std::uint32_t text);
  static constexpr std::uint32_t kNoText = 0xFFFFFFFF;

  Workbook& book_;
  const ReadOptions& options_;
  Sheet* sheet_ = nullptr;
  bool in_table_ = false, in_cell_ = false, complete_ = false;
  std::size_t row_ = 0, col_ = 0, row_repeat_ = 1;
  int paragraphs_ = 0, annotation_depth_ = 0;
  bool in_paragraph_ = false;
  // office:string-value gave the text; the paragraphs only show it.
  bool text_from_attr_ = false;
  PendingCell cell_;
  std::vector<PendingCell> row_cells_;
};

void ContentReader::Token(const XmlToken& tok) {
  const bool start = tok.type == Type::kStart;
  if (tok.type == Type::kText) {
    if (in_cell_ && in_paragraph_ && annotation_depth_ == 0 && !text_from_attr_)
      xlsx::AppendXmlText(tok.text, cell_.text);
    return;
  }
  if (tok.name == "spreadsheet" && !start) complete_ = true;
  if (tok.name == "table" && start) {
    in_table_ = !tok.self_closing;
    const std::string name = Decoded(FindAttr(tok.attrs, "table:name"));
    sheet_ = options_.Wants(name) ? &book_.AddSheet(name) : nullptr;
    row_ = 0;
  } else if (tok.name == "table" && !start) {
    if (sheet_ != nullptr) sheet_->Trim();
    in_table_ = false;
    sheet_ = nullptr;
  } else if (!in_table_) {
    return;
  } else if (tok.name == "table-row") {
    if (start) row_repeat_ = CountAttr(tok.attrs, "table:number-rows-repeated"), col_ = 0;
    if (!start || tok.self_closing) RowEnd();
  } else if (tok.name == "table-cell" || tok.name == "covered-table-cell") {
    if (start) CellStart(tok);
    if (!start || tok.self_closing) CellEnd();
  } else if (!in_cell_) {
    return;
  } else if (tok.name == "annotation") {
    annotation_depth_ += start ? 1 : -1;
    annotation_depth_ -= start && tok.self_closing ? 1 : 0;
  } else if (annotation_depth_ > 0) {
    return;
  } else if (text_from_attr_) {
    return;
  } else if (tok.name == "p") {
    if (start && paragraphs_++ > 0) cell_.text += '\n';
    in_paragraph_ = start && !tok.self_closing;
    cell_.has_text = true;
  } else if (start && in_paragraph_ && tok.name == "s") {
    cell_.text.append(std::min<std::size_t>(CountAttr(tok.attrs, "text:c"), 1024), ' ');
  } else if (start && in_paragraph_ && tok.name == "tab") {
    cell_.text += '\t';
  } else if (start && in_paragraph_ && tok.name == "line-break") {
    cell_.text += '\n';
  }
}

void ContentReader::CellStart(const XmlToken& tok) {
  in_cell_ = true;
  paragraphs_ = 0;
  annotation_depth_ = 0;
  in_paragraph_ = false;
  text_from_attr_ = false;
  cell_ = {};
  cell_.col = col_;
  cell_.repeat = CountAttr(tok.attrs, "table:number-columns-repeated");
  col_ += std::min(cell_.repeat, kMaxColumns + 1);
  if (tok.name == "covered-table-cell") {
    cell_.repeat = 0;  // nothing to keep: the merged area's first cell holds the value
    return;
  }
  cell_.col_span = CountAttr(tok.attrs, "table:number-columns-spanned");
  cell_.row_span = CountAttr(tok.attrs, "table:number-rows-spanned");
  const std::string type = Decoded(FindAttr(tok.attrs, "office:value-type"));
  const std::string value = Decoded(FindAttr(tok.attrs, "office:value"));
  if (type == "float" || type == "currency" || type == "percentage") {
    cell_.number = ParseDouble(value);
    if (type == "percentage") cell_.notes = kPercentFormat;
  } else if (type == "date") {
    cell_.number = SerialFromDateText(Decoded(FindAttr(tok.attrs, "office:date-value")), false);
    cell_.notes = kDateFormat;
  } else if (type == "time") {
    cell_.number = DayFraction(Decoded(FindAttr(tok.attrs, "office:time-value")));
    cell_.notes = kDateFormat;
  } else if (type == "boolean") {
    cell_.number = Decoded(FindAttr(tok.attrs, "office:boolean-value")) == "true" ? 1 : 0;
  } else if (type.empty() && FindAttr(tok.attrs, "table:formula")) {
    cell_.notes = kNoResult;
  }
  // An error result keeps its text (#DIV/0!) in the paragraph only.
  const bool error = Decoded(FindAttr(tok.attrs, "calcext:value-type")) == "error";
  if (error) cell_.notes = kErrorValue;
  if (auto string_value = FindAttr(tok.attrs, "office:string-value"); string_value && !error) {
    cell_.text = Decoded(string_value);
    cell_.has_text = true;
    text_from_attr_ = true;
  }
}

void ContentReader::CellEnd() {
  in_cell_ = false;
  in_paragraph_ = false;
  // LibreOffice writes a formula whose result is "" with an empty paragraph
  // and no value type; a formula that was never calculated has neither.
  if (cell_.notes == kNoResult && cell_.has_text) cell_.notes = kNoNote;
  const bool has_value = cell_.number || (cell_.has_text && !cell_.text.empty()) ||
                         cell_.notes != kNoNote || cell_.col_span > 1 || cell_.row_span > 1;
  if (cell_.repeat > 0 && has_value) row_cells_.push_back(std::move(cell_));
}

void ContentReader::RowEnd() {
  // A row without values (most often the million empty rows that close a
  // sheet) only moves the row counter on.
  if (sheet_ != nullptr && !row_cells_.empty()) {
    // A text repeated across cells and rows is kept once in the pool.
    std::vector<std::uint32_t> texts;
    for (const PendingCell& cell : row_cells_)
      texts.push_back(cell.number || cell.text.empty() ? kNoText
                                                       : sheet_->strings().Add(cell.text));
    for (std::size_t k = 0; k < row_repeat_; ++k)
      for (std::size_t i = 0; i < row_cells_.size(); ++i) Emit(row_cells_[i], row_ + k, texts[i]);
  }
  row_cells_.clear();
  row_ += std::min(row_repeat_, kMaxRows + 1);
}

// Every repetition of `cell` in `row`, after one check of the budget.
void ContentReader::Emit(const PendingCell& cell, std::size_t row, std::uint32_t text) {
  const std::size_t last = cell.col + cell.repeat - 1;
  if (row >= kMaxRows || last >= kMaxColumns) {
    throw WorkbookError(Kind::kTooLarge, "工作表 " + sheet_->name() + " 的单元格超出范围（第 " +
                                             std::to_string(row + 1) + " 行），拒绝读取");
  }
  sheet_->CheckGrowth(row, last, options_.max_cells);
  for (std::size_t col = cell.col; col <= last; ++col) {
    if (cell.number) {
      sheet_->SetNumber(row, col, *cell.number);
    } else if (text != kNoText) {
      sheet_->SetTextIndex(row, col, text);
    }
    sheet_->AddNotes(row, col, cell.notes);
    if (cell.col_span > 1 || cell.row_span > 1)
      sheet_->AddMerge({row, row + cell.row_span - 1, col, col + cell.col_span - 1});
  }
}

}  // namespace

Workbook ReadOds(const std::string& path, const ReadOptions& options) {
  ZipArchive zip(path, options);
  Workbook book;
  try {
    const std::optional<std::string> manifest = zip.ReadAll("META-INF/manifest.xml", kMaxSmallPart);
    if (manifest && manifest->find("encryption-data") != std::string::npos)
      ThrowForFile(Kind::kPassword,
                   "工作簿有密码保护，不能读取。请在电子表格程序中去掉密码后另存，再导入", path);
    std::optional<xlsx::ByteSource> content =
        zip.OpenReadAhead("content.xml", options.max_part_bytes);
    if (!content) ThrowForFile(Kind::kCorrupt, "工作簿已损坏（缺少 content.xml）", path);
    XmlScanner scanner(std::move(*content));
    ContentReader reader(book, options);
    for (XmlToken tok = scanner.Next(); tok.type != Type::kEndOfPart; tok = scanner.Next())
      reader.Token(tok);
    if (!reader.complete()) throw xlsx::XmlError("内容不完整");
  } catch (const xlsx::XmlError& e) {
    ThrowForFile(Kind::kCorrupt, std::string("工作簿已损坏（content.xml：") + e.what() + "）",
                 path);
  } catch (const WorkbookError& e) {
    if (std::string_view(e.what()).find(path) != std::string_view::npos) throw;
    ThrowForFile(e.kind(), e.what(), path);
  }
  return book;
}

}  // namespace data
