#pragma once
// Command line of driftwise-cli: parsed into options or a usage error.

#include "eval/CharFunc.h"
#include "eval/EvalInputs.h"
#include "plot/PlotMetrics.h"
#include "series/A1TimeSeries.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// --follow, --follow-interval, --until-idle.
struct CliFollowOptions {
    bool bFollow = false;
    double dIntervalS = 10.0;  // --follow-interval, 1 ... 3600
    bool bIntervalGiven = false;
    double dUntilIdleS = 0.0;  // --until-idle; used only when bUntilIdle
    bool bUntilIdle = false;
};

inline constexpr double kCliFollowIntervalMin = 1.0;
inline constexpr double kCliFollowIntervalMax = 3600.0;

struct CliOptions {
    enum class Action { Run, Help, Version };
    Action action = Action::Run;

    int nImportType = IMPORT_NONE;  // IMPORT_NONE = decide by content, IMPORT_C1A1, IMPORT_ATLAS
    int nSeries = 0;                // 1-based series of each file, 0 = all
    double dRotationDeg = InputDefault(EvalInput::ImportRotDeg);
    int nMirror = InputDefaultInt(EvalInput::ImportMirrorY);  // -1 with --mirror-y
    // The inputs' defaults: kEvalInputs.
    int nMinDiversity = InputDefaultInt(EvalInput::MinDiversity);
    double dEnergykV = InputDefault(EvalInput::ElEnergykV);
    double dResolutionAng = InputDefault(EvalInput::TargetResAng);
    double dPhase = InputDefault(EvalInput::LimitPhase);
    CharFuncRoute cfRoute = static_cast<CharFuncRoute>(InputDefaultInt(EvalInput::CharFuncRoute));
    bool bFit = true;
    std::optional<std::uint32_t> seed;  // none: from the clock
    bool bJson = false;
    std::string strExportDir;  // empty: no export
    std::string strImageFormat = "png";
    bool bPdf = false;    // --pdf: also the PDF report of each series
    int nImageWidth = 0;  // 0: the desktop program's diagram size
    int nImageHeight = 0;
    std::string strSummaryFile;  // empty: no summary table; "-": standard output
    std::string strLogFile;      // empty: no log file
    bool bVerbose = false;
    bool bIntervals = false;  // --intervals
    int nReplicates = 0;      // --replicates; 0: the default
    CliFollowOptions follow;
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

// Limits of the option values that are not inputs of the evaluation.
inline constexpr int kCliImageSizeMin = 16;
inline constexpr int kCliImageSizeMax = 10000;
// The desktop program's diagram image: its 722 x 442 view less the 1-pixel edge.
inline constexpr int kCliDefaultImageWidth = kDefaultDiagramWidth;
inline constexpr int kCliDefaultImageHeight = kDefaultDiagramHeight;
