// The "Font and Colors" page: the rendering switches and the background's transparency, applied
// with the sheet, and the font and colour choosers, which apply the moment they are confirmed.
#pragma once

#include "desklet/live_desklets.h"
#include <functional>

#include "pages/choosers.h"
#include "settings/settings.h"

namespace tideglass {

class DialogControls;
class UserInterface;

// One table of custom colours for the whole module: every colour chooser of every page and
// instance offers and edits it, for as long as the module is loaded.
CustomColors& moduleCustomColors();

class FontAndColorsPage {
public:
    FontAndColorsPage(DialogControls& controls, Choosers& choosers, UserInterface& ui)
        : controls_(controls), choosers_(choosers), ui_(ui) {}

    void open(DeskletToken target);
    void apply();
    // A click on one of the chooser buttons (font, text colour, background colour); other ids
    // are ignored.
    void buttonClicked(int id);
    void close();

    static bool isChooserButton(int id);

private:
    void chooseTextColor(Settings& shown);
    void chooseBackgroundColor(Settings& shown);
    void chooseFont(Settings& shown);
    void applyChosen(const std::function<void(Settings&)>& change);

    DialogControls& controls_;
    Choosers& choosers_;
    UserInterface& ui_;
};

}  // namespace tideglass
