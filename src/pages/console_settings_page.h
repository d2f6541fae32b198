// The "Console Settings" page: child program, console size, margins and poll interval. The page
// keeps no state of its own; each step works on a fresh copy of the desklet's settings and the
// values live in the controls between opening and applying.
#pragma once

#include "desklet/live_desklets.h"

namespace tideglass {

class DialogControls;
class UserInterface;

class ConsoleSettingsPage {
public:
    ConsoleSettingsPage(DialogControls& controls, UserInterface& ui)
        : controls_(controls), ui_(ui) {}

    // Page window created: link it to `target` and fill the fields.
    void open(DeskletToken target);
    // The sheet applies: hand the edited copy and what changed to the desklet.
    void apply();
    // Page window destroyed.
    void close();

private:
    DialogControls& controls_;
    UserInterface& ui_;
};

}  // namespace tideglass
