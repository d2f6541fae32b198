// The reference desklet host: loads tideglass.dll, gives it one widget window, forwards the
// window's messages to it, types a command into the console through the widget, and writes the
// overlay the plug-in hands over as a PNG. Usage: tideglass_host.exe [output folder]
#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "support/gdiplus_session.h"
#include "support/png_encoder.h"
#include "support/host_functions.h"
#include "support/message_boxes.h"
#include "support/plugin_library.h"

namespace {

host::PluginLibrary* gPlugin = nullptr;
void* gDesklet = nullptr;

LRESULT CALLBACK widgetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gPlugin != nullptr && gDesklet != nullptr) {
        gPlugin->entry().OnProcessMessage(gDesklet, window, message, wParam, lParam);
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (Gdiplus::Image* overlay = host::HostRecorder::instance().overlay()) {
            Gdiplus::Graphics graphics(dc);
            graphics.DrawImage(overlay, 0, 0);
        }
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createWidgetWindow(HINSTANCE instance) {
    WNDCLASSA widgetClass{};
    widgetClass.lpfnWndProc = widgetProc;
    widgetClass.hInstance = instance;
    widgetClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    widgetClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    widgetClass.lpszClassName = "TideglassReferenceWidget";
    RegisterClassA(&widgetClass);
    return CreateWindowExA(0, widgetClass.lpszClassName, "Tideglass widget", WS_POPUP | WS_VISIBLE,
                           40, 40, 200, 100, nullptr, nullptr, instance, nullptr);
}

// Gives the widget a key press and release, as a host does with keyboard input for the widget.
void typeKey(HWND window, UINT virtualKey) {
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (1 << 30) | (1u << 31);
    gPlugin->entry().OnProcessMessage(gDesklet, window, WM_KEYDOWN, virtualKey, down);
    gPlugin->entry().OnProcessMessage(gDesklet, window, WM_KEYUP, virtualKey, up);
}

void typeText(HWND window, const std::string& text) {
    for (char c : text) {
        SHORT key = VkKeyScanA(c);
        if (key != -1)
            typeKey(window, LOBYTE(key));
        host::pumpFor(20);
    }
}

}  // namespace

int main(int argc, char** argv) {
    SetCurrentDirectoryA("C:\\");  // as a program started from the desktop has
    std::string outFolder = argc > 1 ? argv[1] : host::executableFolder();
    if (!outFolder.empty() && outFolder.back() != '\\')
        outFolder += '\\';

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    host::GdiplusSession gdiplus;
    host::BoxWatcher boxes;

    host::PluginLibrary plugin;
    if (!plugin.loaded()) {
        std::printf("could not load %s\n", plugin.path().c_str());
        return 2;
    }
    gPlugin = &plugin;

    char name[256] = {}, author[256] = {}, description[256] = {};
    int version = 0;
    plugin.entry().OnGetInformation(name, author, &version, description);
    std::printf("plug-in: %s %d.%02d by %s\n  %s\n", name, version / 100, version % 100, author,
                description);

    HWND window = createWidgetWindow(GetModuleHandleA(nullptr));
    gDesklet = plugin.entry().OnCreate(window, plugin.module(), nullptr, nullptr);
    if (gDesklet == nullptr) {
        for (const auto& box : boxes.boxes())
            std::printf("box: %s\n", box.text.c_str());
        std::printf("the widget could not be created\n");
        return 1;
    }
    auto& recorder = host::HostRecorder::instance();
    host::HostCall size;
    if (recorder.last("DeskletSetSize", size)) {
        SetWindowPos(window, nullptr, 0, 0, static_cast<int>(size.first),
                     static_cast<int>(size.second), SWP_NOMOVE | SWP_NOZORDER);
        std::printf("widget size: %d x %d\n", static_cast<int>(size.first),
                    static_cast<int>(size.second));
    }
    recorder.onOverlay = [window](Gdiplus::Image*) { InvalidateRect(window, nullptr, FALSE); };

    host::pumpUntil([&] { return recorder.overlayCount() > 0; }, 5000);
    plugin.entry().OnProcessMessage(gDesklet, window, WM_ACTIVATE, WA_ACTIVE, 0);
    typeText(window, "echo tideglass");
    typeKey(window, VK_RETURN);
    host::pumpFor(1500);

    int status = 0;
    const std::string png = outFolder + "tideglass-demo.png";
    if (Gdiplus::Image* overlay = recorder.overlay()) {
        if (host::savePng(*overlay, png)) {
            std::printf("overlay: %u x %u, %d overlays received, saved as %s\n",
                        recorder.overlayWidth(), recorder.overlayHeight(), recorder.overlayCount(),
                        png.c_str());
        } else {
            std::printf("could not save %s\n", png.c_str());
            status = 1;
        }
    } else {
        std::printf("no overlay was received\n");
        status = 1;
    }
    const std::string ini = outFolder + "tideglass-demo.ini";
    plugin.entry().OnSave(gDesklet, ini.c_str(), "Desklet1", FALSE);
    std::printf("settings saved to %s [Desklet1]\n", ini.c_str());

    void* desklet = gDesklet;
    gDesklet = nullptr;
    plugin.entry().OnDestroy(desklet, window);
    DestroyWindow(window);
    for (const auto& box : boxes.boxes())
        std::printf("box: %s\n", box.text.c_str());
    std::fflush(stdout);
    return status;
}
