// Console port, part three: typing into the console's input buffer and raising the control
// signals of the keys that interrupt a program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "console/key_event.h"
#include "ports/handles.h"

namespace tideglass {

class ConsoleInput {
public:
    ConsoleInput() = default;
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;
    virtual ~ConsoleInput() = default;

    virtual void write(NativeHandle input, const KeyEvent& event) = 0;
    // Several events in order; returns how many of them, from the first, the console took.
    virtual std::size_t writeAll(NativeHandle input, const std::vector<KeyEvent>& events) = 0;
    // How many events wait in the input buffer for a program to read them.
    virtual uint32_t waitingEvents(NativeHandle input) = 0;
    // Whether the input buffer is in processed mode, where Ctrl+C is a signal, not a key.
    virtual bool processedInput(NativeHandle input) = 0;
    // Raises the signal for every process attached to the console; false if the system refused.
    virtual bool raise(ControlSignal signal) = 0;
};

}  // namespace tideglass
