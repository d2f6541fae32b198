// The property-pages port: a PROPSHEETPAGEA for each configuration page, created from the
// plug-in's dialog templates with the desklet as the page's parameter.
#pragma once

#include "plugin/property_pages.h"

namespace tideglass::win32 {

class Win32PropertyPages : public PropertyPages {
public:
    void* create(InstanceHandle instance, PageKind kind, DeskletToken target) override;
};

}  // namespace tideglass::win32
