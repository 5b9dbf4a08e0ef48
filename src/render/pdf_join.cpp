#include "render/pdf_join.h"

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "render/pdf_syntax.h"

namespace render {
namespace {

struct ObjectSpan {
  std::size_t body = 0;      // just after "n 0 obj"
  std::size_t body_end = 0;  // where "stream" or "endobj" begins
  std::size_t end = 0;       // just after "endobj"
};

// One PDF as Qt's writer leaves it: its cross-reference table, trailer,
// catalog and page tree root, and where each object lies.
class Part {
 public:
  explicit Part(std::string_view data) : data_(data) {
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
    PdfLexer lex(data_, kids->begin + 1, kids->end - 1);
    for (PdfLexer peek = lex; peek.Next().kind != PdfKind::kEnd; peek = lex)
      kids_.push_back(ReferenceIn(SkipPdfValue(lex)));
    if (PdfInteger(Text(count_span_)) != static_cast<long long>(kids_.size()))
      RefusePdf("页面树不止一层");
  }

  std::string_view Data() const { return data_; }
  std::string_view Text(PdfSpan s) const { return data_.substr(s.begin, s.end - s.begin); }
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

  ObjectSpan Locate(int n) const {
    if (!Has(n)) RefusePdf("引用了不存在的对象 " + std::to_string(n));
    PdfLexer lex(data_, offsets_[static_cast<std::size_t>(n)]);
    if (PdfInteger(lex.NextWord()) != n || lex.NextWord() != "0" || lex.NextWord() != "obj")
      RefusePdf("交叉引用表与对象 " + std::to_string(n) + " 不符");
    ObjectSpan span{lex.Pos(), 0, 0};
    for (;;) {
      const PdfToken t = lex.Next();
      if (t.kind == PdfKind::kEnd) RefusePdf("对象 " + std::to_string(n) + " 没有结尾");
      if (t.kind != PdfKind::kWord) continue;
      const std::string_view word = lex.Text(t);
      if (word == "endobj" || word == "stream") {
        span.body_end = t.span.begin;
        span.end = word == "endobj" ? t.span.end : StreamEnd(span.body, t.span.end);
        return span;
      }
    }
  }

 private:
  void ReadCrossReferences() {
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

  void ReadEntry(PdfLexer& lex, std::size_t n) {
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

  PdfDict DictOf(int n) const {
    PdfLexer lex(data_, Locate(n).body);
    return ReadPdfDict(lex);
  }

  std::optional<int> MaybeReference(PdfSpan s) const {
    PdfLexer lex(data_, s.begin, s.end);
    const std::optional<long long> n = PdfInteger(lex.NextWord());
    if (!n || lex.NextWord() != "0" || lex.NextWord() != "R" || lex.Next().kind != PdfKind::kEnd)
      return std::nullopt;
    return static_cast<int>(*n);
  }

  int ReferenceIn(PdfSpan s) const {
    const std::optional<int> n = MaybeReference(s);
    if (!n) RefusePdf("应为对象引用：“" + std::string(Text(s)) + "”");
    return *n;
  }

  // Where the object whose dictionary starts at `body` ends, its stream
  // data beginning after the keyword that ends at `keyword_end`.
  std::size_t StreamEnd(std::size_t body, std::size_t keyword_end) const {
    PdfLexer lex(data_, body);
    const PdfSpan* length_span = nullptr;
    const PdfDict dict = ReadPdfDict(lex);
    length_span = FindKey(dict, "/Length");
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
    if (!length || *length > static_cast<long long>(data_.size() - begin))
      RefusePdf("流的长度不对");
    PdfLexer tail(data_, begin + static_cast<std::size_t>(*length));
    if (tail.NextWord() != "endstream" || tail.NextWord() != "endobj") RefusePdf("流的长度不对");
    return tail.Pos();
  }

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

// The joined file as it is written, counting its bytes for the table.
class Output {
 public:
  explicit Output(QSaveFile& file) : file_(file) {}
  void Write(std::string_view bytes) {
    if (file_.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size()))
      throw PdfRefused{"写入时出错：" + file_.errorString().toStdString()};
    pos_ += bytes.size();
  }
  std::size_t Pos() const { return pos_; }

 private:
  QSaveFile& file_;
  std::size_t pos_ = 0;
};

// Object numbers of the joined file, per part and old number; 0 where a
// part's object is not copied (its catalog, information, page tree root).
using Numbering = std::vector<std::vector<int>>;

// Copies part.Data()[begin, end) outside stream data with every indirect
// reference renumbered.
void WriteRenumbered(const Part& part, PdfSpan range, const std::vector<int>& numbers,
                     Output& out) {
  PdfLexer lex(part.Data(), range.begin, range.end);
  std::size_t copied = range.begin;
  PdfToken before_last{PdfKind::kEnd, {}};
  PdfToken last{PdfKind::kEnd, {}};
  for (PdfToken t = lex.Next(); t.kind != PdfKind::kEnd; t = lex.Next()) {
    if (t.kind == PdfKind::kWord && lex.Text(t) == "R" && before_last.kind == PdfKind::kWord &&
        last.kind == PdfKind::kWord) {
      const std::optional<long long> n = PdfInteger(lex.Text(before_last));
      if (n && PdfInteger(lex.Text(last))) {
        if (lex.Text(last) != "0" || *n >= static_cast<long long>(numbers.size()) ||
            numbers[static_cast<std::size_t>(*n)] == 0)
          RefusePdf("引用了不能合并的对象 " + std::to_string(*n));
        out.Write(part.Text({copied, before_last.span.begin}));
        out.Write(std::to_string(numbers[static_cast<std::size_t>(*n)]));
        copied = before_last.span.end;
      }
    }
    before_last = last;
    last = t;
  }
  out.Write(part.Text({copied, range.end}));
}

// The first part's page tree root, now holding every part's pages.
void WritePageRoot(const std::vector<std::unique_ptr<Part>>& parts, const Numbering& numbering,
                   const ObjectSpan& root, Output& out) {
  const Part& first = *parts.front();
  std::string kids = "[";
  std::size_t count = 0;
  for (std::size_t k = 0; k < parts.size(); ++k)
    for (int kid : parts[k]->Kids()) {
      kids += '\n' + std::to_string(numbering[k][static_cast<std::size_t>(kid)]) + " 0 R";
      ++count;
    }
  kids += "\n]";
  std::vector<std::pair<PdfSpan, std::string>> replaced{{first.KidsSpan(), kids},
                                                        {first.CountSpan(), std::to_string(count)}};
  std::sort(replaced.begin(), replaced.end(),
            [](const auto& a, const auto& b) { return a.first.begin < b.first.begin; });
  std::size_t pos = root.body;
  for (const auto& [span, text] : replaced) {
    WriteRenumbered(first, {pos, span.begin}, numbering[0], out);
    out.Write(text);
    pos = span.end;
  }
  WriteRenumbered(first, {pos, root.body_end}, numbering[0], out);
  out.Write(first.Text({root.body_end, root.end}));
}

Numbering NumberObjects(const std::vector<std::unique_ptr<Part>>& parts) {
  Numbering numbering(parts.size());
  int next = 1;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const Part& part = *parts[k];
    std::vector<int> skipped;
    if (k > 0) {
      skipped = part.CatalogRefs();
      skipped.insert(skipped.end(), {part.Root(), part.Info(), part.Pages()});
    }
    numbering[k].assign(static_cast<std::size_t>(part.Size()), 0);
    for (int n = 1; n < part.Size(); ++n)
      if (part.Has(n) && std::find(skipped.begin(), skipped.end(), n) == skipped.end())
        numbering[k][static_cast<std::size_t>(n)] = next++;
    // The other parts' pages name the first part's root as their parent.
    if (k > 0)
      numbering[k][static_cast<std::size_t>(part.Pages())] =
          numbering[0][static_cast<std::size_t>(parts[0]->Pages())];
  }
  return numbering;
}

// The cross-reference table and trailer of objects 1 to offsets.size() - 1.
void WriteTail(const Part& first, int root, int info, const std::vector<std::size_t>& offsets,
               Output& out) {
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
  if (!first.Id().empty()) table += "/ID " + first.Id() + "\n";
  table += ">>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  out.Write(table);
}

// `current` names the part being read, for the message.
void Join(const std::vector<std::unique_ptr<Part>>& parts, std::size_t& current, Output& out) {
  const Numbering numbering = NumberObjects(parts);
  const Part& first = *parts.front();
  std::vector<std::size_t> offsets(1);
  out.Write(first.Data().substr(0, first.HeaderEnd()));
  for (current = 0; current < parts.size(); ++current) {
    const Part& part = *parts[current];
    const std::vector<int>& numbers = numbering[current];
    for (int n = 1; n < part.Size(); ++n) {
      const int number = numbers[static_cast<std::size_t>(n)];
      if (number == 0 || (current > 0 && n == part.Pages())) continue;
      const ObjectSpan object = part.Locate(n);
      offsets.resize(std::max(offsets.size(), static_cast<std::size_t>(number) + 1));
      offsets[static_cast<std::size_t>(number)] = out.Pos();
      out.Write(std::to_string(number) + " 0 obj");
      if (current == 0 && n == part.Pages()) {
        WritePageRoot(parts, numbering, object, out);
      } else {
        WriteRenumbered(part, {object.body, object.body_end}, numbers, out);
        out.Write(part.Text({object.body_end, object.end}));
      }
      out.Write("\n");
    }
  }
  const auto& first_numbers = numbering.front();
  WriteTail(first, first_numbers[static_cast<std::size_t>(first.Root())],
            first.Info() > 0 ? first_numbers[static_cast<std::size_t>(first.Info())] : 0, offsets,
            out);
}

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

grid::Status JoinPdfs(std::span<const std::string> paths, const std::string& path) {
  if (paths.empty()) return grid::Status::Error("没有要合并的PDF");
  std::vector<std::unique_ptr<QFile>> files;
  std::vector<std::unique_ptr<Part>> parts;
  std::size_t current = 0;
  try {
    for (current = 0; current < paths.size(); ++current) {
      auto& file = files.emplace_back(std::make_unique<QFile>(Utf8(paths[current])));
      if (!file->open(QIODevice::ReadOnly))
        RefusePdf("无法读取：" + file->errorString().toStdString());
      if (file->size() == 0) RefusePdf("文件是空的");
      const uchar* bytes = file->map(0, file->size());
      if (bytes == nullptr) RefusePdf("无法读取：" + file->errorString().toStdString());
      parts.push_back(std::make_unique<Part>(
          std::string_view(reinterpret_cast<const char*>(bytes), file->size())));
    }
    QSaveFile file(Utf8(path));
    if (!file.open(QIODevice::WriteOnly))
      return grid::Status::Error("无法写入文件“" + path + "”：" + file.errorString().toStdString());
    Output out(file);
    Join(parts, current, out);
    if (!file.commit())
      return grid::Status::Error("写入PDF文件“" + path + "”时出错：" +
                                 file.errorString().toStdString());
  } catch (const PdfRefused& refused) {
    return grid::Status::Error("无法合并PDF“" + paths[std::min(current, paths.size() - 1)] + "”：" +
                               refused.why);
  }
  return grid::Status::Ok();
}

}  // namespace render
