// Which settings a renderer is built from: the renderer configuration filled from a store.
#pragma once

#include "render/renderer_config.h"
#include "settings/settings.h"

namespace tideglass {

// Colours are taken bit for bit; each switch is on when its integer is not 0. A key missing
// from the store reads as 0.
RendererConfig rendererConfigFromSettings(const Settings& settings);

}  // namespace tideglass
