#include "hotkey.h"

#include <cstdlib>

namespace host {

namespace {

bool sameWord(const std::string& a, const char* b) {
    return lstrcmpiA(a.c_str(), b) == 0;
}

UINT namedKey(const std::string& name) {
    static const struct {
        const char* name;
        UINT key;
    } kNames[] = {{"Space", VK_SPACE},   {"Enter", VK_RETURN},  {"Tab", VK_TAB},
                  {"Escape", VK_ESCAPE}, {"Insert", VK_INSERT}, {"Delete", VK_DELETE},
                  {"Home", VK_HOME},     {"End", VK_END},       {"PageUp", VK_PRIOR},
                  {"PageDown", VK_NEXT}, {"Pause", VK_PAUSE},   {"Backquote", VK_OEM_3}};
    for (const auto& known : kNames)
        if (sameWord(name, known.name))
            return known.key;
    if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3 &&
        name.find_first_not_of("0123456789", 1) == std::string::npos && name.size() > 1) {
        const int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 24)
            return VK_F1 + UINT(n - 1);
    }
    if (name.size() == 1) {
        // The key that makes this character on the keyboard's layout, whatever it is called.
        const SHORT scan = VkKeyScanA(name[0]);
        if (scan != -1)
            return UINT(LOBYTE(scan));
    }
    return 0;
}

}  // namespace

bool parseHotkey(const std::string& text, Hotkey& out) {
    Hotkey parsed;
    std::size_t start = 0;
    for (;;) {
        // The key itself may be '+': a word ends at a '+' that is not its first character.
        std::size_t plus = text.find('+', start + 1);
        const std::string word =
            text.substr(start, plus == std::string::npos ? plus : plus - start);
        if (word.empty())
            return false;
        if (plus == std::string::npos) {
            parsed.virtualKey = namedKey(word);
            break;
        }
        if (sameWord(word, "Ctrl") || sameWord(word, "Control"))
            parsed.modifiers |= MOD_CONTROL;
        else if (sameWord(word, "Alt"))
            parsed.modifiers |= MOD_ALT;
        else if (sameWord(word, "Shift"))
            parsed.modifiers |= MOD_SHIFT;
        else if (sameWord(word, "Win"))
            parsed.modifiers |= MOD_WIN;
        else
            return false;
        start = plus + 1;
    }
    if (parsed.virtualKey == 0 || parsed.modifiers == 0)
        return false;
    out = parsed;
    return true;
}

}  // namespace host
