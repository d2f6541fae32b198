// The ports one desklet object works through, borrowed for its whole life.
#pragma once

namespace tideglass {

class ConsoleHost;
class ScreenBuffer;
class Processes;
class UserInterface;
class Host;
class Profile;
class Graphics;
class LockFactory;
class ConsoleInput;
class Keyboard;
class Clipboard;
class ConsoleText;
class ConsoleAgents;

struct Platform {
    ConsoleHost& console;
    ScreenBuffer& screen;
    Processes& processes;
    UserInterface& ui;
    Host& host;
    Profile& profile;
    Graphics& graphics;
    LockFactory& locks;
    ConsoleInput& input;
    Keyboard& keyboard;
    Clipboard& clipboard;
    ConsoleText& text;
    ConsoleAgents& agents;
};

}  // namespace tideglass
