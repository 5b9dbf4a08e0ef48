// Display formats of a column. The stored text stays as it is; a format only
// changes how a cell whose whole text is a number is shown.
#pragma once

#include <string>
#include <string_view>

namespace grid {

inline constexpr std::string_view kGeneralNumber = "General Number";

// `text` as a column with `format` shows it: "General Number" shows the
// number plainly (up to 15 significant digits, no thousands separator);
// "0", "0.00", "####0.0", "##,##0.00" and the like round to the pattern's
// decimals and group thousands when the pattern has a comma. Texts that are
// not numbers, and an empty format, show `text` unchanged.
std::string FormatDisplayText(std::string_view text, std::string_view format);

// Formats `value` with a digit pattern such as "##,##0.00", rounding halves
// away from zero on the decimal the user reads (its 15 significant digits),
// as spreadsheet programs do: 106.25 with "####0.0" is 106.3, 2.675 with
// "0.00" is 2.68, -0.5 with "0" is -1.
std::string FormatNumber(double value, std::string_view pattern);

// The whole text reads as a number (blanks around it allowed).
bool IsNumberText(std::string_view text);

}  // namespace grid
