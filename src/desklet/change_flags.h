// What a configuration change asks the running instance to redo.
#pragma once

#include <cstdint>

namespace tideglass {

using ChangeFlags = uint32_t;

constexpr ChangeFlags kChildApplicationChange = 1;
constexpr ChangeFlags kRenderingChange = 2;
constexpr ChangeFlags kPollIntervalChange = 4;
constexpr ChangeFlags kConsoleSizeChange = 8;
constexpr ChangeFlags kAllChanges = 15;

}  // namespace tideglass
