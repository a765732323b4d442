// SPDX-License-Identifier: GPL-3.0-or-later
// Following a log of 10^5 data lines on a real file: the cost of an update
// that brings 10 new lines, and of an idle poll (the file unchanged), which
// once a second is all that idle following costs.

#include "follow/LogFollower.h"
#include "import/LogImport.h"
#include "loggen/LogGenerator.h"
#include "platform/PosixFollowFileSystem.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kDataLines = 100000;
constexpr int kUpdateLines = 10;
constexpr int kUpdates = 100;

// A generated log, with the offsets of its line starts.
struct GrowingLog {
    std::string strText;
    std::vector<std::size_t> aLineStarts;
    std::string strPath;
    explicit GrowingLog(int importType) {
        loggen::CSplitMix random(42);
        loggen::SeriesSetup setup;
        setup.nImages = kDataLines + kUpdateLines * kUpdates + 10;
        setup.dImagePeriodS = 0.5;
        loggen::GeneratedSeries g = loggen::SimulateSeries(setup, random);
        if (importType == IMPORT_C1A1) {
            std::vector<loggen::GeneratedSeries> all = {g};
            strText = loggen::ToCrLf(loggen::WriteC1A1Log(all));
        } else {
            strText = loggen::ToCrLf(loggen::WriteATLASStabLog(g, random));
        }
        for (std::size_t p = 0; p < strText.size(); p = strText.find('\n', p) + 1) aLineStarts.push_back(p);
        strPath = (std::filesystem::temp_directory_path() /
                   (importType == IMPORT_C1A1 ? "dw_bench_follow.log" : "dw_bench_follow.dat"))
                      .string();
    }
    // Writes the first lines of the log (the rest is appended later).
    void Start(int lines) const {
        std::ofstream(strPath, std::ios::binary | std::ios::trunc) << strText.substr(0, aLineStarts[lines]);
    }
    void Append(int from, int count) const {
        std::ofstream(strPath, std::ios::binary | std::ios::app)
            << strText.substr(aLineStarts[from], aLineStarts[from + count] - aLineStarts[from]);
    }
};

// Each iteration appends 10 lines (not timed) and polls (timed). The C1A1
// log's one series has not stopped: it is followed as a provisional series.
void UpdateOfTenLines(benchmark::State& state, int importType) {
    const GrowingLog log(importType);
    const int first = kDataLines + 10;
    log.Start(first);
    CPosixFollowFileSystem files;
    CSteadyFollowClock clock;
    CLogFollower follower({log.strPath, importType}, files, clock, nullptr);
    follower.Poll();
    int next = first;
    for (auto _ : state) {
        state.PauseTiming();
        log.Append(next, kUpdateLines);
        next += kUpdateLines;
        state.ResumeTiming();
        const FOLLOWPOLL poll = follower.Poll();
        if (poll.nLinesAdded != kUpdateLines) state.SkipWithError("the poll did not take the 10 lines");
    }
    state.counters["series_samples"] = static_cast<double>(follower.Series().back().m_aSamples.size());
    std::filesystem::remove(log.strPath);
}

// A poll of an unchanged file; the counter gives the share of one core that
// following takes at one poll a second.
void IdlePoll(benchmark::State& state) {
    const GrowingLog log(IMPORT_ATLAS);
    log.Start(kDataLines + 10);
    CPosixFollowFileSystem files;
    CSteadyFollowClock clock;
    CLogFollower follower({log.strPath, IMPORT_ATLAS}, files, clock, nullptr);
    follower.Poll();
    for (auto _ : state) {
        const FOLLOWPOLL poll = follower.Poll();
        benchmark::DoNotOptimize(poll);
    }
    state.counters["core_share_at_1Hz"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                             benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    std::filesystem::remove(log.strPath);
}

}  // namespace

BENCHMARK_CAPTURE(UpdateOfTenLines, ATLASStab_1e5, IMPORT_ATLAS)->Iterations(kUpdates)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UpdateOfTenLines, C1A1_1e5_recording, IMPORT_C1A1)
    ->Iterations(kUpdates)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(IdlePoll)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
