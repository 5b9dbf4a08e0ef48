#include "data/compound_file.h"

#include <algorithm>
#include <cstring>

namespace data::cfb {

namespace {

constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint64_t kMiniSectorSize = 64;
constexpr std::uint64_t kMiniStreamCutoff = 4096;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::uint8_t kStorage = 1, kStream = 2, kRoot = 5;

const char* const kIncomplete = "工作簿已损坏或不完整";
const char* const kBadChain = "工作簿已损坏（扇区链无效）";
const char* const kBadDirectory = "工作簿已损坏（目录项无效）";

[[noreturn]] void Fail(const char* why) {
  throw CompoundFileError(why);
}

std::uint32_t LittleU32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

char16_t FoldAscii(char16_t c) {
  return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace

CompoundFile::CompoundFile(std::string_view bytes) : bytes_(bytes) {
  ReadHeader();
  ReadFat();
  ReadDirectory();
}

std::uint32_t CompoundFile::U32(std::uint64_t at) const {
  if (at > bytes_.size() || bytes_.size() - at < 4) Fail(kIncomplete);
  return LittleU32(bytes_.data() + at);
}

// Sectors that begin inside the file; the last one may be cut short.
std::uint64_t CompoundFile::SectorCount() const {
  if (bytes_.size() <= sector_size_) return 0;
  return (bytes_.size() - sector_size_ + sector_size_ - 1) / sector_size_;
}

void CompoundFile::ReadHeader() {
  static constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (bytes_.size() < 512 || std::memcmp(bytes_.data(), kSignature, 8) != 0) Fail(kIncomplete);
  major_version_ = U32(0x18) >> 16;
  const std::uint32_t shift = U32(0x1C) >> 16;
  // Version 3 files have 512-byte sectors, version 4 files 4096-byte ones;
  // writers are trusted with the pairing as long as the size is one of them.
  if (shift != 9 && shift != 12) Fail(kIncomplete);
  sector_size_ = std::uint64_t{1} << shift;
  fat_sectors_ = U32(0x2C);
  first_directory_ = U32(0x30);
  first_mini_fat_ = U32(0x3C);
  mini_fat_sectors_ = U32(0x40);
  first_difat_ = U32(0x44);
  difat_sectors_ = U32(0x48);
}

void CompoundFile::ReadFat() {
  const std::uint64_t sectors = SectorCount();
  if (fat_sectors_ > sectors) Fail(kBadChain);
  std::vector<std::uint32_t> fat_ids;
  for (std::size_t i = 0; i < kHeaderDifatEntries && fat_ids.size() < fat_sectors_; ++i)
    fat_ids.push_back(U32(0x4C + 4 * i));
  // The rest of the FAT's sector numbers are in the DIFAT chain, each of its
  // sectors ending with the number of the next.
  const std::uint64_t per_difat = sector_size_ / 4 - 1;
  std::vector<bool> seen(sectors, false);
  std::uint32_t difat = first_difat_;
  for (std::uint32_t n = 0; fat_ids.size() < fat_sectors_; ++n) {
    if (n >= difat_sectors_ || difat >= sectors || seen[difat]) Fail(kBadChain);
    seen[difat] = true;
    const std::uint64_t base = (difat + std::uint64_t{1}) * sector_size_;
    for (std::uint64_t i = 0; i < per_difat && fat_ids.size() < fat_sectors_; ++i)
      fat_ids.push_back(U32(base + 4 * i));
    difat = U32(base + 4 * per_difat);
  }
  fat_.reserve(fat_ids.size() * (sector_size_ / 4));
  for (std::uint32_t id : fat_ids) {
    if (id >= sectors) Fail(kBadChain);
    const std::uint64_t base = (id + std::uint64_t{1}) * sector_size_;
    // A cut last sector: what is missing is free.
    for (std::uint64_t i = 0; i < sector_size_ / 4; ++i)
      fat_.push_back(base + 4 * i + 4 <= bytes_.size() ? U32(base + 4 * i) : kNoStream);
  }
}

std::vector<std::uint32_t> CompoundFile::Chain(std::uint32_t start,
                                               const std::vector<std::uint32_t>& table,
                                               std::uint64_t limit) const {
  std::vector<std::uint32_t> chain;
  std::vector<bool> seen(table.size(), false);
  for (std::uint32_t id = start; id != kEndOfChain && chain.size() < limit; id = table[id]) {
    if (id > kMaxRegularSector || id >= table.size() || seen[id]) Fail(kBadChain);
    seen[id] = true;
    chain.push_back(id);
  }
  return chain;
}

// The `size` bytes of a stream whose units of `unit` bytes follow the chain
// from `start` through `table`; unit n is at first + n * unit in `source`.
std::string CompoundFile::Gather(std::string_view source, std::uint64_t first, std::uint64_t unit,
                                 std::uint32_t start, const std::vector<std::uint32_t>& table,
                                 std::uint64_t size) const {
  // A stream longer than what holds it cannot be whole, and must not be
  // allocated on the file's word.
  if (size > source.size()) Fail(kBadChain);
  const std::uint64_t need = (size + unit - 1) / unit;
  const std::vector<std::uint32_t> chain = Chain(start, table, need);
  if (chain.size() < need) Fail(kBadChain);
  std::string out;
  out.reserve(size);
  for (std::uint32_t id : chain) {
    const std::uint64_t at = first + id * unit;
    const std::uint64_t take = std::min(unit, size - out.size());
    if (at > source.size() || source.size() - at < take) Fail(kBadChain);
    out.append(source.substr(at, take));
  }
  return out;
}

std::string CompoundFile::ReadChain(std::uint32_t start, std::uint64_t size) const {
  return Gather(bytes_, sector_size_, sector_size_, start, fat_, size);
}

std::string CompoundFile::ReadMiniChain(std::uint32_t start, std::uint64_t size) const {
  const Entry& root = entries_.front();
  const std::string mini_stream = ReadChain(root.start, root.size);
  std::vector<std::uint32_t> mini_fat;
  if (mini_fat_sectors_ > 0) {
    const std::string bytes =
        ReadChain(first_mini_fat_, std::uint64_t{mini_fat_sectors_} * sector_size_);
    mini_fat.reserve(bytes.size() / 4);
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4)
      mini_fat.push_back(LittleU32(bytes.data() + at));
  }
  return Gather(mini_stream, 0, kMiniSectorSize, start, mini_fat, size);
}

void CompoundFile::ReadDirectory() {
  const std::vector<std::uint32_t> chain = Chain(first_directory_, fat_, SectorCount());
  for (std::uint32_t id : chain) {
    const std::uint64_t base = (id + std::uint64_t{1}) * sector_size_;
    for (std::uint64_t at = base; at < base + sector_size_; at += 128) {
      if (at + 128 > bytes_.size()) Fail(kBadDirectory);
      const auto* e = reinterpret_cast<const unsigned char*>(bytes_.data() + at);
      Entry entry;
      entry.type = e[66];
      const unsigned name_bytes = e[64] | e[65] << 8;
      if (entry.type != 0 && (name_bytes > 64 || name_bytes % 2 != 0)) Fail(kBadDirectory);
      for (unsigned k = 0; entry.type != 0 && k + 2 < name_bytes; k += 2)
        entry.name += static_cast<char16_t>(e[k] | e[k + 1] << 8);
      entry.left = U32(at + 68);
      entry.right = U32(at + 72);
      entry.child = U32(at + 76);
      entry.start = U32(at + 116);
      // Version 3 files leave the high half of the size undefined.
      entry.size = U32(at + 120);
      if (major_version_ >= 4) entry.size |= std::uint64_t{U32(at + 124)} << 32;
      entries_.push_back(std::move(entry));
    }
  }
  if (entries_.empty() || entries_.front().type != kRoot) Fail(kBadDirectory);
}

// The entries of the root storage: a tree through left and right siblings
// that starts at the root's child.
std::vector<std::uint32_t> CompoundFile::RootChildren() const {
  std::vector<std::uint32_t> found;
  std::vector<bool> seen(entries_.size(), false);
  std::vector<std::uint32_t> pending = {entries_.front().child};
  while (!pending.empty()) {
    const std::uint32_t id = pending.back();
    pending.pop_back();
    if (id == kNoStream) continue;
    if (id >= entries_.size() || seen[id]) Fail(kBadDirectory);
    seen[id] = true;
    const Entry& e = entries_[id];
    if (e.type != kStream && e.type != kStorage) Fail(kBadDirectory);
    found.push_back(id);
    pending.push_back(e.left);
    pending.push_back(e.right);
  }
  return found;
}

std::vector<std::u16string> CompoundFile::RootStreamNames() const {
  std::vector<std::u16string> names;
  for (std::uint32_t id : RootChildren())
    if (entries_[id].type == kStream) names.push_back(entries_[id].name);
  return names;
}

std::optional<std::string> CompoundFile::ReadRootStream(std::u16string_view name) const {
  for (std::uint32_t id : RootChildren()) {
    const Entry& e = entries_[id];
    if (e.type != kStream || !SameName(e.name, name)) continue;
    if (e.size < kMiniStreamCutoff) return ReadMiniChain(e.start, e.size);
    return ReadChain(e.start, e.size);
  }
  return std::nullopt;
}

}  // namespace data::cfb
