#include "fakes/fake_choosers.h"

namespace tideglass::fakes {

std::optional<ColorRef> FakeChoosers::chooseColor(ColorRef initial, CustomColors& custom) {
    colorCalls.push_back({initial, &custom});
    if (whileOpen)
        whileOpen();
    return colorAnswer;
}

bool FakeChoosers::chooseFont(FontBlock& font, bool showNonOem) {
    fontCalls.push_back({font, showNonOem});
    if (whileOpen)
        whileOpen();
    if (!fontAnswer)
        return false;
    font = *fontAnswer;
    return true;
}

}  // namespace tideglass::fakes
