#include "settings/value_text.h"

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

bool textValueFits(const std::string& value) {
    return value.size() <= kLongestTextValue;
}

std::string profileText(const std::string& value) {
    std::string text = value.substr(0, kLongestTextValue);
    if (readWouldChange(text))
        return '"' + text + '"';
    return text;
}

}  // namespace tideglass
