#include "render/pdf_text_map.h"

#include <QFont>
#include <QRawFont>
#include <QString>
#include <unordered_map>

#include "render/font_map.h"

namespace render {

namespace {

constexpr char32_t kRadicalsFirst = 0x2E80;
constexpr char32_t kRadicalsLast = 0x2FDF;
constexpr char32_t kIdeographsFirst = 0x4E00;
constexpr char32_t kIdeographsLast = 0x9FFF;

// Kangxi radicals decompose to their ideographs; most supplement radicals
// do not, so those are looked up by glyph in the CJK faces we print with.
std::unordered_map<char32_t, char32_t> BuildRadicalMap() {
  std::unordered_map<char32_t, char32_t> map;
  QStringList faces = FamiliesFor("宋体") + UiFamilies();
  for (const QString& family : faces) {
    QRawFont raw = QRawFont::fromFont(QFont(family));
    if (!raw.isValid()) continue;
    std::unordered_map<quint32, char32_t> ideograph_of_glyph;
    for (char32_t c = kIdeographsLast; c >= kIdeographsFirst; --c) {
      quint32 glyph = raw.glyphIndexesForString(QString::fromUcs4(&c, 1)).value(0);
      if (glyph != 0) ideograph_of_glyph[glyph] = c;
    }
    for (char32_t r = kRadicalsFirst; r <= kRadicalsLast; ++r) {
      if (map.contains(r)) continue;
      quint32 glyph = raw.glyphIndexesForString(QString::fromUcs4(&r, 1)).value(0);
      auto it = ideograph_of_glyph.find(glyph);
      if (glyph != 0 && it != ideograph_of_glyph.end()) map[r] = it->second;
    }
  }
  for (char32_t r = kRadicalsFirst; r <= kRadicalsLast; ++r) {
    if (map.contains(r)) continue;
    QString kc = QString::fromUcs4(&r, 1).normalized(QString::NormalizationForm_KC);
    if (kc.size() == 1 && kc.at(0).unicode() >= kIdeographsFirst) map[r] = kc.at(0).unicode();
  }
  return map;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Replaces the 4-digit code "<XXXX>" at `pos` when it needs it.
void PatchCode(QByteArray& pdf, qsizetype pos) {
  char32_t code = 0;
  for (int i = 1; i <= 4; ++i) {
    int v = HexValue(pdf.at(pos + i));
    if (v < 0) return;
    code = code * 16 + static_cast<char32_t>(v);
  }
  char32_t fixed = code;
  if (code == U'\t') fixed = U' ';
  if (code >= kRadicalsFirst && code <= kRadicalsLast) fixed = IdeographForRadical(code);
  if (fixed == code) return;
  QByteArray hex =
      QByteArray::number(static_cast<uint>(fixed), 16).toUpper().rightJustified(4, '0');
  for (int i = 0; i < 4; ++i) pdf[pos + 1 + i] = hex.at(i);
}

// Qt writes "<first> <last> [<u1> <u2> ...]": only the bracketed codes are
// code points.
void PatchRanges(QByteArray& pdf, qsizetype begin, qsizetype end) {
  qsizetype pos = begin;
  while ((pos = pdf.indexOf('[', pos)) >= 0 && pos < end) {
    qsizetype close = pdf.indexOf(']', pos);
    if (close < 0 || close > end) return;
    for (qsizetype i = pos; i + 5 < close; ++i)
      if (pdf.at(i) == '<' && pdf.at(i + 5) == '>') PatchCode(pdf, i);
    pos = close;
  }
}

}  // namespace

char32_t IdeographForRadical(char32_t c) {
  static const std::unordered_map<char32_t, char32_t> map = BuildRadicalMap();
  auto it = map.find(c);
  return it == map.end() ? c : it->second;
}

void RepairPdfTextMap(QByteArray& pdf) {
  qsizetype pos = 0;
  while ((pos = pdf.indexOf("beginbfrange", pos)) >= 0) {
    qsizetype end = pdf.indexOf("endbfrange", pos);
    if (end < 0) return;
    PatchRanges(pdf, pos, end);
    pos = end;
  }
}

}  // namespace render
