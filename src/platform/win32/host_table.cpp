#include "platform/win32/host_table.h"

#include <cstring>

namespace tideglass::win32 {

void HostTable::resolve() {
    HMODULE host = GetModuleHandleA(nullptr);
    for (std::size_t i = 0; i < kHostFunctionCount; ++i) {
        functions_[i] = GetProcAddress(host, kHostFunctionNames[i]);
    }
}

HostTable& hostTable() {
    static HostTable table;
    return table;
}

namespace {

// Every host function takes and returns pointer-sized values (32 bits in the hosts of the
// plug-in's era) with the standard calling convention.
using HostCall2 = INT_PTR(WINAPI*)(HWND, INT_PTR);
using HostCall3 = INT_PTR(WINAPI*)(HWND, INT_PTR, INT_PTR);

INT_PTR call(const HostTable& table, HostFunction which, HWND window, INT_PTR a) {
    auto function = reinterpret_cast<HostCall2>(reinterpret_cast<void*>(table.get(which)));
    return function != nullptr ? function(window, a) : 0;
}

INT_PTR call(const HostTable& table, HostFunction which, HWND window, INT_PTR a, INT_PTR b) {
    auto function = reinterpret_cast<HostCall3>(reinterpret_cast<void*>(table.get(which)));
    return function != nullptr ? function(window, a, b) : 0;
}

HWND hwnd(WindowHandle window) {
    return static_cast<HWND>(window);
}

}  // namespace

void Win32Host::setImageOverlay(WindowHandle window, void* image) {
    // The last argument 0: the image stays the plug-in's, the host must not delete it.
    call(table_, HostFunction::SetImageOverlay, hwnd(window), reinterpret_cast<INT_PTR>(image), 0);
}

void Win32Host::remove(WindowHandle window) {
    call(table_, HostFunction::Remove, hwnd(window), 0);
}

void Win32Host::setSize(WindowHandle window, int32_t width, int32_t height) {
    SIZE size{width, height};
    call(table_, HostFunction::SetSize, hwnd(window), reinterpret_cast<INT_PTR>(&size));
}

void Win32Host::setStatic(WindowHandle window) {
    call(table_, HostFunction::SetStatic, hwnd(window), 0);
}

int32_t Win32Host::addPropertySheet(WindowHandle window, void* page) {
    return static_cast<int32_t>(call(table_, HostFunction::AddPropertySheet, hwnd(window),
                                     reinterpret_cast<INT_PTR>(page)));
}

}  // namespace tideglass::win32
