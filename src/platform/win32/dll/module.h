// The module's adapters: one set per loaded DLL, shared by every desklet of the process.
#pragma once

#include "desklet/platform.h"

namespace tideglass {
class PropertyPages;
}

namespace tideglass::win32 {

const Platform& modulePlatform();
PropertyPages& modulePropertyPages();

}  // namespace tideglass::win32
