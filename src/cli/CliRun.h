#pragma once
// The run loop of driftwise-cli: import every file, evaluate its series,
// write the output. Plain C++; main() only sets up the application object.

#include "cli/CliOptions.h"
#include "import/LogImport.h"
#include "series/A1TimeSeries.h"

#include <cstdio>
#include <string>
#include <vector>

class CLogFile;

// What became of one file of the command line.
struct CliFileOutcome {
    std::string strPath;                 // as given on the command line
    ImportResult import;
    std::vector<CA1TimeSeries> aSeries;  // the series that are output
    std::vector<int> anIndex;            // their 1-based numbers within the file
    std::string strError;                // empty when the file gave at least one series
};

// Imports one file as the options say (format, rotation, mirror, --series).
CliFileOutcome ImportCliFile(const std::string& path, const CliOptions& options, CLogFile* log);

// Series list line "#%.3d: %d samples, %d s (%.2f Hz)".
std::string SeriesListLine(int index, const CA1TimeSeries& series);

// The --json document of the outcomes.
std::string CliJsonDocument(const std::vector<CliFileOutcome>& outcomes);

// Runs a parsed command line; returns the exit status (0, 1 or 2).
int RunCli(const CliOptions& options, std::FILE* out, std::FILE* err);

// Parses and runs; --help and --version included.
int CliMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
