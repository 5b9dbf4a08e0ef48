#include "render/pdf_file.h"

#include <algorithm>
#include <cstdio>

#include <zlib.h>

namespace render {

PdfFile::PdfFile(std::string_view data) : data_(data) {
  if (!data_.starts_with("%PDF-")) RefusePdf("不是PDF文件");
  ReadCrossReferences();
  const PdfDict catalog = DictOf(root_);
  const PdfSpan* pages = FindKey(catalog, "/Pages");
  if (pages == nullptr) RefusePdf("目录没有页面树");
  pages_ = ReferenceIn(*pages);
  for (const auto& [key, value] : catalog)
    if (key != "/Pages")
      if (std::optional<int> ref = MaybeReference(value)) catalog_refs_.push_back(*ref);
  const PdfDict tree = DictOf(pages_);
  const PdfSpan* kids = FindKey(tree, "/Kids");
  const PdfSpan* count = FindKey(tree, "/Count");
  if (kids == nullptr || count == nullptr) RefusePdf("页面树没有 /Kids 或 /Count");
  kids_span_ = *kids;
  count_span_ = *count;
  if (!Text(*kids).starts_with('[')) RefusePdf("页面树的 /Kids 不是数组");
  kids_ = ReferencesIn(*kids);
  if (PdfInteger(Text(count_span_)) != static_cast<long long>(kids_.size()))
    RefusePdf("页面树不止一层");
}

ObjectSpan PdfFile::Locate(int n) const {
  if (!Has(n)) RefusePdf("引用了不存在的对象 " + std::to_string(n));
  PdfLexer lex(data_, offsets_[static_cast<std::size_t>(n)]);
  if (PdfInteger(lex.NextWord()) != n || lex.NextWord() != "0" || lex.NextWord() != "obj")
    RefusePdf("交叉引用表与对象 " + std::to_string(n) + " 不符");
  ObjectSpan span{lex.Pos(), 0, 0, {}};
  for (;;) {
    const PdfToken t = lex.Next();
    if (t.kind == PdfKind::kEnd) RefusePdf("对象 " + std::to_string(n) + " 没有结尾");
    if (t.kind != PdfKind::kWord) continue;
    const std::string_view word = lex.Text(t);
    if (word == "endobj") {
      span.body_end = t.span.begin;
      span.end = t.span.end;
      return span;
    }
    if (word == "stream") {
      span.body_end = t.span.begin;
      span.stream = StreamData(span.body, t.span.end);
      PdfLexer tail(data_, span.stream.end);
      if (tail.NextWord() != "endstream" || tail.NextWord() != "endobj") RefusePdf("流的长度不对");
      span.end = tail.Pos();
      return span;
    }
  }
}

PdfDict PdfFile::DictOf(int n) const {
  PdfLexer lex(data_, Locate(n).body);
  return ReadPdfDict(lex);
}

PdfDict PdfFile::DictAt(PdfSpan s) const {
  if (std::optional<int> ref = MaybeReference(s)) return DictOf(*ref);
  PdfLexer lex(data_, s.begin, s.end);
  return ReadPdfDict(lex);
}

std::optional<int> PdfFile::MaybeReference(PdfSpan s) const {
  PdfLexer lex(data_, s.begin, s.end);
  const std::optional<long long> n = PdfInteger(lex.NextWord());
  if (!n || *n > Size() || lex.NextWord() != "0" || lex.NextWord() != "R" ||
      lex.Next().kind != PdfKind::kEnd)
    return std::nullopt;
  return static_cast<int>(*n);
}

int PdfFile::ReferenceIn(PdfSpan s) const {
  const std::optional<int> n = MaybeReference(s);
  if (!n) RefusePdf("应为对象引用：“" + std::string(Text(s)) + "”");
  return *n;
}

std::vector<int> PdfFile::ReferencesIn(PdfSpan s) const {
  if (!Text(s).starts_with('[')) return {ReferenceIn(s)};
  std::vector<int> refs;
  PdfLexer lex(data_, s.begin + 1, s.end - 1);
  for (PdfLexer peek = lex; peek.Next().kind != PdfKind::kEnd; peek = lex)
    refs.push_back(ReferenceIn(SkipPdfValue(lex)));
  return refs;
}

void PdfFile::ReadCrossReferences() {
  const std::size_t startxref = data_.rfind("startxref");
  if (startxref == std::string_view::npos) RefusePdf("找不到交叉引用表");
  PdfLexer at_end(data_, startxref + 9);
  const std::optional<long long> xref = PdfInteger(at_end.NextWord());
  if (!xref) RefusePdf("找不到交叉引用表");
  PdfLexer lex(data_, static_cast<std::size_t>(*xref));
  if (lex.NextWord() != "xref") RefusePdf("交叉引用表不是经典格式");
  for (std::string_view word = lex.NextWord(); word != "trailer"; word = lex.NextWord()) {
    const std::optional<long long> first = PdfInteger(word);
    const std::optional<long long> count = PdfInteger(lex.NextWord());
    // Each object takes more than a byte: a larger table is damage.
    if (!first || !count || *first + *count > static_cast<long long>(data_.size()))
      RefusePdf("交叉引用表已损坏");
    if (static_cast<long long>(offsets_.size()) < *first + *count)
      offsets_.resize(static_cast<std::size_t>(*first + *count), 0);
    for (long long i = 0; i < *count; ++i) ReadEntry(lex, static_cast<std::size_t>(*first + i));
  }
  const PdfDict trailer = ReadPdfDict(lex);
  for (const char* key : {"/Prev", "/Encrypt", "/XRefStm"})
    if (FindKey(trailer, key) != nullptr) RefusePdf(std::string("不支持的 ") + key);
  const PdfSpan* size = FindKey(trailer, "/Size");
  const PdfSpan* root = FindKey(trailer, "/Root");
  if (size == nullptr || root == nullptr || PdfInteger(Text(*size)) != Size())
    RefusePdf("文件尾不完整");
  root_ = ReferenceIn(*root);
  if (const PdfSpan* info = FindKey(trailer, "/Info")) info_ = ReferenceIn(*info);
  if (const PdfSpan* id = FindKey(trailer, "/ID")) id_ = std::string(Text(*id));
}

void PdfFile::ReadEntry(PdfLexer& lex, std::size_t n) {
  const std::optional<long long> offset = PdfInteger(lex.NextWord());
  const std::string_view generation = lex.NextWord();
  const std::string_view type = lex.NextWord();
  if (!offset || !PdfInteger(generation) || (type != "n" && type != "f"))
    RefusePdf("交叉引用表已损坏");
  if (type == "f") return;
  if (generation != "0" && generation != "00000") RefusePdf("对象的代号不是 0");
  if (*offset <= 0 || *offset >= static_cast<long long>(data_.size()))
    RefusePdf("交叉引用表指向文件之外");
  offsets_[n] = static_cast<std::size_t>(*offset);
  first_offset_ = std::min(first_offset_, offsets_[n]);
}

// The data of the stream whose dictionary starts at `body`, after the
// keyword that ends at `keyword_end`.
PdfSpan PdfFile::StreamData(std::size_t body, std::size_t keyword_end) const {
  PdfLexer lex(data_, body);
  const PdfDict dict = ReadPdfDict(lex);
  const PdfSpan* length_span = FindKey(dict, "/Length");
  if (length_span == nullptr) RefusePdf("流没有长度");
  std::optional<long long> length = PdfInteger(Text(*length_span));
  if (std::optional<int> ref = MaybeReference(*length_span)) {
    PdfLexer value(data_, Locate(*ref).body);
    length = PdfInteger(value.NextWord());
  }
  std::size_t begin = keyword_end;
  if (data_.substr(begin, 2) == "\r\n")
    begin += 2;
  else if (data_.substr(begin, 1) == "\n")
    ++begin;
  else
    RefusePdf("流的开头不对");
  if (!length || *length > static_cast<long long>(data_.size() - begin)) RefusePdf("流的长度不对");
  return {begin, begin + static_cast<std::size_t>(*length)};
}

void PdfOutput::Write(std::string_view bytes) {
  if (device_.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
      static_cast<qint64>(bytes.size()))
    throw PdfRefused{"写入时出错：" + device_.errorString().toStdString()};
  pos_ += bytes.size();
}

void ForEachReference(const PdfFile& file, PdfSpan range,
                      const std::function<void(PdfSpan number, long long n)>& found) {
  PdfLexer lex(file.Data(), range.begin, range.end);
  PdfToken before_last{PdfKind::kEnd, {}};
  PdfToken last{PdfKind::kEnd, {}};
  for (PdfToken t = lex.Next(); t.kind != PdfKind::kEnd; t = lex.Next()) {
    if (t.kind == PdfKind::kWord && lex.Text(t) == "R" && before_last.kind == PdfKind::kWord &&
        last.kind == PdfKind::kWord) {
      const std::optional<long long> n = PdfInteger(lex.Text(before_last));
      if (n && PdfInteger(lex.Text(last))) {
        if (lex.Text(last) != "0") RefusePdf("对象的代号不是 0");
        found(before_last.span, *n);
      }
    }
    before_last = last;
    last = t;
  }
}

void WriteRenumbered(const PdfFile& file, PdfSpan range, const std::vector<int>& numbers,
                     PdfOutput& out) {
  std::size_t copied = range.begin;
  ForEachReference(file, range, [&](PdfSpan number, long long n) {
    if (n >= static_cast<long long>(numbers.size()) || numbers[static_cast<std::size_t>(n)] == 0)
      RefusePdf("引用了不能复制的对象 " + std::to_string(n));
    out.Write(file.Text({copied, number.begin}));
    out.Write(std::to_string(numbers[static_cast<std::size_t>(n)]));
    copied = number.end;
  });
  out.Write(file.Text({copied, range.end}));
}

void WriteObjectReplacing(const PdfFile& file, const ObjectSpan& object,
                          std::vector<std::pair<PdfSpan, std::string>> replaced,
                          const std::vector<int>& numbers, PdfOutput& out) {
  std::sort(replaced.begin(), replaced.end(),
            [](const auto& a, const auto& b) { return a.first.begin < b.first.begin; });
  std::size_t pos = object.body;
  for (const auto& [span, text] : replaced) {
    WriteRenumbered(file, {pos, span.begin}, numbers, out);
    out.Write(text);
    pos = span.end;
  }
  WriteRenumbered(file, {pos, object.body_end}, numbers, out);
  out.Write(file.Text({object.body_end, object.end}));
}

std::string InflatePdfStream(std::string_view data) {
  constexpr std::size_t kLimit = std::size_t{256} << 20;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) RefusePdf("无法解压");
  std::string out;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  int status = Z_OK;
  while (status == Z_OK) {
    const std::size_t had = out.size();
    out.resize(std::max<std::size_t>(4 * data.size(), had * 2) + 256);
    if (out.size() > kLimit) break;
    z.next_out = reinterpret_cast<Bytef*>(out.data() + had);
    z.avail_out = static_cast<uInt>(out.size() - had);
    status = inflate(&z, Z_NO_FLUSH);
    out.resize(out.size() - z.avail_out);
  }
  inflateEnd(&z);
  if (status != Z_STREAM_END) RefusePdf("压缩的流已损坏");
  return out;
}

std::string DeflatePdfStream(std::string_view data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                1) != Z_OK)
    RefusePdf("无法压缩");
  out.resize(size);
  return out;
}

void WritePdfTail(const std::string& id, int root, int info,
                  const std::vector<std::size_t>& offsets, PdfOutput& out) {
  const std::size_t xref = out.Pos();
  std::string table = "xref\n0 " + std::to_string(offsets.size()) + "\n0000000000 65535 f \n";
  char entry[32];
  for (std::size_t n = 1; n < offsets.size(); ++n) {
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets[n]);
    table += entry;
  }
  table += "trailer\n<<\n/Size " + std::to_string(offsets.size()) + "\n";
  if (info > 0) table += "/Info " + std::to_string(info) + " 0 R\n";
  table += "/Root " + std::to_string(root) + " 0 R\n";
  if (!id.empty()) table += "/ID " + id + "\n";
  table += ">>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  out.Write(table);
}

}  // namespace render
