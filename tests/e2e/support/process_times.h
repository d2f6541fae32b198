// Processor time spent by a process or by the calling thread, in microseconds, for the
// benchmarks' figures.
#pragma once

#include <windows.h>

namespace e2e {

// The processor time of every thread of a process (Wine's process times for another process
// are not its threads' times; the threads' are).
double cpuMicros(DWORD processId);
// The calling thread's processor time; the widgets of a test host all run on one thread.
double threadCpuMicros();

}  // namespace e2e
