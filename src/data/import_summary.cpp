#include "data/import_summary.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "common/text_number.h"
#include "data/import_sheets.h"

namespace data {

namespace {

using import::CellText;

std::string Join(const std::vector<std::string>& items, std::size_t limit = 5) {
  std::string out;
  for (std::size_t i = 0; i < items.size() && i < limit; ++i) out += (i ? "、" : "") + items[i];
  return out + (items.size() > limit ? " 等" : "");
}

std::string FileOf(const CheckedWorkbook& b) {
  return b.lines.file;
}

void CheckSameSubjects(const CheckedWorkbook& first, const CheckedWorkbook& other) {
  const auto& a = first.lines.subjects;
  const auto& b = other.lines.subjects;
  for (const std::string& s : a)
    if (std::find(b.begin(), b.end(), s) == b.end())
      throw ImportError("文件 " + FileOf(other) + " 的三线表中没有科目“" + s + "”（文件 " +
                        FileOf(first) + " 中有）。合并导入的各文件科目必须相同。");
  for (const std::string& s : b)
    if (std::find(a.begin(), a.end(), s) == a.end())
      throw ImportError("文件 " + FileOf(other) + " 的三线表中多了科目“" + s + "”（文件 " +
                        FileOf(first) + " 中没有）。合并导入的各文件科目必须相同。");
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::size_t j = static_cast<std::size_t>(std::find(b.begin(), b.end(), a[i]) - b.begin());
    for (int line = 0; line < kLineRows; ++line) {
      if (first.lines.values[i][line] == other.lines.values[j][line]) continue;
      throw ImportError(
          "三线表不同：文件 " + FileOf(first) + " 的 " + first.lines.cells[i][line] + " 单元格（" +
          a[i] + "的" + kLineLabels[line] + "）是 " + std::to_string(first.lines.values[i][line]) +
          "，文件 " + FileOf(other) + " 的 " + other.lines.cells[j][line] + " 单元格是 " +
          std::to_string(other.lines.values[j][line]) + "。合并导入的各文件三线表必须相同。");
    }
  }
}

// A key (学号, or 学校 + 班级) must not be in two of the workbooks.
template <typename Key>
void CheckAcrossFiles(const std::vector<CheckedWorkbook>& books,
                      const SheetTable CheckedWorkbook::*table, Key key, const char* what) {
  // One workbook has nothing to clash with (a million keys are not sorted for nothing).
  if (books.size() < 2) return;
  std::map<std::string, std::size_t> owner;
  for (std::size_t f = 0; f < books.size(); ++f) {
    const SheetTable& t = books[f].*table;
    std::set<std::string> own;
    for (std::size_t r : t.rows) {
      const std::string k = key(t, r);
      if (k.empty() || !own.insert(k).second) continue;
      auto [it, fresh] = owner.emplace(k, f);
      if (!fresh)
        throw ImportError(std::string(what) + " " + k + " 在文件 " + FileOf(books[it->second]) +
                          " 和文件 " + FileOf(books[f]) + "（" + t.WhereRow(r) +
                          "）中都有。合并导入的各文件不能有相同的" + what + "。");
    }
  }
}

}  // namespace

void CheckSameExam(const std::vector<CheckedWorkbook>& books) {
  for (std::size_t i = 1; i < books.size(); ++i) CheckSameSubjects(books[0], books[i]);
  CheckAcrossFiles(
      books, &CheckedWorkbook::scores,
      [](const SheetTable& t, std::size_t r) { return CellText(*t.sheet, r, t.Column("学号")); },
      "学号");
  CheckAcrossFiles(
      books, &CheckedWorkbook::teachers,
      [](const SheetTable& t, std::size_t r) {
        return CellText(*t.sheet, r, t.Column("学校")) + " " +
               CellText(*t.sheet, r, t.Column("班级"));
      },
      "班级");
}

namespace {

std::string CountsLine(const std::vector<CheckedWorkbook>& books) {
  std::size_t students = 0;
  std::set<std::string> schools;
  std::set<std::pair<std::string, std::string>> classes;
  for (const CheckedWorkbook& b : books) {
    const SheetTable& t = b.scores;
    students += t.rows.size();
    const std::size_t school_column = t.Column("学校"), class_column = t.Column("班级");
    std::optional<std::pair<std::string, std::string>> previous;
    for (std::size_t r : t.rows) {
      std::pair<std::string, std::string> school_class(CellText(*t.sheet, r, school_column),
                                                       CellText(*t.sheet, r, class_column));
      // A class's students mostly come one after another.
      if (previous == school_class) continue;
      schools.insert(school_class.first);
      classes.insert(school_class);
      previous = std::move(school_class);
    }
  }
  const auto& subjects = books[0].lines.subjects;
  return "学生 " + std::to_string(students) + " 人，学校 " + std::to_string(schools.size()) +
         " 所，班级 " + std::to_string(classes.size()) + " 个，科目 " +
         std::to_string(subjects.size()) + " 门（" + Join(subjects, subjects.size()) + "）。";
}

std::string SkippedLine(const std::vector<CheckedWorkbook>& books) {
  std::vector<std::string> titles, summaries;
  std::size_t blank = 0;
  for (const CheckedWorkbook& b : books) {
    titles.insert(titles.end(), b.notes.titles.begin(), b.notes.titles.end());
    summaries.insert(summaries.end(), b.notes.summary_rows.begin(), b.notes.summary_rows.end());
    blank += b.notes.blank_rows;
  }
  std::vector<std::string> parts;
  if (!titles.empty())
    parts.push_back("标题 " + std::to_string(titles.size()) + " 行（“" + titles[0] + "”）");
  if (!summaries.empty())
    parts.push_back("汇总 " + std::to_string(summaries.size()) + " 行：" + Join(summaries));
  if (blank > 0) parts.push_back("空行 " + std::to_string(blank) + " 行");
  if (parts.empty()) return {};
  std::string line = "跳过的行：";
  for (std::size_t i = 0; i < parts.size(); ++i) line += (i ? "；" : "") + parts[i];
  return line + "。\n";
}

std::string WarningLines(const std::vector<CheckedWorkbook>& books) {
  std::string out;
  for (const CheckedWorkbook& b : books) {
    const std::string where = (b.lines.file.empty() ? "" : "文件 " + b.lines.file + " ") +
                              "工作表 " + b.scores.sheet->name();
    if (b.notes.duplicate_ids > 0)
      out += "注意：" + where + " 中有 " + std::to_string(b.notes.duplicate_ids) +
             " 个学号与前面的重复：" + Join(b.notes.duplicate_id_examples) + "。\n";
    if (b.notes.out_of_range > 0)
      out += "注意：" + where + " 中有 " + std::to_string(b.notes.out_of_range) +
             " 个成绩低于 0 或高于满分（已照原样导入）：" + Join(b.notes.out_of_range_cells) +
             "。\n";
  }
  return out;
}

std::string LinesLines(const LinesTable& lines, bool lines_scaled) {
  if (lines_scaled) return {};
  std::string out;
  for (std::size_t i = 0; i < lines.subjects.size(); ++i) {
    const int full = lines.values[i][kFullMark];
    const int pct = lines.values[i][kExcellent];
    if (full == 100) continue;
    out += lines.subjects[i] + "满分" + std::to_string(full) + "：各班单科统计以" +
           std::to_string(pct) + "分为优秀线，统计表以" +
           common::TextOfDouble(static_cast<double>(full) * pct / 100) +
           "分为优秀线；如需一致，请在分数段设置中选择\"三线按满分折算\"\n";
  }
  return out;
}

}  // namespace

std::string ImportSummary(const std::vector<CheckedWorkbook>& books, bool lines_scaled) {
  std::string out = CountsLine(books) + "\n";
  if (books.size() > 1) {
    std::vector<std::string> files;
    files.reserve(books.size());
    for (const CheckedWorkbook& b : books)
      files.push_back(b.lines.file + " " + std::to_string(b.scores.rows.size()) + " 人");
    out +=
        "合并了 " + std::to_string(books.size()) + " 个文件：" + Join(files, files.size()) + "。\n";
  }
  out += SkippedLine(books) + WarningLines(books) + LinesLines(books[0].lines, lines_scaled);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace data
