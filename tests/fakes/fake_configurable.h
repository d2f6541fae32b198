// A desklet as the pages see it: live settings, and a record of every applyConfiguration call.
// Applying swaps the copy in, as the desklet does; it can be told to throw instead.
#pragma once

#include <functional>
#include <vector>

#include "desklet/configurable.h"
#include "desklet/live_desklets.h"

namespace tideglass::fakes {

class FakeConfigurable : public Configurable {
public:
    struct Apply {
        Settings copy;
        ChangeFlags flags;
    };

    // Live from construction, as a desklet is; `kill` removes it as the host's destroy does,
    // `revive` makes it live again as a new desklet (at the same address).
    FakeConfigurable() { revive(); }
    ~FakeConfigurable() { kill(); }
    void kill() { removeLiveDesklet(token); }
    void revive() { token = addLiveDesklet(this); }

    Settings currentSettings() const override { return settings; }
    void hold() override { ++holds; }
    void release() override { --holds; }
    void applyConfiguration(const Settings& workingCopy, ChangeFlags flags) override;

    Settings settings;
    std::vector<Apply> applies;
    int holds = 0;  // by pages using it now
    DeskletToken token = 0;
    // Runs in place of the swap when set (e.g. to throw).
    std::function<void()> onApply;
};

}  // namespace tideglass::fakes
