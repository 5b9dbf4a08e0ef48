#include "data/xlsx_reader_sheet.h"

#include <algorithm>
#include <charconv>

namespace data::xlsx {

namespace {

using Kind = WorkbookError::Kind;
using Type = XmlToken::Type;

constexpr std::size_t kMaxColumns = 16384;  // XFD
constexpr std::size_t kMaxRows = 1048576;

struct CellRef {
  std::size_t row = 0;  // 0-based
  std::size_t col = 0;
};

[[noreturn]] void BadReference(std::string_view ref) {
  throw WorkbookError(Kind::kCorrupt, "单元格引用无效或超出范围（" + std::string(ref) + "）");
}

std::size_t ParseRowNumber(std::string_view digits, std::string_view ref) {
  std::size_t row = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), row);
  if (ec != std::errc() || end != digits.data() + digits.size() || row < 1 || row > kMaxRows) {
    BadReference(ref);
  }
  return row - 1;
}

CellRef ParseCellRef(std::string_view ref) {
  std::size_t i = 0;
  std::size_t col = 0;
  for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i) {
    col = col * 26 + static_cast<std::size_t>(ref[i] - 'A' + 1);
    if (col > kMaxColumns) BadReference(ref);
  }
  if (i == 0) BadReference(ref);
  return {ParseRowNumber(ref.substr(i), ref), col - 1};
}

enum class CellType { kNumber, kShared, kString, kInline, kBool, kError, kDate };

CellType ParseCellType(std::optional<std::string_view> t) {
  if (!t || *t == "n") return CellType::kNumber;
  if (*t == "s") return CellType::kShared;
  if (*t == "str") return CellType::kString;
  if (*t == "inlineStr") return CellType::kInline;
  if (*t == "b") return CellType::kBool;
  if (*t == "d") return CellType::kDate;
  return CellType::kError;
}

void AppendText(const XmlToken& token, std::string& out) {
  if (token.cdata) {
    out.append(token.text);
  } else {
    AppendXmlText(token.text, out);
  }
}

std::optional<double> ParseNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The state of the worksheet scan.
// What the scan saw inside one <c> element.
struct CellContent {
  std::string value;       // the text of <v>, or of <is><t>
  bool has_value = false;  // a <v> or <t> element with content or none
  bool has_formula = false;
};

class SheetBuilder {
 public:
  SheetBuilder(Sheet& sheet, const SheetContext& context, const ReadOptions& options)
      : sheet_(sheet), context_(context), options_(options) {}

  void Reserve(std::string_view dimension, std::uint64_t part_bytes);
  void Row(std::string_view attrs);
  void CellStart(std::string_view attrs);
  void CellEnd(CellContent& cell);
  void Merge(std::string_view ref);

 private:
  void CheckBudget(CellRef at);
  void Shared(const std::string& value);

  Sheet& sheet_;
  const SheetContext& context_;
  const ReadOptions& options_;
  std::uint8_t style_notes_ = kNoNote;
  std::size_t row_ = 0;
  bool any_row_ = false;
  std::size_t next_col_ = 0;
  CellRef cell_;
  CellType type_ = CellType::kNumber;
};

// The <dimension> is only a hint (writers get it wrong), so it reserves at
// most what the part's size could fill.
void SheetBuilder::Reserve(std::string_view ref, std::uint64_t part_bytes) {
  std::size_t colon = ref.find(':');
  if (colon == std::string_view::npos) return;
  try {
    CellRef last = ParseCellRef(ref.substr(colon + 1));
    std::uint64_t cells = static_cast<std::uint64_t>(last.row + 1) * (last.col + 1);
    // No cell takes fewer than about ten bytes of XML.
    if (cells > part_bytes / 10 || cells > options_.max_cells) return;
    sheet_.Reserve(last.row + 1, last.col + 1);
  } catch (const WorkbookError&) {
    // A bad hint is not an error.
  }
}

void SheetBuilder::Row(std::string_view attrs) {
  std::optional<std::string_view> r = FindAttr(attrs, "r");
  row_ = r ? ParseRowNumber(*r, *r) : (any_row_ ? row_ + 1 : 0);
  if (row_ >= kMaxRows) BadReference("行 " + std::to_string(row_ + 1));
  any_row_ = true;
  next_col_ = 0;
}

void SheetBuilder::CellStart(std::string_view attrs) {
  // The three attributes in one pass, each its first occurrence as FindAttr
  // would give it.
  std::optional<std::string_view> r, t, s;
  ForEachAttr(attrs, [&](std::string_view name, std::string_view value) {
    std::optional<std::string_view>* slot = name == "r"   ? &r
                                            : name == "t" ? &t
                                            : name == "s" ? &s
                                                          : nullptr;
    if (slot && !*slot) *slot = value;
    return r && t && s;
  });
  if (!any_row_) Row({});
  if (r) {
    cell_ = ParseCellRef(*r);
  } else {
    if (next_col_ >= kMaxColumns) BadReference("列 " + std::to_string(next_col_ + 1));
    cell_ = {row_, next_col_};
  }
  next_col_ = cell_.col + 1;
  type_ = ParseCellType(t);
  style_notes_ = kNoNote;
  if (s) {
    std::size_t index = 0;
    auto [end, ec] = std::from_chars(s->data(), s->data() + s->size(), index);
    if (ec == std::errc() && index < context_.style_notes.size())
      style_notes_ = context_.style_notes[index];
  }
}

void SheetBuilder::Merge(std::string_view ref) {
  const std::size_t colon = ref.find(':');
  if (colon == std::string_view::npos) return;
  const CellRef first = ParseCellRef(ref.substr(0, colon));
  const CellRef last = ParseCellRef(ref.substr(colon + 1));
  sheet_.AddMerge({first.row, last.row, first.col, last.col});
}

void SheetBuilder::CheckBudget(CellRef at) {
  sheet_.CheckGrowth(at.row, at.col, options_.max_cells);
}

void SheetBuilder::Shared(const std::string& value) {
  std::optional<double> index = ParseNumber(value);
  if (!index || *index < 0 || *index >= context_.sst_count ||
      *index != static_cast<std::uint32_t>(*index)) {
    throw WorkbookError(Kind::kCorrupt, "共享字符串索引超出范围（" + ColumnLetters(cell_.col) +
                                            std::to_string(cell_.row + 1) + "：" + value + "）");
  }
  auto sst_index = static_cast<std::uint32_t>(*index);
  // An empty string reads as an empty cell, as it does from an .xls.
  if (sheet_.strings().Get(sst_index).empty()) return;
  CheckBudget(cell_);
  sheet_.SetTextIndex(cell_.row, cell_.col, sst_index);
}

void SheetBuilder::CellEnd(CellContent& cell) {
  std::string& value = cell.value;
  // A formula written without its result (by a program that does not
  // calculate) leaves <v> out or empty; only a string result may be "".
  const bool string_result = type_ == CellType::kString && cell.has_value;
  if (cell.has_formula && value.empty() && !string_result) {
    CheckBudget(cell_);
    sheet_.AddNotes(cell_.row, cell_.col, kNoResult);
    return;
  }
  if (!cell.has_value) return;
  std::optional<double> number;
  std::uint8_t notes = kNoNote;
  switch (type_) {
    case CellType::kShared:
      Shared(value);
      return;
    case CellType::kBool:
      number = value == "1" || value == "true" ? 1.0 : 0.0;
      break;
    case CellType::kNumber:
      number = ParseNumber(value);
      notes = style_notes_;
      break;
    case CellType::kDate:
      number = SerialFromDateText(value, false);
      notes = kDateFormat;
      break;
    case CellType::kString:
    case CellType::kInline:
      DecodeOoxmlEscapes(value);
      break;
    case CellType::kError:
      notes = kErrorValue;
      break;
  }
  if (!number && value.empty()) return;
  CheckBudget(cell_);
  if (number) {
    sheet_.SetNumber(cell_.row, cell_.col, *number);
  } else {
    sheet_.SetText(cell_.row, cell_.col, value);
  }
  sheet_.AddNotes(cell_.row, cell_.col, notes);
}

// The usual content of a cell, "<v>…</v></c>" or "<is><t>…</t></is></c>",
// taken at once when it is all in memory, as the tokens of it would fill
// `cell`; false, nothing consumed, for anything else (a formula, rich text,
// CDATA, a comment, white space between the tags), left to the tokens.
bool ReadPlainCell(XmlScanner& scanner, CellContent& cell) {
  static constexpr std::string_view kForms[][2] = {{"<v>", "</v></c>"},
                                                   {"<is><t>", "</t></is></c>"}};
  const std::string_view rest = scanner.Buffered(32);
  for (const auto& [open, close] : kForms) {
    if (!rest.starts_with(open)) continue;
    const std::size_t lt = rest.find('<', open.size());
    if (lt == std::string_view::npos || rest.substr(lt, close.size()) != close) return false;
    AppendXmlText(rest.substr(open.size(), lt - open.size()), cell.value);
    cell.has_value = true;
    scanner.Skip(lt + close.size());
    return true;
  }
  return false;
}

// The attributes of a cell's start tag "<c …>" at the scanner's position,
// the tag consumed, when it is wholly in memory, not self-closing, and no
// '>' can hide in its values (no single quotes, the double ones paired):
// then its first '>' ends it, as the tokens would find. nullopt, nothing
// consumed, for anything else.
std::optional<std::string_view> PlainCellTag(XmlScanner& scanner) {
  const std::string_view rest = scanner.Buffered(64);
  if (rest.size() < 3 || rest[0] != '<' || rest[1] != 'c' || (rest[2] != ' ' && rest[2] != '>'))
    return std::nullopt;
  const std::size_t gt = rest.find('>', 2);
  if (gt == std::string_view::npos || rest[gt - 1] == '/') return std::nullopt;
  // Counted without a branch, so that the loop runs many bytes a step.
  std::size_t quotes = 0, apostrophes = 0;
  for (std::size_t i = 2; i < gt; ++i) {
    quotes += rest[i] == '"';
    apostrophes += rest[i] == '\'';
  }
  if (apostrophes != 0 || quotes % 2 != 0) return std::nullopt;
  scanner.Skip(gt + 1);
  return rest.substr(2, gt - 2);
}

}  // namespace

std::uint32_t ReadSharedStrings(ByteSource source, StringPool& pool) {
  XmlScanner scanner(std::move(source));
  std::uint32_t count = 0;
  std::string text;
  bool in_t = false, complete = false;
  int phonetic_depth = 0;
  for (XmlToken tok = scanner.Next(); tok.type != Type::kEndOfPart; tok = scanner.Next()) {
    if (tok.type == Type::kText) {
      if (in_t) AppendText(tok, text);
    } else if (tok.name == "sst") {
      complete = tok.type == Type::kEnd || tok.self_closing;
    } else if (tok.name == "si") {
      if (tok.type == Type::kStart) {
        text.clear();
        phonetic_depth = 0;
      }
      if (tok.type == Type::kEnd || tok.self_closing) {
        DecodeOoxmlEscapes(text);
        pool.Add(text);
        ++count;
      }
    } else if (tok.name == "rPh" && !tok.self_closing) {
      phonetic_depth += tok.type == Type::kStart ? 1 : -1;
    } else if (tok.name == "t" && !tok.self_closing) {
      in_t = tok.type == Type::kStart && phonetic_depth == 0;
    }
  }
  if (!complete) throw XmlError("共享字符串不完整");
  return count;
}

void ReadSheetXml(ByteSource source, std::uint64_t part_bytes, const SheetContext& context,
                  const ReadOptions& options, Sheet& sheet) {
  XmlScanner scanner(std::move(source));
  SheetBuilder builder(sheet, context, options);
  CellContent cell;
  bool in_cell = false, in_value = false, complete = false;
  int phonetic_depth = 0;
  // A cell's start tag, and its content too when that is plain.
  const auto start_cell = [&](std::string_view attrs, bool self_closing) {
    builder.CellStart(attrs);
    cell.value.clear();  // keeps its capacity: a million cells, no allocation each
    cell.has_value = cell.has_formula = false;
    // A <v> left open by the cell before (malformed XML) must not take this
    // cell's text: whether it would depended on where the buffer broke.
    in_value = false;
    phonetic_depth = 0;
    in_cell = !self_closing && !ReadPlainCell(scanner, cell);
    if (!in_cell) builder.CellEnd(cell);
  };
  for (;;) {
    if (const std::optional<std::string_view> attrs = PlainCellTag(scanner)) {
      start_cell(*attrs, false);
      continue;
    }
    const XmlToken tok = scanner.Next();
    if (tok.type == Type::kEndOfPart) break;
    if (tok.type == Type::kText) {
      if (in_value) AppendText(tok, cell.value);
      continue;
    }
    bool start = tok.type == Type::kStart;
    complete = complete || (tok.name == "sheetData" && (!start || tok.self_closing));
    if (tok.name == "c") {
      if (start) {
        start_cell(tok.attrs, tok.self_closing);
      } else {
        in_cell = false;
        builder.CellEnd(cell);
      }
    } else if (!in_cell) {
      if (start && tok.name == "row") builder.Row(tok.attrs);
      if (start && tok.name == "dimension") {
        builder.Reserve(FindAttr(tok.attrs, "ref").value_or(""), part_bytes);
      }
      if (start && tok.name == "mergeCell") builder.Merge(FindAttr(tok.attrs, "ref").value_or(""));
    } else if (tok.name == "f" && start) {
      cell.has_formula = true;
    } else if (tok.name == "rPh" && !tok.self_closing) {
      phonetic_depth += start ? 1 : -1;
    } else if ((tok.name == "v" || tok.name == "t") && !tok.self_closing) {
      in_value = start && phonetic_depth == 0;
      cell.has_value = cell.has_value || in_value;
    }
  }
  if (!complete) throw XmlError("工作表不完整");
  sheet.Trim();
}

}  // namespace data::xlsx
