#include "render_support.h"

#include <algorithm>

namespace tideglass::e2e {

HANDLE openTestConsole(int16_t columns, int16_t rows) {
    if (!GetConsoleWindow() && !AllocConsole())
        return nullptr;
    if (HWND window = GetConsoleWindow())
        ShowWindow(window, SW_HIDE);
    HANDLE output =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return nullptr;
    // The buffer cannot shrink below the window, so the window goes small first.
    const SMALL_RECT tiny{0, 0, 2, 2};
    SetConsoleWindowInfo(output, TRUE, &tiny);
    SetConsoleScreenBufferSize(output, COORD{columns, static_cast<SHORT>(rows * 10)});
    const SMALL_RECT window{0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(rows - 1)};
    SetConsoleWindowInfo(output, TRUE, &window);
    return output;
}

void clearConsole(HANDLE output) {
    CONSOLE_SCREEN_BUFFER_INFO csbi;
    if (!GetConsoleScreenBufferInfo(output, &csbi))
        return;
    const DWORD cells = DWORD(csbi.dwSize.X) * DWORD(csbi.dwSize.Y);
    DWORD written = 0;
    FillConsoleOutputCharacterA(output, ' ', cells, COORD{0, 0}, &written);
    FillConsoleOutputAttribute(output, 0x07, cells, COORD{0, 0}, &written);
    const SHORT width = SHORT(csbi.srWindow.Right - csbi.srWindow.Left);
    const SHORT height = SHORT(csbi.srWindow.Bottom - csbi.srWindow.Top);
    const SMALL_RECT top{0, 0, width, height};
    SetConsoleWindowInfo(output, TRUE, &top);
    SetConsoleCursorPosition(output, COORD{0, 0});
}

void writeAt(HANDLE output, int16_t x, int16_t y, const std::string& text, WORD attribute) {
    SetConsoleCursorPosition(output, COORD{x, y});
    SetConsoleTextAttribute(output, attribute);
    DWORD written = 0;
    WriteConsoleA(output, text.data(), DWORD(text.size()), &written, nullptr);
    SetConsoleTextAttribute(output, 0x07);
}

void setCursor(HANDLE output, int16_t x, int16_t y) {
    SetConsoleCursorPosition(output, COORD{x, y});
}

std::vector<uint32_t> readPixels(Gdiplus::Bitmap& bitmap) {
    const UINT width = bitmap.GetWidth();
    const UINT height = bitmap.GetHeight();
    Gdiplus::Rect all(0, 0, INT(width), INT(height));
    Gdiplus::BitmapData data;
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
        Gdiplus::Ok) {
        return {};
    }
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (UINT y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) +
                                                            INT(y) * data.Stride);
        std::copy(row, row + width, pixels.begin() + size_t(y) * width);
    }
    bitmap.UnlockBits(&data);
    return pixels;
}

void TestConsole::SetUp() {
    output = openTestConsole(columns_, rows_);
    ASSERT_NE(output, nullptr);
}

void TestConsole::TearDown() {
    if (output)
        CloseHandle(output);
    FreeConsole();
}

}  // namespace tideglass::e2e
