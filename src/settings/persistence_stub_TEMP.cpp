// TEMPORARY: empty settings persistence so this branch links on its own; removed when the real
// persistence is merged.
#include "settings/persistence.h"

namespace tideglass {

void loadSettingsFromProfile(Profile&, Settings&, const std::string&, const std::string&) {}

void saveSettingsToProfile(Profile&, const Settings&, const std::string&, const std::string&) {}

}  // namespace tideglass
