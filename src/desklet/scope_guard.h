// Runs a clean-up action when a scope is left early, unless the success path dismisses it.
#pragma once

#include <utility>

namespace tideglass {

template <typename Action>
class ScopeGuard {
public:
    explicit ScopeGuard(Action action) : action_(std::move(action)) {}
    ~ScopeGuard() {
        if (armed_)
            action_();
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    void dismiss() noexcept { armed_ = false; }

private:
    Action action_;
    bool armed_ = true;
};

}  // namespace tideglass
