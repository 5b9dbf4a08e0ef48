// Jet's dates. A date is a double: the days since 30 December 1899, the
// time of day as the fraction, as Jet, Excel and the imported sheets keep
// it. So dates compare, subtract and sort as numbers, and a date column of
// an imported sheet needs no conversion.
#pragma once

#include <optional>
#include <string_view>

struct sqlite3;

namespace engine {

// The date a text names: what stands between the #s of a literal, or a text
// given to a date function. Accepted: m/d/y and y-m-d or y/m/d (a four-digit
// first part is the year), two-digit years as Jet reads them (00-29 are
// 2000-2029, 30-99 are 1930-1999), then an optional time h:mm[:ss] with an
// optional AM or PM; or a time alone. nullopt for anything else or a date
// that does not exist (2/30/2024).
std::optional<double> ParseDateText(std::string_view text);

// Registers Year, Month, Day, Weekday, DateSerial, Date and Now as jet_*
// functions on one connection. Returns an SQLite result code.
int RegisterDateFunctions(sqlite3* db);

}  // namespace engine
