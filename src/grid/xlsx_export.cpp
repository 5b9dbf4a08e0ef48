#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "grid/export.h"
#include "grid/xlsx_sheet.h"
#include "grid/xlsx_stream.h"
#include "grid/zip_pack.h"

namespace grid {
namespace {

using xlsx::FormatPool;
using xlsx::SheetCell;

// A sheet through the library's cell table, in the order its cells, merges
// and formats have always been given to it.
class XlsxWriter {
 public:
  XlsxWriter(const ReportGrid& grid, FormatPool& formats, lxw_worksheet* ws)
      : plan_(grid, formats), ws_(ws) {}

  Status Write() {
    if (!plan_.HasCells()) return Status::Ok();
    if (Status fits = plan_.Check(); !fits) return fits;
    WriteTitles();
    plan_.SetColumns(ws_);
    WriteCells();
    WriteMerges();
    plan_.SetPageSetup(ws_);
    return Status::Ok();
  }

 private:
  void WriteTitles() {
    lxw_row_t row = 0;
    for (const xlsx::TitleRow& title : plan_.Titles()) {
      worksheet_set_row(ws_, row, title.height, nullptr);
      for (const xlsx::TitlePart& part : title.parts) {
        if (part.first == part.last)
          worksheet_write_string(ws_, row, part.first, part.text.c_str(), part.format);
        else
          worksheet_merge_range(ws_, row, part.first, row, part.last, part.text.c_str(),
                                part.format);
      }
      ++row;
    }
  }

  void WriteCells() {
    const std::vector<int>& rows = plan_.Rows();
    const std::vector<int>& cols = plan_.Cols();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const int r = rows[i];
      const lxw_row_t row = plan_.TitleCount() + static_cast<lxw_row_t>(i);
      if (const auto options = plan_.RowOptions(r)) {
        lxw_row_col_options opts{};
        opts.hidden = options->second ? 1 : 0;
        worksheet_set_row_opt(ws_, row, options->first, nullptr, &opts);
      }
      for (std::size_t j = 0; j < cols.size(); ++j)
        WriteCell(r, cols[j], row, static_cast<lxw_col_t>(j));
    }
  }

  void WriteCell(int r, int c, lxw_row_t row, lxw_col_t col) {
    const SheetCell cell = plan_.Cell(r, c);
    lxw_format* f = plan_.CellFormat(r, c, cell.kind == SheetCell::Kind::kNumber);
    if (cell.kind == SheetCell::Kind::kNumber)
      worksheet_write_number(ws_, row, col, cell.number, f);
    else if (cell.kind == SheetCell::Kind::kBlank)
      worksheet_write_blank(ws_, row, col, f);
    else
      worksheet_write_string(ws_, row, col, std::string(cell.text).c_str(), f);
  }

  void WriteMerges() {
    for (const xlsx::SheetMerge& m : plan_.Merges()) {
      worksheet_merge_range(ws_, m.first_row, m.first_col, m.last_row, m.last_col, "", m.format);
      // merge_range wrote the anchor as an empty text; write its value again.
      WriteCell(m.anchor_row, m.anchor_col, m.first_row, m.first_col);
    }
  }

  xlsx::SheetPlan plan_;
  lxw_worksheet* ws_;
};

Status InsertPicture(lxw_worksheet* ws, std::string_view png) {
  // The library copies the bytes; it reads the picture's size from them.
  const lxw_error e = worksheet_insert_image_buffer(
      ws, 1, 1, reinterpret_cast<const unsigned char*>(png.data()), png.size());
  if (e != LXW_NO_ERROR) return Status::Error(std::string("无法插入图片：") + lxw_strerror(e));
  return Status::Ok();
}

}  // namespace

PreparedSheet::PreparedSheet(const ReportGrid& grid)
    : written_(std::make_unique<xlsx::SheetAhead>()) {
  xlsx::WriteSheetAhead(grid, *written_);
}

PreparedSheet::~PreparedSheet() = default;

std::size_t PreparedSheet::Bytes() const {
  std::size_t bytes = written_->merges.size();
  for (const std::string& piece : written_->cells) bytes += piece.capacity();
  return bytes;
}

Status ExportToExcel(const ReportGrid& grid, const std::string& path) {
  return ExportBookToExcel({{"Sheet1", &grid}}, path);
}

Status ExportBookToExcel(const std::vector<NamedGrid>& sheets, const std::string& path) {
  ExcelBookWriter book(path, SheetWriting::kStreamed);
  for (const NamedGrid& sheet : sheets)
    if (Status added = book.Add(sheet); !added) break;
  return book.Close();
}

struct ExcelBookWriter::Book {
  std::string path;
  lxw_workbook* wb = nullptr;
  std::unique_ptr<FormatPool> formats;
  std::set<std::string> used;
  Status status = Status::Ok();
  // Streamed: the library writes its workbook with empty sheets here, and
  // the packer takes the sheets we write and its other members.
  std::string library_path;
  std::unique_ptr<xlsx::ZipPacker> packer;
  std::unique_ptr<xlsx::SharedStrings> strings;
  int worksheets = 0;

  Status StreamSheet(lxw_worksheet* ws, const ReportGrid& grid, const PreparedSheet* prepared) {
    xlsx::SheetPlan plan(grid, *formats);
    if (Status fits = plan.Check(); !fits) return fits;
    if (plan.HasCells()) {
      plan.SetColumns(ws);
      plan.SetPageSetup(ws);
    }
    // The library selects the first sheet when it closes the workbook.
    if (worksheets == 1) worksheet_select(ws);
    packer->Begin("xl/worksheets/sheet" + std::to_string(worksheets) + ".xml");
    const std::function<void(std::string &&)> out = [&](std::string&& piece) {
      packer->Add(std::move(piece));
    };
    if (prepared)
      xlsx::StreamSheetAheadXml(prepared->written(), plan, ws, *formats, *strings, out);
    else
      xlsx::StreamSheetXml(plan, ws, *strings, out);
    packer->End();
    return Status::Ok();
  }

  void RemoveLibraryFile() {
    if (!library_path.empty()) std::remove(library_path.c_str());
    library_path.clear();
  }
};

ExcelBookWriter::ExcelBookWriter(const std::string& path, SheetWriting writing)
    : book_(std::make_unique<Book>()) {
  Book& b = *book_;
  b.path = path;
  // The library reports an unwritable path only when closing, and then on
  // stderr; find out first.
  if (!std::ofstream(path, std::ios::binary | std::ios::trunc)) {
    b.status = Status::Error("无法写入文件：" + path);
    return;
  }
  std::string library_path = path;
  if (writing == SheetWriting::kStreamed) {
    std::string name = path + ".XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) {
      b.status = Status::Error("无法写入文件：" + name);
      return;
    }
    ::close(fd);
    library_path = b.library_path = name;
    b.packer = std::make_unique<xlsx::ZipPacker>(path);
  }
  b.wb = workbook_new(library_path.c_str());
  if (!b.wb) {
    b.status = Status::Error("无法创建 Excel 文件：" + path);
    return;
  }
  b.formats = std::make_unique<FormatPool>(b.wb);
  if (b.packer) b.strings = std::make_unique<xlsx::SharedStrings>(b.wb->sst);
}

ExcelBookWriter::~ExcelBookWriter() {
  if (book_->wb) workbook_close(book_->wb);
  book_->packer.reset();
  book_->RemoveLibraryFile();
}

Status ExcelBookWriter::Add(const NamedGrid& sheet) {
  Book& b = *book_;
  if (!b.status) return b.status;
  try {
    const std::string name = xlsx::UniqueSheetName(sheet.name, b.used);
    lxw_worksheet* ws = workbook_add_worksheet(b.wb, name.c_str());
    ++b.worksheets;
    if (sheet.grid == nullptr)
      b.status = InsertPicture(ws, sheet.png);
    else if (b.packer)
      b.status = b.StreamSheet(ws, *sheet.grid, sheet.prepared);
    else
      b.status = XlsxWriter(*sheet.grid, *b.formats, ws).Write();
  } catch (const std::exception& e) {
    b.status = Status::Error(std::string("输出 Excel 失败：") + e.what());
  }
  return b.status;
}

Status ExcelBookWriter::Close() {
  Book& b = *book_;
  if (!b.wb) return b.status;
  const lxw_error closed = workbook_close(b.wb);
  b.wb = nullptr;
  if (b.status && closed != LXW_NO_ERROR)
    b.status = Status::Error("无法写入 Excel 文件：" + b.path + "（" + lxw_strerror(closed) + "）");
  if (b.status && b.packer) b.status = b.packer->Finish(b.library_path);
  b.RemoveLibraryFile();
  return b.status;
}

}  // namespace grid
