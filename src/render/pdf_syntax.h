// The few pieces of PDF syntax that joining and splitting our own PDFs
// needs (pdf_join.h, pdf_split.h):
// tokens outside stream data, and a dictionary's top-level entries. Input
// is untrusted bytes: every read is bounded by the data, and anything
// malformed throws PdfRefused with a Chinese reason.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace render {

// Why some PDF bytes cannot be used.
struct PdfRefused {
  std::string why;
};

[[noreturn]] void RefusePdf(std::string why);

// A non-negative integer written in decimal digits only.
std::optional<long long> PdfInteger(std::string_view text);

// Bytes [begin, end) of the data.
struct PdfSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// kWord is a number or a keyword (obj, R, stream, true); kOpen and kClose
// are "<<", "[" and ">>", "]".
enum class PdfKind { kWord, kName, kString, kOpen, kClose, kEnd };

struct PdfToken {
  PdfKind kind;
  PdfSpan span;
};

// The tokens of `data` from `pos` up to `end`. It holds a view: the data
// must outlive it. Copying it is how to look ahead.
class PdfLexer {
 public:
  PdfLexer(std::string_view data, std::size_t pos, std::size_t end = std::string_view::npos);

  std::size_t Pos() const { return pos_; }
  std::string_view Text(const PdfToken& t) const {
    return data_.substr(t.span.begin, t.span.end - t.span.begin);
  }
  // kEnd at the end; comments are skipped.
  PdfToken Next();
  // The next token's text when it is a word, else empty.
  std::string_view NextWord();

 private:
  void SkipWhiteAndComments();
  void SkipLiteralString();

  std::string_view data_;
  std::size_t pos_;
};

// A dictionary's entries at its top level: each key and its value's span.
using PdfDict = std::vector<std::pair<std::string_view, PdfSpan>>;

const PdfSpan* FindKey(const PdfDict& dict, std::string_view key);

// One value: a word (an indirect reference "n g R" as one), a name, a
// string, or an array or dictionary to its matching close.
PdfSpan SkipPdfValue(PdfLexer& lex);

// The dictionary that the next token opens.
PdfDict ReadPdfDict(PdfLexer& lex);

}  // namespace render
