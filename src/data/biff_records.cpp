#include "data/biff_records.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "data/xlsx_reader_xml.h"

namespace data::biff {

void Corrupt(const std::string& why) {
  throw WorkbookError(WorkbookError::Kind::kCorrupt, "工作簿已损坏（" + why + "）");
}

double Fields::F64(std::size_t at) const {
  const std::uint64_t bits = U32(at) | static_cast<std::uint64_t>(U32(at + 4)) << 32;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

bool RecordStream::Next(Record& out) {
  if (stream_.size() - pos_ < 4) {
    pos_ = stream_.size();
    return false;
  }
  const auto* b = reinterpret_cast<const unsigned char*>(stream_.data() + pos_);
  const std::size_t length = b[2] | b[3] << 8;
  if (stream_.size() - pos_ - 4 < length) Corrupt("记录不完整");
  out.type = static_cast<std::uint16_t>(b[0] | b[1] << 8);
  out.data = stream_.substr(pos_ + 4, length);
  out.offset = pos_;
  pos_ += 4 + length;
  return true;
}

std::uint16_t RecordStream::PeekType() const {
  if (stream_.size() - pos_ < 4) return 0;
  const auto* b = reinterpret_cast<const unsigned char*>(stream_.data() + pos_);
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

void RecordStream::Seek(std::size_t offset) {
  if (offset > stream_.size()) Corrupt("工作表位置无效");
  pos_ = offset;
}

namespace {

std::string IconvName(std::uint16_t number) {
  switch (number) {
    case 367:    // US-ASCII
    case 1200:   // UTF-16 (BIFF8 texts do not use the code page)
    case 32769:  // Windows Latin 1 as written by Excel for Macintosh
      return "CP1252";
    case 10000:
    case 32768:
      return "MACINTOSH";
    case 950:
      return "BIG5";
    default:
      return "CP" + std::to_string(number);
  }
}

}  // namespace

CodePage::CodePage(std::uint16_t number) {
  iconv_t cd = iconv_open("UTF-8", IconvName(number).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "CP1252");
  iconv_ = cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd;
}

CodePage::~CodePage() {
  if (iconv_ != nullptr) iconv_close(static_cast<iconv_t>(iconv_));
}

std::string CodePage::Decode(std::string_view bytes) const {
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
    return std::string(bytes);
  std::string out;
  if (iconv_ == nullptr) {
    for (unsigned char c : bytes) xlsx::AppendUtf8(c, out);
    return out;
  }
  auto cd = static_cast<iconv_t>(iconv_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string buffer(bytes.size() * 4 + 8, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    char* dst = buffer.data();
    std::size_t dst_left = buffer.size();
    const std::size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
    out.append(buffer.data(), buffer.size() - dst_left);
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // An undefined or cut sequence: one replacement character per byte.
      xlsx::AppendUtf8(0xFFFD, out);
      ++in;
      --in_left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

void AppendUtf16(const std::u16string& units, std::string& out) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    xlsx::AppendUtf8(c, out);
  }
}

ContinuedReader::ContinuedReader(RecordStream& stream, const Record& first, std::string what)
    : what_(std::move(what)) {
  pieces_.push_back({first.data});
  Record next;
  while (stream.PeekType() == record::kContinue && stream.Next(next))
    pieces_.push_back({next.data});
}

void ContinuedReader::Cut() const {
  Corrupt(what_);
}

std::size_t ContinuedReader::Left() const {
  return piece_ < pieces_.size() ? pieces_[piece_].data.size() - pos_ : 0;
}

bool ContinuedReader::Refill() {
  while (piece_ < pieces_.size() && Left() == 0) ++piece_, pos_ = 0;
  return piece_ < pieces_.size();
}

bool ContinuedReader::AtEnd() {
  return !Refill();
}

std::uint8_t ContinuedReader::U8() {
  if (!Refill()) Cut();
  return static_cast<std::uint8_t>(pieces_[piece_].data[pos_++]);
}

std::uint16_t ContinuedReader::U16() {
  const std::uint16_t lo = U8();
  return static_cast<std::uint16_t>(lo | U8() << 8);
}

std::uint32_t ContinuedReader::U32() {
  const std::uint32_t lo = U16();
  return lo | static_cast<std::uint32_t>(U16()) << 16;
}

double ContinuedReader::F64() {
  std::uint64_t bits = U32();
  bits |= static_cast<std::uint64_t>(U32()) << 32;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void ContinuedReader::Skip(std::uint64_t bytes) {
  while (bytes > 0) {
    if (!Refill()) Cut();
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, Left()));
    pos_ += take;
    bytes -= take;
  }
}

std::string ContinuedReader::Characters(std::uint32_t count, bool wide) {
  std::u16string units;
  units.reserve(std::min<std::size_t>(count, 1 << 16));
  while (units.size() < count) {
    if (Left() == 0) {
      // The characters go on in a CONTINUE record, which opens with the
      // flags byte of the rest of them.
      if (!Refill()) Cut();
      wide = (U8() & 0x01) != 0;
      continue;
    }
    if (wide) {
      if (Left() < 2) Cut();
      units.push_back(U16());
    } else {
      units.push_back(U8());
    }
  }
  std::string out;
  AppendUtf16(units, out);
  return out;
}

std::string ContinuedReader::UnicodeString(bool short_count) {
  const std::uint16_t count = short_count ? U8() : U16();
  const bool wide = (U8() & 0x01) != 0;
  return Characters(count, wide);
}

std::string ContinuedReader::RichExtendedString() {
  const std::uint16_t count = U16();
  const std::uint8_t flags = U8();
  const std::uint32_t runs = (flags & 0x08) ? U16() : 0;
  const std::uint32_t phonetic_bytes = (flags & 0x04) ? U32() : 0;
  std::string text = Characters(count, (flags & 0x01) != 0);
  Skip(std::uint64_t{runs} * 4 + phonetic_bytes);
  return text;
}

std::string ContinuedReader::RawByteString(bool short_count) {
  const std::uint16_t count = short_count ? U8() : U16();
  std::string bytes;
  bytes.reserve(count);
  for (std::uint16_t i = 0; i < count; ++i) bytes.push_back(static_cast<char>(U8()));
  return bytes;
}

std::string ContinuedReader::ByteString(bool short_count, const CodePage& code_page) {
  return code_page.Decode(RawByteString(short_count));
}

}  // namespace data::biff
