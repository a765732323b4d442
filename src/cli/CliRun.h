#pragma once
// The run loop of driftwise-cli: import every file, evaluate its series,
// export and write the output. Plain C++; main() sets up the application
// object and the Qt text and image back ends of the diagrams.

#include "cli/CliEval.h"
#include "cli/CliOptions.h"
#include "import/LogImport.h"
#include "series/A1TimeSeries.h"

#include <cstdio>
#include <string>
#include <vector>

class CLogFile;
class IImageEncoder;
class ITextRenderer;

// What became of one file of the command line.
struct CliFileOutcome {
    std::string strPath;  // as given on the command line
    ImportResult import;
    std::vector<CA1TimeSeries> aSeries;  // the series that are output
    std::vector<int> anIndex;            // their 1-based numbers within the file
    std::vector<CliEvaluation> aEval;    // how each was evaluated
    std::vector<bool> abProvisional;     // while following: which series have not stopped yet
    std::string strError;                // empty when the file gave at least one series
};

// The diagrams' platform for --export (not owned). Without a text renderer
// the diagrams have no text; without an encoder no image can be saved.
struct CliPlatform {
    ITextRenderer* pText = nullptr;
    IImageEncoder* pEncoder = nullptr;
};

// Imports one file as the options say (format, rotation, mirror, --series).
CliFileOutcome ImportCliFile(const std::string& path, const CliOptions& options, CLogFile* log);

// Evaluates every series of the outcome (EvaluateCliSeries).
void EvaluateCliFile(CliFileOutcome& outcome, const CliOptions& options);

// The default output: per series "== FILE series N", LF, the stability
// report exactly as built (CR LF inside), LF.
std::string CliReportText(const std::vector<CliFileOutcome>& outcomes);

// The --json document of the outcomes.
std::string CliJsonDocument(const std::vector<CliFileOutcome>& outcomes);

// Runs a parsed command line; returns the exit status (0, 1 or 2).
int RunCli(const CliOptions& options, std::FILE* out, std::FILE* err, const CliPlatform& platform = {});

// Parses and runs; --help and --version included.
int CliMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, const CliPlatform& platform = {});
