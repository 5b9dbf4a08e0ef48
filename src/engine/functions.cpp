#include "engine/functions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "common/text_number.h"
#include "engine/jet_dates.h"

namespace engine {
namespace {

bool IsNull(sqlite3_value* v) {
  return sqlite3_value_type(v) == SQLITE_NULL;
}

// A number argument: a text is read by its leading number, as Jet's Val does.
double Number(sqlite3_value* v) {
  if (sqlite3_value_type(v) == SQLITE_TEXT) {
    return common::NumericValue(reinterpret_cast<const char*>(sqlite3_value_text(v)));
  }
  return sqlite3_value_double(v);
}

// The text Jet makes of a value: 2 not 2.0, 15 significant digits.
std::string TextOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return common::TextOfInteger(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return common::TextOfDouble(sqlite3_value_double(v));
    case SQLITE_NULL:
      return {};
    default: {
      const unsigned char* t = sqlite3_value_text(v);
      return t ? std::string(reinterpret_cast<const char*>(t), sqlite3_value_bytes(v)) : "";
    }
  }
}

void ResultText(sqlite3_context* ctx, const std::string& s) {
  sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// Positions of UTF-8 characters, so that Left/Mid/Len count characters, not bytes.
std::vector<size_t> CharStarts(const std::string& s) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  return starts;
}

std::string Substring(const std::string& s, int64_t first, int64_t count) {
  std::vector<size_t> starts = CharStarts(s);
  int64_t n = static_cast<int64_t>(starts.size());
  first = std::max<int64_t>(0, first);
  if (first >= n || count <= 0) return {};
  int64_t last = count >= n - first ? n : first + count;  // no overflow for huge counts
  size_t from = starts[first];
  size_t to = last >= n ? s.size() : starts[last];
  return s.substr(from, to - from);
}

#define JET_SCALAR(name) void name(sqlite3_context* ctx, int argc, sqlite3_value** argv)

JET_SCALAR(CInt) {
  (void)argc;
  if (IsNull(argv[0])) return;
  if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
    sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    return;
  }
  double d = Number(argv[0]);
  if (!std::isfinite(d) || std::fabs(d) > 9.2e18) {
    sqlite3_result_error(ctx, "溢出", -1);
    return;
  }
  sqlite3_result_int64(ctx, RoundHalfEven(d));
}

void IntOrFix(sqlite3_context* ctx, sqlite3_value* v, double (*f)(double)) {
  if (IsNull(v)) return;
  if (sqlite3_value_type(v) == SQLITE_INTEGER) {
    sqlite3_result_int64(ctx, sqlite3_value_int64(v));
    return;
  }
  sqlite3_result_double(ctx, f(Number(v)));
}
JET_SCALAR(Int) {
  (void)argc, IntOrFix(ctx, argv[0], [](double d) { return std::floor(d); });
}
JET_SCALAR(Fix) {
  (void)argc, IntOrFix(ctx, argv[0], [](double d) { return std::trunc(d); });
}

JET_SCALAR(CDbl) {
  (void)argc;
  if (!IsNull(argv[0])) sqlite3_result_double(ctx, Number(argv[0]));
}

JET_SCALAR(Single) {
  (void)argc;
  sqlite3_value* v = argv[0];
  int type = sqlite3_value_type(v);
  if (type == SQLITE_TEXT) {
    auto n = common::ParseWholeNumber(reinterpret_cast<const char*>(sqlite3_value_text(v)));
    if (!n) {
      sqlite3_result_value(ctx, v);
      return;
    }
    sqlite3_result_double(ctx, static_cast<double>(static_cast<float>(*n)));
  } else if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
    sqlite3_result_double(ctx, static_cast<double>(static_cast<float>(sqlite3_value_double(v))));
  }
}

JET_SCALAR(Integer) {
  (void)argc;
  sqlite3_value* v = argv[0];
  int type = sqlite3_value_type(v);
  if (type == SQLITE_FLOAT) {
    sqlite3_result_int64(ctx, RoundHalfEven(sqlite3_value_double(v)));
  } else if (type == SQLITE_TEXT) {
    auto n = common::ParseWholeNumber(reinterpret_cast<const char*>(sqlite3_value_text(v)));
    if (n) {
      sqlite3_result_int64(ctx, RoundHalfEven(*n));
    } else {
      sqlite3_result_value(ctx, v);
    }
  } else {
    sqlite3_result_value(ctx, v);
  }
}

JET_SCALAR(IsNullFn) {
  (void)argc;
  sqlite3_result_int(ctx, IsNull(argv[0]) ? -1 : 0);
}

// Null & Null is Null; otherwise a Null side counts as empty text.
JET_SCALAR(Concat) {
  (void)argc;
  if (IsNull(argv[0]) && IsNull(argv[1])) return;
  ResultText(ctx, TextOf(argv[0]) + TextOf(argv[1]));
}

// \ and Mod round both sides to integers first.
bool IntegerOperands(sqlite3_context* ctx, sqlite3_value** argv, int64_t* a, int64_t* b) {
  if (IsNull(argv[0]) || IsNull(argv[1])) return false;
  *a = RoundHalfEven(Number(argv[0]));
  *b = RoundHalfEven(Number(argv[1]));
  if (*b == 0) return false;  // Null, as for /
  if (*a == std::numeric_limits<int64_t>::min() && *b == -1) {
    sqlite3_result_error(ctx, "溢出", -1);
    return false;
  }
  return true;
}
JET_SCALAR(IntDiv) {
  (void)argc;
  int64_t a, b;
  if (IntegerOperands(ctx, argv, &a, &b)) sqlite3_result_int64(ctx, a / b);
}
JET_SCALAR(Mod) {
  (void)argc;
  int64_t a, b;
  if (IntegerOperands(ctx, argv, &a, &b)) sqlite3_result_int64(ctx, a % b);
}
JET_SCALAR(Pow) {
  (void)argc;
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  double r = std::pow(Number(argv[0]), Number(argv[1]));
  if (std::isfinite(r)) sqlite3_result_double(ctx, r);
}
JET_SCALAR(Sqr) {
  (void)argc;
  if (IsNull(argv[0])) return;
  double d = Number(argv[0]);
  if (d < 0) {
    sqlite3_result_error(ctx, "Sqr 的参数不能是负数", -1);
    return;
  }
  sqlite3_result_double(ctx, std::sqrt(d));
}
JET_SCALAR(Round) {
  if (IsNull(argv[0])) return;
  int digits = argc > 1 ? static_cast<int>(Number(argv[1])) : 0;
  double scale = std::pow(10.0, std::clamp(digits, 0, 15));
  sqlite3_result_double(ctx, std::nearbyint(Number(argv[0]) * scale) / scale);
}

JET_SCALAR(CStr) {
  (void)argc;
  if (!IsNull(argv[0])) ResultText(ctx, TextOf(argv[0]));
}
// Str leaves room for the sign: Str(5) is " 5".
JET_SCALAR(Str) {
  (void)argc;
  if (IsNull(argv[0])) return;
  std::string t = TextOf(argv[0]);
  ResultText(ctx, Number(argv[0]) >= 0 ? " " + t : t);
}
// Val skips blanks, tabs and line feeds anywhere: Val(" 1 2 3") is 123.
JET_SCALAR(Val) {
  (void)argc;
  if (IsNull(argv[0])) return;
  std::string text = TextOf(argv[0]);
  std::erase_if(text, [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
  sqlite3_result_double(ctx, common::NumericValue(text));
}
JET_SCALAR(Chr) {
  (void)argc;
  if (IsNull(argv[0])) return;
  int64_t c = RoundHalfEven(Number(argv[0]));
  std::string s;
  if (c < 0 || c > 0x10FFFF) {
    sqlite3_result_error(ctx, "Chr 的参数超出范围", -1);
    return;
  }
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  ResultText(ctx, s);
}
JET_SCALAR(Len) {
  (void)argc;
  if (!IsNull(argv[0])) sqlite3_result_int64(ctx, CharStarts(TextOf(argv[0])).size());
}
// A negative length, or a start before the first character, is an invalid
// call in Jet, which shows #Error in that cell: Null here, as for 1/0.
JET_SCALAR(Left) {
  (void)argc;
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  int64_t count = RoundHalfEven(Number(argv[1]));
  if (count >= 0) ResultText(ctx, Substring(TextOf(argv[0]), 0, count));
}
JET_SCALAR(Right) {
  (void)argc;
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  std::string s = TextOf(argv[0]);
  int64_t n = static_cast<int64_t>(CharStarts(s).size());
  int64_t count = RoundHalfEven(Number(argv[1]));
  if (count < 0) return;
  count = std::min(n, count);
  ResultText(ctx, Substring(s, n - count, count));
}
JET_SCALAR(Mid) {
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  int64_t first = RoundHalfEven(Number(argv[1]));
  int64_t count = argc > 2 && !IsNull(argv[2]) ? RoundHalfEven(Number(argv[2]))
                                               : std::numeric_limits<int32_t>::max();
  if (first < 1 || count < 0) return;
  ResultText(ctx, Substring(TextOf(argv[0]), first - 1, count));
}

std::u32string CodePoints(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = extra ? c & (0x3F >> extra) : c;
    size_t j = i + 1;
    for (; j < s.size() && j <= i + static_cast<size_t>(extra); ++j) {
      cp = (cp << 6) | (static_cast<unsigned char>(s[j]) & 0x3F);
    }
    out.push_back(cp);
    i = j;
  }
  return out;
}

// Jet compares texts without regard to case (the letters A to Z here).
char32_t Folded(char32_t c) {
  return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// InStr([start, ]text, sought): the 1-based character position, 0 when absent
// or when the text is empty; an empty sought text is found at `start`.
JET_SCALAR(InStr) {
  int first = argc == 3 ? 1 : 0;
  for (int i = 0; i < argc; ++i) {
    if (IsNull(argv[i])) return;
  }
  int64_t start = argc == 3 ? RoundHalfEven(Number(argv[0])) : 1;
  if (start < 1) return;
  std::u32string text = CodePoints(TextOf(argv[first]));
  std::u32string sought = CodePoints(TextOf(argv[first + 1]));
  for (char32_t& c : text) c = Folded(c);
  for (char32_t& c : sought) c = Folded(c);
  if (text.empty() || start > static_cast<int64_t>(text.size()) + 1) {
    sqlite3_result_int64(ctx, 0);
    return;
  }
  size_t at = text.find(sought, static_cast<size_t>(start - 1));
  sqlite3_result_int64(ctx, at == std::u32string::npos ? 0 : static_cast<int64_t>(at) + 1);
}

// One character of a Jet pattern at `p`: ?, #, [list], [!list] or itself.
// Returns the pattern position after it, or npos for an unclosed bracket.
size_t MatchOne(const std::u32string& pattern, size_t p, char32_t c, bool* matched) {
  char32_t f = Folded(c);
  if (pattern[p] == U'?') {
    *matched = true;
    return p + 1;
  }
  if (pattern[p] == U'#') {
    *matched = c >= U'0' && c <= U'9';
    return p + 1;
  }
  if (pattern[p] != U'[') {
    *matched = Folded(pattern[p]) == f;
    return p + 1;
  }
  size_t close = pattern.find(U']', p + 1);
  if (close == std::u32string::npos) return close;
  size_t i = p + 1;
  bool negate = i < close && pattern[i] == U'!';
  if (negate) ++i;
  bool in = false;
  for (; i < close; ++i) {
    char32_t low = Folded(pattern[i]), high = low;
    if (i + 2 < close && pattern[i + 1] == U'-') {
      high = Folded(pattern[i + 2]);
      i += 2;
    }
    in = in || (f >= low && f <= high);
  }
  *matched = in != negate;
  return close + 1;
}

// Jet's Like: * any run, ? one character, # one digit, [a-c] and [!a-c] one
// character in or out of a list; % and _ are plain. Matching backtracks only
// to the last *, so a pattern costs time linear in the text per star.
JET_SCALAR(Like) {
  (void)argc;
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  std::u32string text = CodePoints(TextOf(argv[0]));
  std::u32string pattern = CodePoints(TextOf(argv[1]));
  size_t t = 0, p = 0, star = std::u32string::npos, star_t = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == U'*') {
      star = ++p;
      star_t = t;
      continue;
    }
    bool matched = false;
    size_t next = p < pattern.size() ? MatchOne(pattern, p, text[t], &matched) : p;
    if (next == std::u32string::npos) return;  // an unclosed [: #Error in Jet
    if (matched) {
      p = next;
      ++t;
    } else if (star != std::u32string::npos) {
      p = star;
      t = ++star_t;
    } else {
      sqlite3_result_int(ctx, 0);
      return;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  sqlite3_result_int(ctx, p == pattern.size() ? 1 : 0);
}
void TrimText(sqlite3_context* ctx, sqlite3_value* v, bool left, bool right) {
  if (IsNull(v)) return;
  std::string s = TextOf(v);
  size_t b = 0, e = s.size();
  if (left) {
    while (b < e && s[b] == ' ') ++b;
  }
  if (right) {
    while (e > b && s[e - 1] == ' ') --e;
  }
  ResultText(ctx, s.substr(b, e - b));
}
JET_SCALAR(Trim) {
  (void)argc, TrimText(ctx, argv[0], true, true);
}
JET_SCALAR(LTrim) {
  (void)argc, TrimText(ctx, argv[0], true, false);
}
JET_SCALAR(RTrim) {
  (void)argc, TrimText(ctx, argv[0], false, true);
}

// Welford's method keeps the sample deviation exact enough for long columns.
struct Welford {
  int64_t n;
  double mean;
  double m2;
};
void StDevStep(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  (void)argc;
  if (IsNull(argv[0])) return;
  auto* w = static_cast<Welford*>(sqlite3_aggregate_context(ctx, sizeof(Welford)));
  if (!w) {
    sqlite3_result_error_nomem(ctx);
    return;
  }
  double x = Number(argv[0]);
  ++w->n;
  double delta = x - w->mean;
  w->mean += delta / static_cast<double>(w->n);
  w->m2 += delta * (x - w->mean);
}
void StDevFinal(sqlite3_context* ctx, int64_t min_n, int64_t offset) {
  auto* w = static_cast<Welford*>(sqlite3_aggregate_context(ctx, 0));
  if (!w || w->n < min_n) return;
  sqlite3_result_double(ctx, std::sqrt(std::max(0.0, w->m2 / static_cast<double>(w->n - offset))));
}
void StDevSample(sqlite3_context* ctx) {
  StDevFinal(ctx, 2, 1);
}
void StDevPopulation(sqlite3_context* ctx) {
  StDevFinal(ctx, 1, 0);
}

}  // namespace

int64_t RoundHalfEven(double v) {
  // nearbyint honours the default rounding mode, which rounds halves to even.
  double r = std::nearbyint(v);
  if (r >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
  if (r <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(r);
}

int RegisterJetFunctions(sqlite3* db) {
  struct Scalar {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
  };
  static const Scalar kScalars[] = {
      {"jet_cint", 1, CInt},       {"jet_clng", 1, CInt},       {"jet_int", 1, Int},
      {"jet_fix", 1, Fix},         {"jet_cdbl", 1, CDbl},       {"jet_single", 1, Single},
      {"jet_integer", 1, Integer}, {"jet_isnull", 1, IsNullFn}, {"jet_concat", 2, Concat},
      {"jet_idiv", 2, IntDiv},     {"jet_mod", 2, Mod},         {"jet_pow", 2, Pow},
      {"jet_sqr", 1, Sqr},         {"jet_round", -1, Round},    {"jet_cstr", 1, CStr},
      {"jet_str", 1, Str},         {"jet_val", 1, Val},         {"jet_chr", 1, Chr},
      {"jet_len", 1, Len},         {"jet_left", 2, Left},       {"jet_right", 2, Right},
      {"jet_mid", -1, Mid},        {"jet_trim", 1, Trim},       {"jet_ltrim", 1, LTrim},
      {"jet_rtrim", 1, RTrim},     {"jet_instr", -1, InStr},    {"jet_like", 2, Like},
  };
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  for (const Scalar& s : kScalars) {
    int rc = sqlite3_create_function_v2(db, s.name, s.args, flags, nullptr, s.fn, nullptr, nullptr,
                                        nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  int rc = sqlite3_create_function_v2(db, "jet_stdev", 1, flags, nullptr, nullptr, StDevStep,
                                      StDevSample, nullptr);
  if (rc != SQLITE_OK) return rc;
  rc = sqlite3_create_function_v2(db, "jet_stdevp", 1, flags, nullptr, nullptr, StDevStep,
                                  StDevPopulation, nullptr);
  if (rc != SQLITE_OK) return rc;
  return RegisterDateFunctions(db);
}

}  // namespace engine
