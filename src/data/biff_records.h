// The record layer of an .xls workbook stream ([MS-XLS] 2.1.4): records of a
// type and a length, records longer than the format allows carried on in
// CONTINUE records, and the string forms of BIFF8 (UTF-16, possibly with the
// high bytes left out) and of BIFF5/7 (bytes in the workbook's code page).
//
// Everything here reads untrusted bytes: a length that runs past its record
// throws WorkbookError (kCorrupt, the message without the file's name).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/workbook.h"

namespace data::biff {

namespace record {
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kRichString = 0x00D6;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kMergedCells = 0x00E5;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kRecalcId = 0x01C1;
constexpr std::uint16_t kArray = 0x0221;
constexpr std::uint16_t kTable = 0x0236;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kSharedFormula = 0x04BC;
constexpr std::uint16_t kBof = 0x0809;
}  // namespace record

[[noreturn]] void Corrupt(const std::string& why);

// The fixed fields of a record's data, each read checked against its length.
class Fields {
 public:
  explicit Fields(std::string_view data) : data_(data) {}
  std::uint8_t U8(std::size_t at) const {
    if (at >= data_.size()) Corrupt("记录不完整");
    return static_cast<std::uint8_t>(data_[at]);
  }
  std::uint16_t U16(std::size_t at) const {
    if (at + 2 > data_.size()) Corrupt("记录不完整");
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data_[at]) |
                                      static_cast<unsigned char>(data_[at + 1]) << 8);
  }
  std::uint32_t U32(std::size_t at) const {
    return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
  }
  double F64(std::size_t at) const;
  std::size_t size() const { return data_.size(); }

 private:
  std::string_view data_;
};

struct Record {
  std::uint16_t type = 0;
  std::string_view data;
  std::size_t offset = 0;  // of the record's header in the stream
};

// The records of a workbook stream, in order.
class RecordStream {
 public:
  explicit RecordStream(std::string_view stream) : stream_(stream) {}

  // The next record; false at the end of the stream. A record whose length
  // runs past the stream is damage.
  bool Next(Record& out);
  // The type of the next record, 0 at the end.
  std::uint16_t PeekType() const;
  void Seek(std::size_t offset);
  std::size_t size() const { return stream_.size(); }

 private:
  std::string_view stream_;
  std::size_t pos_ = 0;
};

// Turns bytes of a code page (BIFF5/7 texts; 936 is GBK) into UTF-8. A byte
// sequence the code page does not define becomes U+FFFD.
class CodePage {
 public:
  explicit CodePage(std::uint16_t number = 1252);
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;
  std::string Decode(std::string_view bytes) const;

 private:
  void* iconv_ = nullptr;  // iconv_t; null when the code page is unknown
};

// A record's data followed by the data of the CONTINUE records after it, read
// as one sequence. `what` names the structure in the message when it is cut.
class ContinuedReader {
 public:
  // Takes `first` and every CONTINUE record that follows it in `stream`.
  ContinuedReader(RecordStream& stream, const Record& first, std::string what);

  bool AtEnd();
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  double F64();
  void Skip(std::uint64_t bytes);

  // BIFF8 XLUnicodeString: a 16-bit (or, when `short_count`, 8-bit)
  // character count, a flags byte, the characters.
  std::string UnicodeString(bool short_count = false);
  // BIFF8 XLUnicodeRichExtendedString (a shared string): the characters,
  // with the formatting runs and the phonetic block skipped.
  std::string RichExtendedString();
  // BIFF5/7: a character count (8-bit or 16-bit) and bytes in `code_page`.
  std::string ByteString(bool short_count, const CodePage& code_page);
  // The same bytes undecoded, for texts read before the code page is known.
  std::string RawByteString(bool short_count);

 private:
  struct Piece {
    std::string_view data;
  };
  bool Refill();
  std::size_t Left() const;
  [[noreturn]] void Cut() const;
  // `count` characters that start with the given width; a CONTINUE record
  // that splits them begins with a flags byte giving the width of the rest.
  std::string Characters(std::uint32_t count, bool wide);

  std::vector<Piece> pieces_;
  std::size_t piece_ = 0, pos_ = 0;
  std::string what_;
};

// Appends the UTF-8 form of UTF-16 code units, pairing surrogates; a lone
// surrogate becomes U+FFFD.
void AppendUtf16(const std::u16string& units, std::string& out);

}  // namespace data::biff
