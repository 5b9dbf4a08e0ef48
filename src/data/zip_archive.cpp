#include "data/zip_archive.h"

#include <memory>

#include "data/read_ahead.h"

namespace data {

namespace {

using Kind = WorkbookError::Kind;

[[noreturn]] void Fail(Kind kind, const std::string& what, const std::string& path) {
  ThrowForFile(kind, what, path);
}

}  // namespace

ZipArchive::ZipArchive(const std::string& path, const ReadOptions& options)
    : path_(path), options_(options) {
  int error = 0;
  zip_ = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (zip_ == nullptr) {
    if (error == ZIP_ER_OPEN || error == ZIP_ER_READ) Fail(Kind::kOpen, "无法打开文件", path);
    Fail(Kind::kNotWorkbook, kNotWorkbookMessage, path);
  }
}

ZipArchive::~ZipArchive() {
  zip_discard(zip_);
}

std::optional<std::string> ZipArchive::ReadAll(const std::string& name, std::uint64_t limit) {
  std::optional<xlsx::ByteSource> source = Open(name, limit);
  if (!source) return std::nullopt;
  std::string bytes;
  std::size_t got = 0;
  do {
    bytes.resize(bytes.size() + (1 << 16));
    got = (*source)(bytes.data() + bytes.size() - (1 << 16), 1 << 16);
    bytes.resize(bytes.size() - (1 << 16) + got);
  } while (got > 0);
  return bytes;
}

std::optional<xlsx::ByteSource> ZipArchive::Open(const std::string& name, std::uint64_t limit) {
  zip_int64_t index = Locate(name);
  if (index < 0) return std::nullopt;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(zip_, static_cast<zip_uint64_t>(index), 0, &st) != 0 ||
      !(st.valid & ZIP_STAT_SIZE)) {
    Fail(Kind::kCorrupt, "工作簿已损坏（" + name + "）", path_);
  }
  if (st.size > std::min(limit, options_.max_part_bytes) ||
      st.size > options_.max_total_bytes - std::min(spent_, options_.max_total_bytes)) {
    Fail(Kind::kTooLarge, "工作簿的部件 " + name + " 过大，拒绝读取", path_);
  }
  spent_ += st.size;
  zip_file_t* file = zip_fopen_index(zip_, static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr) {
    int code = zip_error_code_zip(zip_get_error(zip_));
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP) {
      Fail(Kind::kPassword, "工作簿有密码保护，不能读取", path_);
    }
    Fail(Kind::kCorrupt, "工作簿已损坏（" + name + "）", path_);
  }
  auto holder = std::shared_ptr<zip_file_t>(file, [](zip_file_t* f) { zip_fclose(f); });
  auto left = std::make_shared<std::uint64_t>(st.size);
  return [holder, left, name, this](char* buffer, std::size_t capacity) -> std::size_t {
    // One byte more than declared tells a lying size from the end.
    std::uint64_t want = std::min<std::uint64_t>(capacity, *left + 1);
    zip_int64_t got = zip_fread(holder.get(), buffer, want);
    if (got < 0) Fail(Kind::kCorrupt, "工作簿已损坏或不完整（" + name + "）", path_);
    if (static_cast<std::uint64_t>(got) > *left) {
      Fail(Kind::kTooLarge, "工作簿的部件 " + name + " 解压后超过声明的大小", path_);
    }
    *left -= static_cast<std::uint64_t>(got);
    return static_cast<std::size_t>(got);
  };
}

std::optional<xlsx::ByteSource> ZipArchive::OpenReadAhead(const std::string& name,
                                                          std::uint64_t limit) {
  // Below this a thread costs more than it saves.
  constexpr std::uint64_t kReadAheadBytes = 4ULL << 20;
  const std::uint64_t bytes = DeclaredSize(name);
  std::optional<xlsx::ByteSource> source = Open(name, limit);
  if (source && bytes >= kReadAheadBytes) source = xlsx::ReadAhead(std::move(*source));
  return source;
}

std::uint64_t ZipArchive::DeclaredSize(const std::string& name) const {
  zip_int64_t index = Locate(name);
  zip_stat_t st;
  zip_stat_init(&st);
  if (index < 0 || zip_stat_index(zip_, static_cast<zip_uint64_t>(index), 0, &st) != 0) return 0;
  return st.size;
}

zip_int64_t ZipArchive::Locate(const std::string& name) const {
  zip_int64_t index = zip_name_locate(zip_, name.c_str(), 0);
  // Some writers differ in the case of part names.
  return index >= 0 ? index : zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE);
}

std::string_view LocalName(const char* qualified) {
  std::string_view name(qualified);
  std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(pugi::xml_node parent, std::string_view local) {
  for (pugi::xml_node n : parent.children()) {
    if (LocalName(n.name()) == local) return n;
  }
  return {};
}

pugi::xml_document ParseSmallPart(ZipArchive& zip, const std::string& name, bool required) {
  pugi::xml_document doc;
  std::optional<std::string> bytes = zip.ReadAll(name, kMaxSmallPart);
  if (!bytes) {
    if (required)
      Fail(Kind::kNotWorkbook, "文件不是有效的 Excel 工作簿（缺少 " + name + "）", zip.path());
    return doc;
  }
  // The default options leave DOCTYPE alone and expand no declared entities.
  if (!doc.load_buffer(bytes->data(), bytes->size())) {
    Fail(Kind::kCorrupt, "工作簿已损坏（" + name + " 不是有效的 XML）", zip.path());
  }
  return doc;
}

}  // namespace data
