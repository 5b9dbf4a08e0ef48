#include "data/xls_reader.h"

#include <fstream>
#include <map>
#include <optional>

#include "data/compound_file.h"
#include "data/number_format.h"
#include "data/xls_sheet.h"

namespace data {

namespace {

using Kind = WorkbookError::Kind;
using biff::ContinuedReader;
using biff::Fields;
using biff::Record;
using biff::RecordStream;
namespace record = biff::record;

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBiff5 = 0x0500;
constexpr std::uint16_t kGlobalsSubstream = 0x0005;
constexpr std::uint8_t kWorksheet = 0;

const char* const kPasswordMessage =
    "工作簿有密码保护，不能读取。请在电子表格程序中去掉密码（和工作簿保护）后另存，再导入";

// The workbook stream: "Workbook" in BIFF8 files, "Book" in BIFF5/7 ones.
std::string WorkbookStream(std::string_view bytes) {
  try {
    const cfb::CompoundFile file(bytes);
    if (auto stream = file.ReadRootStream(u"Workbook")) return std::move(*stream);
    if (auto stream = file.ReadRootStream(u"Book")) return std::move(*stream);
    for (const std::u16string& name : file.RootStreamNames()) {
      // An encrypted .xlsx is a compound file with the package inside.
      if (name == u"EncryptedPackage") throw WorkbookError(Kind::kPassword, kPasswordMessage);
      if (name == u"WordDocument")
        throw WorkbookError(Kind::kNotWorkbook, "文件是 Word 文档，不是电子表格");
    }
    throw WorkbookError(Kind::kNotWorkbook, "文件不是有效的 Excel 工作簿（其中没有工作簿数据）");
  } catch (const cfb::CompoundFileError& e) {
    throw WorkbookError(Kind::kCorrupt, e.what());
  }
}

struct SheetEntry {
  std::string name;  // UTF-8 in BIFF8; code-page bytes in BIFF5/7 until decoded
  std::uint32_t offset = 0;
  std::uint8_t type = 0;
};

// The globals substream: code page, formats, XF records, sheets, shared
// strings. Ends at its EOF record.
class GlobalsReader {
 public:
  GlobalsReader(RecordStream& stream, Workbook& book, biff::XlsGlobals& globals)
      : stream_(stream), book_(book), globals_(globals) {}

  std::vector<SheetEntry> Read();

 private:
  void Version(const Record& bof);
  void Dispatch(const Record& record, std::vector<SheetEntry>& sheets);
  void SharedStrings(const Record& record);
  void Finish(std::vector<SheetEntry>& sheets);

  RecordStream& stream_;
  Workbook& book_;
  biff::XlsGlobals& globals_;
  std::uint16_t code_page_ = 1252;
  // Format codes by number; code-page bytes in BIFF5/7 until decoded.
  std::map<std::uint16_t, std::string> formats_;
  std::vector<std::uint16_t> xf_formats_;
};

std::vector<SheetEntry> GlobalsReader::Read() {
  Record record;
  if (!stream_.Next(record) || record.type != record::kBof) biff::Corrupt("缺少文件头记录");
  Version(record);
  std::vector<SheetEntry> sheets;
  while (stream_.Next(record) && record.type != record::kEof) Dispatch(record, sheets);
  Finish(sheets);
  return sheets;
}

void GlobalsReader::Version(const Record& bof) {
  const std::uint16_t version = Fields(bof.data).U16(0);
  if (version != kBiff8 && version != kBiff5) {
    throw WorkbookError(Kind::kNotWorkbook, kTooOldWorkbookMessage);
  }
  if (Fields(bof.data).U16(2) != kGlobalsSubstream) biff::Corrupt("缺少工作簿全局记录");
  globals_.biff8 = version == kBiff8;
}

void GlobalsReader::Dispatch(const Record& record, std::vector<SheetEntry>& sheets) {
  const Fields f(record.data);
  switch (record.type) {
    case record::kFilePass:
      throw WorkbookError(Kind::kPassword, kPasswordMessage);
    case record::kCodePage:
      code_page_ = f.U16(0);
      break;
    case record::kFormat: {
      ContinuedReader reader(stream_, record, "数字格式记录不完整");
      const std::uint16_t id = reader.U16();
      formats_[id] = globals_.biff8 ? reader.UnicodeString() : reader.RawByteString(true);
      break;
    }
    case record::kXf:
      xf_formats_.push_back(f.U16(2));
      break;
    case record::kBoundSheet: {
      ContinuedReader reader(stream_, record, "工作表名不完整");
      SheetEntry entry;
      entry.offset = reader.U32();
      reader.U8();  // visibility: hidden sheets are read too
      entry.type = reader.U8();
      entry.name = globals_.biff8 ? reader.UnicodeString(true) : reader.RawByteString(true);
      sheets.push_back(std::move(entry));
      break;
    }
    case record::kSst:
      if (globals_.biff8) SharedStrings(record);
      break;
    case record::kRecalcId:
      globals_.calculated = true;
      break;
    default:
      break;
  }
}

// SST ([MS-XLS] 2.4.265): the total and the unique count, then the strings,
// carried on in CONTINUE records.
void GlobalsReader::SharedStrings(const Record& record) {
  ContinuedReader reader(stream_, record, "共享字符串表无效");
  reader.U32();
  const std::uint32_t unique = reader.U32();
  // Every string takes at least three bytes: reserve no more than fit.
  globals_.shared_strings.reserve(std::min<std::size_t>(unique, stream_.size() / 3));
  for (std::uint32_t i = 0; i < unique && !reader.AtEnd(); ++i) {
    const std::string text = reader.RichExtendedString();
    globals_.shared_strings.push_back(text.empty() ? biff::XlsGlobals::kEmptyString
                                                   : book_.strings().Add(text));
  }
}

void GlobalsReader::Finish(std::vector<SheetEntry>& sheets) {
  globals_.code_page = std::make_unique<biff::CodePage>(code_page_);
  if (!globals_.biff8) {
    for (SheetEntry& sheet : sheets) sheet.name = globals_.code_page->Decode(sheet.name);
    for (auto& [id, code] : formats_) code = globals_.code_page->Decode(code);
  }
  globals_.xf_notes.reserve(xf_formats_.size());
  for (std::uint16_t id : xf_formats_) {
    auto custom = formats_.find(id);
    const NumberFormatKind kind =
        custom != formats_.end() ? FormatCodeKind(custom->second) : BuiltInFormatKind(id);
    globals_.xf_notes.push_back(kind == NumberFormatKind::kDate      ? kDateFormat
                                : kind == NumberFormatKind::kPercent ? kPercentFormat
                                                                     : kNoNote);
  }
}

}  // namespace

Workbook ReadXlsBytes(std::string_view bytes, const ReadOptions& options) {
  const std::string stream = WorkbookStream(bytes);
  RecordStream records(stream);
  Workbook book;
  biff::XlsGlobals globals;
  const std::vector<SheetEntry> sheets = GlobalsReader(records, book, globals).Read();
  for (const SheetEntry& entry : sheets) {
    if (entry.type != kWorksheet || !options.Wants(entry.name)) continue;
    biff::ReadXlsSheet(records, entry.offset, globals, options, book.AddSheet(entry.name));
  }
  return book;
}

Workbook ReadXls(const std::string& path, const ReadOptions& options) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw WorkbookError(Kind::kOpen, "无法打开文件：" + path);
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  if (size < 0) throw WorkbookError(Kind::kOpen, "无法读取文件：" + path);
  if (static_cast<std::uint64_t>(size) > options.max_total_bytes)
    throw WorkbookError(Kind::kTooLarge, "工作簿过大，拒绝读取：" + path);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in.read(bytes.data(), size)) throw WorkbookError(Kind::kOpen, "无法读取文件：" + path);
  try {
    return ReadXlsBytes(bytes, options);
  } catch (const WorkbookError& e) {
    throw WorkbookError(e.kind(), std::string(e.what()) + "：" + path);
  }
}

}  // namespace data
