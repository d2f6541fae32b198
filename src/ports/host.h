// Host port: the desklet host's functions that the plug-in calls. The Win32 adapter goes through
// the table of functions looked up in the host executable; a missing function does nothing and
// yields 0.
#pragma once

#include <cstdint>

#include "ports/handles.h"

namespace tideglass {

class Host {
public:
    Host() = default;
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    virtual ~Host() = default;

    // `image` is the renderer's GDI+ image; the plug-in keeps ownership (automatic deletion off).
    virtual void setImageOverlay(WindowHandle window, void* image) = 0;
    virtual void remove(WindowHandle window) = 0;
    virtual void setSize(WindowHandle window, int32_t width, int32_t height) = 0;
    virtual void setStatic(WindowHandle window) = 0;
    virtual int32_t addPropertySheet(WindowHandle window, void* page) = 0;
};

}  // namespace tideglass
