// One PDF as this program's writer (Qt's QPdfWriter) leaves it, read for
// joining (pdf_join.h) and splitting (pdf_split.h): one classic
// cross-reference table (no object or cross-reference streams, no
// incremental updates, no encryption), generation 0 throughout, and one
// flat page tree. The bytes are untrusted: anything else throws PdfRefused
// with a Chinese reason. A PdfFile holds a view: the bytes must outlive it.
#pragma once

#include <QIODevice>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/pdf_syntax.h"

namespace render {

struct ObjectSpan {
  std::size_t body = 0;      // just after "n 0 obj"
  std::size_t body_end = 0;  // where "stream" or "endobj" begins
  std::size_t end = 0;       // just after "endobj"
  PdfSpan stream;            // the stream's bytes; empty when it has none
};

class PdfFile {
 public:
  explicit PdfFile(std::string_view data);

  std::string_view Data() const { return data_; }
  std::string_view Text(PdfSpan s) const { return data_.substr(s.begin, s.end - s.begin); }
  // Object numbers are below Size().
  int Size() const { return static_cast<int>(offsets_.size()); }
  bool Has(int n) const { return n > 0 && n < Size() && offsets_[static_cast<std::size_t>(n)] > 0; }
  int Root() const { return root_; }
  int Info() const { return info_; }
  int Pages() const { return pages_; }
  const std::vector<int>& CatalogRefs() const { return catalog_refs_; }
  const std::vector<int>& Kids() const { return kids_; }
  PdfSpan KidsSpan() const { return kids_span_; }
  PdfSpan CountSpan() const { return count_span_; }
  const std::string& Id() const { return id_; }
  std::size_t HeaderEnd() const { return first_offset_; }

  ObjectSpan Locate(int n) const;
  PdfDict DictOf(int n) const;
  // The dictionary that the value `s` is, or that the object it refers to is.
  PdfDict DictAt(PdfSpan s) const;
  std::optional<int> MaybeReference(PdfSpan s) const;
  int ReferenceIn(PdfSpan s) const;
  // The objects that the value `s` refers to: itself, or an array of them.
  std::vector<int> ReferencesIn(PdfSpan s) const;

 private:
  void ReadCrossReferences();
  void ReadEntry(PdfLexer& lex, std::size_t n);
  PdfSpan StreamData(std::size_t body, std::size_t keyword_end) const;

  std::string_view data_;
  std::vector<std::size_t> offsets_;  // 0: no such object
  std::size_t first_offset_ = std::string_view::npos;
  int root_ = 0;
  int info_ = 0;
  int pages_ = 0;
  std::vector<int> catalog_refs_;
  std::vector<int> kids_;
  PdfSpan kids_span_;
  PdfSpan count_span_;
  std::string id_;
};

// A PDF being written, counting its bytes for the cross-reference table.
class PdfOutput {
 public:
  explicit PdfOutput(QIODevice& device) : device_(device) {}
  void Write(std::string_view bytes);
  std::size_t Pos() const { return pos_; }

 private:
  QIODevice& device_;
  std::size_t pos_ = 0;
};

// Calls `found(number, n)` for each indirect reference "n 0 R" in
// file.Data()[range) outside stream data, `number` the span of its "n".
// Another generation than 0 is refused.
void ForEachReference(const PdfFile& file, PdfSpan range,
                      const std::function<void(PdfSpan number, long long n)>& found);

// Copies file.Data()[range) outside stream data with every indirect
// reference n renumbered to numbers[n]; a reference to an object numbered 0
// there is refused.
void WriteRenumbered(const PdfFile& file, PdfSpan range, const std::vector<int>& numbers,
                     PdfOutput& out);

// Object `object` of `file` renumbered as WriteRenumbered does, with the
// spans of its dictionary in `replaced` (apart, in any order) replaced by
// their texts; its stream, if any, copied as it is.
void WriteObjectReplacing(const PdfFile& file, const ObjectSpan& object,
                          std::vector<std::pair<PdfSpan, std::string>> replaced,
                          const std::vector<int>& numbers, PdfOutput& out);

// Inflates a stream's bytes; PdfRefused when they are damaged or would take
// more than 256 MiB. Deflates at level 1: fast, for files written once.
std::string InflatePdfStream(std::string_view data);
std::string DeflatePdfStream(std::string_view data);

// The cross-reference table of objects 1 to offsets.size() - 1 and the
// trailer; `id` is the trailer's /ID value, or empty.
void WritePdfTail(const std::string& id, int root, int info,
                  const std::vector<std::size_t>& offsets, PdfOutput& out);

}  // namespace render
