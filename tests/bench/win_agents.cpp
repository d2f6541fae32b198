// What a console agent costs against the process's own console, with the real DLL, console and
// interpreter under Wine: two widgets in one process, the first with the process's console, the
// second with an agent's, both idle at a prompt. Their ticks are run by hand, interleaved, so
// that load on the machine weighs on both alike:
//   an idle tick of the agent's widget against an idle tick of the in-process widget (wall time,
//   medians);
//   the agent's own processor time per idle tick against the processor time of the in-process
//   widget's idle tick (totals over all ticks).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/gdiplus_session.h"
#include "support/process_times.h"
#include "support/widget_host.h"

namespace {

using e2e::cpuMicros;
using e2e::threadCpuMicros;

using Clock = std::chrono::steady_clock;
constexpr int kTicks = 300;
constexpr UINT kWmTimer = 0x0113;

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

DWORD agentProcessId() {
    const std::vector<DWORD> agents = e2e::childProcesses("rundll32.exe");
    return agents.empty() ? 0 : agents.front();
}

}  // namespace

int main() {
    SetCurrentDirectoryA("C:\\");
    host::GdiplusSession gdiplus;
    const std::string ini = e2e::tempFile("bench-agents.ini");
    // The widgets' own timers stay out of the way: every tick here is run by hand.
    WritePrivateProfileStringA("Widget", "poll-interval", "600000", ini.c_str());
    e2e::WidgetHost inProcess, agent;
    if (!inProcess.create(ini.c_str(), "Widget") || !agent.create(ini.c_str(), "Widget")) {
        std::printf("could not create the two widgets\n");
        return 1;
    }
    const DWORD agentProcess = agentProcessId();
    if (agentProcess == 0) {
        std::printf("no console agent found\n");
        return 1;
    }
    // Both interpreters at their prompts, both widgets drawn.
    for (int i = 0; i < 40; ++i) {
        inProcess.send(kWmTimer, 1, 0);
        agent.send(kWmTimer, 1, 0);
        host::pumpFor(50);
    }

    // What the agent costs with no tick at all: its share of the figures below is not the ticks'.
    const double restBefore = cpuMicros(agentProcess);
    host::pumpFor(3000);
    std::printf("agent's processor time with no ticks:            %8.1f us a second\n",
                (cpuMicros(agentProcess) - restBefore) / 3);

    std::vector<double> inProcessTicks, agentTicks;
    double inProcessCpu = 0, agentCpu = 0;
    for (int i = 0; i < kTicks; ++i) {
        const double threadBefore = threadCpuMicros();
        auto start = Clock::now();
        inProcess.send(kWmTimer, 1, 0);
        inProcessTicks.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        inProcessCpu += threadCpuMicros() - threadBefore;

        const double agentBefore = cpuMicros(agentProcess);
        start = Clock::now();
        agent.send(kWmTimer, 1, 0);
        agentTicks.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        // The agent reads the console for the next tick right after this one asks.
        host::pumpFor(20);
        agentCpu += cpuMicros(agentProcess) - agentBefore;
    }
    const double inProcessTick = median(inProcessTicks);
    const double agentTick = median(agentTicks);
    std::printf("idle tick, in-process console:    %8.1f us (median of %d)\n", inProcessTick,
                kTicks);
    std::printf("idle tick, console agent's widget: %8.1f us\n", agentTick);
    std::printf("  ratio (target <= 0.3):           %8.3f\n", agentTick / inProcessTick);
    std::printf("processor time per idle tick, in-process widget: %8.1f us\n",
                inProcessCpu / kTicks);
    std::printf("processor time per idle tick, console agent:     %8.1f us\n", agentCpu / kTicks);
    std::printf("  ratio (target <= 1):                           %8.3f\n",
                agentCpu / std::max(inProcessCpu, 1.0));
    return 0;
}
