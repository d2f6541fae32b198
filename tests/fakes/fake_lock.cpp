#include "fakes/fake_lock.h"

namespace tideglass::fakes {

FakeLock::~FakeLock() {
    record_->deleted = true;
    if (record_->depth != 0)
        record_->deletedWhileHeld = true;
    if (log_)
        log_->push_back("deleteLock");
}

void FakeLock::lock() {
    if (record_->depth > 0)
        ++record_->reentries;
    ++record_->depth;
    ++record_->locks;
    if (record_->depth > record_->maxDepth)
        record_->maxDepth = record_->depth;
    if (log_)
        log_->push_back("lock");
}

void FakeLock::unlock() {
    --record_->depth;
    ++record_->unlocks;
    if (log_)
        log_->push_back("unlock");
}

std::unique_ptr<Lock> FakeLockFactory::create(uint32_t spinCount) {
    if (log)
        log->push_back("createLock");
    spinCounts.push_back(spinCount);
    if (createFails)
        throw std::runtime_error("no lock");
    last = std::make_shared<LockRecord>();
    return std::make_unique<FakeLock>(last, log);
}

}  // namespace tideglass::fakes
