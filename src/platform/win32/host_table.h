// The desklet host's functions, looked up by name in the host executable when the module loads.
// A function the host lacks stays null; calling it through the adapter does nothing and gives 0.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string_view>

#include "ports/host.h"

namespace tideglass::win32 {

constexpr std::size_t kHostFunctionCount = 59;

// The names in lookup order.
inline constexpr std::array<const char*, kHostFunctionCount> kHostFunctionNames = {
    "DeskletIsVisible",
    "DeskletGetRect",
    "DeskletGetLabel",
    "DeskletSetLabel",
    "DeskletLoadGDIPlusImage",
    "DeskletSetImage",
    "DeskletSetImageFile",
    "DeskletSetImageOverlay",
    "DeskletSetImageOverlayFile",
    "DeskletBrowseForImage",
    "DeskletDoAttentionAnimation",
    "DeskletGetRelativeFolder",
    "DeskletGetRootFolder",
    "DeskletDefaultConfigDialog",
    "DeskletRemove",
    "DeskletHide",
    "DeskletShow",
    "DeskletSetPosition",
    "DeskletSetSize",
    "DeskletSetAlpha",
    "DeskletSetRotation",
    "DeskletGetPosition",
    "DeskletGetSize",
    "DeskletGetAlpha",
    "DeskletGetRotation",
    "DeskletLoad",
    "DeskletGetParentOK",
    "DeskletManager",
    "DeskletSetStatic",
    "DeskletActivateExtendedDragDrop",
    "DeskletDeactivateExtendedDragDrop",
    "DeskletLayerSetPlacement",
    "DeskletLayerGetLayer",
    "DeskletLayerCount",
    "DeskletLayerAdd",
    "DeskletLayerRemove",
    "DeskletLayerMergeAll",
    "DeskletLayerMergeVisible",
    "DeskletLayerMoveDown",
    "DeskletLayerMoveTop",
    "DeskletLayerMoveBottom",
    "DeskletLayerMoveUp",
    "DeskletLayerReset",
    "DeskletLayerSetAlpha",
    "DeskletLayerSetColorMatrix",
    "DeskletLayerSetHue",
    "DeskletLayerSetImage",
    "DeskletLayerSetImageFile",
    "DeskletLayerSetRotation",
    "DeskletLayerSetSaturation",
    "DeskletLayerSetVisibility",
    "DeskletAddDragDropFormat",
    "DeskletRemoveDragDropFormat",
    "DeskletGetDefaultMenu",
    "DeskletDoDefaultMenuCommand",
    "DeskletLayerSetIconState",
    "DeskletAddPropertySheet",
    "DeskletSetSubLabel",
    "DeskletMove",
};

// Positions in the table of the functions the plug-in calls.
enum class HostFunction : std::size_t {
    SetImageOverlay = 7,
    Remove = 14,
    SetSize = 18,
    SetStatic = 28,
    AddPropertySheet = 56,
};

constexpr bool namedAt(HostFunction function, std::string_view name) {
    return kHostFunctionNames[static_cast<std::size_t>(function)] == name;
}
static_assert(namedAt(HostFunction::SetImageOverlay, "DeskletSetImageOverlay"));
static_assert(namedAt(HostFunction::Remove, "DeskletRemove"));
static_assert(namedAt(HostFunction::SetSize, "DeskletSetSize"));
static_assert(namedAt(HostFunction::SetStatic, "DeskletSetStatic"));
static_assert(namedAt(HostFunction::AddPropertySheet, "DeskletAddPropertySheet"));

class HostTable {
public:
    // Fills the table from GetModuleHandleA(NULL), in lookup order.
    void resolve();
    FARPROC get(HostFunction function) const {
        return functions_[static_cast<std::size_t>(function)];
    }

private:
    std::array<FARPROC, kHostFunctionCount> functions_{};
};

// The module's one table, filled when the DLL is attached to the process.
HostTable& hostTable();

// The Host port over a host table.
class Win32Host final : public Host {
public:
    explicit Win32Host(const HostTable& table) : table_(table) {}

    void setImageOverlay(WindowHandle window, void* image) override;
    void remove(WindowHandle window) override;
    void setSize(WindowHandle window, int32_t width, int32_t height) override;
    void setStatic(WindowHandle window) override;
    int32_t addPropertySheet(WindowHandle window, void* page) override;

private:
    const HostTable& table_;
};

}  // namespace tideglass::win32
