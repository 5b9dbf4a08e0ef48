// The header and data rows of the score and teacher sheets.
#include <algorithm>
#include <map>
#include <set>

#include "common/text_number.h"
#include "data/import_sheets.h"
#include "data/import_text.h"

namespace data::import {

namespace {

// A Jet table holds at most 255 fields, and 统计表 adds ten to the score
// sheet's columns; SQLite's own limit (2000) would otherwise fail in English.
constexpr std::size_t kMaxColumns = 245;
constexpr std::size_t kExamples = 5;

// Words that mark a row of totals or averages under the students.
const char* const kSummaryWords[] = {"平均",     "合计",     "总计",    "小计",   "最高分",
                                     "最低分",   "及格率",   "优秀率",  "优良率", "标准差",
                                     "参考人数", "实考人数", "人数统计"};

bool IsSummaryText(std::string_view text) {
  return std::any_of(std::begin(kSummaryWords), std::end(kSummaryWords),
                     [&](const char* word) { return text.find(word) != std::string_view::npos; });
}

std::string JoinRows(const std::vector<std::size_t>& rows) {
  std::string out;
  for (std::size_t i = 0; i < rows.size() && i < kExamples; ++i)
    out += (i ? "、" : "") + std::to_string(rows[i] + 1);
  return out + (rows.size() > kExamples ? " 等" : "");
}

bool InColumns(const CellRange& m, const std::vector<bool>& columns) {
  for (std::size_t c = m.first_col; c <= m.last_col && c < columns.size(); ++c)
    if (columns[c]) return true;
  return false;
}

// Every cell of a merged area below the header takes the area's value, as
// the user sees it; the area must not reach into a column of `refused`
// (score columns: a score is one student's).
void FillMerges(Sheet& sheet, const SheetTable& table, const std::vector<bool>& refused) {
  for (const CellRange& m : sheet.merges()) {
    if (m.last_row <= table.header_row) continue;
    if (m.first_row <= table.header_row)
      throw ImportError(table.WhereRow(table.header_row) + "是表头，它的单元格 " +
                        ColumnLetters(m.first_col) + std::to_string(m.first_row + 1) +
                        " 与下面的行合并了。表头只能有一行，请取消合并，删去多余的表头行再导入。");
    if (InColumns(m, refused))
      throw ImportError(table.Where(m.first_row, m.first_col) + "开始的合并区域（到 " +
                        ColumnLetters(m.last_col) + std::to_string(m.last_row + 1) +
                        "）包含成绩。每个成绩单元格只能是一个学生的，请取消合并再导入。");
    for (std::size_t r = m.first_row; r <= m.last_row && r < sheet.rows(); ++r)
      for (std::size_t c = m.first_col; c <= m.last_col && c < sheet.cols(); ++c)
        if (r != m.first_row || c != m.first_col) sheet.CopyCell(m.first_row, m.first_col, r, c);
  }
}

}  // namespace

void ReadHeaderNames(SheetTable& table) {
  const Sheet& sheet = *table.sheet;
  std::vector<std::string> names(sheet.cols());
  for (std::size_t c = 0; c < sheet.cols(); ++c) names[c] = CellText(sheet, table.header_row, c);
  // Unnamed columns on the right without data are nothing (a wider title).
  auto has_data = [&](std::size_t c) {
    for (std::size_t r = table.header_row + 1; r < sheet.rows(); ++r)
      if (!CellText(sheet, r, c).empty()) return true;
    return false;
  };
  while (!names.empty() && names.back().empty() && !has_data(names.size() - 1)) names.pop_back();
  if (names.size() > kMaxColumns)
    throw ImportError("工作表 " + sheet.name() + " 有 " + std::to_string(names.size()) +
                      " 列，最多只能有 " + std::to_string(kMaxColumns) +
                      " 列。请删去多余的列再导入。");
  std::map<std::string, std::size_t> seen;
  for (std::size_t c = 0; c < names.size(); ++c) {
    const std::string& name = names[c];
    if (name.empty())
      throw ImportError(table.WhereRow(table.header_row) + "（表头）的 " + ColumnLetters(c) +
                        " 列没有列名。表头的每一列都要有列名。");
    if (name.find_first_of("[]`!.") != std::string::npos)
      throw ImportError("工作表 " + sheet.name() + " 的列名“" + name +
                        "”含有不能用于列名的字符（[ ] ` ! .）。");
    auto [it, fresh] = seen.emplace(name, c);
    if (!fresh)
      throw ImportError("工作表 " + sheet.name() + " 的列名“" + name + "”重复了（" +
                        ColumnLetters(it->second) + " 列和 " + ColumnLetters(c) + " 列）。");
  }
  table.columns = std::move(names);
}

void RefuseUnreadableCells(const SheetTable& table) {
  const Sheet& sheet = *table.sheet;
  auto check = [&](std::size_t r) {
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      const CellValue v = sheet.At(r, c);
      if (v.notes & kNoResult)
        throw ImportError(table.Where(r, c) +
                          "的公式没有保存计算结果。请用电子表格程序（WPS、Excel 或 "
                          "LibreOffice）打开这个文件，保存后再导入。");
      if (v.notes & kErrorValue)
        throw ImportError(table.Where(r, c) + "是错误值 " + std::string(v.text) +
                          "。请在电子表格程序中改正这个公式或数据后再导入。");
    }
  };
  check(table.header_row);
  for (std::size_t r : table.rows) check(r);
}

}  // namespace data::import

namespace data::import {

void RefuseTwoRowHeader(const SheetTable& table, const LinesTable& lines) {
  const Sheet& sheet = *table.sheet;
  const std::size_t below = table.header_row + 1;
  for (std::size_t c = 0; c < sheet.cols(); ++c) {
    const std::string text = CellText(sheet, below, c);
    if (std::find(lines.subjects.begin(), lines.subjects.end(), text) == lines.subjects.end())
      continue;
    if (CellText(sheet, table.header_row, c) == text) continue;
    throw ImportError(
        "工作表 " + sheet.name() + " 的第 " + std::to_string(table.header_row + 1) + " 行和第 " +
        std::to_string(below + 1) + " 行是两行表头（科目名“" + text + "”在第 " +
        std::to_string(below + 1) + " 行）。表头只能有一行：请把科目名移到第 " +
        std::to_string(table.header_row + 1) + " 行的对应列，取消合并，删去多余的表头行再导入。");
  }
}

namespace {

// Titles above the header, blank rows, and summary rows (平均分, 合计, ...
// in 学校/班级/姓名 with no 学号) are skipped; the rest are students.
void ClassifyScoreRows(const Sheet& sheet, SheetTable& table, ImportNotes& notes) {
  for (std::size_t r = 0; r < table.header_row; ++r) {
    for (std::size_t c = 0; c < sheet.cols(); ++c) {
      const std::string text = CellText(sheet, r, c);
      if (text.empty()) continue;
      notes.titles.push_back(text);
      break;
    }
  }
  const std::size_t id = table.Column("学号");
  const std::size_t names[] = {table.Column("学校"), table.Column("班级"), table.Column("姓名")};
  for (std::size_t r = table.header_row + 1; r < sheet.rows(); ++r) {
    if (RowIsBlank(sheet, r)) {
      ++notes.blank_rows;
      continue;
    }
    const std::string id_text = CellText(sheet, r, id);
    std::string label;
    for (std::size_t c : names)
      if (label.empty() && IsSummaryText(CellText(sheet, r, c))) label = CellText(sheet, r, c);
    if (!label.empty() && (id_text.empty() || IsSummaryText(id_text))) {
      notes.summary_rows.push_back(sheet.name() + " 第 " + std::to_string(r + 1) + " 行（" + label +
                                   "）");
      continue;
    }
    table.rows.push_back(r);
  }
  if (table.rows.empty())
    throw ImportError("工作表 " + sheet.name() + " 只有标题行，没有学生成绩。");
}

void RefuseMissingSchoolOrClass(const SheetTable& table, const char* what) {
  std::vector<std::size_t> missing;
  for (std::size_t r : table.rows)
    if (CellText(*table.sheet, r, table.Column("学校")).empty() ||
        CellText(*table.sheet, r, table.Column("班级")).empty())
      missing.push_back(r);
  if (!missing.empty())
    throw ImportError("工作表 " + table.sheet->name() + " 第 " + JoinRows(missing) +
                      " 行的学校或班级是空的。" + what +
                      "都要填学校和班级（合并的单元格可以），请补上后再导入。");
}

void CheckScore(const SheetTable& table, std::size_t r, std::size_t c, int full_mark,
                ImportNotes& notes) {
  const CellValue v = table.sheet->At(r, c);
  std::optional<double> score;
  if (v.kind == CellKind::kNumber) {
    if (v.notes & kDateFormat)
      throw ImportError(table.Where(r, c) + "（" + table.columns[c] +
                        "）是日期格式，不是成绩。请把这一列的单元格格式改为“常规”或“数值”，"
                        "核对成绩后再导入。");
    if (v.notes & kPercentFormat)
      throw ImportError(table.Where(r, c) + "（" + table.columns[c] +
                        "）是百分比格式，成绩应是分数。请把单元格格式改为“常规”或“数值”，"
                        "核对成绩后再导入。");
    score = v.number;
  } else if (v.kind == CellKind::kText && !IsBlankText(v.text)) {
    score = NumberInText(v.text);
    if (!score)
      throw ImportError(table.Where(r, c) + "的成绩“" + std::string(v.text) +
                        "”不是数值。缺考请留空，成绩只填数字。");
  }
  if (score && (*score < 0 || *score > full_mark)) {
    if (notes.out_of_range++ < kExamples)
      notes.out_of_range_cells.push_back(ColumnLetters(c) + std::to_string(r + 1) + "（" +
                                         table.columns[c] + " " + common::TextOfDouble(*score) +
                                         "）");
  }
}

}  // namespace

void ReadScoreRows(Sheet& sheet, SheetTable& table, const LinesTable& lines, ImportNotes& notes) {
  std::vector<bool> subject_column(table.columns.size(), false);
  for (const std::string& subject : lines.subjects) {
    const std::size_t c = table.Column(subject);
    if (c == table.columns.size())
      throw ImportError("三线表中的科目“" + subject + "”在工作表 " + sheet.name() +
                        "（成绩）中没有对应的列。");
    subject_column[c] = true;
  }
  FillMerges(sheet, table, subject_column);
  ClassifyScoreRows(sheet, table, notes);
  RefuseUnreadableCells(table);
  RefuseMissingSchoolOrClass(table, "每个学生");
  for (std::size_t s = 0; s < lines.subjects.size(); ++s) {
    const std::size_t c = table.Column(lines.subjects[s]);
    for (std::size_t r : table.rows) CheckScore(table, r, c, lines.values[s][kFullMark], notes);
  }
  std::map<std::string, std::size_t> first_row;
  const std::size_t id = table.Column("学号");
  for (std::size_t r : table.rows) {
    const std::string text = CellText(sheet, r, id);
    if (text.empty()) continue;
    auto [it, fresh] = first_row.emplace(text, r);
    if (!fresh && notes.duplicate_ids++ < kExamples)
      notes.duplicate_id_examples.push_back(text + "（第 " + std::to_string(it->second + 1) + "、" +
                                            std::to_string(r + 1) + " 行）");
  }
}

void ReadTeacherRows(Sheet& sheet, SheetTable& table) {
  FillMerges(sheet, table, std::vector<bool>(table.columns.size(), false));
  for (std::size_t r = table.header_row + 1; r < sheet.rows(); ++r)
    if (!RowIsBlank(sheet, r)) table.rows.push_back(r);
  RefuseUnreadableCells(table);
  RefuseMissingSchoolOrClass(table, "每一行");
  std::map<std::pair<std::string, std::string>, std::size_t> first_row;
  for (std::size_t r : table.rows) {
    auto key = std::make_pair(CellText(sheet, r, table.Column("学校")),
                              CellText(sheet, r, table.Column("班级")));
    auto [it, fresh] = first_row.emplace(key, r);
    if (!fresh)
      throw ImportError("工作表 " + sheet.name() + " 第 " + std::to_string(it->second + 1) +
                        " 行和第 " + std::to_string(r + 1) + " 行是同一个班（" + key.first + " " +
                        key.second + "）。每个班只能有一行任课教师，请合并成一行再导入。");
  }
}

}  // namespace data::import
