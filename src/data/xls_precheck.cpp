#include "data/xls_precheck.h"

#include <cstdint>
#include <fstream>
#include <optional>
#include <vector>

namespace data {
namespace {

constexpr std::uint32_t kLastSector = 0xFFFFFFFA;  // higher values mark chain ends
constexpr std::uint32_t kMiniStreamCutoff = 4096;

// Just enough of a compound file to follow sector chains through the FAT
// sectors that the header lists (109 of them: files up to 7 MB with 512-byte
// sectors; larger files are left to FreeXL).
class CompoundFile {
 public:
  explicit CompoundFile(const std::string& path) : in_(path, std::ios::binary) {}

  bool ReadHeader() {
    std::uint32_t shift_word = 0;
    if (!U32(0x1C, shift_word) || !U32(0x30, dir_start_)) return false;
    const std::uint32_t shift = shift_word >> 16;
    if (shift != 9 && shift != 12) return false;
    sector_ = std::uint64_t{1} << shift;
    return true;
  }
  std::uint32_t dir_start() const { return dir_start_; }
  std::uint64_t sector_size() const { return sector_; }

  // The sector after `sector` in its chain. nullopt when the FAT does not
  // say; `beyond` then tells a FAT past the header's table (left to FreeXL)
  // from a damaged one.
  std::optional<std::uint32_t> Next(std::uint32_t sector, bool* beyond = nullptr) {
    const std::uint64_t per_fat = sector_ / 4;
    const std::uint64_t index = sector / per_fat;
    if (beyond) *beyond = index >= 109;
    std::uint32_t fat = 0, next = 0;
    if (index >= 109 || !U32(0x4C + 4 * index, fat) || fat >= kLastSector ||
        !U32((fat + std::uint64_t{1}) * sector_ + (sector % per_fat) * 4, next))
      return std::nullopt;
    return next;
  }

  bool U32(std::uint64_t at, std::uint32_t& out) {
    unsigned char b[4];
    if (!Read(at, b, 4)) return false;
    out = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
  }
  bool Read(std::uint64_t at, unsigned char* out, std::size_t n) {
    in_.clear();
    return in_.seekg(static_cast<std::streamoff>(at)) &&
           in_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
  }

  // The stream starting at `sector`, `size` bytes. nullopt with `broken`
  // false when its FAT lies past the header's table; with `broken` true when
  // the chain ends early or leaves the file (FreeXL reads on regardless).
  std::optional<std::vector<unsigned char>> Stream(std::uint32_t sector, std::uint32_t size,
                                                   bool& broken) {
    std::vector<unsigned char> out;
    broken = false;
    // A stream longer than the file cannot be whole (and must not be
    // allocated: fuzzing declared 4 GB).
    in_.clear();
    if (!in_.seekg(0, std::ios::end) || static_cast<std::uint64_t>(in_.tellg()) < size) {
      broken = true;
      return std::nullopt;
    }
    out.reserve(size);
    while (out.size() < size) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(sector_, size - out.size()));
      out.resize(out.size() + n);
      if (sector >= kLastSector ||
          !Read((sector + std::uint64_t{1}) * sector_, out.data() + out.size() - n, n)) {
        broken = true;
        return std::nullopt;
      }
      if (out.size() == size) break;
      bool beyond = false;
      auto next = Next(sector, &beyond);
      if (!next) {
        broken = !beyond;
        return std::nullopt;
      }
      sector = *next;
    }
    return out;
  }

 private:
  std::ifstream in_;
  std::uint32_t dir_start_ = 0;
  std::uint64_t sector_ = 512;
};

struct Entry {
  std::u16string name;
  std::uint32_t start = 0, size = 0;
};

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

// The directory entries. `bad` is set for a name length over 64 (FreeXL
// reads `length` bytes from a 128-byte entry) and for a directory chain that
// does not lead from sector to sector to its end: FreeXL reads on from
// wherever such a chain points (fuzzing found a start of 0xFFFFFFFF).
std::optional<std::vector<Entry>> Directory(CompoundFile& file, bool& bad) {
  std::vector<Entry> entries;
  std::uint32_t sector = file.dir_start();
  bad = true;
  for (int hops = 0; hops < 65536; ++hops) {
    if (sector >= kLastSector) return std::nullopt;
    const std::uint64_t base = (sector + std::uint64_t{1}) * file.sector_size();
    for (std::uint64_t i = 0; i < file.sector_size() / 128; ++i) {
      unsigned char e[128];
      if (!file.Read(base + i * 128, e, 128)) return std::nullopt;
      const unsigned length = e[64] | e[65] << 8;
      if (length > 64) return std::nullopt;
      Entry entry;
      for (unsigned k = 0; k + 1 < length; k += 2)
        entry.name += static_cast<char16_t>(e[k] | e[k + 1] << 8);
      while (!entry.name.empty() && entry.name.back() == u'\0') entry.name.pop_back();
      entry.start = e[116] | e[117] << 8 | e[118] << 16 | static_cast<std::uint32_t>(e[119]) << 24;
      entry.size = e[120] | e[121] << 8 | e[122] << 16 | static_cast<std::uint32_t>(e[123]) << 24;
      entries.push_back(std::move(entry));
    }
    bool beyond = false;
    auto next = file.Next(sector, &beyond);
    if (!next || *next == kEndOfChain) {
      bad = !next && !beyond;
      return bad ? std::nullopt : std::optional(std::move(entries));
    }
    sector = *next;
  }
  return std::nullopt;  // a chain that loops
}

// The bytes of the SST record and its CONTINUE records, one piece each.
class Pieces {
 public:
  void Add(const unsigned char* data, std::size_t size) { pieces_.push_back({data, size}); }
  bool AtEnd() const { return piece_ >= pieces_.size(); }
  std::size_t Left() const { return AtEnd() ? 0 : pieces_[piece_].size - pos_; }
  // Steps to the next piece when this one is used up; false when none.
  bool Refill() {
    while (!AtEnd() && Left() == 0) ++piece_, pos_ = 0;
    return !AtEnd();
  }
  bool Byte(unsigned& out) {
    if (!Refill()) return false;
    out = pieces_[piece_].data[pos_++];
    return true;
  }
  bool Skip(std::uint64_t n) {
    while (n > 0) {
      if (!Refill()) return false;
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(n, Left()));
      pos_ += take;
      n -= take;
    }
    return true;
  }

 private:
  struct Piece {
    const unsigned char* data;
    std::size_t size;
  };
  std::vector<Piece> pieces_;
  std::size_t piece_ = 0, pos_ = 0;
};

// Walks the shared strings as BIFF8 lays them out: a character array split
// by a CONTINUE record restarts there with one option byte.
bool SharedStringsFit(Pieces& p, std::uint32_t unique) {
  if (!p.Skip(8)) return unique == 0;
  for (std::uint32_t i = 0; i < unique; ++i) {
    if (!p.Refill()) return true;  // fewer strings than counted: FreeXL copes
    unsigned lo = 0, hi = 0, flags = 0;
    if (!p.Byte(lo) || !p.Byte(hi) || !p.Byte(flags)) return false;
    std::uint64_t chars = lo | hi << 8, runs = 0, ext = 0;
    if (flags & 0x08) {
      unsigned a = 0, b = 0;
      if (!p.Byte(a) || !p.Byte(b)) return false;
      runs = a | b << 8;
    }
    if (flags & 0x04) {
      unsigned b[4];
      for (unsigned& x : b)
        if (!p.Byte(x)) return false;
      ext = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint64_t>(b[3]) << 24;
    }
    bool wide = flags & 0x01;
    while (chars > 0) {
      if (p.Left() == 0) {
        unsigned option = 0;
        if (!p.Byte(option)) return false;
        wide = option & 0x01;
      }
      const std::uint64_t fit = std::min<std::uint64_t>(chars, p.Left() / (wide ? 2 : 1));
      if (fit == 0) return false;
      p.Skip(fit * (wide ? 2 : 1));
      chars -= fit;
    }
    if (!p.Skip(runs * 4 + ext)) return false;
  }
  return true;
}

// Empty when the records are sound as far as checked, else the reason.
std::string WorkbookStreamHazard(const std::vector<unsigned char>& s) {
  auto u16 = [&](std::size_t at) { return static_cast<unsigned>(s[at] | s[at + 1] << 8); };
  bool strings_checked = false;
  int dimensions = 0;  // in the current substream
  for (std::size_t at = 0; at + 4 <= s.size();) {
    const unsigned type = u16(at), length = u16(at + 2);
    if (at + 4 + length > s.size()) return {};  // a cut record FreeXL refuses itself
    if (type == 0x0809) dimensions = 0;         // BOF: a new sheet
    // FreeXL sizes a sheet's cell table by its DIMENSIONS record (10 bytes in
    // BIFF5, 14 in BIFF8) and reads past it when a second one or a short one
    // follows (found by fuzzing).
    if (type == 0x0200 && (++dimensions > 1 || (length != 10 && length != 14)))
      return "工作簿已损坏（工作表尺寸记录无效）";
    if (type == 0x00FC && length >= 8 && !strings_checked) {
      strings_checked = true;
      Pieces pieces;
      pieces.Add(&s[at + 4], length);
      const std::uint32_t unique = s[at + 8] | s[at + 9] << 8 | s[at + 10] << 16 |
                                   static_cast<std::uint32_t>(s[at + 11]) << 24;
      std::size_t next = at + 4 + length;
      while (next + 4 <= s.size() && u16(next) == 0x003C && next + 4 + u16(next + 2) <= s.size()) {
        pieces.Add(&s[next + 4], u16(next + 2));
        next += 4 + u16(next + 2);
      }
      if (!SharedStringsFit(pieces, unique)) return "工作簿已损坏（共享字符串表无效）";
    }
    at += 4 + length;
  }
  return {};
}

}  // namespace

std::string XlsHazard(const std::string& path) {
  CompoundFile file(path);
  if (!file.ReadHeader()) return {};
  bool bad_directory = false;
  const auto entries = Directory(file, bad_directory);
  if (bad_directory) return "工作簿已损坏（目录项无效）";
  if (!entries) return {};
  for (const Entry& e : *entries) {
    if (e.name != u"Workbook" && e.name != u"Book") continue;
    if (e.size < kMiniStreamCutoff) return {};
    bool broken = false;
    const auto stream = file.Stream(e.start, e.size, broken);
    if (broken) return "工作簿已损坏（扇区链无效）";
    return stream ? WorkbookStreamHazard(*stream) : std::string();
  }
  return {};
}

}  // namespace data
