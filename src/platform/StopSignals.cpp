// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StopSignals.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

namespace {

volatile std::sig_atomic_t g_nStop = 0;

extern "C" void OnStopSignal(int signal) {
    g_nStop = 1;
    // A second signal of the same kind ends the program at once.
    std::signal(signal, SIG_DFL);
}

}  // namespace

void InstallStopSignalHandlers() {
    g_nStop = 0;
    std::signal(SIGINT, &OnStopSignal);
    std::signal(SIGTERM, &OnStopSignal);
}

bool StopRequested() { return g_nStop != 0; }

void RequestStop() { g_nStop = 1; }

bool SleepUnlessStopped(double seconds) {
    // Short naps: a signal is noticed within a twentieth of a second.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(std::max(seconds, 0.0)));
    while (!StopRequested()) {
        const Clock::time_point now = Clock::now();
        if (now >= end) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(end - now, std::chrono::milliseconds(50)));
    }
    return false;
}
