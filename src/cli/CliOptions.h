#pragma once
// Command line of driftwise-cli: parsed into options or a usage error.

#include "eval/CharFunc.h"
#include "series/A1TimeSeries.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CliOptions {
    enum class Action { Run, Help, Version };
    Action action = Action::Run;

    int nImportType = IMPORT_NONE;  // IMPORT_NONE = decide by content, IMPORT_C1A1, IMPORT_ATLAS
    int nSeries = 0;                // 1-based series of each file, 0 = all
    double dRotationDeg = 0.0;
    int nMirror = 1;  // -1 with --mirror-y
    int nMinDiversity = 10;
    double dEnergykV = 300.0;
    double dResolutionAng = 1.0;
    double dPhase = 0.25;
    CharFuncRoute cfRoute = CharFuncRoute::Auto;  // --cf-route
    bool bFit = true;
    std::optional<std::uint32_t> seed;  // none: from the clock
    bool bJson = false;
    std::string strExportDir;  // empty: no export
    std::string strImageFormat = "png";
    int nImageWidth = 0;  // 0: the desktop program's diagram size
    int nImageHeight = 0;
    std::string strSummaryFile;  // empty: no summary table; "-": standard output
    std::string strLogFile;      // empty: no log file
    bool bVerbose = false;
    bool bIntervals = false;  // --intervals
    int nReplicates = 0;      // --replicates; 0: the default
    std::vector<std::string> astrFiles;
};

struct CliParseResult {
    bool bOk = false;
    CliOptions options;
    std::string strError;  // one line naming the option, when !bOk
};

// args excludes the program name.
CliParseResult ParseCliOptions(const std::vector<std::string>& args);

// The text of --help.
std::string CliUsageText();

// Limits of the option values.
inline constexpr int kCliMinDiversityMin = 5;
inline constexpr int kCliMinDiversityMax = 50000;
inline constexpr double kCliPhaseMin = 0.001;
inline constexpr double kCliPhaseMax = 1000.0;
inline constexpr int kCliImageSizeMin = 16;
inline constexpr int kCliImageSizeMax = 10000;
// The desktop program's diagram image: its 722 x 442 view less the 1-pixel edge.
inline constexpr int kCliDefaultImageWidth = 720;
inline constexpr int kCliDefaultImageHeight = 440;
