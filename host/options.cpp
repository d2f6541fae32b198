#include "options.h"

#include <cstdlib>

#include "support/plugin_library.h"

namespace host {

const char kUsage[] =
    "Usage: tideglass-host.exe [--plugin DLL] [--ini FILE] [--section NAME] [script...]\n"
    "Script steps, run in order once the widget is up:\n"
    "  --type TEXT        type TEXT key by key into the widget (any characters)\n"
    "  --key NAME         press one key (see the names below)\n"
    "  --wheel N          turn the mouse wheel N notches (negative: towards the user)\n"
    "  --wait MS          let the widget run for MS milliseconds\n"
    "  --snapshot FILE    write the widget's current image as a PNG file\n"
    "  --exit             save and quit (without it the widget stays until Exit)\n"
    "Exit codes: 0 done, 1 the widget was removed or a step failed, 2 the host could not start.\n"
    "Key names: ";

namespace {

// Private-profile functions put a relative file into the Windows folder, so every path the host
// keeps is made full while the current directory is still the one the user gave.
std::string fullPath(const std::string& path) {
    char buffer[MAX_PATH * 2] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

bool parseMilliseconds(const std::string& text, DWORD& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 9)
        return false;
    out = static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10));
    return true;
}

}  // namespace

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    options.plugin = executableFolder() + "tideglass.dll";
    options.ini = executableFolder() + "tideglass-host.ini";
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h" || name == "/?") {
            options.help = true;
            continue;
        }
        if (name == "--exit") {
            options.script.push_back({ScriptStep::Kind::Exit, {}, 0});
            continue;
        }
        static const char* const withValue[] = {"--plugin", "--ini",  "--section", "--type",
                                                "--key",    "--wait", "--wheel",   "--snapshot"};
        bool known = false;
        for (const char* option : withValue)
            known = known || name == option;
        if (!known) {
            options.error = "unknown argument " + name;
            break;
        }
        if (i + 1 >= arguments.size()) {
            options.error = name + " needs a value";
            break;
        }
        const std::string& value = arguments[++i];
        if (name == "--plugin") {
            options.plugin = fullPath(value);
        } else if (name == "--ini") {
            options.ini = fullPath(value);
        } else if (name == "--section") {
            if (value.empty() || value.find_first_of("[]") != std::string::npos)
                options.error = "--section needs a name without brackets";
            options.section = value;
        } else if (name == "--type") {
            options.script.push_back({ScriptStep::Kind::Type, value, 0});
        } else if (name == "--key") {
            options.script.push_back({ScriptStep::Kind::Key, value, 0});
        } else if (name == "--wheel") {
            char* end = nullptr;
            const long notches = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || notches < -100 || notches > 100)
                options.error = "--wheel needs a number of notches from -100 to 100, not " + value;
            options.script.push_back({ScriptStep::Kind::Wheel, {}, 0, int(notches)});
        } else if (name == "--wait") {
            DWORD ms = 0;
            if (!parseMilliseconds(value, ms))
                options.error = "--wait needs a number of milliseconds, not " + value;
            options.script.push_back({ScriptStep::Kind::Wait, {}, ms});
        } else {
            options.script.push_back({ScriptStep::Kind::Snapshot, fullPath(value), 0});
        }
    }
    return options;
}

}  // namespace host
