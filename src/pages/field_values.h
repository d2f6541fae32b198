// Conversions between stored settings and what the page fields show: numbers go through the
// platform's unsigned dialog conversion, colours pack a COLORREF and an alpha byte.
#pragma once

#include <cstdint>

#include "pages/choosers.h"

namespace tideglass {

// A stored signed value as the unsigned number a field shows (-1 is 4294967295), and back with
// the same 32 bits.
constexpr uint32_t fieldNumber(int32_t stored) {
    return static_cast<uint32_t>(stored);
}
constexpr int32_t storedNumber(uint32_t field) {
    return static_cast<int32_t>(field);
}

constexpr uint32_t alphaOf(int32_t color) {
    return static_cast<uint32_t>(color) >> 24;
}
constexpr ColorRef colorRefOf(int32_t color) {
    return static_cast<uint32_t>(color) & 0xFFFFFFu;
}

// Only the number's lowest eight bits reach the alpha byte (256 is transparent, 300 is 44).
constexpr int32_t withAlpha(int32_t color, uint32_t alpha) {
    return storedNumber((alpha << 24) | colorRefOf(color));
}

// Replaces the colour, keeping the alpha byte.
constexpr int32_t withColorRef(int32_t color, ColorRef chosen) {
    return storedNumber((static_cast<uint32_t>(color) & 0xFF000000u) | (chosen & 0xFFFFFFu));
}

}  // namespace tideglass
