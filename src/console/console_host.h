// Console port, part one: giving the process a console of its own and letting it go again.
#pragma once

#include "ports/handles.h"

namespace tideglass {

class ConsoleHost {
public:
    ConsoleHost() = default;
    ConsoleHost(const ConsoleHost&) = delete;
    ConsoleHost& operator=(const ConsoleHost&) = delete;
    virtual ~ConsoleHost() = default;

    virtual bool allocate() = 0;  // false when the process already has a console
    virtual WindowHandle window() = 0;
    virtual void hide(WindowHandle consoleWindow) = 0;
    // Installs the module's control handler, which swallows Ctrl+C and Ctrl+Break only.
    virtual void installControlHandler() = 0;
    virtual void removeControlHandler() = 0;
    virtual NativeHandle standardInput() = 0;
    virtual NativeHandle standardOutput() = 0;
    virtual void closeHandle(NativeHandle handle) = 0;
    virtual void release() = 0;  // detach the process from its console
};

}  // namespace tideglass
