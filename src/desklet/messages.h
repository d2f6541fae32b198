// The window messages the desklet reacts to, by their Windows values (the core includes no
// Windows headers).
#pragma once

#include <cstdint>

namespace tideglass {

constexpr uint32_t kWmActivate = 0x0006;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmSysKeyDown = 0x0104;
constexpr uint32_t kWmSysKeyUp = 0x0105;
constexpr uint32_t kWmTimer = 0x0113;
constexpr uint32_t kWmMouseWheel = 0x020A;

constexpr uint32_t kWaInactive = 0;
constexpr uint32_t kWaActive = 1;
constexpr uint32_t kWaClickActive = 2;

// The poll timer on the widget's window.
constexpr uintptr_t kPollTimerId = 1;

// What the plug-in's private message asks of the widget's thread, in its wParam: the changes
// an apply on another thread left to make, or a read of a console known to have changed (a
// console agent posts it when it has published a new reading).
constexpr uintptr_t kWorkPendingChanges = 0;
constexpr uintptr_t kWorkConsoleChanged = 1;

}  // namespace tideglass
