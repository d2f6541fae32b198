// The widget's right-click menu and its configuration dialog: a property sheet of the pages the
// plug-in hands over through DeskletAddPropertySheet.
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
};

extern const char kSheetCaption[];

// Shows the menu at `screen` and returns the chosen command (0 when dismissed).
WPARAM showWidgetMenu(HWND owner, POINT screen, bool onTop);

// Runs the configuration dialog modally; true when the pages accepted changes (OK).
bool configureWidget(HWND owner, const PluginEntryPoints& plugin, void* desklet);

}  // namespace host
