// The desklet lock as a Windows critical section: re-entrant for the thread that holds it,
// which the modal error box of a failed child start relies on.
#pragma once

#include "desklet/lock.h"

namespace tideglass::win32 {

class Win32LockFactory final : public LockFactory {
public:
    std::unique_ptr<Lock> create(uint32_t spinCount) override;
};

}  // namespace tideglass::win32
