// Property-pages port: creates one configuration page for a desklet from the plug-in's dialog
// template. The Win32 adapter fills a PROPSHEETPAGEA and calls CreatePropertySheetPageA.
#pragma once

#include <cstdint>

#include "desklet/live_desklets.h"
#include "ports/handles.h"

namespace tideglass {

enum class PageKind { ConsoleSettings, FontAndColors };

constexpr uint16_t kConsoleSettingsTemplate = 106;
constexpr uint16_t kFontAndColorsTemplate = 101;
constexpr char kConsoleSettingsTitle[] = "Console Settings";
constexpr char kFontAndColorsTitle[] = "Font and Colors";

class PropertyPages {
public:
    PropertyPages() = default;
    PropertyPages(const PropertyPages&) = delete;
    PropertyPages& operator=(const PropertyPages&) = delete;
    virtual ~PropertyPages() = default;

    // Returns the page handle (unchecked by the caller; may be null).
    virtual void* create(InstanceHandle instance, PageKind kind, DeskletToken target) = 0;
};

}  // namespace tideglass
