#include "process_times.h"

#include <tlhelp32.h>

#include <cstdint>

namespace e2e {
namespace {

double filetimeMicros(const FILETIME& t) {
    return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10.0;
}

}  // namespace

double cpuMicros(DWORD processId) {
    double total = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        if (HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID)) {
            FILETIME created, exited, kernel, user;
            if (GetThreadTimes(thread, &created, &exited, &kernel, &user))
                total += filetimeMicros(kernel) + filetimeMicros(user);
            CloseHandle(thread);
        }
    }
    CloseHandle(snapshot);
    return total;
}

double threadCpuMicros() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
        return 0;
    return filetimeMicros(kernel) + filetimeMicros(user);
}

}  // namespace e2e
