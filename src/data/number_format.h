// What a cell's number format says about its number: a date or time (the
// number is a serial day), a percentage (the number is a fraction shown times
// 100), or anything else. Shared by the .xls and .xlsx readers, which both
// name formats by a number (built in below 164) or by a format code.
#pragma once

#include <cstdint>
#include <string_view>

namespace data {

enum class NumberFormatKind : std::uint8_t { kPlain, kDate, kPercent };

// The built-in formats: 9 and 10 are percentages; 14 to 22 and 45 to 47 are
// dates and times, and so are 27 to 36 and 50 to 58, which the Chinese,
// Japanese and Korean versions of the spreadsheet programs define as their
// local date formats (年月日).
NumberFormatKind BuiltInFormatKind(std::uint32_t id);

// A format code such as "0.0%", "yyyy-mm-dd", "[$-804]yyyy\"年\"m\"月\"",
// "[h]:mm", "0.00_);[Red](0.00)". Only the first section counts (the one
// for positive numbers). Quoted texts, escaped characters and bracketed
// colours, conditions and locales are not read as format letters.
NumberFormatKind FormatCodeKind(std::string_view code);

}  // namespace data
