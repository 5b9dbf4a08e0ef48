// Fuzzes the worksheet scan of the .xlsx reader on its own: the input is the
// inflated sheet XML. The scan takes plain cells straight from its buffer and
// leaves everything else to the tokenizer, so the same XML is read twice, once
// in one piece and once in small pieces that cut tags and values at every
// kind of place; both readings must give the same sheet or the same error.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "data/workbook.h"
#include "data/xlsx_reader_sheet.h"

namespace {

struct Reading {
  std::unique_ptr<data::Sheet> sheet;
  std::string error;  // the error's type and message, empty when read
};

// Enough shared strings for the seeds' indices; every fifth one empty, which
// reads as an empty cell.
const data::StringPool& SharedStrings() {
  static const data::StringPool pool = [] {
    data::StringPool p;
    for (int i = 0; i < 4096; ++i) p.Add(i % 5 == 0 ? std::string() : "文" + std::to_string(i));
    return p;
  }();
  return pool;
}

Reading Read(std::string_view xml, std::size_t piece) {
  // A pool per reading: cell texts are added to it.
  const auto pool = std::make_shared<data::StringPool>(SharedStrings());
  data::xlsx::SheetContext context;
  context.sst_count = static_cast<std::uint32_t>(pool->size());
  context.style_notes = {data::kNoNote, data::kDateFormat, data::kNoNote};
  data::ReadOptions options;
  options.max_cells = 200'000;
  Reading reading{std::make_unique<data::Sheet>("s", pool), {}};
  std::size_t at = 0;
  const data::xlsx::ByteSource source = [&](char* buffer, std::size_t capacity) {
    const std::size_t n = std::min({piece, capacity, xml.size() - at});
    std::memcpy(buffer, xml.data() + at, n);
    at += n;
    return n;
  };
  try {
    data::xlsx::ReadSheetXml(source, xml.size(), context, options, *reading.sheet);
  } catch (const data::WorkbookError& e) {
    reading.error = std::string("WorkbookError: ") + e.what();
  } catch (const data::xlsx::XmlError& e) {
    reading.error = std::string("XmlError: ") + e.what();
  }
  return reading;
}

bool SameCell(const data::CellValue& a, const data::CellValue& b) {
  const bool same_number = a.number == b.number || (std::isnan(a.number) && std::isnan(b.number));
  return a.kind == b.kind && same_number && a.text == b.text && a.notes == b.notes;
}

// A difference is a fault of the scan: say which before stopping.
void Check(bool ok, const std::string& what) {
  if (ok) return;
  std::fprintf(stderr, "the two readings differ: %s\n", what.c_str());
  std::abort();
}

std::string Describe(const data::CellValue& v) {
  return std::to_string(static_cast<int>(v.kind)) + "/" + std::to_string(v.number) + "/" +
         std::string(v.text) + "/" + std::to_string(v.notes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view xml(reinterpret_cast<const char*>(data), size);
  const Reading whole = Read(xml, xml.size() + 1);
  // A piece size the mutations vary; 1 to 97 bytes splits every tag of a
  // seed somewhere.
  const Reading pieces = Read(xml, 1 + (size * 31) % 97);
  Check(whole.error == pieces.error, "[" + whole.error + "] [" + pieces.error + "]");
  if (!whole.error.empty()) return 0;
  const data::Sheet& a = *whole.sheet;
  const data::Sheet& b = *pieces.sheet;
  Check(a.rows() == b.rows() && a.cols() == b.cols() && a.merges() == b.merges(),
        "the sheets' sizes or merged areas");
  for (std::size_t r = 0; r < a.rows(); ++r) {
    for (std::size_t c = 0; c < a.cols(); ++c) {
      Check(SameCell(a.At(r, c), b.At(r, c)), data::ColumnLetters(c) + std::to_string(r + 1) +
                                                  ": " + Describe(a.At(r, c)) + " vs " +
                                                  Describe(b.At(r, c)));
    }
  }
  return 0;
}
