// The plug-in in a host that does not export DeskletAddPropertySheet: the pages are still made
// (seen through the plug-in's own import of CreatePropertySheetPageA), nothing is shown, 0 comes
// back and the widget goes on working.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bare_host_functions.h"
#include "support/message_boxes.h"
#include "support/plugin_library.h"

namespace {

struct PageRecord {
    UINT size;
    DWORD flags;
    HINSTANCE instance;
    UINT_PTR templateId;
    std::string title;
    bool hasProcedure;
    LPARAM desklet;
    HPROPSHEETPAGE handle;
};

using CreatePage = HPROPSHEETPAGE(WINAPI*)(LPCPROPSHEETPAGEA);
CreatePage gRealCreatePage = nullptr;
std::vector<PageRecord> gPages;

HPROPSHEETPAGE WINAPI recordingCreatePage(LPCPROPSHEETPAGEA page) {
    HPROPSHEETPAGE handle = gRealCreatePage(page);
    gPages.push_back({page->dwSize, page->dwFlags, page->hInstance,
                      reinterpret_cast<UINT_PTR>(page->pszTemplate),
                      page->pszTitle != nullptr ? page->pszTitle : "", page->pfnDlgProc != nullptr,
                      page->lParam, handle});
    return handle;
}

// Points one by-name import of `module` at `replacement`; returns the original address.
void* redirectImport(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; entry->Name != 0; ++entry) {
        if (_stricmp(reinterpret_cast<char*>(base + entry->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (entry->OriginalFirstThunk != 0
                                                                      ? entry->OriginalFirstThunk
                                                                      : entry->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                           &protection);
            void* original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<DWORD_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return original;
        }
    }
    return nullptr;
}

// The widget window: every message goes to the plug-in, as a host passes them on.
host::PluginLibrary* gPlugin = nullptr;
void* gDesklet = nullptr;

LRESULT CALLBACK widgetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gPlugin != nullptr && gDesklet != nullptr)
        gPlugin->entry().OnProcessMessage(gDesklet, window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// Undoes on every way out of the test what it set up, so a failed check leaves nothing behind.
class BareHost : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.loaded());
        gRealCreatePage = reinterpret_cast<CreatePage>(
            redirectImport(plugin.module(), "comctl32.dll", "CreatePropertySheetPageA",
                           reinterpret_cast<void*>(&recordingCreatePage)));
        ASSERT_NE(gRealCreatePage, nullptr) << "the plug-in imports CreatePropertySheetPageA";
        WNDCLASSA widgetClass{};
        widgetClass.lpfnWndProc = &widgetProc;
        widgetClass.hInstance = GetModuleHandleA(nullptr);
        widgetClass.lpszClassName = "TideglassBareWidget";
        RegisterClassA(&widgetClass);
        window = CreateWindowExA(0, widgetClass.lpszClassName, "widget", WS_POPUP, 0, 0, 100, 100,
                                 nullptr, nullptr, widgetClass.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        gPlugin = &plugin;
    }

    void TearDown() override {
        void* desklet = gDesklet;
        gDesklet = nullptr;
        if (desklet != nullptr)
            plugin.entry().OnDestroy(desklet, window);
        // Nobody took the pages, so they are this host's to free.
        for (const PageRecord& page : gPages)
            if (page.handle != nullptr)
                DestroyPropertySheetPage(page.handle);
        gPages.clear();
        if (window != nullptr)
            DestroyWindow(window);
        if (gRealCreatePage != nullptr) {
            redirectImport(plugin.module(), "comctl32.dll", "CreatePropertySheetPageA",
                           reinterpret_cast<void*>(gRealCreatePage));
        }
        gPlugin = nullptr;
    }

    host::BoxWatcher boxes;
    host::PluginLibrary plugin;
    HWND window = nullptr;
};

TEST_F(BareHost, PagesAreCreatedAndZeroReturnedWithoutDeskletAddPropertySheet) {
    gDesklet = plugin.entry().OnCreate(window, plugin.module(), nullptr, nullptr);
    ASSERT_NE(gDesklet, nullptr);
    EXPECT_EQ(bare_host::calls().setStatic, 1);
    EXPECT_EQ(bare_host::calls().remove, 0);
    EXPECT_EQ(bare_host::calls().setSize, 1);

    EXPECT_EQ(plugin.entry().OnAddPropertySheets(nullptr, 0), 0);
    EXPECT_TRUE(gPages.empty()) << "no desklet, no pages";
    EXPECT_EQ(plugin.entry().OnAddPropertySheets(gDesklet, 0), 0);
    ASSERT_EQ(gPages.size(), 2u);
    const UINT_PTR templates[] = {106, 101};
    const char* titles[] = {"Console Settings", "Font and Colors"};
    for (size_t i = 0; i < gPages.size(); ++i) {
        const PageRecord& page = gPages[i];
        SCOPED_TRACE(titles[i]);
        EXPECT_NE(page.handle, nullptr);
        // The record of the plug-in's era, up to hActCtx: 52 bytes in a 32-bit process.
        EXPECT_EQ(page.size, sizeof(void*) == 4 ? 52u : UINT(sizeof(PROPSHEETPAGEA_V3)));
        EXPECT_EQ(page.flags, static_cast<DWORD>(PSP_USETITLE));
        EXPECT_EQ(page.instance, plugin.module());
        EXPECT_EQ(page.templateId, templates[i]);
        EXPECT_EQ(page.title, titles[i]);
        EXPECT_TRUE(page.hasProcedure);
        // The desklet's token for its pages (never its address, which a later desklet can get).
        EXPECT_NE(page.desklet, 0);
        EXPECT_NE(page.desklet, reinterpret_cast<LPARAM>(gDesklet));
        EXPECT_EQ(page.desklet, gPages[0].desklet);
    }

    // The widget goes on drawing: an activation redraws and hands the overlay over at once.
    const LONG overlays = bare_host::calls().setImageOverlay;
    SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_GT(bare_host::calls().setImageOverlay, overlays);
    EXPECT_FALSE(host::pumpUntil([&] { return !boxes.boxes().empty(); }, 300)) << "no error box";
}

}  // namespace
