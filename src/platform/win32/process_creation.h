// Process creation that rides out the system's transient failures: Wine's now and then fails
// with ERROR_INTERNAL_ERROR on a loaded machine and succeeds when asked again a moment later.
#pragma once

#include <windows.h>

namespace tideglass::win32 {

// Calls `create` (a CreateProcess call returning BOOL) until it succeeds, fails otherwise, or has
// failed transiently three times; the last error is the last call's.
template <class Create>
BOOL createProcessPatiently(Create create) {
    constexpr int kAttempts = 3;
    constexpr DWORD kPauseMs = 50;
    for (int attempt = 1;; ++attempt) {
        if (create())
            return TRUE;
        if (::GetLastError() != ERROR_INTERNAL_ERROR || attempt == kAttempts)
            return FALSE;
        ::Sleep(kPauseMs);
    }
}

}  // namespace tideglass::win32
