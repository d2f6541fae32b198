// Shared set-up for the desklet tests: every port faked, one shared call log, and a small
// drawing fake whose text measures 8 x 12 pixels per character.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "desklet/desklet.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_console.h"
#include "fakes/fake_console_agents.h"
#include "fakes/fake_host.h"
#include "fakes/fake_keyboard.h"
#include "fakes/fake_lock.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_user_interface.h"
#include "render/graphics.h"
#include "settings/profile.h"

namespace tideglass::desklet_test {

// A drawing double for the desklet tests: canvases can be made to throw, log their
// creation and destruction and notice when they die while the host still shows them.
class TestGraphics : public Graphics {
public:
    std::unique_ptr<Canvas> createCanvas(int32_t width, int32_t height) override;
    std::unique_ptr<Font> createFont(const FontBlock& block) override;
    std::unique_ptr<Font> stockOemFixedFont() override;
    int64_t virtualScreenArea() override { return 1280 * 1024; }

    bool canvasThrowsStandard = false;  // createCanvas throws std::runtime_error
    bool canvasThrowsOther = false;     // createCanvas throws a non-standard exception
    int liveCanvases = 0;
    int destroyedWhileShown = 0;
    const fakes::FakeHost* host = nullptr;
    std::vector<std::string>* log = nullptr;
};

// Reads nothing and writes nothing: loading falls back to the defaults.
class NullProfile : public Profile {
public:
    bool readStruct(const std::string&, const std::string&, void*, uint32_t,
                    const std::string&) override {
        return false;
    }
    uint32_t readString(const std::string&, const std::string&, const std::string& fallback,
                        char* buffer, uint32_t size, const std::string&) override;
    bool writeStruct(const std::string&, const std::string&, const void*, uint32_t,
                     const std::string&) override {
        return true;
    }
    bool writeString(const std::string&, const std::string&, const std::string&,
                     const std::string&) override {
        return true;
    }
};

// The window manager fake, with a timer that can be made to fail.
class ScriptedUserInterface : public fakes::FakeUserInterface {
public:
    void setTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) override {
        if (setTimerThrows)
            throw std::runtime_error("timer refused");
        FakeUserInterface::setTimer(window, id, periodMs);
    }
    bool setTimerThrows = false;
};

class DeskletTest : public ::testing::Test {
protected:
    DeskletTest();

    std::unique_ptr<Desklet> create();
    std::unique_ptr<Desklet> createLoading(const std::string& file, const std::string& section);
    // The shared log reduced to the given call names, in order.
    std::vector<std::string> logOf(const std::set<std::string>& names) const;
    int boxesWithText(const std::string& text) const;

    InstanceHandle instance = reinterpret_cast<InstanceHandle>(0x400000);
    WindowHandle widget = reinterpret_cast<WindowHandle>(0xAB);

    std::vector<std::string> log;
    fakes::FakeConsoleHost console;
    fakes::FakeScreenBuffer screen;
    fakes::FakeProcesses processes;
    ScriptedUserInterface ui;
    fakes::FakeHost host;
    NullProfile profile;
    TestGraphics graphics;
    fakes::FakeLockFactory locks;
    fakes::FakeConsoleInput input;
    fakes::FakeKeyboard keyboard;
    fakes::FakeClipboard clipboard;
    fakes::FakeConsoleText text{screen};
    fakes::FakeConsoleAgents agents;
    Platform platform{console, screen, processes, ui,        host, profile, graphics,
                      locks,   input,  keyboard,  clipboard, text, agents};
};

}  // namespace tideglass::desklet_test
