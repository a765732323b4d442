// Import of generated logs of 10^5 data lines (and an ATLASStab log of 10^6),
// from the file and from text.

#include "import/ATLASStabImport.h"
#include "import/LogImport.h"
#include "loggen/LogGenerator.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kDataLines = 100000;
constexpr int kLargeDataLines = 1000000;

struct GeneratedFile {
    std::string strPath;
    std::string strText;
    int nDataLines;
    explicit GeneratedFile(int importType, int dataLines = kDataLines) : nDataLines(dataLines) {
        loggen::CSplitMix random(42);
        loggen::SeriesSetup setup;
        setup.nImages = dataLines;
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
        strPath = (std::filesystem::temp_directory_path() / (importType == IMPORT_C1A1 ? "dw_bench_c1a1.log"
                                                             : dataLines == kDataLines ? "dw_bench_atlas.dat"
                                                                                       : "dw_bench_atlas_large.dat"))
                      .string();
        std::ofstream(strPath, std::ios::binary) << strText;
    }
    ~GeneratedFile() { std::filesystem::remove(strPath); }
};

const GeneratedFile& File(int importType, int dataLines = kDataLines) {
    if (dataLines != kDataLines) {
        static const GeneratedFile large(IMPORT_ATLAS, kLargeDataLines);
        return large;
    }
    static const GeneratedFile c1a1(IMPORT_C1A1), atlas(IMPORT_ATLAS);
    return importType == IMPORT_C1A1 ? c1a1 : atlas;
}

void ImportFromFile(benchmark::State& state, int importType, int dataLines = kDataLines) {
    const GeneratedFile& file = File(importType, dataLines);
    ImportRequest request;
    request.strPath = file.strPath;
    for (auto _ : state) {
        std::vector<CA1TimeSeries> list;
        const ImportResult r = ImportLogFile(request, importType, list);
        if (r.nSeriesAdded != 1 || list[0].m_aSamples.size() != static_cast<std::size_t>(file.nDataLines))
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(list.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.strText.size()));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * file.nDataLines);
}

void ImportFromText(benchmark::State& state, int importType, int dataLines = kDataLines) {
    const GeneratedFile& file = File(importType, dataLines);
    const LogFormatEntry* format = FindLogFormat(importType);
    ImportRequest request;
    request.strPath = file.strPath;
    for (auto _ : state) {
        std::vector<CA1TimeSeries> list;
        format->Read(file.strText, request, list);
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * file.nDataLines);
}

// Re-extraction of the stored lines (the import's last step, and "Re-Extract").
void ExtractStoredLines(benchmark::State& state, int dataLines) {
    const GeneratedFile& file = File(IMPORT_ATLAS, dataLines);
    ImportRequest request;
    request.strPath = file.strPath;
    std::vector<CA1TimeSeries> list;
    ReadATLASStabLog(file.strText, request, list);
    if (list.size() != 1) {
        state.SkipWithError("import failed");
        return;
    }
    for (auto _ : state) {
        ExtractATLASStab(list[0], -1, 30.0);
        benchmark::DoNotOptimize(list[0].m_aSamples.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * file.nDataLines);
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
BENCHMARK_CAPTURE(ImportFromFile, ATLASStab_1e6, IMPORT_ATLAS, kLargeDataLines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportFromText, ATLASStab_1e6, IMPORT_ATLAS, kLargeDataLines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ExtractStoredLines, ATLASStab_1e6, kLargeDataLines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SniffFormat, C1A1, IMPORT_C1A1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SniffFormat, ATLASStab, IMPORT_ATLAS)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
