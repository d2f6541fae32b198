// The renderer with the real console, GDI and GDI+: bitmap size, background alpha, cursor and
// change detection as they come out of the real platform, and one overlay saved as PNG.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/win32/gdi_graphics.h"
#include "render/renderer.h"
#include "e2e/support/render_support.h"
#include "platform/win32/win32_console.h"
#include "support/plugin_library.h"
#include "support/png_encoder.h"

namespace tideglass::e2e {
namespace {

constexpr int16_t kColumns = 80;
constexpr int16_t kRows = 25;

TestConsole* environment = static_cast<TestConsole*>(
    ::testing::AddGlobalTestEnvironment(new TestConsole(kColumns, kRows)));

RendererConfig defaults() {
    RendererConfig c;
    c.columns = kColumns;
    c.rows = kRows;
    c.textColor = 0xFFE0E0E0;
    c.backgroundColor = 0x80000000;
    c.leftMargin = c.rightMargin = c.topMargin = c.bottomMargin = 8;
    c.ignoreFgColors = c.ignoreBgColors = c.ignoreStyle = true;
    c.blackIsTransparent = true;
    return c;
}

// The width and height of `count` copies of "X" in the stock OEM fixed font, measured apart
// from the renderer.
SIZE measureStockFont(int count) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetStockObject(OEM_FIXED_FONT));
    SIZE size{0, 0};
    const std::wstring xs(size_t(count), L'X');
    GetTextExtentPoint32W(dc, xs.c_str(), count, &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size;
}

class RenderE2E : public ::testing::Test {
protected:
    void SetUp() override {
        output = environment->output;
        clearConsole(output);
        cell = measureStockFont(kColumns);
        cellWidth = float(cell.cx) / kColumns;
    }

    Renderer& build() {
        renderer.reset();
        renderer = std::make_unique<Renderer>(config, graphics, screen);
        return *renderer;
    }
    Gdiplus::Bitmap& bitmap() {
        return *static_cast<Gdiplus::Bitmap*>(
            static_cast<Gdiplus::Image*>(renderer->canvas().hostImage()));
    }
    uint32_t pixel(int x, int y) {
        Gdiplus::Color color;
        bitmap().GetPixel(x, y, &color);
        return color.GetValue();
    }
    // Centre pixel of a cell of the text grid.
    uint32_t cellPixel(int column, int row) {
        return pixel(config.leftMargin + int(column * cellWidth + cellWidth / 2),
                     config.topMargin + row * cell.cy + cell.cy / 2);
    }

    HANDLE output = nullptr;
    RendererConfig config = defaults();
    win32::GdiGraphics graphics;
    win32::Win32ScreenBuffer screen;
    std::unique_ptr<Renderer> renderer;
    SIZE cell{};
    float cellWidth = 0;
};

TEST_F(RenderE2E, BitmapIsMarginsPlusMeasuredText) {
    config.leftMargin = 3;
    config.rightMargin = 5;
    config.topMargin = 7;
    config.bottomMargin = 11;
    build();
    ASSERT_GT(cell.cx, 0);
    EXPECT_EQ(renderer->canvas().width(), uint32_t(3 + 5 + cell.cx));
    EXPECT_EQ(renderer->canvas().height(), uint32_t(7 + 11 + kRows * cell.cy));
    EXPECT_EQ(bitmap().GetPixelFormat(), PixelFormat32bppARGB);
}

// GDI+ gives no memory for its n-th object (bitmap or graphics, of the scratch canvas, the
// overlay, or the repaint area): the set-up fails with its message, or the draw goes on without.
TEST_F(RenderE2E, GdiplusOutOfMemoryIsAFailureNotACrash) {
    static int allocationsLeft;
    auto failing = [](std::size_t bytes) -> void* {
        return allocationsLeft-- > 0 ? win32::gdiplusAlloc(bytes) : nullptr;
    };
    win32::GdiGraphics starved(failing);
    for (int given = 0; given < 8; ++given) {
        allocationsLeft = given;
        try {
            Renderer built(config, starved, screen);
            built.snapshot(output);
            built.draw(true);
            EXPECT_NE(built.canvas().hostImage(), nullptr) << given;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("Could not create the overlay bitmap"),
                      std::string::npos)
                << given << ": " << e.what();
        }
    }
}

TEST_F(RenderE2E, TextTooLargeForAnOverlayFailsTheSetUpAndLeavesTheCodePage) {
    build();
    ASSERT_EQ(GetConsoleOutputCP(), GetOEMCP());
    std::strcpy(config.font.faceName, "Courier New");  // would switch the console to ANSI
    config.font.charSet = ANSI_CHARSET;
    config.columns = 5000;  // wider than any overlay may be, in either address space
    EXPECT_THROW(build(), std::runtime_error);
    EXPECT_EQ(GetConsoleOutputCP(), GetOEMCP());
}

TEST_F(RenderE2E, ConsoleCodePageFollowsTheFont) {
    build();
    EXPECT_EQ(GetConsoleOutputCP(), GetOEMCP());
    std::strcpy(config.font.faceName, "Courier New");
    config.font.height = -12;
    config.font.charSet = ANSI_CHARSET;
    build();
    EXPECT_EQ(GetConsoleOutputCP(), GetACP());
    config.font.charSet = OEM_CHARSET;
    build();
    EXPECT_EQ(GetConsoleOutputCP(), GetOEMCP());
}

TEST_F(RenderE2E, BlankRendererClearsEveryPixelToTheBackground) {
    config.backgroundColor = 0x40FF8000;
    build();
    writeAt(output, 0, 0, "not drawn before the first snapshot");
    renderer->draw(true);
    const std::vector<uint32_t> pixels = readPixels(bitmap());
    ASSERT_FALSE(pixels.empty());
    for (uint32_t p : pixels)
        ASSERT_EQ(p, 0x400080FFu);
}

TEST_F(RenderE2E, TextLandsInTheGridAndMarginsKeepTheBackgroundAlpha) {
    build();
    writeAt(output, 0, 0, "Microsoft Windows");
    ASSERT_TRUE(renderer->snapshot(output));
    EXPECT_FALSE(renderer->snapshot(output));
    renderer->draw(false);
    const std::vector<uint32_t> pixels = readPixels(bitmap());
    const int width = int(bitmap().GetWidth());
    const int height = int(bitmap().GetHeight());
    int textPixels = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * width + x];
            const bool margin = x < 8 || y < 8 || x >= width - 8 || y >= height - 8;
            if (margin) {
                ASSERT_EQ(p, 0x80000000u) << x << "," << y;
            }
            if (!margin && p != 0x80000000u)
                ++textPixels;
        }
    }
    EXPECT_GT(textPixels, 17);  // the glyphs of the first row
}

TEST_F(RenderE2E, CursorCellIsOpaqueOnlyWhileFocused) {
    build();
    setCursor(output, 10, 3);
    ASSERT_TRUE(renderer->snapshot(output));
    renderer->draw(true);
    // Default colours: a blank cursor cell is the inverted black background, white.
    EXPECT_EQ(cellPixel(10, 3) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(cellPixel(11, 3), 0x80000000u);
    renderer->draw(false);
    EXPECT_EQ(cellPixel(10, 3), 0x80000000u);
}

TEST_F(RenderE2E, PerCellModeDrawsAttributeBackgrounds) {
    config.ignoreFgColors = config.ignoreBgColors = config.ignoreStyle = false;
    build();
    writeAt(output, 4, 2, "   ", 0x1E);  // blank cells on blue
    setCursor(output, 0, 20);
    ASSERT_TRUE(renderer->snapshot(output));
    renderer->draw(false);
    EXPECT_EQ(cellPixel(5, 2) & 0xFFFFFF, 0x0000B0u);  // ARGB order: blue is the low byte
    EXPECT_EQ(cellPixel(8, 2), 0x80000000u);           // black background: transparent
}

TEST_F(RenderE2E, OnlyChangedRowsDifferAfterAChange) {
    build();
    writeAt(output, 0, 0, "first line");
    ASSERT_TRUE(renderer->snapshot(output));
    renderer->draw(false);
    const std::vector<uint32_t> before = readPixels(bitmap());
    writeAt(output, 0, 5, "a new line in row five");
    setCursor(output, 0, 0);
    ASSERT_TRUE(renderer->snapshot(output));
    renderer->draw(false);
    const std::vector<uint32_t> after = readPixels(bitmap());
    ASSERT_EQ(before.size(), after.size());
    const int width = int(bitmap().GetWidth());
    auto rowDiffers = [&](int row) {
        for (int y = 8 + row * cell.cy; y < 8 + (row + 1) * cell.cy; ++y) {
            for (int x = 0; x < width; ++x) {
                if (before[size_t(y) * width + x] != after[size_t(y) * width + x])
                    return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(rowDiffers(5));
    EXPECT_FALSE(rowDiffers(0));
    EXPECT_FALSE(rowDiffers(10));
}

TEST_F(RenderE2E, OverlaySavesAsPng) {
    build();
    writeAt(output, 0, 0, "Tideglass overlay");
    writeAt(output, 0, 1, "C:\\>");
    setCursor(output, 4, 1);
    ASSERT_TRUE(renderer->snapshot(output));
    renderer->draw(true);
    const std::string path = host::executableFolder() + "e2e_render_overlay.png";
    ASSERT_TRUE(host::savePng(*static_cast<Gdiplus::Image*>(renderer->canvas().hostImage()), path));
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace tideglass::e2e
