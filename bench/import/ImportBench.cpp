// Import of generated logs of 10^5 data lines, from the file and from text.

#include "import/LogImport.h"
#include "loggen/LogGenerator.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kDataLines = 100000;

struct GeneratedFile {
    std::string strPath;
    std::string strText;
    explicit GeneratedFile(int importType) {
        loggen::CSplitMix random(42);
        loggen::SeriesSetup setup;
        setup.nImages = kDataLines;
        setup.dImagePeriodS = 0.5;
        setup.nStartTime = 1000;
        loggen::GeneratedSeries g = loggen::SimulateSeries(setup, random);
        if (importType == IMPORT_C1A1) {
            std::vector<loggen::GeneratedSeries> all = {g};
            loggen::C1A1Layout layout;
            strText = loggen::ToCrLf(loggen::WriteC1A1Log(all, layout));
        } else {
            strText = loggen::ToCrLf(loggen::WriteATLASStabLog(g, random));
        }
        strPath = (std::filesystem::temp_directory_path() /
                   (importType == IMPORT_C1A1 ? "dw_bench_c1a1.log" : "dw_bench_atlas.dat"))
                      .string();
        std::ofstream(strPath, std::ios::binary) << strText;
    }
    ~GeneratedFile() { std::filesystem::remove(strPath); }
};

const GeneratedFile& File(int importType) {
    static const GeneratedFile c1a1(IMPORT_C1A1), atlas(IMPORT_ATLAS);
    return importType == IMPORT_C1A1 ? c1a1 : atlas;
}

void ImportFromFile(benchmark::State& state, int importType) {
    const GeneratedFile& file = File(importType);
    ImportRequest request;
    request.strPath = file.strPath;
    for (auto _ : state) {
        std::vector<CA1TimeSeries> list;
        const ImportResult r = ImportLogFile(request, importType, list);
        if (r.nSeriesAdded != 1 || list[0].m_aSamples.size() != static_cast<std::size_t>(kDataLines))
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(list.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.strText.size()));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kDataLines);
}

void ImportFromText(benchmark::State& state, int importType) {
    const GeneratedFile& file = File(importType);
    const LogFormatEntry* format = FindLogFormat(importType);
    ImportRequest request;
    request.strPath = file.strPath;
    for (auto _ : state) {
        std::vector<CA1TimeSeries> list;
        format->Read(file.strText, request, list);
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kDataLines);
}

void SniffFormat(benchmark::State& state, int importType) {
    const GeneratedFile& file = File(importType);
    for (auto _ : state) benchmark::DoNotOptimize(SniffLogFormat(file.strText));
}

}  // namespace

BENCHMARK_CAPTURE(ImportFromFile, C1A1, IMPORT_C1A1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportFromFile, ATLASStab, IMPORT_ATLAS)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportFromText, C1A1, IMPORT_C1A1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportFromText, ATLASStab, IMPORT_ATLAS)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SniffFormat, C1A1, IMPORT_C1A1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SniffFormat, ATLASStab, IMPORT_ATLAS)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
