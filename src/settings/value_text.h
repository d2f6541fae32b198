// How a text setting is written so that the system's profile read gives it back unchanged.
// The read trims blanks around a value and strips one pair of matching quotes around it; a value
// that would lose either is written inside one more pair of double quotes, which the read takes
// off again. Any other value is written as it is, as it always was.
#pragma once

#include <cstddef>
#include <string>

namespace tideglass {

// The longest value text the profile functions keep: Wine's drop a longer one when they write
// the file, so the key would be lost at the next save.
constexpr size_t kLongestProfileText = 32766;

// The longest text `value` could be and still be kept: kLongestProfileText, less the two
// quotes when it begins or ends with a quote or a blank.
size_t longestTextValue(const std::string& value);

inline bool textValueFits(const std::string& value) {
    return value.size() <= longestTextValue(value);
}

// The text to write for `value`. A value too long to be kept (one edited into the file by hand)
// is written cut to the longest that is, rather than be lost.
std::string profileText(const std::string& value);

}  // namespace tideglass
