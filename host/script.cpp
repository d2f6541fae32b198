#include "script.h"

#include <cstdio>

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

}  // namespace

bool runScript(HostApp& app, const std::vector<ScriptStep>& script) {
    bool ok = true;
    for (const ScriptStep& step : script) {
        if (app.finished())
            break;
        switch (step.kind) {
            case ScriptStep::Kind::Type:
                for (char c : step.text) {
                    if (!typeCharacter(sinkFor(app), c))
                        std::fprintf(stderr, "no key types the character 0x%02X\n",
                                     static_cast<unsigned char>(c));
                    app.run(kKeyGapMs);
                }
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
                app.exit();
                break;
        }
        std::fflush(stdout);
    }
    return ok;
}

}  // namespace host
