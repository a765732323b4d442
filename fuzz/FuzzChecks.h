#pragma once
// Invariants that every fuzz target checks after a run: a broken one aborts,
// so libFuzzer keeps the input as a crash.

#include "import/LogImport.h"
#include "series/A1TimeSeries.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace fuzzcheck {

inline void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

inline bool Finite(const A1SAMPLE& s) {
    return std::isfinite(s.dX) && std::isfinite(s.dY) && std::isfinite(s.dErrX) && std::isfinite(s.dErrY);
}

// Rotations and mirror factors as the stored settings may hold them: the
// program uses them unchanged, extremes included.
inline double RotationFor(std::size_t k) {
    static const double table[] = {0.0, 90.0, -90.0, 12.5, 359.99, -1e-9, 1e308, -1e308, HUGE_VAL, NAN};
    return table[k % (sizeof table / sizeof table[0])];
}
inline int MirrorFor(std::size_t k) {
    static const int table[] = {1, -1, 0, 7, -2147483647 - 1};
    return table[k % (sizeof table / sizeof table[0])];
}

// The reader's result agrees with the list, and every series that was added
// is complete: the stored lines of its format, at least one data line, a
// positive time span and at most one finite sample per data line.
inline void CheckImport(const ImportResult& result, std::size_t listBefore, const std::vector<CA1TimeSeries>& list,
                        int importType) {
    Require(list.size() >= listBefore, "the list never shrinks");
    Require(static_cast<std::size_t>(result.nSeriesAdded) == list.size() - listBefore, "series count of the result");
    Require(result.nSeriesAdded > 0 || !result.strError.empty(), "nothing added without a reason");
    for (std::size_t i = listBefore; i < list.size(); ++i) {
        const CA1TimeSeries& s = list[i];
        Require(s.m_nImportType == importType, "import type of an added series");
        Require(s.m_nDataLines >= 1, "an added series has data lines");
        Require(s.m_nStopTime > s.m_nStartTime, "an added series has a positive time span");
        Require(s.m_nFirstLine >= 1 && s.m_nFirstLine <= s.m_nLastLine, "line range of an added series");
        const std::size_t n = static_cast<std::size_t>(s.m_nDataLines);
        if (importType == IMPORT_C1A1) {
            Require(s.m_astrLines.size() == n + 4, "C1A1 series keeps start, stamp, data, stop, stamp");
            Require(s.m_astrLines[0] == "C1A1 series successfully started.", "C1A1 start marker");
            Require(s.m_astrLines[n + 2] == "C1A1 series stopped by user.", "C1A1 stop marker");
            Require(std::string_view(s.m_astrLines[1]).starts_with("dTime:"), "C1A1 start stamp");
            Require(std::string_view(s.m_astrLines[n + 3]).starts_with("dTime:"), "C1A1 stop stamp");
        } else {
            Require(s.m_astrLines.size() == n + 1 || (s.m_astrLines.size() == n + 2 && s.m_astrLines.back() == "#"),
                    "ATLASStab series keeps header, data and the end line");
            Require(std::string_view(s.m_astrLines[0]).starts_with("img"), "ATLASStab header");
        }
        Require(s.m_aSamples.size() <= n, "at most one sample per data line");
        if (n >= 2) Require(std::isfinite(s.m_dImagePeriod) && s.m_dImagePeriod > 0.0, "image period");
        for (const A1SAMPLE& a : s.m_aSamples) {
            Require(a.nIndex > 0, "image numbers are positive");
            Require(Finite(a), "samples are finite");
        }
    }
}

// After a (re-)extraction every sample is finite and positive in its number.
inline void CheckSamples(const CA1TimeSeries& s) {
    Require(s.m_aSamples.size() <= static_cast<std::size_t>(s.m_nDataLines < 0 ? 0 : s.m_nDataLines),
            "at most one sample per data line after re-extraction");
    for (const A1SAMPLE& a : s.m_aSamples) Require(a.nIndex > 0 && Finite(a), "re-extracted samples");
}

}  // namespace fuzzcheck
