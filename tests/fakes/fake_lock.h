// A recursive lock for the core's tests that records taking and releasing, its depth, and
// whether it was ever entered again by its holder or deleted while held.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "desklet/lock.h"

namespace tideglass::fakes {

struct LockRecord {
    int depth = 0;
    int maxDepth = 0;
    int locks = 0;
    int unlocks = 0;
    int reentries = 0;
    bool deleted = false;
    bool deletedWhileHeld = false;
};

class FakeLock : public Lock {
public:
    FakeLock(std::shared_ptr<LockRecord> record, std::vector<std::string>* log)
        : record_(std::move(record)), log_(log) {}
    ~FakeLock() override;
    void lock() override;
    void unlock() override;

private:
    std::shared_ptr<LockRecord> record_;
    std::vector<std::string>* log_;
};

class FakeLockFactory : public LockFactory {
public:
    std::unique_ptr<Lock> create(uint32_t spinCount) override;

    bool createFails = false;  // throws std::runtime_error, as a lock that cannot be had
    std::vector<uint32_t> spinCounts;
    // Outlives the lock, so tests can look at it after the desklet is gone.
    std::shared_ptr<LockRecord> last;
    std::vector<std::string>* log = nullptr;
};

}  // namespace tideglass::fakes
