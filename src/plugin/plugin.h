// What the six exported entry points do, in portable form: the Win32 export shims convert their
// arguments and call these. None of them lets an exception out, not even from its error box.
#pragma once

#include <cstdint>

#include "desklet/platform.h"
#include "ports/handles.h"

namespace tideglass {

class Desklet;
class PropertyPages;

constexpr char kPluginName[] = "Tideglass";
constexpr char kPluginAuthor[] = "The Tideglass developers";
constexpr int32_t kPluginVersion = 110;
constexpr char kPluginDescription[] =
    "This desklets displays a configurable Windows console on your desktop";

constexpr char kCreateFailedContext[] = "An exception occured";
constexpr char kCreateErrorContext[] = "Error";
constexpr char kCreateErrorDetail[] = "could not initialize the Desklet object";

// Copies the texts with their terminating zeros; checks no pointer (the host owns the buffers).
void getInformation(char* name, char* author, int32_t* version, char* description) noexcept;

// Builds a desklet (loading its settings when both INI names are given). On failure shows the
// error box, asks the host to remove the widget and returns null.
Desklet* createDesklet(const Platform& platform, WindowHandle window, InstanceHandle instance,
                       const char* iniFile, const char* iniSection) noexcept;

// Also from inside one of the desklet's own steps (a failure box's message loop): the desklet
// is then freed when that step ends.
void destroyDesklet(const Platform& platform, Desklet* desklet) noexcept;
void processDeskletMessage(const Platform& platform, Desklet* desklet, uint32_t message,
                           uintptr_t wParam, intptr_t lParam) noexcept;
void saveDesklet(const Platform& platform, Desklet* desklet, const char* iniFile,
                 const char* iniSection) noexcept;
// Creates "Console Settings" then "Font and Colors" and hands each to the host; returns what the
// host answered for the second page (0 for a null desklet).
int32_t addPropertySheets(const Platform& platform, PropertyPages& pages,
                          Desklet* desklet) noexcept;

}  // namespace tideglass
