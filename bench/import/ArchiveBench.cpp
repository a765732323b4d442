// SPDX-License-Identifier: GPL-3.0-or-later
// A facility archive: logs beside large binary files and large texts that
// are no logs. Generates the archive in a folder, walks it as the batch tool
// does (the folder rule, then an import of each log found) and prints the
// time spent on the logs and on the rest. Peak memory: run it under
// /usr/bin/time -v.
//
//   archive_bench FOLDER LOGS MIN_LINES MAX_LINES BINARIES BINARY_GIB TEXTS TEXT_MIB
//   (the size: 200 1000 100000 20 4 5 200)

#include "import/LogFolder.h"
#include "import/LogImport.h"
#include "import/LogLoader.h"
#include "loggen/LogGenerator.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void WriteLogs(const fs::path& folder, int logs, int minLines, int maxLines) {
    loggen::CSplitMix random(7);
    for (int i = 0; i < logs; ++i) {
        // Sizes spread evenly on a log scale between the two bounds.
        const double t = logs > 1 ? static_cast<double>(i) / (logs - 1) : 0.0;
        loggen::SeriesSetup setup;
        setup.nImages = static_cast<int>(std::lround(minLines * std::pow(static_cast<double>(maxLines) / minLines, t)));
        setup.dImagePeriodS = 0.5;
        loggen::GeneratedSeries g = loggen::SimulateSeries(setup, random);
        const fs::path sub = folder / ("day" + std::to_string(i % 10));
        fs::create_directories(sub);
        if (i % 2 == 0) {
            std::vector<loggen::GeneratedSeries> all = {g};
            std::ofstream(sub / ("c1a1_" + std::to_string(i) + ".log"), std::ios::binary)
                << loggen::ToCrLf(loggen::WriteC1A1Log(all));
        } else {
            std::ofstream(sub / ("stab_" + std::to_string(i) + ".dat"), std::ios::binary)
                << loggen::ToCrLf(loggen::WriteATLASStabLog(g, random));
        }
    }
}

void WriteNonLogs(const fs::path& folder, int binaries, double binaryGiB, int texts, double textMiB) {
    fs::create_directories(folder / "images");
    for (int i = 0; i < binaries; ++i) {
        const fs::path path = folder / "images" / ("frame_" + std::to_string(i) + ".tif");
        std::ofstream(path, std::ios::binary) << "II*";  // a start, then zeros (sparse)
        fs::resize_file(path, static_cast<std::uintmax_t>(binaryGiB * 1024 * 1024 * 1024));
    }
    const std::string line = "2024-05-01 12:00:00 stage moved to x=12.5 y=-3.25 z=0.0 (no corrector data)\n";
    for (int i = 0; i < texts; ++i) {
        std::ofstream out(folder / ("notes_" + std::to_string(i) + ".txt"), std::ios::binary);
        const std::size_t bytes = static_cast<std::size_t>(textMiB * 1024 * 1024);
        std::string block;
        while (block.size() < (1u << 20)) block += line;
        for (std::size_t written = 0; written < bytes; written += block.size()) out << block;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 9) {
        std::fprintf(stderr, "usage: %s FOLDER LOGS MIN_LINES MAX_LINES BINARIES BINARY_GIB TEXTS TEXT_MIB\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    const int logs = std::atoi(argv[2]), minLines = std::atoi(argv[3]), maxLines = std::atoi(argv[4]);
    const int binaries = std::atoi(argv[5]), texts = std::atoi(argv[7]);
    const double binaryGiB = std::atof(argv[6]), textMiB = std::atof(argv[8]);
    if (!fs::exists(folder)) {
        const auto start = std::chrono::steady_clock::now();
        WriteLogs(folder, logs, minLines, maxLines);
        WriteNonLogs(folder, binaries, binaryGiB, texts, textMiB);
        std::printf("generated in %.1f s\n", Seconds(start));
    }

    // The batch tool's road: the folder rule, then each log imported.
    auto start = std::chrono::steady_clock::now();
    const std::vector<LogFolderEntry> entries = FindLogsInFolder(folder.string(), IMPORT_NONE, nullptr);
    const double walk = Seconds(start);
    start = std::chrono::steady_clock::now();
    int imported = 0;
    for (const LogFolderEntry& entry : entries) {
        if (!entry.strError.empty()) continue;
        std::vector<CA1TimeSeries> list;
        ImportRequest request;
        request.strPath = entry.strPath;
        if (ImportLogFile(request, IMPORT_NONE, list).Ok()) ++imported;
    }
    const double import = Seconds(start);

    // The non-logs alone, recognised as the walk recognises them.
    start = std::chrono::steady_clock::now();
    std::size_t nonLogBytes = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder)) {
        if (!e.is_regular_file()) continue;
        const std::string name = e.path().filename().string();
        if (name.starts_with("frame_") || name.starts_with("notes_")) {
            LoadedLog loaded;
            LoadLogFile(LocalFileSystem(), e.path().string(), IMPORT_NONE, LogLoadGoal::Recognise, loaded);
            nonLogBytes += loaded.nBytesRead;
        }
    }
    const double nonLogs = Seconds(start);
    std::printf("logs found %d, imported %d\n", static_cast<int>(entries.size()), imported);
    std::printf("walk %.2f s, import %.2f s, total %.2f s\n", walk, import, walk + import);
    std::printf("non-logs alone %.2f s (%.0f %% of the total), %.1f MiB read of them\n", nonLogs,
                100.0 * nonLogs / (walk + import), static_cast<double>(nonLogBytes) / (1024.0 * 1024.0));
    return 0;
}
