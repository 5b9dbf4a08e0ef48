#include "engine/jet_dates.h"

#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <ctime>

#include "common/text_number.h"
#include "engine/functions.h"

namespace engine {
namespace {

constexpr int64_t kSerialOf1970 = 25569;  // 1 January 1970
constexpr int kSecondsPerDay = 86400;

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's
// algorithm); month 1..12.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Civil {
  int64_t year;
  int month;
  int day;
};

Civil CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2), month, day};
}

// Jet keeps dates from the year 100 to 9999.
bool InJetRange(int64_t year) {
  return year >= 100 && year <= 9999;
}

int64_t JetYear(int64_t year, int digits) {
  if (digits > 2) return year;
  return year + (year < 30 ? 2000 : 1900);
}

// Before 30 December 1899 the fraction still counts forward: -1.25 is
// 29 December 1899, 6:00.
double Serial(int64_t days_since_1970, double day_fraction) {
  double day = static_cast<double>(days_since_1970 + kSerialOf1970);
  return day < 0 ? day - day_fraction : day + day_fraction;
}

class DateReader {
 public:
  explicit DateReader(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (i_ < text_.size() && text_[i_] == ' ') ++i_;
  }
  bool AtEnd() const { return i_ >= text_.size(); }
  bool Accept(char c) {
    if (AtEnd() || text_[i_] != c) return false;
    ++i_;
    return true;
  }
  char Peek() const { return AtEnd() ? '\0' : text_[i_]; }
  // A run of 1 to 4 digits; `digits` gets its length.
  std::optional<int64_t> Number(int* digits = nullptr) {
    size_t start = i_;
    int64_t v = 0;
    while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text_[i_])) && i_ - start < 4) {
      v = v * 10 + (text_[i_++] - '0');
    }
    if (i_ == start) return std::nullopt;
    if (digits) *digits = static_cast<int>(i_ - start);
    return v;
  }
  bool AcceptWord(std::string_view word) {
    if (text_.size() - i_ < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k) {
      if (std::toupper(static_cast<unsigned char>(text_[i_ + k])) != word[k]) return false;
    }
    i_ += word.size();
    return true;
  }

 private:
  std::string_view text_;
  size_t i_ = 0;
};

// h:mm[:ss] [AM|PM] as a fraction of a day, the hour already read.
std::optional<double> ReadTime(DateReader& r, int64_t hour) {
  if (!r.Accept(':')) return std::nullopt;
  auto minute = r.Number();
  int64_t second = 0;
  if (!minute) return std::nullopt;
  if (r.Accept(':')) {
    auto s = r.Number();
    if (!s) return std::nullopt;
    second = *s;
  }
  r.SkipBlanks();
  bool pm = r.AcceptWord("PM");
  bool am = !pm && r.AcceptWord("AM");
  if ((am || pm) && (hour < 1 || hour > 12)) return std::nullopt;
  if (am || pm) hour = hour % 12 + (pm ? 12 : 0);
  if (hour > 23 || *minute > 59 || second > 59) return std::nullopt;
  return static_cast<double>(hour * 3600 + *minute * 60 + second) / kSecondsPerDay;
}

std::optional<int64_t> ReadDate(DateReader& r, int64_t first, int first_digits) {
  char sep = r.Peek();
  if (sep != '/' && sep != '-') return std::nullopt;
  r.Accept(sep);
  int last_digits = 0;
  auto second = r.Number();
  if (!second || !r.Accept(sep)) return std::nullopt;
  auto third = r.Number(&last_digits);
  if (!third) return std::nullopt;
  bool year_first = first_digits > 2;
  int64_t year = year_first ? first : JetYear(*third, last_digits);
  int64_t month = year_first ? *second : first;
  int64_t day = year_first ? *third : *second;
  if (!InJetRange(year) || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  int64_t days = DaysFromCivil(year, static_cast<int>(month), static_cast<int>(day));
  if (CivilFromDays(days).day != day) return std::nullopt;  // 30 February
  return days;
}

// A date argument: a number is a serial date, a text is read as a date
// (or as a number); anything else has no date.
std::optional<double> DateArgument(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return sqlite3_value_double(v);
    case SQLITE_TEXT: {
      std::string_view text(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                            static_cast<size_t>(sqlite3_value_bytes(v)));
      if (auto d = ParseDateText(text)) return d;
      return common::ParseWholeNumber(text);
    }
    default:
      return std::nullopt;
  }
}

std::optional<Civil> CivilArgument(sqlite3_value* v) {
  auto serial = DateArgument(v);
  if (!serial || !std::isfinite(*serial) || std::fabs(*serial) > 3e6) return std::nullopt;
  return CivilFromDays(static_cast<int64_t>(std::trunc(*serial)) - kSerialOf1970);
}

void YearFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (auto c = CivilArgument(argv[0])) sqlite3_result_int64(ctx, c->year);
}
void MonthFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (auto c = CivilArgument(argv[0])) sqlite3_result_int(ctx, c->month);
}
void DayFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (auto c = CivilArgument(argv[0])) sqlite3_result_int(ctx, c->day);
}

// Weekday(date[, first day]): 1 for the first day of the week, Sunday unless
// the second argument names another (1 Sunday … 7 Saturday).
void WeekdayFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  auto serial = DateArgument(argv[0]);
  if (!serial || !std::isfinite(*serial) || std::fabs(*serial) > 3e6) return;
  int64_t first = argc > 1 && sqlite3_value_type(argv[1]) != SQLITE_NULL
                      ? RoundHalfEven(sqlite3_value_double(argv[1]))
                      : 1;
  if (first == 0) first = 1;
  if (first < 1 || first > 7) return;
  int64_t day = static_cast<int64_t>(std::trunc(*serial));
  int64_t from_saturday = ((day % 7) + 7) % 7;  // serial 0 was a Saturday
  int64_t from_sunday = (from_saturday + 6) % 7;
  sqlite3_result_int64(ctx, (from_sunday - (first - 1) + 7) % 7 + 1);
}

// DateSerial(year, month, day): months and days past their range carry over
// (month 13 is January of the next year, day 0 the last of the month before).
void DateSerialFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  for (int i = 0; i < 3; ++i) {
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return;
  }
  int64_t year = RoundHalfEven(sqlite3_value_double(argv[0]));
  int64_t month = RoundHalfEven(sqlite3_value_double(argv[1]));
  int64_t day = RoundHalfEven(sqlite3_value_double(argv[2]));
  if (year >= 0 && year <= 99) year = JetYear(year, 2);
  if (std::llabs(year) > 100000 || std::llabs(month) > 1200000 || std::llabs(day) > 4000000) return;
  int64_t months = year * 12 + month - 1;
  int64_t y = months >= 0 ? months / 12 : (months - 11) / 12;
  int m = static_cast<int>(months - y * 12) + 1;
  int64_t days = DaysFromCivil(y, m, 1) + day - 1;
  if (!InJetRange(CivilFromDays(days).year)) return;
  sqlite3_result_double(ctx, Serial(days, 0));
}

void Today(sqlite3_context* ctx, bool with_time) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  int64_t days = DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  double time = with_time
                    ? static_cast<double>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) /
                          kSecondsPerDay
                    : 0;
  sqlite3_result_double(ctx, Serial(days, time));
}
void DateFn(sqlite3_context* ctx, int, sqlite3_value**) {
  Today(ctx, false);
}
void NowFn(sqlite3_context* ctx, int, sqlite3_value**) {
  Today(ctx, true);
}

}  // namespace

std::optional<double> ParseDateText(std::string_view text) {
  DateReader r(text);
  r.SkipBlanks();
  int digits = 0;
  auto first = r.Number(&digits);
  if (!first) return std::nullopt;
  if (r.Peek() == ':') {
    auto time = ReadTime(r, *first);
    r.SkipBlanks();
    if (!time || !r.AtEnd()) return std::nullopt;
    return *time;
  }
  auto days = ReadDate(r, *first, digits);
  if (!days) return std::nullopt;
  r.SkipBlanks();
  double time = 0;
  if (!r.AtEnd()) {
    auto hour = r.Number();
    auto t = hour ? ReadTime(r, *hour) : std::nullopt;
    r.SkipBlanks();
    if (!t || !r.AtEnd()) return std::nullopt;
    time = *t;
  }
  return Serial(*days, time);
}

int RegisterDateFunctions(sqlite3* db) {
  struct Fn {
    const char* name;
    int args;
    bool deterministic;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
  };
  static const Fn kFunctions[] = {
      {"jet_year", 1, true, YearFn},
      {"jet_month", 1, true, MonthFn},
      {"jet_day", 1, true, DayFn},
      {"jet_weekday", -1, true, WeekdayFn},
      {"jet_dateserial", 3, true, DateSerialFn},
      {"jet_date", 0, false, DateFn},
      {"jet_now", 0, false, NowFn},
  };
  for (const Fn& f : kFunctions) {
    int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
    int rc = sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.fn, nullptr, nullptr,
                                        nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace engine
