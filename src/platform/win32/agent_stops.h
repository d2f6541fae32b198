// Agents on their way out. A widget that goes only tells its agent to quit; the agents of the
// process are waited for together, once, when the last of them has been told, with one short
// bound, and those still there then are ended (their jobs end their programs). So ending a host
// with many widgets costs one short wait, not one per agent, and the host's thread never waits
// for an agent that hangs.
#pragma once

#include "platform/win32/unique_handle.h"

namespace tideglass::win32 {

// An agent has started and is now running for a widget.
void agentStarted();
// A running agent has been told to quit: its process is handed over here.
void agentTold(UniqueKernelHandle process);

}  // namespace tideglass::win32
