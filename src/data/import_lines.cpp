// The lines sheet (三线表): a label column, one column per subject, six rows
// of whole numbers. Rows are taken by their labels when the first column has
// them (in any order, as whole words or inside longer labels such as 优秀率%
// or 是否主科), by position otherwise.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "common/text_number.h"
#include "data/import_sheets.h"
#include "data/import_text.h"
#include "engine/statement.h"

namespace data::import {

namespace {

// A name that the statistics put into their SQL bare, so it must be a plain
// word: letters, digits, underscores and CJK characters.
bool IsPlainName(const std::string& name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
  for (unsigned char c : name)
    if (c < 0x80 && !std::isalnum(c) && c != '_') return false;
  return true;
}

// The line a label names; kLineRows when none. Throws when it names two.
int LabelOf(const Sheet& sheet, std::size_t row) {
  const std::string label = CellText(sheet, row, 0);
  int found = kLineRows;
  for (int i = 0; i < kLineRows; ++i) {
    if (label.find(kLineLabels[i]) == std::string::npos) continue;
    if (found != kLineRows)
      throw ImportError("工作表 " + sheet.name() + " 的 A" + std::to_string(row + 1) + " 单元格“" +
                        label + "”同时像“" + kLineLabels[found] + "”和“" + kLineLabels[i] +
                        "”两行的标签。请让每行的标签只写一项。");
    found = i;
  }
  return found;
}

std::size_t HeaderRow(const Sheet& sheet) {
  // Title rows above the header hold one cell (often merged across).
  for (std::size_t r = 0; r < std::min<std::size_t>(sheet.rows(), 10); ++r) {
    std::size_t filled = 0;
    for (std::size_t c = 0; c < sheet.cols(); ++c) filled += !CellText(sheet, r, c).empty();
    if (filled >= 2) return r;
  }
  return 0;
}

// The six rows of the lines, by label or by position.
std::array<std::size_t, kLineRows> LineRows(const Sheet& sheet, std::size_t header) {
  std::array<std::size_t, kLineRows> rows;
  std::array<bool, kLineRows> seen{};
  bool labelled = false;
  for (std::size_t r = header + 1; r < sheet.rows(); ++r) {
    const int line = LabelOf(sheet, r);
    if (line == kLineRows) continue;
    if (seen[line])
      throw ImportError("工作表 " + sheet.name() + "（三线表）中“" + kLineLabels[line] +
                        "”一行出现了两次（第 " + std::to_string(rows[line] + 1) + " 行和第 " +
                        std::to_string(r + 1) + " 行）。");
    seen[line] = true;
    rows[line] = r;
    labelled = true;
  }
  if (labelled) {
    for (int i = 0; i < kLineRows; ++i)
      if (!seen[i])
        throw ImportError("工作表 " + sheet.name() + "（三线表）中找不到“" + kLineLabels[i] +
                          "”一行。第一列的标签应是：满分、优秀、优良、及格、主科、权重。");
    return rows;
  }
  std::size_t n = 0;
  for (std::size_t r = header + 1; r < sheet.rows() && n < kLineRows; ++r)
    if (!RowIsBlank(sheet, r)) rows[n++] = r;
  if (n < kLineRows)
    throw ImportError("工作表 " + sheet.name() +
                      "（三线表）应有六行：满分、优秀、优良、及格、主科、权重，现在只有 " +
                      std::to_string(n) + " 行。");
  return rows;
}

std::string Where(const Sheet& sheet, std::size_t row, std::size_t col) {
  return "工作表 " + sheet.name() + " 的 " + ColumnLetters(col) + std::to_string(row + 1) +
         " 单元格";
}

// One value of the lines: a whole number; a percent-formatted cell is read
// as the percentage it shows (85 % is 85).
int LineValue(const Sheet& sheet, std::size_t row, std::size_t col, int line,
              const std::string& subject) {
  const CellValue v = sheet.At(row, col);
  const std::string what =
      Where(sheet, row, col) + "（" + subject + "的" + kLineLabels[line] + "）";
  std::optional<double> value;
  if (v.kind == CellKind::kNumber && !(v.notes & kDateFormat)) value = v.number;
  if (v.kind == CellKind::kText) value = NumberInText(v.text);
  if (line == kMainFlag && v.kind == CellKind::kText && TrimBlanks(v.text) == "是") value = 1;
  if (line == kMainFlag && v.kind == CellKind::kText && TrimBlanks(v.text) == "否") value = 0;
  if (!value) throw ImportError(what + "应是一个数。");
  const bool percent = v.notes & kPercentFormat;
  // 0.85 * 100 is 85.00000000000001: read the percentage as shown.
  if (percent) value = common::ParseWholeNumber(common::TextOfDouble(*value * 100));
  const bool is_line = line == kExcellent || line == kGood || line == kPass;
  if (line == kFullMark && *value <= 0) throw ImportError(what + "应大于 0。");
  if ((is_line || line == kWeight) && !percent && *value > 0 && *value < 1)
    throw ImportError(what + "是 " + common::TextOfDouble(*value) +
                      "。三线和权重是百分数，例如 85 表示 85%，请改为百分数再导入。");
  if (is_line && *value > 100)
    throw ImportError(what + "是 " + common::TextOfDouble(*value) +
                      "，超过了 100。三线是满分的百分数，例如 85 表示满分的 85%。");
  if (line == kMainFlag && *value != 0 && *value != 1)
    throw ImportError(what + "应是 1（主科）或 0（不是主科）。");
  if (*value != std::floor(*value) || std::fabs(*value) > 32767)
    throw ImportError(what + "是 " + common::TextOfDouble(*value) + "，应是整数。");
  return static_cast<int>(*value);
}

}  // namespace

bool LooksLikeLines(const Sheet& sheet) {
  int found = 0;
  std::array<bool, kLineRows> seen{};
  for (std::size_t r = 0; r < std::min<std::size_t>(sheet.rows(), 20); ++r) {
    const std::string label = CellText(sheet, r, 0);
    for (int i = 0; i < kLineRows; ++i)
      if (!seen[i] && label.find(kLineLabels[i]) != std::string::npos) seen[i] = true, ++found;
  }
  return found == kLineRows;
}

LinesTable ReadLines(const Sheet& sheet, const std::string& file) {
  LinesTable lines;
  lines.file = file;
  const std::size_t header = HeaderRow(sheet);
  lines.label_header = CellText(sheet, header, 0);
  for (std::size_t c = 1; c < sheet.cols(); ++c) {
    const std::string name = CellText(sheet, header, c);
    if (name.empty()) continue;
    if (!IsPlainName(name))
      throw ImportError("科目名“" + name +
                        "”只能由汉字、字母、数字和下划线组成，且不能以数字开头。");
    if (engine::IsReservedWord(name))
      throw ImportError("科目名“" + name +
                        "”是查询语言的保留字，统计时会出错。请把这个科目改名后再导入。");
    if (std::find(lines.subjects.begin(), lines.subjects.end(), name) != lines.subjects.end())
      throw ImportError("工作表 " + sheet.name() + "（三线表）中科目“" + name + "”出现了两次。");
    lines.subjects.push_back(name);
  }
  if (lines.subjects.empty())
    throw ImportError("工作表 " + sheet.name() +
                      "（三线表）中没有科目：第一列之后每列应是一个科目。");
  const std::array<std::size_t, kLineRows> rows = LineRows(sheet, header);
  for (std::size_t c = 1, s = 0; c < sheet.cols(); ++c) {
    if (CellText(sheet, header, c).empty()) continue;
    std::array<int, kLineRows> values{};
    std::array<std::string, kLineRows> cells;
    for (int i = 0; i < kLineRows; ++i) {
      values[i] = LineValue(sheet, rows[i], c, i, lines.subjects[s]);
      cells[i] = ColumnLetters(c) + std::to_string(rows[i] + 1);
    }
    lines.values.push_back(values);
    lines.cells.push_back(cells);
    ++s;
  }
  return lines;
}

}  // namespace data::import
