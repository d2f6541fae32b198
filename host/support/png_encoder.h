// Writes GDI+ images and GDI bitmaps to PNG files through GDI+'s own PNG encoder. GDI+ must be
// running in the process.
#pragma once

#include <windows.h>

#include <string>

namespace tideglass::host {

// `image` is a GDI+ image (GpImage*); false when GDI+ could not write the file.
bool saveImagePng(void* image, const std::wstring& path);
// Copies a device-dependent or DIB bitmap into a GDI+ bitmap and writes it.
bool saveBitmapPng(HBITMAP bitmap, const std::wstring& path);

}  // namespace tideglass::host
