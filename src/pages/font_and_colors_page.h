// The "Font and Colors" page: the rendering switches and the background's transparency, applied
// with the sheet, and the font and colour choosers, which apply the moment they are confirmed.
#pragma once

#include <functional>

#include "desklet/change_flags.h"
#include "desklet/live_desklets.h"

#include "pages/choosers.h"
#include "settings/settings.h"

namespace tideglass {

class DialogControls;
class PreviewSurface;
class UserInterface;

// One table of custom colours for the whole module: every colour chooser of every page and
// instance offers and edits it, for as long as the module is loaded.
CustomColors& moduleCustomColors();

class FontAndColorsPage {
public:
    FontAndColorsPage(DialogControls& controls, Choosers& choosers, UserInterface& ui,
                      PreviewSurface* preview = nullptr)
        : controls_(controls), choosers_(choosers), ui_(ui), preview_(preview) {}

    void open(DeskletToken target);
    void apply();
    // A click on one of the chooser buttons (font, text colour, background colour); other ids
    // are ignored.
    void buttonClicked(int id);
    void close();
    // Draws the preview from the live settings and what the page shows but has not applied yet;
    // the page calls it whenever one of its values changes.
    void showPreview();

    static bool isChooserButton(int id);
    // The controls whose change alters the preview: the switches and the Transparency field.
    static bool changesPreview(int id);

private:
    void chooseTextColor(Settings& shown);
    void chooseBackgroundColor(Settings& shown);
    void chooseFont(Settings& shown);
    void applyChosen(const std::function<void(Settings&)>& change);
    // Writes the switches and the Transparency field into `copy`; what changed.
    ChangeFlags takeControls(Settings& copy);

    DialogControls& controls_;
    Choosers& choosers_;
    UserInterface& ui_;
    PreviewSurface* preview_;
};

}  // namespace tideglass
