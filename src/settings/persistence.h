// Reading and writing a settings store in a section of the host's INI file, through the profile
// port: the font block under "font", then every text key and every integer key in key order.
#pragma once

#include <string>

namespace tideglass {

class Profile;
class Settings;

// Overwrites the values of keys the store holds with those found in the section; keys missing,
// empty or unreadable keep their current values. Does not apply anything.
void loadSettingsFromProfile(Profile& profile, Settings& settings, const std::string& file,
                             const std::string& section);

// Writes every key of the store; results are not examined.
void saveSettingsToProfile(Profile& profile, const Settings& settings, const std::string& file,
                           const std::string& section);

}  // namespace tideglass
