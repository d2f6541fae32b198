// The per-instance settings store: typed maps addressed by key text, built with every default
// in place, copied and assigned as a whole value.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "settings/font_block.h"

namespace tideglass {

// std::string's ordering compares bytes as unsigned char with a prefix sorting first, which is
// the key order the INI reader and writer walk.
using TextMap = std::map<std::string, std::string>;
using IntegerMap = std::map<std::string, int32_t>;
using RealMap = std::map<std::string, double>;

class Settings {
public:
    Settings();

    // Lookup-or-insert: an absent key is added with an empty text or 0.
    std::string& text(const std::string& key) { return strings[key]; }
    int32_t& integer(const std::string& key) { return integers[key]; }

    TextMap strings;
    IntegerMap integers;
    RealMap reals;  // no setting is real-valued; kept so loading and saving treat all maps alike
    FontBlock font;
};

}  // namespace tideglass
