#include "settings/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tideglass {
namespace {

// The white space of the classic locale's ctype table.
bool isStreamSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t skipSpace(std::string_view text, size_t pos) {
    while (pos < text.size() && isStreamSpace(text[pos]))
        ++pos;
    return pos;
}

size_t skipDigits(std::string_view text, size_t pos) {
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    return pos;
}

}  // namespace

std::optional<int32_t> parseInteger(std::string_view text) {
    size_t pos = skipSpace(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const size_t digitsBegin = pos;
    const size_t digitsEnd = skipDigits(text, pos);
    if (digitsEnd == digitsBegin)
        return std::nullopt;

    // Accumulate as a negative number so that the most negative value needs no special case;
    // an overlong run of digits is out of range however long it is.
    constexpr int64_t kLimit = 2147483648LL;
    int64_t magnitude = 0;
    for (size_t i = digitsBegin; i < digitsEnd; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLimit)
            return std::nullopt;
    }
    if (!negative && magnitude == kLimit)
        return std::nullopt;
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::string formatInteger(int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<double> parseReal(std::string_view text) {
    size_t pos = skipSpace(text, 0);
    const size_t begin = pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // from_chars takes no plus sign, so the number proper starts after any sign.
    const size_t numberBegin = negative ? begin : pos;
    const size_t integerEnd = skipDigits(text, pos);
    size_t end = integerEnd;
    size_t fractionDigits = 0;
    if (end < text.size() && text[end] == '.') {
        const size_t fractionEnd = skipDigits(text, end + 1);
        fractionDigits = fractionEnd - (end + 1);
        end = fractionEnd;
    }
    if (integerEnd == pos && fractionDigits == 0)
        return std::nullopt;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        // The stream commits to the exponent once it has taken the 'e' (and a sign): without
        // digits after it the whole extraction fails.
        size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        const size_t exponentEnd = skipDigits(text, exponent);
        if (exponentEnd == exponent)
            return std::nullopt;
        end = exponentEnd;
    }

    double value = 0;
    const char* first = text.data() + numberBegin;
    const char* last = text.data() + end;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string formatReal(double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

}  // namespace tideglass
