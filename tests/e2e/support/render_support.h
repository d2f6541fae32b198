// Helpers for the tests and benchmarks that drive the renderer with the real console, GDI and
// GDI+: a GDI+ session as a host would run one, the test process's own console behind the
// screen-buffer port, and access to the overlay's pixels.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/screen_buffer.h"

namespace tideglass::e2e {

// The plug-in never starts GDI+; its host does, and so do these programs.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return status_ == Gdiplus::Ok; }

private:
    ULONG_PTR token_ = 0;
    Gdiplus::Status status_ = Gdiplus::GenericError;
};

// The screen-buffer port over the real console functions.
class ConsoleScreenBuffer : public ScreenBuffer {
public:
    bool info(NativeHandle output, ScreenInfo& out) override;
    uint32_t readCharacters(NativeHandle output, int16_t x, int16_t y, char* dest,
                            uint32_t count) override;
    uint32_t readAttributes(NativeHandle output, int16_t x, int16_t y, uint16_t* dest,
                            uint32_t count) override;
    CellSize largestWindow(NativeHandle output) override;
    void setBufferSize(NativeHandle output, int16_t columns, int16_t rows) override;
    void setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                   int16_t bottom) override;
    void setOutputCodePage(uint32_t codePage) override;
    uint32_t oemCodePage() override;
    uint32_t ansiCodePage() override;
};

// Gives this (GUI) process a console, hides its window and sizes it as the desklet does: a
// window of columns x rows over a buffer as wide and ten windows high. Returns the output
// handle, or null.
HANDLE openTestConsole(int16_t columns, int16_t rows);
// Blanks the whole buffer (spaces, attribute 0x07), scrolls the window to the top and puts the
// cursor at (0, 0).
void clearConsole(HANDLE output);
void writeAt(HANDLE output, int16_t x, int16_t y, const std::string& text, WORD attribute = 0x07);
void setCursor(HANDLE output, int16_t x, int16_t y);

// The bitmap's pixels as non-premultiplied 0xAARRGGBB, row by row; empty when they cannot be
// had.
std::vector<uint32_t> readPixels(Gdiplus::Bitmap& bitmap);
// Writes the image as PNG; true on success.
bool savePng(Gdiplus::Image& image, const std::wstring& path);
// The directory of the running executable, with a trailing backslash.
std::wstring programDirectory();

}  // namespace tideglass::e2e
