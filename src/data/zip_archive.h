// The zip container of .xlsx and .ods workbooks, read through libzip with a
// size budget: a part whose declared size is beyond the limits of
// ReadOptions is refused, and one that inflates to more than it declared is
// stopped (zip bombs).
#pragma once

#include <zip.h>

#include <cstdint>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "data/workbook.h"
#include "data/xlsx_reader_xml.h"

namespace data {

// Small parts (workbook, relationships, styles, manifest) are read whole;
// anything larger than this is not one of them.
constexpr std::uint64_t kMaxSmallPart = 64ULL << 20;

class ZipArchive {
 public:
  // Throws WorkbookError: kOpen when the file cannot be read, kNotWorkbook
  // when it is not a zip archive.
  ZipArchive(const std::string& path, const ReadOptions& options);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  bool Has(const std::string& name) const { return Locate(name) >= 0; }
  // The whole part, or nullopt when the archive has no such entry.
  std::optional<std::string> ReadAll(const std::string& name, std::uint64_t limit);
  // A stream over the part, or nullopt when the archive has no such entry.
  // The stream refers to this archive, which must outlive it.
  std::optional<xlsx::ByteSource> Open(const std::string& name, std::uint64_t limit);
  // The same, inflated ahead in a thread of its own when the part is large
  // (a sheet, shared strings), so that scanning and inflating take a core
  // each. Nothing else may use the archive until the stream is gone.
  std::optional<xlsx::ByteSource> OpenReadAhead(const std::string& name, std::uint64_t limit);
  std::uint64_t DeclaredSize(const std::string& name) const;
  const std::string& path() const { return path_; }

 private:
  zip_int64_t Locate(const std::string& name) const;

  std::string path_;
  const ReadOptions& options_;
  zip_t* zip_ = nullptr;
  std::uint64_t spent_ = 0;
};

// The name of an element or attribute without its namespace prefix.
std::string_view LocalName(const char* qualified);
// The first child element of `parent` with that local name.
pugi::xml_node Child(pugi::xml_node parent, std::string_view local);
// A small part parsed whole; an empty document when it is missing and not
// `required`. Throws WorkbookError naming the archive.
pugi::xml_document ParseSmallPart(ZipArchive& zip, const std::string& name, bool required);

}  // namespace data
