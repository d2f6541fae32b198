// The update cycle: input forwarded to the hidden console, the poll tick that restarts an ended
// child and redraws on a change, and the child restart itself.
#include "console/child_process.h"
#include "console/console_input.h"
#include "console/console_text.h"
#include "desklet/clipboard.h"
#include "desklet/desklet.h"
#include "desklet/desklet_hold.h"
#include "desklet/messages.h"
#include "desklet/poll_period.h"
#include "desklet/report_current.h"
#include "ports/host.h"
#include "ports/user_interface.h"
#include "render/renderer.h"
#include "settings/keys.h"

namespace tideglass {

namespace {

constexpr char kChildStartContext[] = "Could not run the child application";

}  // namespace

void Desklet::processMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // A message that a failure box's loop delivers after the host destroyed the widget.
    if (destroyed_)
        return;
    Hold alive(*this);
    UserInterface& ui = platform_.ui;
    switch (message) {
        case kWmActivate: {
            LockGuard hold(*lock);
            focused = (wParam & 0xFFFF) != kWaInactive;
            if (renderer)
                present();
            break;
        }
        case kWmKeyDown:
        case kWmSysKeyDown:
            if (!clipboardKey(message, wParam, lParam))
                typeIntoConsole(message, wParam, lParam);
            pacedStep(true);
            break;
        case kWmKeyUp:
        case kWmSysKeyUp:
            // The release of a copy or paste key is no more the program's than its press was.
            if ((wParam & 0xFFFF) == clipboardKeyDown_)
                clipboardKeyDown_ = 0;
            else
                typeIntoConsole(message, wParam, lParam);
            break;
        case kWmMouseWheel:
            ui.postMessage(consoleWindow, message, wParam, lParam);
            pacedStep(true);
            break;
        case kWmTimer:
            if (wParam == kPollTimerId)
                pacedStep(false);
            break;
        default:
            if (message != ui.privateMessage())
                break;
            if (wParam == kWorkConsoleChanged) {
                if (pollRate_.readsAtOnce(ui.steadyMicroseconds()))
                    pacedStep(false);
            } else {
                applyChanges(pendingChanges_.exchange(0));
            }
            break;
    }
}

// Key messages posted to the console window would reach the console, but it works their
// characters out from its own thread's keyboard state, which posted messages never change: Shift,
// Ctrl and Alt would be lost. A key event written into the input buffer carries its character and
// modifiers. No TranslateMessage either: it would consume a dead key pending in the host's own
// keyboard state and post a second, character message.
void Desklet::typeIntoConsole(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    ConsoleInput& input = platform_.input;
    for (const KeyEvent& event :
         keyTranslator.translate(message, wParam, lParam, platform_.keyboard)) {
        const ControlSignal signal = controlSignalOf(event);
        if (signal != ControlSignal::None && input.processedInput(consoleInput)) {
            // A console in processed mode makes these keys signals and never queues them; on
            // Windows a written key alone raises nothing. Where the system refuses the signal
            // (Wine cannot raise Ctrl+Break) the key goes in as a key rather than be lost.
            if (!event.keyDown || input.raise(signal))
                continue;
        }
        LockGuard hold(*lock);
        if (!pasteQueue.empty() || !keysAfterPaste_.empty())
            keysAfterPaste_.push_back(event);
        else
            input.write(consoleInput, event);
    }
}

// An ended child, or one that could not be started, is started again when the pacing allows:
// a child that keeps ending at once, or a start that keeps failing, waits longer each time, and
// the widget says so. A failed start shows its box once, while the lock is held; a tick that the
// box's loop delivers finds the next start not yet due.
void Desklet::updateStep() {
    LockGuard hold(*lock);
    const uint64_t now = nowMs();
    if (!child || child->poll() != WaitResult::Running) {
        if (child)
            restartPacing_.ended(now, pollPeriodMs(settings.integer(keys::kPollInterval)));
        if (restartPacing_.due(now))
            startChild(!childFailed);
    }
    feedPaste();
    if (!renderer)
        return;
    const uint64_t wait = restartPacing_.noticedWait(nowMs());
    const bool noticeChanged =
        renderer->setNotice(restartNotice(restartPacing_.lastStartFailed(), wait));
    if (renderer->snapshot(consoleOutput) || noticeChanged)
        present();
}

// Copy and paste keys are the widget's, like a terminal's: they never reach the program.
bool Desklet::clipboardKey(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message != kWmKeyDown)
        return false;
    const uint16_t virtualKey = uint16_t(wParam & 0xFFFF);
    const ClipboardKey key =
        clipboardKeyOf(virtualKey, controlKeyStateFor(lParam, platform_.keyboard));
    if (key == ClipboardKey::None)
        return false;
    clipboardKeyDown_ = virtualKey;
    if (key == ClipboardKey::Paste)
        paste();
    else
        copyText();
    return true;
}

void Desklet::paste() {
    const std::u16string text = platform_.clipboard.text(window);
    LockGuard hold(*lock);
    pasteQueue.add(text);
    feedPaste();
}

// The console's input buffer is finite and a program reads it at its own pace: a long paste goes
// in a batch at a time, whenever little of it is still waiting, so the widget's thread never
// waits for the program.
void Desklet::feedPaste() {
    constexpr uint32_t kLowWater = 4096;       // events still waiting before the next batch
    constexpr size_t kBatchCharacters = 8192;  // two events each
    if (pasteQueue.empty() && keysAfterPaste_.empty())
        return;
    ConsoleInput& input = platform_.input;
    if (input.waitingEvents(consoleInput) >= kLowWater)
        return;
    if (!pasteQueue.empty()) {
        const size_t taken = input.writeAll(consoleInput, pasteQueue.peek(kBatchCharacters));
        // A character whose press went in is typed, even should its release have been refused.
        pasteQueue.drop((taken + 1) / 2);
        if (!pasteQueue.empty())
            return;
    }
    const size_t typed = input.writeAll(consoleInput, keysAfterPaste_);
    keysAfterPaste_.erase(keysAfterPaste_.begin(), keysAfterPaste_.begin() + std::ptrdiff_t(typed));
}

// What the widget shows, read from the console itself in UTF-16 at the moment of the copy.
void Desklet::copyText() {
    std::u16string text;
    {
        LockGuard hold(*lock);
        if (!renderer)
            return;
        const CellRect shown = renderer->visibleCells();
        text = joinRows(platform_.text.readRows(consoleOutput, shown.left, shown.top,
                                                shown.right - shown.left + 1,
                                                shown.bottom - shown.top + 1));
    }
    platform_.clipboard.setText(window, text);
}

// Timed apart for the poll rate: drawing and handing over is the processor's work, where the
// rest of a step is mostly waiting for the console's own process.
void Desklet::present() {
    const uint64_t start = platform_.ui.steadyMicroseconds();
    renderer->draw(focused);
    platform_.host.setImageOverlay(window, renderer->canvas().hostImage());
    ++presents_;
    drawingUs_ += platform_.ui.steadyMicroseconds() - start;
}

void Desklet::restartChild() {
    restartPacing_.reset();
    startChild(true);
}

// The new child is running before the old one is ended; a failed start keeps the old record.
void Desklet::startChild(bool reportFailure) {
    const uint32_t period = pollPeriodMs(settings.integer(keys::kPollInterval));
    try {
        if (!childGroup)
            childGroup = std::make_unique<ChildGroup>(platform_.processes);
        auto fresh = std::make_unique<ChildProcess>(platform_.processes, childGroup->handle());
        const std::string directory = settings.text(keys::kChildAppDir);
        const std::string commandLine = settings.text(keys::kChildAppCmdline);
        launchChild(*fresh, commandLine, directory);
        if (child)
            child->terminate();
        child = std::move(fresh);
        childFailed = false;
        restartPacing_.started(nowMs());
    } catch (...) {
        // Recorded before the box: its message loop may run a tick, which must neither start
        // at once nor show a second box.
        childFailed = true;
        restartPacing_.failed(nowMs(), period);
        if (reportFailure)
            reportCurrentException(platform_.ui, kChildStartContext);
    }
}

}  // namespace tideglass
