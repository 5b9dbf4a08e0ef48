#include "data/import_layout.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "common/text_number.h"
#include "data/import_sheets.h"
#include "data/import_text.h"

namespace data {

const char* const kMissingSheetMessage =
    "请确定电子表格中的第一个表名是否为sheet1，第二、三个表名\n"
    "是否为sheet2、sheet3，若不是请修改为此表名再导入";

const char* const kLineLabels[kLineRows] = {"满分", "优秀", "优良", "及格", "主科", "权重"};

std::size_t SheetTable::Column(std::string_view name) const {
  return static_cast<std::size_t>(std::find(columns.begin(), columns.end(), name) -
                                  columns.begin());
}

std::string SheetTable::Where(std::size_t row, std::size_t col) const {
  return (file.empty() ? "" : "文件 " + file + " 的") + "工作表 " + sheet->name() + " 的 " +
         ColumnLetters(col) + std::to_string(row + 1) + " 单元格";
}

std::string SheetTable::WhereRow(std::size_t row) const {
  return (file.empty() ? "" : "文件 " + file + " 的") + "工作表 " + sheet->name() + " 第 " +
         std::to_string(row + 1) + " 行";
}

namespace import {

std::string CellText(const Sheet& sheet, std::size_t row, std::size_t col) {
  const CellValue v = sheet.At(row, col);
  if (v.kind == CellKind::kNumber) return common::TextOfDouble(v.number);
  return std::string(TrimBlanks(v.text));
}

bool RowIsBlank(const Sheet& sheet, std::size_t row) {
  for (std::size_t c = 0; c < sheet.cols(); ++c) {
    const CellValue v = sheet.At(row, c);
    if (v.kind == CellKind::kNumber || v.notes != kNoNote) return false;
    if (v.kind == CellKind::kText && !IsBlankText(v.text)) return false;
  }
  return true;
}

namespace {

constexpr std::size_t kHeaderSearchRows = 10;

std::size_t HeaderHits(const Sheet& sheet, std::size_t row,
                       const std::vector<std::string_view>& required) {
  std::size_t hits = 0;
  for (std::string_view name : required) {
    for (std::size_t c = 0; c < sheet.cols(); ++c) {
      if (CellText(sheet, row, c) == name) {
        ++hits;
        break;
      }
    }
  }
  return hits;
}

}  // namespace

std::optional<std::size_t> FindHeaderRow(const Sheet& sheet,
                                         const std::vector<std::string_view>& required) {
  for (std::size_t r = 0; r < std::min(sheet.rows(), kHeaderSearchRows); ++r)
    if (HeaderHits(sheet, r, required) == required.size()) return r;
  return std::nullopt;
}

}  // namespace import

namespace {

using import::CellText;
using import::FindHeaderRow;

const std::vector<std::string_view> kScoreHeader = {"学校", "学号", "班级", "姓名"};
const std::vector<std::string_view> kTeacherHeader = {"学校", "班级"};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The sheets of the three roles. Sheet1, Sheet2 and Sheet3 (in any case)
// when all three are there; otherwise each by its Chinese name, then by
// what it holds. nullptr for a role no sheet plays.
struct Roles {
  Sheet* scores = nullptr;
  Sheet* teachers = nullptr;
  Sheet* lines = nullptr;
};

Sheet* Named(Workbook& book, std::initializer_list<const char*> names, const Roles& taken) {
  for (const char* name : names) {
    for (Sheet& s : book.sheets()) {
      if (&s == taken.scores || &s == taken.teachers || &s == taken.lines) continue;
      if (Lower(std::string(TrimBlanks(s.name()))) == Lower(name)) return &s;
    }
  }
  return nullptr;
}

template <typename Test>
Sheet* Holding(Workbook& book, const Roles& taken, Test test) {
  for (Sheet& s : book.sheets()) {
    if (&s == taken.scores || &s == taken.teachers || &s == taken.lines) continue;
    if (test(s)) return &s;
  }
  return nullptr;
}

Roles FindRoles(Workbook& book) {
  Roles r;
  r.scores = Named(book, {"Sheet1"}, r);
  r.teachers = Named(book, {"Sheet2"}, r);
  r.lines = Named(book, {"Sheet3"}, r);
  if (r.scores && r.teachers && r.lines) return r;
  if (!r.scores) r.scores = Named(book, {"成绩", "成绩表"}, r);
  if (!r.lines) r.lines = Named(book, {"三线表", "三线"}, r);
  if (!r.teachers) r.teachers = Named(book, {"任课教师", "教师表", "教师"}, r);
  if (!r.scores)
    r.scores = Holding(book, r, [](const Sheet& s) { return FindHeaderRow(s, kScoreHeader); });
  if (!r.lines)
    r.lines = Holding(book, r, [](const Sheet& s) { return import::LooksLikeLines(s); });
  if (!r.teachers) {
    r.teachers = Holding(book, r, [](const Sheet& s) { return FindHeaderRow(s, kTeacherHeader); });
  }
  return r;
}

[[noreturn]] void MissingSheets(const Roles& r) {
  std::string missing;
  if (!r.scores) missing += "成绩（Sheet1）";
  if (!r.teachers) missing += std::string(missing.empty() ? "" : "、") + "任课教师（Sheet2）";
  if (!r.lines) missing += std::string(missing.empty() ? "" : "、") + "三线表（Sheet3）";
  throw ImportError(std::string(kMissingSheetMessage) + "\n找不到的工作表：" + missing, "导入提示");
}

// The header row of a sheet, or a message naming the columns it lacks
// (judged on the first ten rows' best candidate).
std::size_t HeaderRowOf(const Sheet& sheet, const std::vector<std::string_view>& required) {
  if (sheet.rows() == 0 || sheet.cols() == 0)
    throw ImportError("工作表 " + sheet.name() + " 是空的，没有任何数据。");
  if (std::optional<std::size_t> row = FindHeaderRow(sheet, required)) return *row;
  std::size_t best = 0, best_hits = 0;
  for (std::size_t r = 0; r < std::min<std::size_t>(sheet.rows(), 10); ++r) {
    std::size_t hits = 0;
    for (std::string_view name : required)
      for (std::size_t c = 0; c < sheet.cols(); ++c) hits += CellText(sheet, r, c) == name;
    if (hits > best_hits) best = r, best_hits = hits;
  }
  for (std::string_view name : required) {
    bool found = false;
    for (std::size_t c = 0; c < sheet.cols(); ++c)
      found = found || CellText(sheet, best, c) == name;
    if (!found)
      throw ImportError("工作表 " + sheet.name() + " 缺少“" + std::string(name) +
                        "”列（表头应在前十行之内）。");
  }
  return best;
}

}  // namespace

CheckedWorkbook CheckWorkbook(Workbook book, const std::string& path) {
  CheckedWorkbook w;
  w.book = std::move(book);
  const Roles roles = FindRoles(w.book);
  if (!roles.scores || !roles.teachers || !roles.lines) MissingSheets(roles);
  w.lines = import::ReadLines(*roles.lines, path);
  w.scores = {roles.scores, {}, HeaderRowOf(*roles.scores, kScoreHeader), {}, {}};
  import::RefuseTwoRowHeader(w.scores, w.lines);
  import::ReadHeaderNames(w.scores);
  import::ReadScoreRows(*roles.scores, w.scores, w.lines, w.notes);
  w.teachers = {roles.teachers, {}, HeaderRowOf(*roles.teachers, kTeacherHeader), {}, {}};
  import::ReadHeaderNames(w.teachers);
  import::ReadTeacherRows(*roles.teachers, w.teachers);
  return w;
}

}  // namespace data
