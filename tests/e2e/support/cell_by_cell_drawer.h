// The overlay's picture drawn the slow way, each cell by itself with plain GDI calls, for the
// draw tests to compare the renderer's picture with.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "e2e/support/probe_graphics.h"
#include "e2e/support/render_support.h"
#include "render/colors.h"
#include "render/renderer_config.h"

namespace tideglass::e2e {

// The second half of a wide character: marked trailing alone, after a cell marked leading alone.
inline bool trailing(const CHAR_INFO* row, int col) {
    const auto half = [row](int i) {
        return row[i].Attributes & (COMMON_LVB_LEADING_BYTE | COMMON_LVB_TRAILING_BYTE);
    };
    return col > 0 && half(col) == COMMON_LVB_TRAILING_BYTE &&
           half(col - 1) == COMMON_LVB_LEADING_BYTE;
}

// Each cell by itself, one text call per cell with its colour calls: the picture the renderer
// must make. `asBytes` draws as the renderer did before it read the console as UTF-16, which holds
// for ASCII: bytes through TextOutA, a row-run row as one call, nothing clipped. Otherwise each
// character (a wide one across both its cells) goes out through ExtTextOutW, clipped to its row.
class CellByCellDrawer {
public:
    CellByCellDrawer(const RendererConfig& config, const std::string& stockFace, int32_t extra)
        : c_(config) {
        c_.backgroundColor = withVisibleAlpha(c_.backgroundColor);
        LOGFONTA font;
        std::memcpy(&font, &c_.font, sizeof font);
        if (!c_.font.hasFaceName())
            font = probe::stockFontAs(stockFace.c_str());
        font_ = c_.font.hasFaceName() || !stockFace.empty()
                    ? ::CreateFontIndirectA(&font)
                    : static_cast<HFONT>(::GetStockObject(OEM_FIXED_FONT));
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, font_);
        SIZE extent{0, 0};
        const std::wstring xs(size_t(c_.columns), L'X');
        ::GetTextExtentPoint32W(dc, xs.c_str(), c_.columns, &extent);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        layout_ = computeLayout(c_, c_.rows, extent.cx + extra, extent.cy);
        bitmap_ = std::make_unique<Gdiplus::Bitmap>(layout_.bitmapWidth, layout_.bitmapHeight,
                                                    PixelFormat32bppARGB);
    }

    // The console window as it is now, drawn in full.
    std::vector<uint32_t> draw(HANDLE output, bool focused, bool asBytes) {
        const int columns = c_.columns;
        std::vector<CHAR_INFO> cells(size_t(columns) * c_.rows);
        CONSOLE_SCREEN_BUFFER_INFO info;
        GetConsoleScreenBufferInfo(output, &info);
        SMALL_RECT window = info.srWindow;
        ReadConsoleOutputW(output, cells.data(), COORD{SHORT(columns), SHORT(c_.rows)}, COORD{0, 0},
                           &window);
        const int cursorColumn = focused ? info.dwCursorPosition.X - info.srWindow.Left : -1;
        const int cursorRow = info.dwCursorPosition.Y - info.srWindow.Top;
        const float width = cellWidth(layout_.textWidth, columns);
        const float height = cellHeight(layout_.textHeight, c_.rows);
        const auto x = [&](int col) { return cellOffset(layout_.originX, col, width); };
        const auto y = [&](int row) { return cellOffset(layout_.originY, row, height); };
        const bool rowRun = rowRunMode(c_);

        Gdiplus::Graphics graphics(bitmap_.get());
        graphics.Clear(Gdiplus::Color(clearColorArgb(c_.backgroundColor)));
        HDC dc = graphics.GetHDC();
        HGDIOBJ old = ::SelectObject(dc, font_);
        ::SetTextAlign(dc, 0);
        ::SetBkMode(dc, TRANSPARENT);
        const ColorPair base = baseColors(c_);
        ::SetTextColor(dc, base.text);
        ::SetBkColor(dc, base.background);
        // One cell's character (with its second half, when wide) at its cell.
        auto output1 = [&](int r, int col) {
            const CHAR_INFO* row = &cells[size_t(r) * columns];
            if (asBytes) {
                const char byte = char(row[col].Char.UnicodeChar);
                ::TextOutA(dc, x(col), y(r), &byte, 1);
                return;
            }
            // A second half goes with its first, unless it is the cursor or coloured apart.
            auto halves = [&](int first) {
                return first >= 0 && first + 1 < columns && !trailing(row, first) &&
                       trailing(row, first + 1) &&
                       (rowRun || BYTE(row[first].Attributes) == BYTE(row[first + 1].Attributes)) &&
                       !(r == cursorRow && first + 1 == cursorColumn);
            };
            if (halves(col - 1))
                return;
            const WCHAR ch = trailing(row, col) ? L' ' : row[col].Char.UnicodeChar;
            const bool wide = halves(col);
            const INT advance = x(col + 2) - x(col);
            const RECT band{0, y(r), layout_.bitmapWidth, y(r + 1)};
            ::ExtTextOutW(dc, x(col), y(r), ETO_CLIPPED, &band, &ch, 1, wide ? &advance : nullptr);
        };
        for (int r = 0; r < c_.rows; ++r) {
            if (rowRun && asBytes) {
                std::string bytes;
                for (int col = 0; col < columns; ++col)
                    bytes += char(cells[size_t(r) * columns + col].Char.UnicodeChar);
                ::TextOutA(dc, x(0), y(r), bytes.data(), columns);
                continue;
            }
            for (int col = 0; col < columns; ++col) {
                const bool cursorCell = r == cursorRow && col == cursorColumn;
                if (rowRun) {
                    output1(r, col);
                    continue;
                }
                const CellPaint paint =
                    paintCell(c_, cells[size_t(r) * columns + col].Attributes, cursorCell);
                if (paint.setsTextColor)
                    ::SetTextColor(dc, paint.textColor);
                if (paint.background == CellBackground::Transparent) {
                    ::SetBkMode(dc, TRANSPARENT);
                } else if (paint.background == CellBackground::Opaque) {
                    ::SetBkMode(dc, OPAQUE);
                    ::SetBkColor(dc, paint.backgroundColor);
                }
                output1(r, col);
                if (cursorCell)
                    ::SetBkMode(dc, TRANSPARENT);
            }
        }
        if (rowRun && cursorColumn >= 0 && cursorColumn < columns && cursorRow >= 0 &&
            cursorRow < c_.rows) {
            const ColorPair cursor = rowRunCursorColors(c_);
            ::SetTextColor(dc, cursor.text);
            ::SetBkColor(dc, cursor.background);
            ::SetBkMode(dc, OPAQUE);
            output1(cursorRow, cursorColumn);
        }
        ::SelectObject(dc, old);
        graphics.ReleaseHDC(dc);
        return readPixels(*bitmap_);
    }

    ~CellByCellDrawer() { ::DeleteObject(font_); }  // a stock object is left alone

private:
    RendererConfig c_;
    HFONT font_ = nullptr;
    Layout layout_;
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};

}  // namespace tideglass::e2e
