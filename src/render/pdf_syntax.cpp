#include "render/pdf_syntax.h"

#include <algorithm>
#include <cstring>

namespace render {

void RefusePdf(std::string why) {
  throw PdfRefused{std::move(why)};
}

namespace {

bool IsWhite(char c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool IsRegular(char c) {
  return !IsWhite(c) && std::strchr("()<>[]{}/%", c) == nullptr;
}

}  // namespace

std::optional<long long> PdfInteger(std::string_view text) {
  if (text.empty() || text.size() > 15) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

PdfLexer::PdfLexer(std::string_view data, std::size_t pos, std::size_t end)
    : data_(data.substr(0, std::min(end, data.size()))), pos_(std::min(pos, data_.size())) {}

PdfToken PdfLexer::Next() {
  SkipWhiteAndComments();
  const std::size_t begin = pos_;
  if (pos_ >= data_.size()) return {PdfKind::kEnd, {begin, begin}};
  const char c = data_[pos_];
  PdfKind kind = PdfKind::kWord;
  if (c == '(') {
    SkipLiteralString();
    kind = PdfKind::kString;
  } else if (data_.substr(pos_, 2) == "<<" || data_.substr(pos_, 2) == ">>") {
    pos_ += 2;
    kind = c == '<' ? PdfKind::kOpen : PdfKind::kClose;
  } else if (c == '<') {
    pos_ = data_.find('>', pos_);
    if (pos_ == std::string_view::npos) RefusePdf("十六进制字符串没有结尾");
    ++pos_;
    kind = PdfKind::kString;
  } else if (c == '[' || c == ']') {
    ++pos_;
    kind = c == '[' ? PdfKind::kOpen : PdfKind::kClose;
  } else if (c == '/') {
    ++pos_;
    while (pos_ < data_.size() && IsRegular(data_[pos_])) ++pos_;
    kind = PdfKind::kName;
  } else if (c == '{' || c == '}') {
    ++pos_;
  } else if (!IsRegular(c)) {
    RefusePdf("意外的字符");
  } else {
    while (pos_ < data_.size() && IsRegular(data_[pos_])) ++pos_;
  }
  return {kind, {begin, pos_}};
}

std::string_view PdfLexer::NextWord() {
  const PdfToken t = Next();
  return t.kind == PdfKind::kWord ? Text(t) : std::string_view();
}

void PdfLexer::SkipWhiteAndComments() {
  while (pos_ < data_.size()) {
    if (data_[pos_] == '%') {
      while (pos_ < data_.size() && data_[pos_] != '\n' && data_[pos_] != '\r') ++pos_;
    } else if (IsWhite(data_[pos_])) {
      ++pos_;
    } else {
      return;
    }
  }
}

void PdfLexer::SkipLiteralString() {
  int depth = 0;
  for (; pos_ < data_.size(); ++pos_) {
    const char c = data_[pos_];
    if (c == '\\') {
      ++pos_;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      ++pos_;
      return;
    }
  }
  RefusePdf("字符串没有结尾");
}

// A dictionary's entries at its top level: each key and its value's span.
using PdfDict = std::vector<std::pair<std::string_view, PdfSpan>>;

const PdfSpan* FindKey(const PdfDict& dict, std::string_view key) {
  for (const auto& [k, v] : dict)
    if (k == key) return &v;
  return nullptr;
}

// One value: a word (an indirect reference "n g R" as one), a name, a
// string, or an array or dictionary to its matching close.
PdfSpan SkipPdfValue(PdfLexer& lex) {
  const PdfToken t = lex.Next();
  if (t.kind == PdfKind::kEnd || t.kind == PdfKind::kClose) RefusePdf("字典不完整");
  PdfSpan span = t.span;
  if (t.kind == PdfKind::kOpen) {
    for (int depth = 1; depth > 0;) {
      const PdfToken u = lex.Next();
      if (u.kind == PdfKind::kEnd) RefusePdf("数组或字典没有结尾");
      if (u.kind == PdfKind::kOpen) ++depth;
      if (u.kind == PdfKind::kClose) --depth;
      span.end = u.span.end;
    }
  } else if (t.kind == PdfKind::kWord && PdfInteger(lex.Text(t))) {
    PdfLexer peek = lex;
    const PdfToken generation = peek.Next();
    const PdfToken r = peek.Next();
    if (generation.kind == PdfKind::kWord && PdfInteger(peek.Text(generation)) &&
        r.kind == PdfKind::kWord && peek.Text(r) == "R") {
      lex = peek;
      span.end = r.span.end;
    }
  }
  return span;
}

PdfDict ReadPdfDict(PdfLexer& lex) {
  const PdfToken open = lex.Next();
  if (open.kind != PdfKind::kOpen || lex.Text(open) != "<<") RefusePdf("缺少字典");
  PdfDict dict;
  for (;;) {
    const PdfToken key = lex.Next();
    if (key.kind == PdfKind::kClose && lex.Text(key) == ">>") return dict;
    if (key.kind != PdfKind::kName) RefusePdf("字典的键不是名字");
    dict.emplace_back(lex.Text(key), SkipPdfValue(lex));
  }
}

}  // namespace render
