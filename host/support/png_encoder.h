// Writes GDI+ images and GDI bitmaps to PNG files through GDI+'s own PNG encoder. GDI+ must be
// running in the process.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <string>

namespace host {

bool savePng(Gdiplus::Image& image, const std::string& path);
// Copies a device-dependent or DIB bitmap into a GDI+ bitmap and writes that.
bool savePng(HBITMAP bitmap, const std::string& path);

}  // namespace host
