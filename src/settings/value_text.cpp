#include "settings/value_text.h"

#include <algorithm>

namespace tideglass {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The read trims blanks at both ends, then takes off a quote at each end when the two match.
bool readWouldChange(const std::string& text) {
    if (text.empty())
        return false;
    if (isBlank(text.front()) || isBlank(text.back()))
        return true;
    return text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
           text.back() == text.front();
}

}  // namespace

size_t longestTextValue(const std::string& value) {
    return readWouldChange(value) ? kLongestProfileText - 2 : kLongestProfileText;
}

std::string profileText(const std::string& value) {
    std::string text = value.substr(0, kLongestProfileText);
    if (!readWouldChange(text))
        return text;
    text.resize(std::min(text.size(), kLongestProfileText - 2));
    return readWouldChange(text) ? '"' + text + '"' : text;
}

}  // namespace tideglass
