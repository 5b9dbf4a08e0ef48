#include "render/pdf_font_cut.h"

#include <algorithm>
#include <cstring>

#include "render/pdf_syntax.h"

namespace render {
namespace {

constexpr std::size_t kGlyphLimit = 65536;

std::uint32_t Read32(std::string_view b, std::size_t at) {
  if (at + 4 > b.size()) RefusePdf("字体文件不完整");
  const auto u = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i]));
  };
  return u(0) << 24 | u(1) << 16 | u(2) << 8 | u(3);
}

std::uint16_t Read16(std::string_view b, std::size_t at) {
  if (at + 2 > b.size()) RefusePdf("字体文件不完整");
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) << 8 |
                                    static_cast<unsigned char>(b[at + 1]));
}

void Put16(std::string& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<char>(v >> 8 & 0xff);
  b[at + 1] = static_cast<char>(v & 0xff);
}

void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v >> 16);
  Put16(b, at + 2, v & 0xffff);
}

void Append32(std::string& b, std::uint32_t v) {
  b.append(4, '\0');
  Put32(b, b.size() - 4, v);
}

// The sum of big-endian words that TrueType checks tables with, the bytes
// padded with zeros to a whole word.
std::uint32_t CheckSum(std::string_view b) {
  std::uint32_t sum = 0;
  std::size_t i = 0;
  for (; i + 4 <= b.size(); i += 4) sum += Read32(b, i);
  std::uint32_t last = 0;
  for (std::size_t k = 0; i + k < b.size(); ++k)
    last |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[i + k])) << (24 - 8 * k);
  return sum + last;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of hex digits in a string token "<...>", at most 8 of them.
std::uint32_t HexValue(std::string_view token) {
  if (token.size() < 3 || token.size() > 10 || token.front() != '<' || token.back() != '>')
    RefusePdf("字体的编码表已损坏");
  std::uint32_t v = 0;
  for (char c : token.substr(1, token.size() - 2)) {
    const int d = HexDigit(c);
    if (d < 0) RefusePdf("字体的编码表已损坏");
    v = v * 16 + static_cast<std::uint32_t>(d);
  }
  return v;
}

std::string Hex(std::uint32_t v, std::size_t digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s(digits, '0');
  for (std::size_t i = digits; i-- > 0; v >>= 4) s[i] = kDigits[v & 15];
  return s;
}

// `digits` (hex, the code points' UTF-16 units) plus `step` in its last unit.
std::string HexPlus(std::string_view digits, std::uint32_t step) {
  if (digits.size() < 4 || digits.size() % 4 != 0) RefusePdf("字体的编码表已损坏");
  const std::size_t last = digits.size() - 4;
  const std::uint32_t unit = HexValue("<" + std::string(digits.substr(last)) + ">") + step;
  return std::string(digits.substr(0, last)) + Hex(unit & 0xffff, 4);
}

}  // namespace

EmbeddedFont::EmbeddedFont(std::string font_file, std::string_view widths,
                           std::string_view to_unicode)
    : file_(std::move(font_file)) {
  ReadTables();
  ReadWidths(widths);
  ReadToUnicode(to_unicode);
}

void EmbeddedFont::ReadTables() {
  const std::size_t count = Read16(file_, 4);
  std::size_t loca = 0, maxp = 0, hhea = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t record = 12 + 16 * i;
    Table t;
    t.offset = Read32(file_, record + 8);
    t.length = Read32(file_, record + 12);
    std::memcpy(t.tag, file_.data() + record, 4);
    if (t.offset > file_.size() || t.length > file_.size() - t.offset)
      RefusePdf("字体文件的表越界");
    const std::string_view tag(t.tag, 4);
    if (tag == "glyf") glyf_ = tables_.size() + 1;
    if (tag == "head") head_ = tables_.size() + 1;
    if (tag == "hmtx") hmtx_ = tables_.size() + 1;
    if (tag == "loca") loca = t.offset;
    if (tag == "maxp") maxp = t.offset;
    if (tag == "hhea") hhea = t.offset;
    tables_.push_back(t);
  }
  if (glyf_ == 0 || head_ == 0 || hmtx_ == 0 || loca == 0 || maxp == 0 || hhea == 0 ||
      tables_[head_ - 1].length < 54)
    return;
  const std::size_t glyphs = Read16(file_, maxp + 4);
  const bool long_offsets = Read16(file_, tables_[head_ - 1].offset + 50) != 0;
  long_metrics_ = Read16(file_, hhea + 34);
  const std::size_t glyf_length = tables_[glyf_ - 1].length;
  for (std::size_t g = 0; g <= glyphs; ++g) {
    const std::size_t at =
        long_offsets ? Read32(file_, loca + 4 * g) : 2u * Read16(file_, loca + 2 * g);
    if (at > glyf_length || (g > 0 && at < glyph_offsets_.back())) return;
    glyph_offsets_.push_back(at);
  }
  const std::size_t glyf = tables_[glyf_ - 1].offset;
  for (std::size_t g = 0; g < glyphs; ++g)
    // A composite glyph would need its parts kept too: not what Qt makes.
    if (glyph_offsets_[g + 1] > glyph_offsets_[g] &&
        static_cast<std::int16_t>(Read16(file_, glyf + glyph_offsets_[g])) < 0)
      return;
  cuttable_ = long_metrics_ >= 1 && static_cast<std::size_t>(long_metrics_) <= glyphs &&
              tables_[hmtx_ - 1].length >= 2 * glyphs + 2 * static_cast<std::size_t>(long_metrics_);
}

std::string EmbeddedFont::FontFile(const GlyphIds& keep) const {
  if (!cuttable_) return file_;
  const std::size_t glyphs = glyph_offsets_.size() - 1;
  const std::string_view all = file_;
  const std::string_view glyf = all.substr(tables_[glyf_ - 1].offset, tables_[glyf_ - 1].length);
  std::string hmtx(all.substr(tables_[hmtx_ - 1].offset, tables_[hmtx_ - 1].length));
  const auto metrics = static_cast<std::size_t>(long_metrics_);
  std::string new_glyf;
  std::vector<std::size_t> offsets(glyphs + 1);
  auto kept = keep.begin();
  for (std::size_t g = 0; g < glyphs; ++g) {
    offsets[g] = new_glyf.size();
    while (kept != keep.end() && *kept < g) ++kept;
    if (kept != keep.end() && *kept == g) {
      new_glyf += glyf.substr(glyph_offsets_[g], glyph_offsets_[g + 1] - glyph_offsets_[g]);
      new_glyf.resize((new_glyf.size() + 3) & ~std::size_t{3}, '\0');
    } else if (g + 1 < metrics) {
      // Unused metrics zeroed compress to nothing; the last long metric's
      // advance stands for the glyphs after it, so it stays.
      Put32(hmtx, 4 * g, 0);
    } else {
      Put16(hmtx, g < metrics ? 4 * g + 2 : 4 * metrics + 2 * (g - metrics), 0);
    }
  }
  offsets[glyphs] = new_glyf.size();
  const bool long_offsets = new_glyf.size() > 0x1FFFE;
  std::string loca;
  for (std::size_t at : offsets) {
    if (long_offsets) {
      Append32(loca, static_cast<std::uint32_t>(at));
    } else {
      loca.append(2, '\0');
      Put16(loca, loca.size() - 2, static_cast<std::uint32_t>(at / 2));
    }
  }
  std::string out(all.substr(0, 12 + 16 * tables_.size()));
  std::size_t head = 0;
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    const Table& t = tables_[i];
    const std::string_view tag(t.tag, 4);
    std::string bytes(all.substr(t.offset, t.length));
    if (i + 1 == glyf_) bytes = std::move(new_glyf);
    if (i + 1 == hmtx_) bytes = std::move(hmtx);
    if (tag == "loca") bytes = std::move(loca);
    if (tag == "head") {
      head = out.size();
      Put32(bytes, 8, 0);
      Put16(bytes, 50, long_offsets ? 1 : 0);
    }
    const std::size_t record = 12 + 16 * i;
    Put32(out, record + 4, CheckSum(bytes));
    Put32(out, record + 8, static_cast<std::uint32_t>(out.size()));
    Put32(out, record + 12, static_cast<std::uint32_t>(bytes.size()));
    out += bytes;
    out.resize((out.size() + 3) & ~std::size_t{3}, '\0');
  }
  Put32(out, head + 8, 0xB1B0AFBAu - CheckSum(out));
  return out;
}

void EmbeddedFont::ReadWidths(std::string_view widths) {
  if (widths.empty()) return;
  const std::string text(widths);
  PdfLexer lex(text, 0);
  if (lex.Text(lex.Next()) != "[") RefusePdf("字宽表不是数组");
  const auto set = [this](long long g, std::string_view w) {
    if (g < 0 || g >= static_cast<long long>(kGlyphLimit)) RefusePdf("字宽表已损坏");
    if (static_cast<std::size_t>(g) >= widths_.size())
      widths_.resize(static_cast<std::size_t>(g) + 1);
    widths_[static_cast<std::size_t>(g)] = w;
  };
  for (PdfToken t = lex.Next(); t.kind != PdfKind::kClose; t = lex.Next()) {
    const std::optional<long long> first = PdfInteger(lex.Text(t));
    if (!first) RefusePdf("字宽表已损坏");
    PdfToken next = lex.Next();
    if (next.kind == PdfKind::kOpen) {
      long long g = *first;
      for (PdfToken w = lex.Next(); w.kind != PdfKind::kClose; w = lex.Next()) {
        if (w.kind != PdfKind::kWord) RefusePdf("字宽表已损坏");
        set(g++, lex.Text(w));
      }
    } else {
      const std::optional<long long> last = PdfInteger(lex.Text(next));
      const PdfToken w = lex.Next();
      if (!last || *last < *first || *last >= static_cast<long long>(kGlyphLimit) ||
          w.kind != PdfKind::kWord)
        RefusePdf("字宽表已损坏");
      for (long long g = *first; g <= *last; ++g) set(g, lex.Text(w));
    }
  }
}

std::string EmbeddedFont::Widths(const GlyphIds& keep) const {
  std::string out = "[";
  std::size_t run_end = 0;  // the glyph after the run being written
  for (std::uint16_t g : keep) {
    if (g >= widths_.size() || widths_[g].empty()) continue;
    if (g != run_end || out.size() == 1)
      out += (out.size() > 1 ? "]\n" : "") + std::to_string(g) + " [";
    out += widths_[g] + ' ';
    run_end = g + 1u;
  }
  return out + (out.size() > 1 ? "]\n]" : "]");
}

void EmbeddedFont::ReadToUnicode(std::string_view cmap) {
  const auto set = [this](std::uint32_t g, std::string digits) {
    if (g >= kGlyphLimit) RefusePdf("字体的编码表已损坏");
    if (g >= unicodes_.size()) unicodes_.resize(g + 1);
    unicodes_[g] = std::move(digits);
  };
  const auto digits = [](std::string_view token) {
    return std::string(token.substr(1, token.size() - 2));
  };
  const std::string text(cmap);
  for (const bool ranges : {true, false}) {
    const std::string begin = ranges ? "beginbfrange" : "beginbfchar";
    for (std::size_t at = text.find(begin); at != std::string::npos; at = text.find(begin, at)) {
      const std::size_t end = text.find(ranges ? "endbfrange" : "endbfchar", at);
      if (end == std::string::npos) RefusePdf("字体的编码表已损坏");
      PdfLexer lex(text, at + begin.size(), end);
      for (PdfToken t = lex.Next(); t.kind != PdfKind::kEnd; t = lex.Next()) {
        const std::uint32_t first = HexValue(lex.Text(t));
        const std::uint32_t last = ranges ? HexValue(lex.Text(lex.Next())) : first;
        const PdfToken to = lex.Next();
        if (last < first || last >= kGlyphLimit) RefusePdf("字体的编码表已损坏");
        if (to.kind == PdfKind::kOpen) {
          for (std::uint32_t g = first; g <= last; ++g) {
            const PdfToken u = lex.Next();
            if (u.kind != PdfKind::kString) RefusePdf("字体的编码表已损坏");
            set(g, digits(lex.Text(u)));
          }
          if (lex.Next().kind != PdfKind::kClose) RefusePdf("字体的编码表已损坏");
        } else {
          if (to.kind != PdfKind::kString) RefusePdf("字体的编码表已损坏");
          HexValue(lex.Text(to));
          for (std::uint32_t g = first; g <= last; ++g)
            set(g, HexPlus(digits(lex.Text(to)), g - first));
        }
      }
      at = end;
    }
  }
}

std::string EmbeddedFont::ToUnicode(const GlyphIds& keep) const {
  std::vector<std::uint16_t> mapped;
  for (std::uint16_t g : keep)
    if (g < unicodes_.size() && !unicodes_[g].empty()) mapped.push_back(g);
  std::string out =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  // A block holds at most 100 entries.
  for (std::size_t first = 0; first < mapped.size(); first += 100) {
    const std::size_t last = std::min(mapped.size(), first + 100);
    out += std::to_string(last - first) + " beginbfchar\n";
    for (std::size_t i = first; i < last; ++i)
      out += '<' + Hex(mapped[i], 4) + "> <" + unicodes_[mapped[i]] + ">\n";
    out += "endbfchar\n";
  }
  return out + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

std::string CidSet(const GlyphIds& keep) {
  std::string bits(keep.empty() ? 1 : keep.back() / 8u + 1, '\0');
  for (std::uint16_t g : keep) bits[g / 8u] = static_cast<char>(bits[g / 8u] | (0x80 >> (g % 8)));
  return bits;
}

}  // namespace render
