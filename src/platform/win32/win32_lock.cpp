#include "platform/win32/win32_lock.h"

#include <windows.h>

#include <stdexcept>

namespace tideglass::win32 {

namespace {

class CriticalSectionLock final : public Lock {
public:
    explicit CriticalSectionLock(uint32_t spinCount) {
        // Fails only on old systems short of memory; the object must not exist half-made.
        if (!::InitializeCriticalSectionAndSpinCount(&section_, spinCount)) {
            throw std::runtime_error("could not create the desklet lock");
        }
    }
    ~CriticalSectionLock() override { ::DeleteCriticalSection(&section_); }

    void lock() override { ::EnterCriticalSection(&section_); }
    void unlock() override { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

}  // namespace

std::unique_ptr<Lock> Win32LockFactory::create(uint32_t spinCount) {
    return std::make_unique<CriticalSectionLock>(spinCount);
}

}  // namespace tideglass::win32
