// The host's command line: where the plug-in and the INI file are, which widget (section) this
// process runs, and the optional script of steps that drives it without a person.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host {

struct ScriptStep {
    enum class Kind { Type, Key, Wait, Snapshot, Exit, Wheel };
    Kind kind = Kind::Exit;
    std::string text;  // the characters (UTF-8), the key name or the PNG file
    DWORD ms = 0;
    int notches = 0;  // of the wheel; positive turns it away from the user
};

struct Options {
    std::string plugin;  // full path of the plug-in DLL
    std::string ini;     // full path of the INI file
    std::string section = "Desklet1";
    std::vector<ScriptStep> script;
    bool help = false;
    std::string error;  // a bad command line: what is wrong
};

// Reads the arguments after the program name. Relative paths are made full against the current
// directory at the time of the call, so the caller may change directory afterwards.
Options parseOptions(const std::vector<std::string>& arguments);

extern const char kUsage[];

}  // namespace host
