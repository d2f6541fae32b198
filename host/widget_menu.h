// The widget's right-click menu, the menu of the process's icon in the notification area, and the
// widget's configuration dialog: a property sheet of the pages the plug-in hands over through
// DeskletAddPropertySheet, opened on the screen near the widget.
#pragma once

#include <windows.h>

#include "support/plugin_library.h"

namespace host {

enum MenuCommand : WPARAM {
    kConfigure = 101,
    kAlwaysOnTop = 102,
    kSaveNow = 103,
    kExit = 104,
    kPaste = 105,
    kCopyText = 106,
    kNewWidget = 107,
    kCloseWidget = 108,
    kClickThrough = 109,
    kOpacityFirst = 110,  // one per entry of kOpacities, in its order
};

extern const char kSheetCaption[];

struct WidgetMenuState {
    bool onTop = false;
    bool clickThrough = false;
    int opacity = 100;
};

// Shows the menu at `screen` and returns the chosen command (0 when dismissed).
WPARAM showWidgetMenu(HWND owner, POINT screen, const WidgetMenuState& state);
// The icon's menu, for every widget of the process: `clickThrough` says whether any widget lets
// the mouse through (choosing the entry then turns it off for all).
WPARAM showProcessMenu(HWND owner, POINT screen, bool clickThrough);

// Where a window of `size` opens near `widget`: at the widget's corner, moved into `work` (the
// work area of the widget's monitor) as far as it has to.
POINT placeNear(const RECT& widget, SIZE size, const RECT& work);

// Runs the configuration dialog modally; true when the pages accepted changes (OK).
bool configureWidget(HWND owner, const PluginEntryPoints& plugin, void* desklet);

}  // namespace host
