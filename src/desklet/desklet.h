// One widget instance: owns its settings, the hidden console, the child program and the
// renderer, and runs the update cycle on the host's messages.
//
// Threads: the host delivers the entry points and the widget's messages on its window's thread,
// but may run the property sheet, and with it the pages' applies, on another. Every read or
// write of the settings, the child, the console's size and the renderer therefore happens under
// the desklet lock, which is re-entrant: a modal error box shown while it is held runs a message
// loop that can deliver a further step, or the host's destroy, on the same thread. What an apply
// on another thread leaves to do (the timer, the host's overlay and size calls) is done on the
// window's thread, when the window gets the plug-in's private message.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "console/processes.h"
#include "desklet/change_flags.h"
#include "desklet/configurable.h"
#include "desklet/copy_paste.h"
#include "desklet/key_translator.h"
#include "desklet/live_desklets.h"
#include "desklet/lock.h"
#include "desklet/platform.h"
#include "desklet/poll_rate.h"
#include "desklet/restart_pacing.h"
#include "ports/handles.h"
#include "settings/settings.h"

namespace tideglass {

class Renderer;
class ChildProcess;
class ChildGroup;
class AgentConsole;

class Desklet final : public Configurable {
public:
    // A new widget, with default settings.
    Desklet(const Platform& platform, InstanceHandle instance, WindowHandle window);
    // A widget saved before: loads its settings from the host's INI file and section.
    Desklet(const Platform& platform, InstanceHandle instance, WindowHandle window,
            const std::string& iniFile, const std::string& iniSection);
    ~Desklet();
    Desklet(const Desklet&) = delete;
    Desklet& operator=(const Desklet&) = delete;

    // The host's destroy, for a desklet made with new. The desklet may be inside one of its own
    // steps right now (the host can destroy it from a failure box's message loop): then it only
    // stops its timer and frees itself when that step ends. The pages cannot reach it after this.
    void destroy();

    void processMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    void applyChanges(ChangeFlags flags);
    void applyConfiguration(const Settings& workingCopy, ChangeFlags flags) override;
    Settings currentSettings() const override;
    void hold() override { ++holds_; }
    void release() override;

    // A start asked for by the configuration: at once, and a failure is always reported.
    void restartChild();
    void saveSettings(const std::string& iniFile, const std::string& iniSection);

    // What the pages hold of this desklet (see live_desklets.h).
    DeskletToken pageToken() const { return token_; }
    InstanceHandle moduleInstance() const { return instance; }
    WindowHandle widgetWindow() const { return window; }

    // Read-only views for tests and the reference host.
    bool hasChild() const { return child != nullptr; }
    bool hasRenderer() const { return renderer != nullptr; }
    bool isChildFailed() const { return childFailed; }
    bool isFocused() const { return focused; }
    WindowHandle consoleWindowHandle() const { return consoleWindow; }
    bool usesConsoleAgent() const { return agent_ != nullptr; }
    NativeHandle consoleOutputHandle() const { return consoleOutput; }

private:
    // Keeps the desklet alive for one step that may show a box.
    class Hold;

    void allocateConsole();
    void releaseConsole() noexcept;
    void teardown() noexcept;
    void loadSettings(const std::string& iniFile, const std::string& iniSection);
    void updateStep();
    void startChild(bool reportFailure);
    void pacedStep(bool afterInput);
    void paceTimer(uint64_t nowUs);
    // The one clock the widget paces itself by, in milliseconds.
    uint64_t nowMs() const;
    void typeIntoConsole(uint32_t message, uintptr_t wParam, intptr_t lParam);
    bool clipboardKey(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void paste();
    void feedPaste();
    void copyText();
    void present();
    void resizeConsole();
    void rebuildRenderer();
    void renewDeadAgent();
    void launchChild(ChildProcess& fresh, const std::string& commandLine,
                     const std::string& directory);

    // The console this widget runs in: the process's own when it was free, else a console
    // agent's, whose ports then stand in for the process's console ports in platform_.
    std::unique_ptr<AgentConsole> agent_;
    Platform platform_;

    // The instance's fields, in their documented order.
    InstanceHandle instance;
    WindowHandle window;
    Settings settings;
    std::unique_ptr<ChildProcess> child;
    std::unique_ptr<Renderer> renderer;
    std::unique_ptr<Lock> lock;
    bool focused = false;
    NativeHandle consoleInput = nullptr;
    NativeHandle consoleOutput = nullptr;
    WindowHandle consoleWindow = nullptr;
    bool childFailed = false;

    // Beyond the documented fields: a dead key waiting for the next key, whether this
    // desklet's console control handler is installed (removed again with the console), and the
    // group of its children.
    KeyTranslator keyTranslator;
    bool controlHandlerInstalled = false;
    // Every child runs in it, with all it starts: made at the first start, and when it goes
    // (after the child) it ends whatever of that tree still runs.
    std::unique_ptr<ChildGroup> childGroup;
    // Pasted text not yet typed (under the lock), and the copy or paste key whose release the
    // program must not get either.
    PasteQueue pasteQueue;
    // Keys typed while a paste was still going in: they follow it (under the lock).
    std::vector<KeyEvent> keysAfterPaste_;
    // When an ended or unstartable child may be started again (under the lock).
    RestartPacing restartPacing_;
    uint16_t clipboardKeyDown_ = 0;

    // How fast the poll timer runs now, and the rule that decides it (on the widget's thread).
    PollRate pollRate_{250};
    uint32_t timerPeriodMs_ = 0;
    uint32_t presents_ = 0;
    uint64_t drawingUs_ = 0;  // all the time present() took

    // The host's reference until destroy, plus one per step under way.
    std::atomic<int> holds_{1};
    std::atomic<bool> destroyed_{false};
    // Changes applied on another thread, waiting to be made on the widget's.
    std::atomic<ChangeFlags> pendingChanges_{0};
    DeskletToken token_ = 0;
};

}  // namespace tideglass
