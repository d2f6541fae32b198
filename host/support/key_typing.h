// Keys delivered the way a widget host delivers keyboard input to a widget: every modifier as a
// key of its own, the calling thread's keyboard state showing what is held while a key message is
// handled, real scan codes and a complete lParam. Used by the reference host and the Windows tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace host {

using KeySink = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

// One key press and release, with the given modifiers held around it.
void pressKey(const KeySink& sink, UINT virtualKey, bool shift = false, bool ctrl = false,
              bool alt = false);
// A character as a person types it (VkKeyScan decides the key and the modifiers); a character
// that no key of the layout makes goes as the packet key (VK_PACKET) carrying the character in
// lParam's high word. False only for a character beyond 16 bits' reach (never for UTF-16).
bool typeCharacter(const KeySink& sink, wchar_t c);
void typeText(const KeySink& sink, const std::wstring& text);
void typeText(const KeySink& sink, const std::string& text);  // ASCII and the ANSI code page
// The names pressNamedKey knows besides letters, digits and F1..F12, for --help.
extern const char kKeyNames[];
// "Enter", "Up", "Down", "Left", "Right", "Tab", "Escape", "Backspace", "Home", "End", "Insert",
// "Delete", "PageUp", "PageDown", "F1".."F12", a letter or digit, and modifier forms like "Ctrl+C",
// "Ctrl+Break", "Alt+X", "Shift+Tab"; false for an unknown name.
bool pressNamedKey(const KeySink& sink, const std::string& name);

}  // namespace host
