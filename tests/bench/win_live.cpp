// How live a widget feels, with the real DLL, console and programs under Wine:
//   key to echo: from the key given to OnProcessMessage to the overlay that shows its echo, for
//   keys at random phases of a 250 ms poll interval, with a program that echoes 20 ms after
//   reading a key and with the command interpreter's own echo, in the process's console and in
//   a console agent's;
//   idle: the timer messages a second and the cost of an idle tick;
//   flood: a directory listing in a loop, frames shown a second and the widget's processor time.
// Figures only; the machine's load weighs on them, so run it more than once.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/gdiplus_session.h"
#include "support/process_times.h"
#include "support/late_echo.h"
#include "support/widget_host.h"

namespace {

using e2e::cpuMicros;
using e2e::threadCpuMicros;

using Clock = std::chrono::steady_clock;
constexpr UINT kWmTimer = 0x0113;
constexpr int kKeys = 40;
constexpr int kPollMs = 250;
constexpr int kEchoDelayMs = 20;
const char kFloodCommand[] = "%COMSPEC% /c for /L %i in (1,1,1000000) do @dir /s C:\\windows";

double millisSince(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[i];
}

// The console agent that is running now and was not among those running before.
DWORD agentBesides(const std::vector<DWORD>& before) {
    for (DWORD id : e2e::childProcesses("rundll32.exe"))
        if (std::find(before.begin(), before.end(), id) == before.end())
            return id;
    return 0;
}

std::unique_ptr<e2e::WidgetHost> makeWidget(const std::string& commandLine, int pollMs) {
    static int serial = 0;
    const std::string ini = e2e::tempFile("bench-live-" + std::to_string(++serial) + ".ini");
    WritePrivateProfileStringA("Widget", "child-app-cmdline", commandLine.c_str(), ini.c_str());
    WritePrivateProfileStringA("Widget", "poll-interval", std::to_string(pollMs).c_str(),
                               ini.c_str());
    auto widget = std::make_unique<e2e::WidgetHost>();
    if (!widget->create(ini.c_str(), "Widget")) {
        std::printf("could not create a widget running %s\n", commandLine.c_str());
        std::exit(1);
    }
    // The program started and drawn, the widget back at its poll interval.
    host::pumpFor(2500);
    return widget;
}

// Every overlay the host receives, and when.
struct OverlayClock {
    OverlayClock() {
        host::HostRecorder::instance().onOverlay = [this](HWND, Gdiplus::Image*) {
            last = Clock::now();
            ++count;
        };
    }
    ~OverlayClock() { host::HostRecorder::instance().onOverlay = nullptr; }
    Clock::time_point last;
    int count = 0;
};

void keyToEcho(const char* name, e2e::WidgetHost& widget, std::mt19937& random) {
    std::uniform_int_distribution<int> phase(0, kPollMs - 1);
    std::vector<double> latencies;
    int missed = 0;
    OverlayClock overlays;
    for (int i = 0; i < kKeys; ++i) {
        // Long enough for any fast reading to have ended, then a random phase of the poll.
        host::pumpFor(DWORD(3 * kPollMs + phase(random)));
        const int before = overlays.count;
        const auto start = Clock::now();
        widget.typeKey(UINT('A' + i % 26));
        if (!host::pumpUntil([&] { return overlays.count > before; }, 3000)) {
            ++missed;
            continue;
        }
        latencies.push_back(millisSince(start, overlays.last));
    }
    if (latencies.empty()) {
        std::printf("%-34s no echo seen\n", name);
        return;
    }
    std::printf("%-34s median %6.1f  p90 %6.1f  max %6.1f ms%s\n", name, percentile(latencies, 0.5),
                percentile(latencies, 0.9), percentile(latencies, 1.0),
                missed ? "  (some keys never echoed)" : "");
}

void idle(const char* name, e2e::WidgetHost& widget, DWORD agent) {
    const size_t ticksBefore = widget.timerTicks().size();
    host::pumpFor(4000);
    const double perSecond = double(widget.timerTicks().size() - ticksBefore) / 4.0;
    // Ticks by hand between the timer's, timed one by one.
    std::vector<double> costs;
    double agentCpu = 0;
    for (int i = 0; i < 200; ++i) {
        const double agentBefore = agent ? cpuMicros(agent) : 0;
        const auto start = Clock::now();
        widget.send(kWmTimer, 1, 0);
        costs.push_back(millisSince(start, Clock::now()) * 1000);
        host::pumpFor(5);
        if (agent)
            agentCpu += cpuMicros(agent) - agentBefore;
    }
    std::printf("%-34s %5.2f timer messages/s, tick median %7.1f us", name, perSecond,
                percentile(costs, 0.5));
    if (agent)
        std::printf(", agent %6.1f us cpu/tick", agentCpu / 200);
    std::printf("\n");
}

void flood(const char* name, DWORD agent) {
    OverlayClock overlays;
    const double seconds = 6;
    const int before = overlays.count;
    const double cpuBefore = threadCpuMicros();
    const double agentBefore = agent ? cpuMicros(agent) : 0;
    const auto start = Clock::now();
    host::pumpFor(DWORD(seconds * 1000));
    const double wall = millisSince(start, Clock::now()) / 1000;
    std::printf("%-34s %5.1f frames/s, widget cpu %5.1f %% of a core", name,
                (overlays.count - before) / wall, (threadCpuMicros() - cpuBefore) / wall / 1e4);
    if (agent)
        std::printf(", agent %5.1f %%", (cpuMicros(agent) - agentBefore) / wall / 1e4);
    std::printf("\n");
}

void latencyAndIdle(std::mt19937& random) {
    const std::string lateEcho = e2e::lateEchoCommandLine(kEchoDelayMs);
    const std::string cmd = "%COMSPEC%";
    std::printf("key to echo, %d keys at random phases of a %d ms poll:\n", kKeys, kPollMs);
    {
        auto first = makeWidget(lateEcho, kPollMs);
        keyToEcho("  in-process, echo after 20 ms", *first, random);
    }
    auto first = makeWidget(cmd, kPollMs);
    keyToEcho("  in-process, cmd", *first, random);
    {
        auto agent = makeWidget(lateEcho, kPollMs);
        keyToEcho("  agent, echo after 20 ms", *agent, random);
    }
    const std::vector<DWORD> agentsBefore = e2e::childProcesses("rundll32.exe");
    auto agent = makeWidget(cmd, kPollMs);
    keyToEcho("  agent, cmd", *agent, random);

    std::printf("idle at a prompt, %d ms poll:\n", kPollMs);
    // What pacing adds to a tick that finds nothing: two reads of the clock.
    const auto start = Clock::now();
    LARGE_INTEGER counter;
    for (int i = 0; i < 100000; ++i)
        QueryPerformanceCounter(&counter);
    std::printf("  one read of the performance counter: %.3f us\n",
                millisSince(start, Clock::now()) * 1000 / 100000);
    idle("  in-process", *first, 0);
    idle("  agent", *agent, agentBesides(agentsBefore));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == e2e::kLateEchoOption)
        return e2e::lateEcho(std::atoi(argv[2]));
    SetCurrentDirectoryA("C:\\");
    host::GdiplusSession gdiplus;
    std::mt19937 random(24);
    // `flood`: that part alone.
    if (argc != 2 || std::string(argv[1]) != "flood")
        latencyAndIdle(random);
    std::printf("flood (dir /s in a loop), 80 x 25:\n");
    {
        auto flooding = makeWidget(kFloodCommand, kPollMs);
        flood("  in-process", 0);
    }
    auto first = makeWidget("%COMSPEC%", kPollMs);
    const std::vector<DWORD> agentsBefore = e2e::childProcesses("rundll32.exe");
    auto agent = makeWidget(kFloodCommand, kPollMs);
    flood("  agent", agentBesides(agentsBefore));
    return 0;
}
