// Construction and destruction of a desklet: the hidden console and the lock it owns, loading
// and saving its settings.
#include <exception>
#include <stdexcept>
#include <string>

#include "console/child_process.h"
#include "console/console_agents.h"
#include "console/console_host.h"
#include "desklet/desklet.h"
#include "desklet/desklet_hold.h"
#include "desklet/live_desklets.h"
#include "desklet/messages.h"
#include "desklet/scope_guard.h"
#include "ports/user_interface.h"
#include "render/renderer.h"
#include "settings/persistence.h"

namespace tideglass {

namespace {

constexpr uint32_t kLockSpinCount = 5000;

constexpr char kConsoleAllocationError[] =
    "could not allocate a new console, probably because the current process already have one. "
    "Windows doesn't allow more than one console to be allocated per process, so you can't use "
    "this desklets along with other instances of the same desklet or with other desklets which "
    "allocate a console.";

// The process's own console when it can have one; otherwise a console agent of the widget's
// own. Null: the process's console was allocated.
std::unique_ptr<AgentConsole> claimConsole(const Platform& platform, WindowHandle window) {
    if (platform.console.allocate())
        return nullptr;
    try {
        return platform.agents.start(window);
    } catch (const std::exception& e) {
        throw std::runtime_error(
            std::string(kConsoleAllocationError) +
            " Starting a console agent for this widget failed too: " + e.what());
    }
}

Platform consolePlatform(const Platform& platform, AgentConsole* agent) {
    if (agent == nullptr)
        return platform;
    return Platform{agent->console(), agent->screen(),   agent->processes(), platform.ui,
                    platform.host,    platform.profile,  platform.graphics,  platform.locks,
                    agent->input(),   platform.keyboard, platform.clipboard, agent->text(),
                    platform.agents};
}

}  // namespace

Desklet::Desklet(const Platform& platform, InstanceHandle instance, WindowHandle window)
    : agent_(claimConsole(platform, window)),
      platform_(consolePlatform(platform, agent_.get())),
      instance(instance),
      window(window) {
    allocateConsole();
    // A failure from here on must not leave the process holding the console, or no later
    // widget could be created in this host.
    ScopeGuard undo([this] { teardown(); });
    applyChanges(kAllChanges);
    token_ = addLiveDesklet(this);
    undo.dismiss();
}

Desklet::Desklet(const Platform& platform, InstanceHandle instance, WindowHandle window,
                 const std::string& iniFile, const std::string& iniSection)
    : agent_(claimConsole(platform, window)),
      platform_(consolePlatform(platform, agent_.get())),
      instance(instance),
      window(window) {
    allocateConsole();
    ScopeGuard undo([this] { teardown(); });
    loadSettings(iniFile, iniSection);
    token_ = addLiveDesklet(this);
    undo.dismiss();
}

Desklet::~Desklet() {
    removeLiveDesklet(token_);
    // Again after a deferred destroy: the step it waited for may have set the timer anew.
    platform_.ui.killTimer(window, kPollTimerId);
    teardown();
}

// The timer goes at once, so a step still under way sees no further ticks; the rest waits for
// that step to end.
void Desklet::destroy() {
    removeLiveDesklet(token_);
    destroyed_ = true;
    platform_.ui.killTimer(window, kPollTimerId);
    release();
}

void Desklet::release() {
    if (holds_.fetch_sub(1) == 1)
        delete this;
}

// Everything after the timer: the renderer under the lock (a tick may still be drawing), the
// lock, the child (ended if it still runs), whatever it started, then the console itself.
void Desklet::teardown() noexcept {
    if (lock) {
        LockGuard hold(*lock);
        renderer.reset();
    }
    lock.reset();
    child.reset();
    childGroup.reset();
    releaseConsole();
}

// The console itself is already the desklet's (claimConsole); this takes its handles.
void Desklet::allocateConsole() {
    ConsoleHost& console = platform_.console;
    ScopeGuard undo([this] { releaseConsole(); });
    consoleWindow = console.window();
    console.hide(consoleWindow);
    console.installControlHandler();
    controlHandlerInstalled = true;
    consoleInput = console.standardInput();
    consoleOutput = console.standardOutput();
    lock = platform_.locks.create(kLockSpinCount);
    undo.dismiss();
}

// The control handler goes with the console (once no console event can reach the process any
// more): it lives in this module, which the host may unload, and every later widget installs it
// again.
void Desklet::releaseConsole() noexcept {
    platform_.console.closeHandle(consoleOutput);
    platform_.console.closeHandle(consoleInput);
    platform_.console.release();
    if (controlHandlerInstalled)
        platform_.console.removeControlHandler();
    controlHandlerInstalled = false;
    consoleOutput = nullptr;
    consoleInput = nullptr;
    consoleWindow = nullptr;
}

void Desklet::loadSettings(const std::string& iniFile, const std::string& iniSection) {
    loadSettingsFromProfile(platform_.profile, settings, iniFile, iniSection);
    applyChanges(kAllChanges);
}

Settings Desklet::currentSettings() const {
    LockGuard hold(*lock);
    return settings;
}

void Desklet::saveSettings(const std::string& iniFile, const std::string& iniSection) {
    Settings saved = currentSettings();
    saveSettingsToProfile(platform_.profile, saved, iniFile, iniSection);
}

}  // namespace tideglass
