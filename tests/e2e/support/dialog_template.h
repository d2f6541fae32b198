// Reads an extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items) as a
// resource compiler laid it out, so tests can check it field by field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tideglass::e2e {

struct DialogItem {
    uint32_t helpId = 0;
    uint32_t exStyle = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    int32_t id = 0;
    // A predefined class by its ordinal is named as the system names it ("Button", "Edit", ...).
    std::string windowClass;
    std::string text;
    uint16_t extraBytes = 0;
};

struct DialogTemplate {
    bool extended = false;
    uint32_t helpId = 0;
    uint32_t exStyle = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;
    std::string windowClass;
    std::string caption;
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    uint8_t italic = 0;
    uint8_t charset = 0;
    std::string typeface;
    std::vector<DialogItem> controls;
};

// Throws std::runtime_error when the bytes run out or the template is not extended.
DialogTemplate parseDialogTemplateEx(const uint8_t* bytes, std::size_t size);

}  // namespace tideglass::e2e
