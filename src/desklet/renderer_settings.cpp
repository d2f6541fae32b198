#include "desklet/renderer_settings.h"

#include "settings/keys.h"

namespace tideglass {

namespace {

int32_t integerOf(const Settings& settings, const char* key) {
    const auto found = settings.integers.find(key);
    return found == settings.integers.end() ? 0 : found->second;
}

bool switchOf(const Settings& settings, const char* key) {
    return integerOf(settings, key) != 0;
}

}  // namespace

RendererConfig rendererConfigFromSettings(const Settings& settings) {
    RendererConfig config;
    config.columns = integerOf(settings, keys::kColumns);
    config.rows = integerOf(settings, keys::kRows);
    config.font = settings.font;
    config.textColor = static_cast<uint32_t>(integerOf(settings, keys::kTextColor));
    config.backgroundColor = static_cast<uint32_t>(integerOf(settings, keys::kBackgroundColor));
    config.leftMargin = integerOf(settings, keys::kLeftMargin);
    config.rightMargin = integerOf(settings, keys::kRightMargin);
    config.topMargin = integerOf(settings, keys::kTopMargin);
    config.bottomMargin = integerOf(settings, keys::kBottomMargin);
    config.ignoreFgColors = switchOf(settings, keys::kIgnoreFgColors);
    config.ignoreBgColors = switchOf(settings, keys::kIgnoreBgColors);
    config.ignoreStyle = switchOf(settings, keys::kIgnoreStyle);
    config.invertColors = switchOf(settings, keys::kInvertColors);
    config.blackIsTransparent = switchOf(settings, keys::kBlackIsTransparent);
    return config;
}

}  // namespace tideglass
