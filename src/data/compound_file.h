// The compound file container ([MS-CFB]) that holds an .xls workbook: a
// header, sectors chained through the FAT (whose own sectors the DIFAT
// lists), a directory of storages and streams, and a mini stream for the
// small streams.
//
// The file is untrusted: every chain is followed with a visited set (a loop is
// damage, not a hang), every offset is checked against the file, and nothing
// is allocated beyond what the file itself holds.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace data::cfb {

// Damage found in the container. what() is the Chinese reason, without the
// file's name.
class CompoundFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CompoundFile {
 public:
  // Reads the header, the FAT and the directory of `bytes`, which must
  // outlive the object. Throws CompoundFileError.
  explicit CompoundFile(std::string_view bytes);

  // The names of the streams directly inside the root storage.
  std::vector<std::u16string> RootStreamNames() const;

  // The whole stream `name` (compared without regard to ASCII case) of the
  // root storage; nullopt when there is none. Throws CompoundFileError when
  // its chain is broken.
  std::optional<std::string> ReadRootStream(std::u16string_view name) const;

 private:
  struct Entry {
    std::u16string name;
    std::uint8_t type = 0;  // 1 storage, 2 stream, 5 root
    std::uint32_t left = 0, right = 0, child = 0;
    std::uint32_t start = 0;
    std::uint64_t size = 0;
  };

  void ReadHeader();
  void ReadFat();
  void ReadDirectory();
  std::vector<std::uint32_t> Chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                   std::uint64_t limit) const;
  std::string Gather(std::string_view source, std::uint64_t first, std::uint64_t unit,
                     std::uint32_t start, const std::vector<std::uint32_t>& table,
                     std::uint64_t size) const;
  std::string ReadChain(std::uint32_t start, std::uint64_t size) const;
  std::string ReadMiniChain(std::uint32_t start, std::uint64_t size) const;
  std::vector<std::uint32_t> RootChildren() const;
  std::uint32_t U32(std::uint64_t at) const;
  std::uint64_t SectorCount() const;

  std::string_view bytes_;
  std::uint32_t major_version_ = 3;
  std::uint64_t sector_size_ = 512;
  std::uint32_t first_directory_ = 0;
  std::uint32_t first_mini_fat_ = 0;
  std::uint32_t mini_fat_sectors_ = 0;
  std::uint32_t first_difat_ = 0;
  std::uint32_t difat_sectors_ = 0;
  std::uint32_t fat_sectors_ = 0;
  std::vector<std::uint32_t> fat_;
  std::vector<Entry> entries_;
};

}  // namespace data::cfb
