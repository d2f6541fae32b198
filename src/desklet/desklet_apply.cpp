// Bringing a running desklet in line with changed settings: child restart, console size,
// renderer rebuild and poll timer, each only when its change flag asks for it.
#include "console/child_process.h"
#include "console/screen_buffer.h"
#include "desklet/desklet.h"
#include "desklet/desklet_hold.h"
#include "desklet/messages.h"
#include "desklet/poll_period.h"
#include "desklet/renderer_settings.h"
#include "desklet/report_current.h"
#include "ports/error_report.h"
#include "ports/host.h"
#include "ports/user_interface.h"
#include "render/renderer.h"
#include "settings/keys.h"
#include "settings/value_text.h"

namespace tideglass {

namespace {

constexpr char kConfigurationUpdateContext[] =
    "An exception occured while updating the desklet configuration";

// The console's buffer holds this many screens of rows, for the wheel to scroll through.
constexpr uint32_t kScreensInBuffer = 10;

// Console coordinates are 16-bit; the values go in as they are, wrapped like the system's own
// COORD fields would take them.
int16_t toCoordinate(uint32_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

constexpr char kTooLongContext[] = "The setting was not changed";

// A text too long to be saved and read back is refused here, where the user can still see it,
// rather than lost at the next save: the setting keeps its value, and when that leaves the texts
// as they were, the child is not restarted for them. Returns the message for the user, if any.
std::string refuseTooLongTexts(Settings& copy, const Settings& live, ChangeFlags& flags) {
    std::string message;
    for (auto& [key, value] : copy.strings) {
        if (textValueFits(value))
            continue;
        const std::string name = key == keys::kChildAppCmdline ? "The command line"
                                 : key == keys::kChildAppDir   ? "The start directory"
                                                               : "The setting " + key;
        message += (message.empty() ? "" : "\n") + name + " is " + std::to_string(value.size()) +
                   " characters long; it can be kept up to " +
                   std::to_string(longestTextValue(value)) + ".";
        const auto kept = live.strings.find(key);
        value = kept != live.strings.end() ? kept->second : std::string();
    }
    if (!message.empty() && copy.strings == live.strings)
        flags &= ~ChangeFlags(kChildApplicationChange);
    return message;
}

}  // namespace

void Desklet::applyConfiguration(const Settings& workingCopy, ChangeFlags flags) {
    if (destroyed_)
        return;
    Hold alive(*this);
    std::string refused;
    {
        LockGuard hold(*lock);
        Settings copy = workingCopy;
        refused = refuseTooLongTexts(copy, settings, flags);
        settings = std::move(copy);
    }
    if (!refused.empty())
        reportError(platform_.ui, kTooLongContext, refused);
    // The host may run its sheet on a thread of its own, but only the widget's thread may set
    // the widget's timer, and the host expects its overlay and size calls from that thread too:
    // the changes are then made there, when the widget's window gets the private message.
    // Changes asked for meanwhile join the ones waiting.
    UserInterface& ui = platform_.ui;
    if (!ui.onWindowThread(window)) {
        if (flags != 0 && pendingChanges_.fetch_or(flags) == 0)
            ui.postMessage(window, ui.privateMessage(), kWorkPendingChanges, 0);
        return;
    }
    applyChanges(flags);
}

// Only the renderer is built outside the lock, so a tick is not kept waiting for it.
void Desklet::applyChanges(ChangeFlags flags) {
    if (flags & (kChildApplicationChange | kConsoleSizeChange)) {
        LockGuard hold(*lock);
        if (flags & kChildApplicationChange)
            restartChild();
        if (flags & kConsoleSizeChange)
            resizeConsole();
    }
    if (flags & (kRenderingChange | kConsoleSizeChange))
        rebuildRenderer();
    if (flags & kPollIntervalChange) {
        int32_t interval = 0;
        {
            LockGuard hold(*lock);
            interval = settings.integer(keys::kPollInterval);
        }
        timerPeriodMs_ = pollPeriodMs(interval);
        pollRate_.setIdlePeriod(timerPeriodMs_);
        platform_.ui.setTimer(window, kPollTimerId, timerPeriodMs_);
    }
}

void Desklet::resizeConsole() {
    ScreenBuffer& screen = platform_.screen;
    int32_t& columns = settings.integer(keys::kColumns);
    int32_t& rows = settings.integer(keys::kRows);
    // The limit is written back so the pages and the next save show what the console can
    // really do. A console without a window (no display) reports 0 x 0: that is no limit,
    // and lowering to it would wipe the user's size at the next save.
    const CellSize largest = screen.largestWindow(consoleOutput);
    if (largest.columns > 0 && largest.rows > 0) {
        if (columns > largest.columns)
            columns = largest.columns;
        if (rows > largest.rows)
            rows = largest.rows;
    }
    const uint32_t width = static_cast<uint32_t>(columns);
    const uint32_t height = static_cast<uint32_t>(rows);
    // The window must fit inside the buffer at every moment, so it is shrunk to 3 x 3 before
    // the buffer changes size and only then given its final size.
    screen.setWindow(consoleOutput, 0, 0, 2, 2);
    screen.setBufferSize(consoleOutput, toCoordinate(width),
                         toCoordinate(height * kScreensInBuffer));
    screen.setWindow(consoleOutput, 0, 0, toCoordinate(width - 1), toCoordinate(height - 1));
    // As a terminal keeps the prompt in view: when the cursor lies below the new window, the
    // window moves down until the cursor is on its last row. (Only for a size the buffer's
    // 16-bit rows can hold.)
    ScreenInfo now;
    const int32_t shown = rows;
    if (shown > 0 && shown <= 0x7FFF / int32_t(kScreensInBuffer) &&
        screen.info(consoleOutput, now) && now.cursorY >= shown) {
        const int32_t lastRow = shown * int32_t(kScreensInBuffer) - 1;
        const int16_t bottom = int16_t(now.cursorY < lastRow ? now.cursorY : lastRow);
        screen.setWindow(consoleOutput, 0, int16_t(bottom - shown + 1), toCoordinate(width - 1),
                         bottom);
    }
}

// The new renderer is built completely before the lock is taken; the host gets its image
// before the old renderer (and with it the image the host still shows) is destroyed.
void Desklet::rebuildRenderer() {
    try {
        const RendererConfig config = rendererConfigFromSettings(currentSettings());
        auto fresh = std::make_unique<Renderer>(config, platform_.graphics, platform_.screen);
        LockGuard hold(*lock);
        fresh->draw(focused);
        platform_.host.setImageOverlay(window, fresh->canvas().hostImage());
        renderer.swap(fresh);
        fresh.reset();
        Canvas& canvas = renderer->canvas();
        platform_.host.setSize(window, static_cast<int32_t>(canvas.width()),
                               static_cast<int32_t>(canvas.height()));
    } catch (...) {
        reportCurrentException(platform_.ui, kConfigurationUpdateContext);
    }
}

}  // namespace tideglass
