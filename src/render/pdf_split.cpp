#include "render/pdf_split.h"

#include <QBuffer>
#include <QFile>
#include <QString>
#include <algorithm>
#include <bit>
#include <cstring>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

#include "render/pdf_file.h"
#include "render/pdf_font_cut.h"

namespace render {
namespace {

// What an object becomes in a piece: copied, or rebuilt for the glyphs the
// piece uses.
enum class Role : char { kCopy, kCidFont, kFontFile, kCidSet, kToUnicode };

// A Type0 font as Qt writes it: the objects that are rebuilt per piece.
struct FontParts {
  int cid_font = 0;
  int font_file = 0;
  int cid_set = 0;
  int to_unicode = 0;
  std::unique_ptr<EmbeddedFont> font;  // null: the font is copied whole
};

bool IsName(const PdfFile& pdf, const PdfDict& dict, std::string_view key, std::string_view name) {
  const PdfSpan* value = FindKey(dict, key);
  return value != nullptr && pdf.Text(*value) == name;
}

// A stream's data, inflated when it is compressed.
std::string StreamText(const PdfFile& pdf, int n) {
  const ObjectSpan object = pdf.Locate(n);
  if (object.stream.end == 0) RefusePdf("对象 " + std::to_string(n) + " 不是流");
  PdfLexer lex(pdf.Data(), object.body);
  const PdfDict dict = ReadPdfDict(lex);
  const std::string_view data = pdf.Text(object.stream);
  const PdfSpan* filter = FindKey(dict, "/Filter");
  if (filter == nullptr) return std::string(data);
  if (pdf.Text(*filter) != "/FlateDecode") RefusePdf("不支持的压缩方式");
  return InflatePdfStream(data);
}

// The glyph ids a piece shows in one font: a bit each, as a page repeats
// most of its glyphs many times.
class GlyphSet {
 public:
  void Add(std::uint16_t g) { bits_[g / 64u] |= std::uint64_t{1} << (g % 64u); }
  const GlyphIds& Ids() {
    if (ids_.empty()) {
      Add(0);
      for (std::size_t w = 0; w < bits_.size(); ++w)
        for (std::uint64_t word = bits_[w]; word != 0; word &= word - 1)
          ids_.push_back(static_cast<std::uint16_t>(
              w * 64 + static_cast<std::size_t>(std::countr_zero(word))));
    }
    return ids_;
  }

 private:
  std::vector<std::uint64_t> bits_ = std::vector<std::uint64_t>(65536 / 64);
  GlyphIds ids_;  // listed once every page is read
};

class Splitter {
 public:
  explicit Splitter(std::string_view data)
      : pdf_(data),
        role_(static_cast<std::size_t>(pdf_.Size()), Role::kCopy),
        owner_(static_cast<std::size_t>(pdf_.Size()), 0) {}

  int PageCount() const { return static_cast<int>(pdf_.Kids().size()); }

  void Write(int first, int last, const std::string& path) {
    used_.clear();
    for (int i = first; i < last; ++i) ScanPage(pdf_.Kids()[static_cast<std::size_t>(i)]);
    NumberObjects(first, last);
    // Written whole in memory first: a class's file is small, and a file
    // synced to disk one by one would cost a province's pack minutes.
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(pdf_.Data().size() / pdf_.Kids().size()) * (last - first) +
                  (256 << 10));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    PdfOutput out(buffer);
    out.Write(pdf_.Data().substr(0, pdf_.HeaderEnd()));
    std::vector<std::size_t> offsets(order_.size() + 1);
    for (int n : order_) {
      offsets[static_cast<std::size_t>(number_[static_cast<std::size_t>(n)])] = out.Pos();
      out.Write(std::to_string(number_[static_cast<std::size_t>(n)]) + " 0 obj");
      WriteObject(n, first, last, out);
      out.Write("\n");
    }
    WritePdfTail(pdf_.Id(), 1, pdf_.Info() > 0 ? 3 : 0, offsets, out);
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush())
      RefusePdf("无法写入文件“" + path + "”：" + file.errorString().toStdString());
  }

 private:
  // The glyphs the page's text shows, by font.
  void ScanPage(int page) {
    const PdfDict dict = pdf_.DictOf(page);
    std::unordered_map<std::string_view, int> fonts;
    if (const PdfSpan* resources = FindKey(dict, "/Resources")) {
      const PdfDict r = pdf_.DictAt(*resources);
      if (const PdfSpan* font_dict = FindKey(r, "/Font"))
        for (const auto& [name, value] : pdf_.DictAt(*font_dict)) {
          fonts[name] = pdf_.ReferenceIn(value);
          ReadFont(fonts[name]);
        }
      // A form or tiling pattern draws content of its own, whose glyphs this
      // scan would not see: cutting the fonts would lose them.
      for (const std::string_view key : {"/XObject", "/Pattern"})
        if (const PdfSpan* drawn = FindKey(r, key))
          for (const auto& [name, value] : pdf_.DictAt(*drawn))
            if (FindKey(pdf_.DictAt(value), "/Resources") != nullptr)
              RefusePdf("页面里有不认识的内容");
    }
    if (const PdfSpan* contents = FindKey(dict, "/Contents"))
      for (int c : pdf_.ReferencesIn(*contents)) ScanContent(StreamText(pdf_, c), fonts);
  }

  // Reads only what shows text: "/Name size Tf" and the hex strings of
  // glyph ids, 4 digits each, that Qt writes for Identity-H. Anything that
  // could hide a string from this scan (a literal string, an inline image)
  // is refused.
  void ScanContent(std::string_view text, const std::unordered_map<std::string_view, int>& fonts) {
    GlyphSet* glyphs = nullptr;
    std::string_view name;
    const auto regular = [&](std::size_t i) {
      return i < text.size() && std::strchr(" \n\r\t\f()<>[]{}/%", text[i]) == nullptr &&
             text[i] != '\0';
    };
    for (std::size_t i = 0; i < text.size();) {
      const char c = text[i];
      if (c == '/') {
        std::size_t end = i + 1;
        while (regular(end)) ++end;
        name = text.substr(i, end - i);
        i = end;
      } else if (c == '<' && text.substr(i, 2) != "<<") {
        const std::size_t close = text.find('>', i);
        if (close == std::string_view::npos || glyphs == nullptr || (close - i - 1) % 4 != 0)
          RefusePdf("页面里有不认识的文字串");
        for (std::size_t d = i + 1; d < close; d += 4) {
          const std::optional<unsigned long> g = HexGlyph(text.substr(d, 4));
          if (!g) RefusePdf("页面里有不认识的文字串");
          glyphs->Add(static_cast<std::uint16_t>(*g));
        }
        i = close + 1;
      } else if (c == '(' || c == '%' ||
                 (text.substr(i, 2) == "ID" && !regular(i + 2) && (i == 0 || !regular(i - 1)))) {
        RefusePdf("页面里有不认识的内容");
      } else if (c == 'T' && text.substr(i, 2) == "Tf" && !regular(i + 2) &&
                 (i == 0 || !regular(i - 1))) {
        const auto font = fonts.find(name);
        if (font == fonts.end()) RefusePdf("页面用了没有列出的字体");
        glyphs = &used_[font->second];
        i += 2;
      } else {
        i += text.substr(i, 2) == "<<" ? 2 : 1;
      }
    }
  }

  static std::optional<unsigned long> HexGlyph(std::string_view digits) {
    unsigned long v = 0;
    for (char c : digits) {
      const int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : -1;
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<unsigned long>(d);
    }
    return v;
  }

  // Reads a font the first time a page lists it; one that is not as Qt
  // writes it is copied whole.
  void ReadFont(int type0) {
    if (fonts_.contains(type0)) return;
    FontParts& parts = fonts_[type0];
    const PdfDict font = pdf_.DictOf(type0);
    const PdfSpan* descendants = FindKey(font, "/DescendantFonts");
    const PdfSpan* to_unicode = FindKey(font, "/ToUnicode");
    if (!IsName(pdf_, font, "/Subtype", "/Type0") ||
        !IsName(pdf_, font, "/Encoding", "/Identity-H") || descendants == nullptr ||
        to_unicode == nullptr)
      return;
    const std::vector<int> cid_fonts = pdf_.ReferencesIn(*descendants);
    if (cid_fonts.size() != 1) return;
    const PdfDict cid = pdf_.DictOf(cid_fonts[0]);
    const PdfSpan* descriptor = FindKey(cid, "/FontDescriptor");
    if (!IsName(pdf_, cid, "/Subtype", "/CIDFontType2") ||
        !IsName(pdf_, cid, "/CIDToGIDMap", "/Identity") || descriptor == nullptr)
      return;
    const PdfDict fd = pdf_.DictAt(*descriptor);
    const PdfSpan* font_file = FindKey(fd, "/FontFile2");
    if (font_file == nullptr) return;
    parts.cid_font = cid_fonts[0];
    parts.font_file = pdf_.ReferenceIn(*font_file);
    parts.to_unicode = pdf_.ReferenceIn(*to_unicode);
    if (const PdfSpan* cid_set = FindKey(fd, "/CIDSet")) parts.cid_set = pdf_.ReferenceIn(*cid_set);
    const PdfSpan* widths = FindKey(cid, "/W");
    parts.font = std::make_unique<EmbeddedFont>(StreamText(pdf_, parts.font_file),
                                                widths ? pdf_.Text(*widths) : std::string_view(),
                                                StreamText(pdf_, parts.to_unicode));
    for (const auto& [n, role] : {std::pair{parts.cid_font, Role::kCidFont},
                                  {parts.font_file, Role::kFontFile},
                                  {parts.cid_set, Role::kCidSet},
                                  {parts.to_unicode, Role::kToUnicode}}) {
      if (n <= 0 || n >= pdf_.Size()) continue;
      role_[static_cast<std::size_t>(n)] = role;
      owner_[static_cast<std::size_t>(n)] = type0;
    }
  }

  // The catalog 1, the page tree 2, the information 3, then whatever the
  // pages reach, in the order reached.
  void NumberObjects(int first, int last) {
    number_.assign(static_cast<std::size_t>(pdf_.Size()), 0);
    order_.clear();
    std::deque<int> queue;
    const auto reach = [&](long long n) {
      if (n <= 0 || n >= pdf_.Size()) RefusePdf("引用了不存在的对象 " + std::to_string(n));
      int& number = number_[static_cast<std::size_t>(n)];
      if (number != 0) return;
      number = static_cast<int>(order_.size()) + 1;
      order_.push_back(static_cast<int>(n));
      queue.push_back(static_cast<int>(n));
    };
    reach(pdf_.Root());
    reach(pdf_.Pages());
    queue.pop_back();  // its kids are the piece's pages only
    if (pdf_.Info() > 0) reach(pdf_.Info());
    for (int i = first; i < last; ++i) reach(pdf_.Kids()[static_cast<std::size_t>(i)]);
    while (!queue.empty()) {
      const int n = queue.front();
      queue.pop_front();
      const Role role = role_[static_cast<std::size_t>(n)];
      if (role != Role::kCopy && role != Role::kCidFont) continue;  // rebuilt without references
      const ObjectSpan object = pdf_.Locate(n);
      ForEachReference(pdf_, {object.body, object.body_end},
                       [&](PdfSpan, long long m) { reach(m); });
    }
  }

  void WriteObject(int n, int first, int last, PdfOutput& out) {
    const ObjectSpan object = pdf_.Locate(n);
    const Role role = role_[static_cast<std::size_t>(n)];
    if (n == pdf_.Pages()) {
      std::string kids = "[";
      for (int i = first; i < last; ++i)
        kids += '\n' +
                std::to_string(
                    number_[static_cast<std::size_t>(pdf_.Kids()[static_cast<std::size_t>(i)])]) +
                " 0 R";
      WriteObjectReplacing(
          pdf_, object,
          {{pdf_.KidsSpan(), kids + "\n]"}, {pdf_.CountSpan(), std::to_string(last - first)}},
          number_, out);
      return;
    }
    if (role == Role::kCopy) {
      WriteRenumbered(pdf_, {object.body, object.body_end}, number_, out);
      out.Write(pdf_.Text({object.body_end, object.end}));
      return;
    }
    const int type0 = owner_[static_cast<std::size_t>(n)];
    const EmbeddedFont& font = *fonts_.at(type0).font;
    const GlyphIds& glyphs = GlyphsOf(type0);
    if (role == Role::kCidFont) {
      PdfLexer lex(pdf_.Data(), object.body);
      const PdfDict dict = ReadPdfDict(lex);
      std::vector<std::pair<PdfSpan, std::string>> replaced;
      if (const PdfSpan* widths = FindKey(dict, "/W"))
        replaced.emplace_back(*widths, font.Widths(glyphs));
      WriteObjectReplacing(pdf_, object, std::move(replaced), number_, out);
      return;
    }
    std::string dict = "\n<<\n";
    std::string data;
    if (role == Role::kFontFile) {
      const std::string file = font.FontFile(glyphs);
      dict += "/Length1 " + std::to_string(file.size()) + "\n/Filter /FlateDecode\n";
      data = DeflatePdfStream(file);
    } else if (role == Role::kToUnicode) {
      dict += "/Filter /FlateDecode\n";
      data = DeflatePdfStream(font.ToUnicode(glyphs));
    } else {
      data = CidSet(glyphs);
    }
    out.Write(dict + "/Length " + std::to_string(data.size()) + "\n>>\nstream\n");
    out.Write(data);
    out.Write("\nendstream\nendobj");
  }

  // The piece's glyphs of one font, .notdef among them.
  const GlyphIds& GlyphsOf(int type0) { return used_[type0].Ids(); }

  PdfFile pdf_;
  std::vector<Role> role_;
  std::vector<int> owner_;  // the Type0 font of an object rebuilt for it
  std::unordered_map<int, FontParts> fonts_;
  std::unordered_map<int, GlyphSet> used_;  // by Type0 font, for the piece
  std::vector<int> number_;                 // the piece's number of each object, or 0
  std::vector<int> order_;                  // the objects copied, by their new number
};

}  // namespace

grid::Status SplitPdf(std::string_view pdf, std::span<const int> first_pages,
                      std::span<const std::string> paths) {
  if (paths.empty()) return grid::Status::Error("没有要写的PDF");
  std::size_t current = 0;
  try {
    Splitter splitter(pdf);
    const int pages = splitter.PageCount();
    if (first_pages.size() != paths.size() || first_pages.empty() || first_pages.front() != 0)
      RefusePdf("页码不对");
    for (current = 0; current < paths.size(); ++current) {
      const int first = first_pages[current];
      const int last = current + 1 < paths.size() ? first_pages[current + 1] : pages;
      if (first >= last || last > pages) RefusePdf("页码不对");
      splitter.Write(first, last, paths[current]);
    }
  } catch (const PdfRefused& refused) {
    return grid::Status::Error("无法拆分PDF“" + paths[std::min(current, paths.size() - 1)] + "”：" +
                               refused.why);
  }
  return grid::Status::Ok();
}

}  // namespace render
