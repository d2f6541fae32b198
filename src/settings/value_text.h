// How a text setting is written so that the system's profile read gives it back unchanged.
// The read trims blanks around a value and strips one pair of matching quotes around it; a value
// that would lose either is written inside one more pair of double quotes, which the read takes
// off again. Any other value is written as it is, as it always was.
#pragma once

#include <cstddef>
#include <string>

namespace tideglass {

// The longest text a setting keeps: a value is read back through a buffer of 32768 characters,
// the longest line the profile functions write is a little over 32 K, and process creation takes
// no longer command line than this.
constexpr size_t kLongestTextValue = 32765;

bool textValueFits(const std::string& value);

// The text to write for `value`. A value longer than kLongestTextValue (one edited into the file
// by hand) is written cut to that length rather than be lost.
std::string profileText(const std::string& value);

}  // namespace tideglass
