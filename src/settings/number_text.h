// Numbers as they appear in the INI file: decimal text read and written by the rules of a
// classic-locale standard stream, independent of the process's locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tideglass {

// Reads a decimal integer the way `stream >> int32` does: leading white space, an optional sign,
// then digits up to the first non-digit; whatever follows is ignored. Empty when no digit was
// taken or the number does not fit in 32 bits.
std::optional<int32_t> parseInteger(std::string_view text);

// Signed decimal: a minus sign for negatives, no plus sign, no leading zeros, no grouping.
std::string formatInteger(int32_t value);

// Reads a real number the way `stream >> double` does: leading white space, an optional sign,
// digits with an optional decimal point and an optional exponent. Empty when the text holds no
// number (a bare point, an exponent without digits) or the number is out of range.
std::optional<double> parseReal(std::string_view text);

// The stream's default real format: six significant digits, %g style.
std::string formatReal(double value);

}  // namespace tideglass
