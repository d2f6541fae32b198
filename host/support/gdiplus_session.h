// GDI+ for the host process: the plug-in never starts it, the host does before creating widgets.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <string>

namespace host {

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok_)
            Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

// Reads one pixel (ARGB) of a GDI+ bitmap.
bool pixelAt(Gdiplus::Image& image, int x, int y, Gdiplus::ARGB& out);

}  // namespace host
