#include "settings/settings.h"

#include "settings/keys.h"

namespace tideglass {

Settings::Settings() {
    text(keys::kChildAppCmdline) = "%COMSPEC%";
    text(keys::kChildAppDir) = "%HOMEPATH%";
    integer(keys::kColumns) = 80;
    integer(keys::kRows) = 25;
    integer(keys::kTextColor) = static_cast<int32_t>(0xFFE0E0E0u);
    integer(keys::kBackgroundColor) = static_cast<int32_t>(0x80000000u);
    integer(keys::kLeftMargin) = 8;
    integer(keys::kRightMargin) = 8;
    integer(keys::kTopMargin) = 8;
    integer(keys::kBottomMargin) = 8;
    integer(keys::kPollInterval) = 250;
    integer(keys::kIgnoreFgColors) = 1;
    integer(keys::kIgnoreBgColors) = 1;
    integer(keys::kIgnoreStyle) = 1;
    integer(keys::kInvertColors) = 0;
    integer(keys::kBlackIsTransparent) = 1;
}

}  // namespace tideglass
