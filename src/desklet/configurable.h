// What the property pages need of a desklet: its settings to copy, and the operation that
// swaps in an edited copy and applies what changed.
#pragma once

#include "desklet/change_flags.h"
#include "settings/settings.h"

namespace tideglass {

class Configurable {
public:
    Configurable() = default;
    Configurable(const Configurable&) = delete;
    Configurable& operator=(const Configurable&) = delete;

    // A copy of the live settings, for a page to edit.
    virtual Settings currentSettings() const = 0;
    virtual void applyConfiguration(const Settings& workingCopy, ChangeFlags flags) = 0;
    // Keep the desklet from being freed while a page uses it (see HeldDesklet); the last
    // release after the host's destroy frees it.
    virtual void hold() = 0;
    virtual void release() = 0;

protected:
    ~Configurable() = default;
};

}  // namespace tideglass
