// The desklet lock: re-entrant for its owner thread (a modal error box can run a nested update
// step on the thread that holds it), created through a port so the core stays portable.
#pragma once

#include <cstdint>
#include <memory>

namespace tideglass {

class Lock {
public:
    Lock() = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    virtual ~Lock() = default;

    virtual void lock() = 0;
    virtual void unlock() = 0;
};

class LockFactory {
public:
    LockFactory() = default;
    LockFactory(const LockFactory&) = delete;
    LockFactory& operator=(const LockFactory&) = delete;
    virtual ~LockFactory() = default;

    virtual std::unique_ptr<Lock> create(uint32_t spinCount) = 0;
};

class LockGuard {
public:
    explicit LockGuard(Lock& lock) : lock_(lock) { lock_.lock(); }
    ~LockGuard() { lock_.unlock(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock& lock_;
};

}  // namespace tideglass
