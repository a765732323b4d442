#include "eval/CharFunc.h"

#include "eval/Lifetime.h"
#include "eval/PairSums.h"
#include "eval/PairSumsFft.h"
#include "eval/PairSumsFftTuning.h"
#include "log/LogFile.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"

#include <cmath>
#include <new>
#include <vector>

namespace {

void ClearEvaluation(CA1TimeSeries& s) {
    s.m_aCharFunc.clear();
    s.CharFuncValid = 0;
    s.ModelValid = 0;
    s.LifetimeState = LIFETIME_NONE;
    s.MeasErr = s.MeasErrX = s.MeasErrY = 0.0;
    s.SlopeSum = 0.0;
    s.Tolerance = 0.0;
    s.DirectLifetime = 0.0;
    s.FitDi = s.FitDa = s.FitTc = s.FitS = 0.0;
    s.ModelLifetime = 0.0;
    s.FitSSqr = 0.0;
}

}  // namespace

CharFuncRoute ChooseCharFuncRoute(int samples, int dLast) {
    const double pairs = static_cast<double>(samples) * static_cast<double>(dLast);
    return pairs < kCharFuncFftMinPairs ? CharFuncRoute::Direct : CharFuncRoute::Fft;
}

void ExtractCharacteristicFunction(CA1TimeSeries& series, int minDiversity, CharFuncRoute route) {
    CLogFile* log = series.m_pLog;
    const int n = static_cast<int>(series.m_aSamples.size());
    if (minDiversity < 1) {
        // A zero or negative diversity would divide by zero below.
        LogIfAttached(log, FormatText("ERROR: Invalid minimum diversity %d for the characteristic "
                                      "function (it must be at least 1).",
                                      minDiversity));
        return;
    }
    if (n < minDiversity) return;

    const int distances = static_cast<int>(std::floor(static_cast<double>(n - 1) / static_cast<double>(minDiversity)));
    if (distances < 10) {
        LogIfAttached(log, "ERROR: The recorded series is too short. Record more images!");
        return;
    }
    LogIfAttached(log, "Extracting data for the characteristic function...");
    LogIfAttached(log, FormatText("- inter-image distances of 1 up to %d", distances));

    ClearEvaluation(series);
    series.UsedMinDiversity = minDiversity;

    std::vector<A1SAMPLE> points;
    PAIRLINES lines;
    try {
        // The largest distance itself is not evaluated.
        const int dLast = distances - 1;
        if (route == CharFuncRoute::Auto) route = ChooseCharFuncRoute(n, dLast);
        std::vector<PAIRSTATS> stats;
        if (route == CharFuncRoute::Fft) {
            PAIRFFTREPORT report;
            stats = ComputePairStatsFft(series.m_aSamples, dLast, &report);
            if (report.bWholeSeriesDirect)
                LogDebugIfAttached(log, 1, "- pair sums: direct route (the FFT route cannot take this series)");
            else
                LogDebugIfAttached(log, 1,
                                   FormatText("- pair sums: FFT route, %d distances recomputed directly",
                                              static_cast<int>(report.aDirectDistances.size())));
        } else {
            stats = ComputePairStats(series.m_aSamples, dLast);
            LogDebugIfAttached(log, 1, "- pair sums: direct route");
        }
        for (int d = 1; d < distances; ++d) {
            const PAIRSTATS& s = stats[d - 1];
            if (s.dPairs <= 0.0) continue;
            points.push_back(A1SAMPLE{d, s.dFx, s.dFy, s.dVarX, s.dVarY});
        }
        FitPairLines(stats, lines);
    } catch (const std::bad_alloc&) {
        LogIfAttached(log, "ERROR: Not enough memory to extract the characteristic function.");
        return;
    }

    if (points.size() < 3) {
        // The measurement error needs the first three distances with pairs;
        // with fewer there is no usable function and the series stays
        // without one.
        LogIfAttached(log, FormatText("ERROR: Only %d image distances have image pairs (gaps in the "
                                      "image numbers); at least 3 are needed for the "
                                      "characteristic function.",
                                      static_cast<int>(points.size())));
        return;
    }

    // The intercepts of the lines through the first three points are the
    // measurement-noise offset, the slopes are kept for the model fit.
    const double ax = lines.dInterceptX, ay = lines.dInterceptY;
    series.SlopeSum = lines.dSlopeX + lines.dSlopeY;
    series.MeasErrX = std::sqrt(ax);
    series.MeasErrY = std::sqrt(ay);
    series.MeasErr = std::sqrt(ax + ay);
    for (A1SAMPLE& p : points) {
        p.dX -= ax;
        p.dY -= ay;
    }
    series.m_aCharFunc = std::move(points);

    LogIfAttached(log, FormatText("- extracted measurement error: %.3f nm, (%.3f, %.3f) nm", series.MeasErr,
                                  series.MeasErrX, series.MeasErrY));
    LogIfAttached(log, "The characteristic function was extracted successfully.");
    series.CharFuncValid = 1;
}
