// Helpers for the tests and benchmarks that drive the renderer with the real console, GDI and
// GDI+: the test process's own console sized as the desklet sizes it, writing into it, and the
// overlay's pixels.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tideglass::e2e {

// Gives this (GUI) process a console, hides its window and sizes it as the desklet does: a
// window of columns x rows over a buffer as wide and ten windows high. Returns the output
// handle, or null.
HANDLE openTestConsole(int16_t columns, int16_t rows);

// The console above for a test program's whole run; register it with
// ::testing::AddGlobalTestEnvironment.
class TestConsole : public ::testing::Environment {
public:
    TestConsole(int16_t columns, int16_t rows) : columns_(columns), rows_(rows) {}
    void SetUp() override;
    void TearDown() override;

    HANDLE output = nullptr;

private:
    int16_t columns_;
    int16_t rows_;
};
// Blanks the whole buffer (spaces, attribute 0x07), scrolls the window to the top and puts the
// cursor at (0, 0).
void clearConsole(HANDLE output);
void writeAt(HANDLE output, int16_t x, int16_t y, const std::string& text, WORD attribute = 0x07);
void setCursor(HANDLE output, int16_t x, int16_t y);

// The bitmap's pixels as non-premultiplied 0xAARRGGBB, row by row; empty when they cannot be
// had.
std::vector<uint32_t> readPixels(Gdiplus::Bitmap& bitmap);

}  // namespace tideglass::e2e
