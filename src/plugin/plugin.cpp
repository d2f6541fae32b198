#include "plugin/plugin.h"

#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "desklet/desklet.h"
#include "ports/error_report.h"
#include "ports/host.h"
#include "plugin/property_pages.h"

namespace tideglass {
namespace {

// Building the box's text can itself run out of memory, and nothing may leave an entry point:
// a report that fails is dropped, as there is nowhere left to tell.
template <typename Report>
void reportQuietly(Report&& report) noexcept {
    try {
        report();
    } catch (...) {
    }
}

// The host cannot cope with an exception coming out of an entry point; these paths have no
// failure of their own to report, so anything unexpected (memory running out) gets the generic
// box instead of taking the host process down.
template <typename Action>
void guarded(const Platform& platform, Action&& action) noexcept {
    try {
        action();
    } catch (const std::exception& e) {
        reportQuietly([&] { reportException(platform.ui, kCreateFailedContext, e); });
    } catch (...) {
        reportQuietly([&] { reportError(platform.ui, kCreateFailedContext, kUnknownError); });
    }
}

}  // namespace

void getInformation(char* name, char* author, int32_t* version, char* description) noexcept {
    std::memcpy(name, kPluginName, sizeof kPluginName);
    std::memcpy(author, kPluginAuthor, sizeof kPluginAuthor);
    *version = kPluginVersion;
    std::memcpy(description, kPluginDescription, sizeof kPluginDescription);
}

Desklet* createDesklet(const Platform& platform, WindowHandle window, InstanceHandle instance,
                       const char* iniFile, const char* iniSection) noexcept {
    platform.host.setStatic(window);
    try {
        std::unique_ptr<Desklet> desklet;
        if (iniFile != nullptr && iniSection != nullptr) {
            desklet = std::make_unique<Desklet>(platform, instance, window, std::string(iniFile),
                                                std::string(iniSection));
        } else {
            desklet = std::make_unique<Desklet>(platform, instance, window);
        }
        return desklet.release();
    } catch (const std::exception& e) {
        // The partly built object is gone by now: its storage is freed when its constructor
        // throws, before control reaches this handler.
        reportQuietly([&] { reportException(platform.ui, kCreateFailedContext, e); });
    } catch (...) {
        reportQuietly([&] { reportError(platform.ui, kCreateErrorContext, kCreateErrorDetail); });
    }
    platform.host.remove(window);
    return nullptr;
}

void destroyDesklet(const Platform& platform, Desklet* desklet) noexcept {
    if (desklet == nullptr)
        return;
    guarded(platform, [&] { desklet->destroy(); });
}

void processDeskletMessage(const Platform& platform, Desklet* desklet, uint32_t message,
                           uintptr_t wParam, intptr_t lParam) noexcept {
    if (desklet == nullptr)
        return;
    guarded(platform, [&] { desklet->processMessage(message, wParam, lParam); });
}

void saveDesklet(const Platform& platform, Desklet* desklet, const char* iniFile,
                 const char* iniSection) noexcept {
    if (desklet == nullptr || iniFile == nullptr || iniSection == nullptr)
        return;
    guarded(platform, [&] { desklet->saveSettings(iniFile, iniSection); });
}

int32_t addPropertySheets(const Platform& platform, PropertyPages& pages,
                          Desklet* desklet) noexcept {
    if (desklet == nullptr)
        return 0;
    int32_t result = 0;
    guarded(platform, [&] {
        void* consolePage = pages.create(desklet->moduleInstance(), PageKind::ConsoleSettings,
                                         desklet->pageToken());
        platform.host.addPropertySheet(desklet->widgetWindow(), consolePage);
        void* fontPage =
            pages.create(desklet->moduleInstance(), PageKind::FontAndColors, desklet->pageToken());
        result = platform.host.addPropertySheet(desklet->widgetWindow(), fontPage);
    });
    return result;
}

}  // namespace tideglass
