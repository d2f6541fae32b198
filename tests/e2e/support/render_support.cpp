#include "render_support.h"

#include <algorithm>

namespace tideglass::e2e {

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    status_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
    if (ok())
        Gdiplus::GdiplusShutdown(token_);
}

bool ConsoleScreenBuffer::info(NativeHandle output, ScreenInfo& out) {
    CONSOLE_SCREEN_BUFFER_INFO csbi;
    if (!GetConsoleScreenBufferInfo(output, &csbi))
        return false;
    out.windowLeft = csbi.srWindow.Left;
    out.windowTop = csbi.srWindow.Top;
    out.cursorX = csbi.dwCursorPosition.X;
    out.cursorY = csbi.dwCursorPosition.Y;
    return true;
}

uint32_t ConsoleScreenBuffer::readCharacters(NativeHandle output, int16_t x, int16_t y, char* dest,
                                             uint32_t count) {
    DWORD read = 0;
    if (!ReadConsoleOutputCharacterA(output, dest, count, COORD{x, y}, &read))
        return 0;
    return read;
}

uint32_t ConsoleScreenBuffer::readAttributes(NativeHandle output, int16_t x, int16_t y,
                                             uint16_t* dest, uint32_t count) {
    DWORD read = 0;
    if (!ReadConsoleOutputAttribute(output, dest, count, COORD{x, y}, &read))
        return 0;
    return read;
}

CellSize ConsoleScreenBuffer::largestWindow(NativeHandle output) {
    const COORD size = GetLargestConsoleWindowSize(output);
    return {size.X, size.Y};
}

void ConsoleScreenBuffer::setBufferSize(NativeHandle output, int16_t columns, int16_t rows) {
    SetConsoleScreenBufferSize(output, COORD{columns, rows});
}

void ConsoleScreenBuffer::setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                                    int16_t bottom) {
    const SMALL_RECT window{left, top, right, bottom};
    SetConsoleWindowInfo(output, TRUE, &window);
}

void ConsoleScreenBuffer::setOutputCodePage(uint32_t codePage) {
    SetConsoleOutputCP(codePage);
}
uint32_t ConsoleScreenBuffer::oemCodePage() {
    return GetOEMCP();
}
uint32_t ConsoleScreenBuffer::ansiCodePage() {
    return GetACP();
}

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

bool savePng(Gdiplus::Image& image, const std::wstring& path) {
    // The PNG encoder's class id, fixed by GDI+.
    const CLSID png = {
        0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    return image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

std::wstring programDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    const size_t slash = dir.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L".\\" : dir.substr(0, slash + 1);
}

}  // namespace tideglass::e2e
