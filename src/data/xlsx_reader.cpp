#include "data/xlsx_reader.h"

#include <zip.h>

#include <map>
#include <pugixml.hpp>

#include "data/xlsx_reader_sheet.h"
#include "data/xlsx_reader_xml.h"

namespace data {

namespace {

using Kind = WorkbookError::Kind;
using xlsx::XmlToken;

// Workbook and relationship parts are small; anything larger is not ours.
constexpr std::uint64_t kMaxSmallPart = 64ULL << 20;

[[noreturn]] void Fail(Kind kind, const std::string& what, const std::string& path) {
  throw WorkbookError(kind, what + "：" + path);
}

// One opened zip archive with the size budget of ReadOptions.
class ZipArchive {
 public:
  ZipArchive(const std::string& path, const ReadOptions& options) : path_(path), options_(options) {
    int error = 0;
    zip_ = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (zip_ == nullptr) {
      if (error == ZIP_ER_OPEN || error == ZIP_ER_READ) Fail(Kind::kOpen, "无法打开文件", path);
      Fail(Kind::kNotWorkbook, "文件不是有效的 Excel 工作簿", path);
    }
  }
  ~ZipArchive() { zip_discard(zip_); }
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  bool Has(const std::string& name) const { return Locate(name) >= 0; }

  // The whole part, or nullopt when the archive has no such entry.
  std::optional<std::string> ReadAll(const std::string& name, std::uint64_t limit) {
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

  // A stream over the part, or nullopt when the archive has no such entry.
  // Refuses a part whose declared size is beyond the limits, and stops one
  // that inflates to more than it declared.
  std::optional<xlsx::ByteSource> Open(const std::string& name, std::uint64_t limit) {
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

  std::uint64_t DeclaredSize(const std::string& name) const {
    zip_int64_t index = Locate(name);
    zip_stat_t st;
    zip_stat_init(&st);
    if (index < 0 || zip_stat_index(zip_, static_cast<zip_uint64_t>(index), 0, &st) != 0) return 0;
    return st.size;
  }

  const std::string& path() const { return path_; }

 private:
  zip_int64_t Locate(const std::string& name) const {
    zip_int64_t index = zip_name_locate(zip_, name.c_str(), 0);
    // Some writers differ in the case of part names.
    return index >= 0 ? index : zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE);
  }

  std::string path_;
  const ReadOptions& options_;
  zip_t* zip_ = nullptr;
  std::uint64_t spent_ = 0;
};

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

// "xl/" + "worksheets/sheet1.xml", with "..", "." and absolute targets.
std::string ResolvePart(const std::string& base_dir, std::string_view target) {
  std::string joined =
      target.starts_with('/') ? std::string(target.substr(1)) : base_dir + std::string(target);
  std::vector<std::string> parts;
  std::size_t begin = 0;
  while (begin <= joined.size()) {
    std::size_t end = joined.find('/', begin);
    if (end == std::string::npos) end = joined.size();
    std::string segment = joined.substr(begin, end - begin);
    if (segment == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!segment.empty() && segment != ".") {
      parts.push_back(segment);
    }
    begin = end + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

struct Relationship {
  std::string target;  // resolved part name
  std::string type;
};

std::map<std::string, Relationship> ReadRelationships(ZipArchive& zip, const std::string& part) {
  std::size_t slash = part.rfind('/');
  std::string dir = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
  pugi::xml_document doc = ParseSmallPart(zip, dir + "_rels/" + file + ".rels", false);
  std::map<std::string, Relationship> rels;
  for (pugi::xml_node n : Child(doc, "Relationships").children()) {
    if (LocalName(n.name()) != "Relationship") continue;
    if (std::string_view(n.attribute("TargetMode").value()) == "External") continue;
    rels[n.attribute("Id").value()] = {ResolvePart(dir, n.attribute("Target").value()),
                                       n.attribute("Type").value()};
  }
  return rels;
}

std::string WorkbookPart(ZipArchive& zip) {
  for (const auto& [id, rel] : ReadRelationships(zip, "")) {
    if (rel.type.ends_with("/officeDocument") && zip.Has(rel.target)) return rel.target;
  }
  return "xl/workbook.xml";
}

struct SheetEntry {
  std::string name;
  std::string part;  // empty when the tab has no part we can read
};

std::vector<SheetEntry> ListSheets(ZipArchive& zip, const std::string& workbook_part) {
  pugi::xml_document doc = ParseSmallPart(zip, workbook_part, true);
  std::map<std::string, Relationship> rels = ReadRelationships(zip, workbook_part);
  std::vector<SheetEntry> sheets;
  for (pugi::xml_node n : Child(Child(doc, "workbook"), "sheets").children()) {
    if (LocalName(n.name()) != "sheet") continue;
    SheetEntry entry{n.attribute("name").value(), {}};
    for (pugi::xml_attribute a : n.attributes()) {
      std::string_view qualified = a.name();
      if (qualified.find(':') != std::string_view::npos && LocalName(a.name()) == "id") {
        auto rel = rels.find(a.value());
        if (rel != rels.end()) entry.part = rel->second.target;
      }
    }
    sheets.push_back(std::move(entry));
  }
  return sheets;
}

std::string SharedStringsPart(ZipArchive& zip, const std::string& workbook_part) {
  for (const auto& [id, rel] : ReadRelationships(zip, workbook_part)) {
    if (rel.type.ends_with("/sharedStrings")) return rel.target;
  }
  return ResolvePart(workbook_part.substr(0, workbook_part.rfind('/') + 1), "sharedStrings.xml");
}

}  // namespace

Workbook ReadXlsx(const std::string& path, const ReadOptions& options) {
  ZipArchive zip(path, options);
  Workbook book;
  std::string current_part;
  try {
    std::string workbook_part = WorkbookPart(zip);
    std::vector<SheetEntry> entries = ListSheets(zip, workbook_part);
    bool any_wanted = false;
    for (const SheetEntry& e : entries) any_wanted = any_wanted || options.Wants(e.name);
    std::uint32_t sst_count = 0;
    if (any_wanted) {
      current_part = SharedStringsPart(zip, workbook_part);
      // Shared strings go first into the pool, so index i is pool entry i.
      if (std::optional<xlsx::ByteSource> sst = zip.Open(current_part, options.max_part_bytes)) {
        sst_count = xlsx::ReadSharedStrings(*sst, book.strings());
      }
    }
    for (const SheetEntry& e : entries) {
      if (!options.Wants(e.name)) continue;
      Sheet& sheet = book.AddSheet(e.name);
      if (e.part.empty()) continue;
      current_part = e.part;
      std::optional<xlsx::ByteSource> source = zip.Open(e.part, options.max_part_bytes);
      if (!source) Fail(Kind::kCorrupt, "工作簿已损坏（缺少 " + e.part + "）", path);
      xlsx::ReadSheetXml(*source, zip.DeclaredSize(e.part), sst_count, options, sheet);
    }
  } catch (const xlsx::XmlError& e) {
    Fail(Kind::kCorrupt, std::string("工作簿已损坏（") + current_part + "：" + e.what() + "）",
         path);
  } catch (const WorkbookError& e) {
    // Cell-level errors are raised without the file's name.
    if (std::string_view(e.what()).find(path) != std::string_view::npos) throw;
    Fail(e.kind(), e.what(), path);
  }
  return book;
}

}  // namespace data
