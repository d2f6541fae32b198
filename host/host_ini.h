// The host's own INI file: one section per widget that belongs to the plug-in (written only by
// its OnSave), and beside it a section of the host's own keys for the same widget (where it stands
// and whether it stays on top), so the plug-in's section is exactly what the plug-in wrote.
#pragma once

#include <windows.h>

#include <string>

namespace host {

struct Placement {
    POINT position{40, 40};
    bool onTop = false;         // false: on the desktop, below every other window
    int opacity = 100;          // percent, of the whole window
    bool clickThrough = false;  // the mouse goes to the windows below
};

// The opacities the menu offers; a saved value outside them is taken as the nearest above.
constexpr int kOpacities[] = {100, 85, 70, 50};
int knownOpacity(int percent);

// The process-wide keys: the global hotkey that brings the first widget to the keyboard.
constexpr char kHostWideSection[] = "Tideglass Host";
constexpr char kDefaultHotkey[] = "Ctrl+Alt+`";
// The hotkey as the INI file names it; the default is written there when it is missing, so a
// person finds the key to change.
std::string loadHotkey(const std::string& file);

class HostIni {
public:
    HostIni(std::string file, std::string section);

    const std::string& file() const { return file_; }
    const std::string& section() const { return section_; }
    // The host's section for this widget.
    std::string hostSection() const { return section_ + ".host"; }

    // True when the file holds the plug-in's section of this widget (it was saved before).
    bool hasWidgetSection() const;
    // True when the host's section says where the widget stands.
    bool hasPlacement() const;
    Placement loadPlacement() const;
    bool savePlacement(const Placement& placement) const;

    // A closed widget does not come back: its sections go. The first widget's host section
    // keeps only a mark that it was closed, so the next start does not make a new one there.
    void removeWidget(bool markClosed) const;
    bool closed() const;
    void clearClosed() const;

private:
    std::string file_;
    std::string section_;
};

}  // namespace host
