#include "data/xlsx_reader.h"

#include <map>
#include <pugixml.hpp>

#include "data/number_format.h"
#include "data/xlsx_reader_sheet.h"
#include "data/xlsx_reader_xml.h"
#include "data/zip_archive.h"

namespace data {

namespace {

using Kind = WorkbookError::Kind;
using xlsx::XmlToken;

[[noreturn]] void Fail(Kind kind, const std::string& what, const std::string& path) {
  ThrowForFile(kind, what, path);
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

// The part of the workbook's relationship `type` ("sharedStrings",
// "styles"), or the usual name beside the workbook part.
std::string RelatedPart(ZipArchive& zip, const std::string& workbook_part, std::string_view type) {
  for (const auto& [id, rel] : ReadRelationships(zip, workbook_part)) {
    if (rel.type.ends_with("/" + std::string(type))) return rel.target;
  }
  return ResolvePart(workbook_part.substr(0, workbook_part.rfind('/') + 1),
                     std::string(type) + ".xml");
}

// Per cell style: the note its number format gives a number (a custom
// <numFmt> code, or a built-in format number).
std::vector<std::uint8_t> StyleNotes(ZipArchive& zip, const std::string& workbook_part) {
  pugi::xml_document doc = ParseSmallPart(zip, RelatedPart(zip, workbook_part, "styles"), false);
  pugi::xml_node styles = Child(doc, "styleSheet");
  std::map<unsigned, NumberFormatKind> custom;
  for (pugi::xml_node n : Child(styles, "numFmts").children()) {
    if (LocalName(n.name()) == "numFmt")
      custom[n.attribute("numFmtId").as_uint()] = FormatCodeKind(n.attribute("formatCode").value());
  }
  std::vector<std::uint8_t> notes;
  for (pugi::xml_node n : Child(styles, "cellXfs").children()) {
    if (LocalName(n.name()) != "xf") continue;
    const unsigned id = n.attribute("numFmtId").as_uint();
    auto it = custom.find(id);
    const NumberFormatKind kind = it != custom.end() ? it->second : BuiltInFormatKind(id);
    notes.push_back(kind == NumberFormatKind::kDate      ? kDateFormat
                    : kind == NumberFormatKind::kPercent ? kPercentFormat
                                                         : kNoNote);
  }
  return notes;
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
    xlsx::SheetContext context;
    if (any_wanted) {
      current_part = RelatedPart(zip, workbook_part, "sharedStrings");
      // Shared strings go first into the pool, so index i is pool entry i.
      if (std::optional<xlsx::ByteSource> sst =
              zip.OpenReadAhead(current_part, options.max_part_bytes)) {
        context.sst_count = xlsx::ReadSharedStrings(*sst, book.strings());
      }
      current_part = RelatedPart(zip, workbook_part, "styles");
      context.style_notes = StyleNotes(zip, workbook_part);
    }
    for (const SheetEntry& e : entries) {
      if (!options.Wants(e.name)) continue;
      Sheet& sheet = book.AddSheet(e.name);
      if (e.part.empty()) continue;
      current_part = e.part;
      const std::uint64_t bytes = zip.DeclaredSize(e.part);
      std::optional<xlsx::ByteSource> source = zip.OpenReadAhead(e.part, options.max_part_bytes);
      if (!source) Fail(Kind::kCorrupt, "工作簿已损坏（缺少 " + e.part + "）", path);
      xlsx::ReadSheetXml(*source, bytes, context, options, sheet);
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
