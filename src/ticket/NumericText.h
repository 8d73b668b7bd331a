#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qvset {

// The number at the start of a text, as every typed value of the program is read (millimetres, mode
// values, the tuning pause):
// - blanks, tabs and line feeds anywhere in the text are ignored;
// - then an optional sign, decimal digits with at most one ".", and an optional exponent (E or D, an
//   optional sign, digits), read as far as they fit;
// - a text that begins with "&H" or "&O" (either case) is a hexadecimal or octal integer instead;
// - reading stops at the first character that does not fit; a text without a leading number is 0;
// - "." is the point whatever the process locale says (a decimal-comma locale changes nothing).
// A value too large for a double is infinite; callers that turn it into bytes refuse it.
double NumericValue(std::string_view input);

// Rounds to the nearest whole number, ties to even (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
double RoundHalfEven(double value);

// The value rounded half-even, when it is finite and fits a 32-bit signed integer.
std::optional<std::int32_t> RoundToInt32(double value);

}  // namespace qvset
