// A host that exports only the few Desklet functions a minimal widget host has; in particular it
// lacks DeskletAddPropertySheet. Counts the calls the plug-in makes.
#pragma once

#include <windows.h>

namespace bare_host {

struct Calls {
    volatile LONG setStatic = 0;
    volatile LONG remove = 0;
    volatile LONG setSize = 0;
    volatile LONG setImageOverlay = 0;
};

Calls& calls();

}  // namespace bare_host
