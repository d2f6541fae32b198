// Colour and font choosers that answer from a script and record what they were opened with.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "pages/choosers.h"

namespace tideglass::fakes {

class FakeChoosers : public Choosers {
public:
    struct ColorCall {
        ColorRef initial;
        CustomColors* custom;
    };
    struct FontCall {
        FontBlock fontAtCall;
        bool showNonOem;
    };

    std::optional<ColorRef> chooseColor(ColorRef initial, CustomColors& custom) override;
    bool chooseFont(FontBlock& font, bool showNonOem) override;

    // nullopt = the user cancels.
    std::optional<ColorRef> colorAnswer;
    // Written into the block when set; nullopt = the user cancels.
    std::optional<FontBlock> fontAnswer;

    // Runs while the chooser is open, as the sheet or the host can do meanwhile.
    std::function<void()> whileOpen;

    std::vector<ColorCall> colorCalls;
    std::vector<FontCall> fontCalls;
};

}  // namespace tideglass::fakes
