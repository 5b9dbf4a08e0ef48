// The reading and checking side of the import: which sheets hold the scores,
// the teachers and the lines, where their header rows are, which rows are
// data, and whether every value can be taken safely. Nothing here touches the
// database; the import (import.cpp) writes what this side accepted.
//
// The rule: a workbook is either taken with every value as the user sees it,
// or refused with an ImportError that names the cell or row and says what to
// do. Harmless oddities (title rows, summary rows, duplicate 学号, scores out
// of range) are taken and reported in the import summary.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/workbook.h"

namespace data {

class ImportError : public std::runtime_error {
 public:
  explicit ImportError(const std::string& message, std::string caption = "导入")
      : std::runtime_error(message), caption_(std::move(caption)) {}
  const std::string& caption() const { return caption_; }

 private:
  std::string caption_;
};

// The message for sheets that cannot be found, as the program has always
// said it (caption "导入提示").
extern const char* const kMissingSheetMessage;

// One sheet as a table: its header row and its data rows.
struct SheetTable {
  const Sheet* sheet = nullptr;
  std::string file;  // the workbook, named in messages when several are imported
  std::size_t header_row = 0;
  std::vector<std::string> columns;  // the trimmed header names, one per sheet column
  std::vector<std::size_t> rows;     // the data rows, in order

  // The column named `name`, or columns.size().
  std::size_t Column(std::string_view name) const;
  // "工作表 Sheet1 的 E4 单元格" (with the file when `file` is set).
  std::string Where(std::size_t row, std::size_t col) const;
  std::string WhereRow(std::size_t row) const;
};

// The six rows of the lines sheet, in this order.
enum LineRow { kFullMark, kExcellent, kGood, kPass, kMainFlag, kWeight, kLineRows };
extern const char* const kLineLabels[kLineRows];

struct LinesTable {
  std::string label_header;  // the header of the label column
  std::vector<std::string> subjects;
  std::vector<std::array<int, kLineRows>> values;         // per subject
  std::vector<std::array<std::string, kLineRows>> cells;  // where each value is
  std::string file;
};

// What the summary reports of one workbook.
struct ImportNotes {
  std::vector<std::string> titles;        // title rows above the score header
  std::vector<std::string> summary_rows;  // "Sheet1 第 45 行（平均分）"
  std::size_t blank_rows = 0;
  std::size_t out_of_range = 0;                 // scores below 0 or above full marks
  std::vector<std::string> out_of_range_cells;  // the first of them
  std::size_t duplicate_ids = 0;                // 学号 met before in the same sheet
  std::vector<std::string> duplicate_id_examples;
};

// A workbook the import can take. Owns the workbook, whose merged areas in
// the name columns have been filled with the area's value.
struct CheckedWorkbook {
  Workbook book;
  SheetTable scores, teachers;
  LinesTable lines;
  ImportNotes notes;
};

// Finds and checks the three sheets of `book`, read from `path`. Throws
// ImportError.
CheckedWorkbook CheckWorkbook(Workbook book, const std::string& path);

}  // namespace data
