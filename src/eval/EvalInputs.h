// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The inputs of the program and of its evaluation, each listed once: its
// name, its batch-tool option, its settings key, its type, default, range,
// unit and a one-line help. The program parameters are the rows with a
// settings key: the settings store keeps each under that key (doubles as 8
// bytes), Setup.prm holds one value line each, in the order of this table.
// The desktop settings, the evaluation steps' defaults, the batch tool's
// parser and its --help all read their defaults and limits here.

#include "series/A1TimeSeries.h"

#include <array>
#include <cstddef>
#include <limits>
#include <string>

enum class EvalInput {
    ImportPath,
    OutputPath,
    ImportType,
    ImportMirrorY,
    ImportRotDeg,
    DataDisplayType,
    MinDiversity,
    ElEnergykV,
    TargetResAng,
    LimitPhase,
    CharFuncRoute,
    Seed,
};

enum class EvalInputType {
    Text,    // a line of text
    Int,     // a whole number in [dMin, dMax]
    Double,  // a finite number in [dMin, dMax] (above dMin when bMinExclusive)
    Choice,  // one of the '|'-separated words of szChoices, stored as its index
    Flag,    // an option without a value: it sets the value dFlagValue
    Seed,    // an unsigned 32-bit number; none by default
};

struct EvalInputSpec {
    EvalInput id;
    const char* szName;         // what it is, in words
    const char* szSettingsKey;  // program parameter: settings key; nullptr: not kept
    EvalInputType type;
    double dDefault;
    double dMin;  // Int, Double: the range
    double dMax;
    bool bMinExclusive;
    const char* szUnit;       // "" when it has none
    const char* szCliOption;  // batch-tool option; nullptr: none
    const char* szCliValue;   // what its value is called in --help ("" for a flag)
    const char* szChoices;    // Choice: the words
    double dFlagValue;        // Flag: the value the option sets
    // --help of the option (lines after the first begin with "\n"); {min},
    // {max} and {default} stand for the numbers of this row.
    const char* szHelp;
    // The usage error: "OPTION: expected " + this + ", not \"VALUE\"".
    const char* szExpected;
};

inline constexpr double kNoLimit = std::numeric_limits<double>::infinity();

inline constexpr std::array kEvalInputs = {
    EvalInputSpec{EvalInput::ImportPath, "import folder", "ImportPath", EvalInputType::Text, 0, 0, 0, false, "",
                  nullptr, "", "", 0, "", ""},
    EvalInputSpec{EvalInput::OutputPath, "output folder", "OutputPath", EvalInputType::Text, 0, 0, 0, false, "",
                  nullptr, "", "", 0, "", ""},
    EvalInputSpec{EvalInput::ImportType, "import type", "ImportType", EvalInputType::Int, IMPORT_C1A1, IMPORT_C1A1,
                  IMPORT_ATLAS, false, "", nullptr, "", "", 0, "", ""},
    EvalInputSpec{EvalInput::ImportMirrorY, "mirror factor of A22-y", "ImportMirrorY", EvalInputType::Flag, 1, -1, 1,
                  false, "", "--mirror-y", "", "", -1, "mirror A22-y at extraction", ""},
    EvalInputSpec{EvalInput::ImportRotDeg, "x-y rotation", "ImportRotDeg", EvalInputType::Double, 0, -1e6, 1e6, false,
                  "deg", "--rotation", "DEG", "", 0, "x-y rotation at extraction (default {default})",
                  "an angle in degrees"},
    EvalInputSpec{EvalInput::DataDisplayType, "data display", "DataDisplayType", EvalInputType::Int, 0, 0, 1, false, "",
                  nullptr, "", "", 0, "", ""},
    EvalInputSpec{EvalInput::MinDiversity, "minimum diversity", "MinDiversity", EvalInputType::Int, 10, 5, 50000, false,
                  "", "--min-diversity", "M", "", 0, "minimum diversity, {min} ... {max} (default {default})",
                  "an integer from {min} to {max}"},
    EvalInputSpec{EvalInput::ElEnergykV, "electron energy", "ElEnergykV", EvalInputType::Double, 300, 0, kNoLimit, true,
                  "keV", "--energy", "KEV", "", 0, "electron energy (default {default})",
                  "a positive electron energy in keV"},
    EvalInputSpec{EvalInput::TargetResAng, "target resolution", "TargetResAng", EvalInputType::Double, 1, 0, kNoLimit,
                  true, "A", "--resolution", "ANGSTROM", "", 0, "target resolution (default {default})",
                  "a positive resolution in Angstrom"},
    EvalInputSpec{EvalInput::LimitPhase, "phase-shift tolerance", "LimitPhase", EvalInputType::Double, 0.25, 0.001,
                  1000, false, "pi", "--phase", "FRACTION", "", 0,
                  "phase-shift tolerance in fractions of pi,\n{min} ... {max} (default {default})",
                  "a fraction of pi from {min} to {max}"},
    EvalInputSpec{EvalInput::CharFuncRoute, "pair-sum route", nullptr, EvalInputType::Choice, 0, 0, 0, false, "",
                  "--cf-route", "auto|direct|fft", "auto|direct|fft", 0,
                  "how the characteristic function's pair sums are\n"
                  "computed: direct pair by pair, fft from FFT\n"
                  "correlations (distances whose error bound fails\n"
                  "are summed directly), auto the faster for the\n"
                  "series' size; the results agree within 1e-12\n"
                  "relative for f and 1e-10 for Var(f) (default auto)",
                  "auto, direct or fft"},
    EvalInputSpec{EvalInput::Seed, "seed of the model fit", nullptr, EvalInputType::Seed, 0, 0, 4294967295.0, false, "",
                  "--seed", "N", "", 0,
                  "seed of the model fit's random restarts (unsigned\n"
                  "32-bit; default from the clock, so two runs differ\n"
                  "in the last digits of the model)",
                  "an unsigned 32-bit integer"},
};

constexpr bool EvalInputsInOrder() {
    for (std::size_t i = 0; i < kEvalInputs.size(); ++i)
        if (static_cast<std::size_t>(kEvalInputs[i].id) != i) return false;
    return true;
}
static_assert(EvalInputsInOrder(), "kEvalInputs lists the inputs in the order of EvalInput");

constexpr const EvalInputSpec& InputSpec(EvalInput id) { return kEvalInputs[static_cast<std::size_t>(id)]; }
constexpr double InputDefault(EvalInput id) { return InputSpec(id).dDefault; }
constexpr int InputDefaultInt(EvalInput id) { return static_cast<int>(InputSpec(id).dDefault); }

// A number of the table as --help and the usage errors write it ("%g").
std::string FormatInputNumber(double value);

// The text with {min}, {max} and {default} replaced by the numbers of the row.
std::string ExpandInputText(const EvalInputSpec& entry, const char* text);

// Whether the value lies in the range of the row.
bool InputInRange(const EvalInputSpec& entry, double value);
