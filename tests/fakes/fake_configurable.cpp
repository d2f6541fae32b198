#include "fakes/fake_configurable.h"

namespace tideglass::fakes {

void FakeConfigurable::applyConfiguration(const Settings& workingCopy, ChangeFlags flags) {
    applies.push_back({workingCopy, flags});
    if (onApply) {
        onApply();
        return;
    }
    settings = workingCopy;
}

}  // namespace tideglass::fakes
