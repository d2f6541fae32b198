// One widget instance: owns its settings, the hidden console, the child program and the
// renderer, and runs the update cycle on the host's messages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "console/processes.h"
#include "desklet/change_flags.h"
#include "desklet/configurable.h"
#include "desklet/key_translator.h"
#include "desklet/lock.h"
#include "desklet/platform.h"
#include "platform/handles.h"
#include "settings/settings.h"

namespace tideglass {

class Renderer;
class ChildProcess;

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

    void processMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    void applyChanges(ChangeFlags flags);
    void applyConfiguration(const Settings& workingCopy, ChangeFlags flags) override;
    const Settings& currentSettings() const override { return settings; }

    void restartChild();
    void saveSettings(const std::string& iniFile, const std::string& iniSection);

    InstanceHandle moduleInstance() const { return instance; }
    WindowHandle widgetWindow() const { return window; }

    // Read-only views for tests and the reference host.
    bool hasChild() const { return child != nullptr; }
    bool hasRenderer() const { return renderer != nullptr; }
    bool isChildFailed() const { return childFailed; }
    bool isFocused() const { return focused; }
    WindowHandle consoleWindowHandle() const { return consoleWindow; }
    NativeHandle consoleOutputHandle() const { return consoleOutput; }

private:
    void allocateConsole();
    void releaseConsole() noexcept;
    void teardown() noexcept;
    void loadSettings(const std::string& iniFile, const std::string& iniSection);
    void updateStep();
    void typeIntoConsole(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void present();
    void resizeConsole();
    void rebuildRenderer();

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

    // Beyond the documented fields: a dead key waiting for the next key, and whether this
    // desklet's console control handler is installed (removed again with the console).
    KeyTranslator keyTranslator;
    bool controlHandlerInstalled = false;
};

}  // namespace tideglass
