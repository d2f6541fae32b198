#include "script.h"

#include <cstdio>
#include <string>

#include "support/key_typing.h"

namespace host {

namespace {

// A person's keys come with a little time between them; the widget runs its messages meanwhile.
constexpr DWORD kKeyGapMs = 15;

// The widget runs its messages between characters, never while a modifier is held: the
// keyboard state that says Shift is down holds only for the keys it belongs to.
KeySink sinkFor(HostApp& app) {
    return [&app](UINT message, WPARAM wParam, LPARAM lParam) {
        app.sendKey(message, wParam, lParam);
    };
}

std::wstring fromUtf8(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], size);
    return wide;
}

}  // namespace

bool runScript(HostApp& app, const std::vector<ScriptStep>& script) {
    bool ok = true;
    for (const ScriptStep& step : script) {
        if (app.finished())
            break;
        switch (step.kind) {
            case ScriptStep::Kind::Type:
                for (wchar_t c : fromUtf8(step.text)) {
                    if (!typeCharacter(sinkFor(app), c)) {
                        std::fprintf(stderr, "could not type the character U+%04X\n",
                                     static_cast<unsigned>(c));
                        ok = false;
                    }
                    app.run(kKeyGapMs);
                }
                break;
            case ScriptStep::Kind::Wheel:
                // One notch is 120; positive turns away from the user (scrolls back).
                app.sendKey(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(step.notches * 120)), 0);
                app.run(kKeyGapMs);
                break;
            case ScriptStep::Kind::Key:
                if (!pressNamedKey(sinkFor(app), step.text)) {
                    std::fprintf(stderr, "unknown key name %s\n", step.text.c_str());
                    ok = false;
                }
                app.run(kKeyGapMs);
                break;
            case ScriptStep::Kind::Wait:
                app.run(step.ms);
                break;
            case ScriptStep::Kind::Snapshot:
                app.run(0);
                if (app.snapshot(step.text)) {
                    std::printf("overlay saved as %s\n", step.text.c_str());
                } else {
                    std::fprintf(stderr, "could not write the overlay to %s\n", step.text.c_str());
                    ok = false;
                }
                break;
            case ScriptStep::Kind::Exit:
                app.exitAll();
                break;
        }
        std::fflush(stdout);
    }
    return ok;
}

}  // namespace host
