#include "eval/CharFunc.h"

#include "eval/Lifetime.h"
#include "eval/PairSums.h"
#include "log/LogFile.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"

#include <cmath>
#include <new>
#include <vector>

namespace {

// Least-squares line through three points: intercept a and slope b.
void FitLine(const double d[3], const double v[3], double& a, double& b) {
    const double dm = (d[0] + d[1] + d[2]) / 3.0;
    const double vm = (v[0] + v[1] + v[2]) / 3.0;
    double sxy = 0.0, sxx = 0.0;
    for (int i = 0; i < 3; ++i) {
        sxy += (d[i] - dm) * (v[i] - vm);
        sxx += (d[i] - dm) * (d[i] - dm);
    }
    b = sxy / sxx;
    a = vm - dm * b;
}

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

void ExtractCharacteristicFunction(CA1TimeSeries& series, int minDiversity) {
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
    try {
        // The largest distance itself is not evaluated.
        const std::vector<PAIRSTATS> stats = ComputePairStats(series.m_aSamples, distances - 1);
        for (int d = 1; d < distances; ++d) {
            const PAIRSTATS& s = stats[d - 1];
            if (s.dPairs <= 0.0) continue;
            points.push_back(A1SAMPLE{d, s.dFx, s.dFy, s.dVarX, s.dVarY});
        }
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

    // Straight lines through the first three points: the intercepts are the
    // measurement-noise offset, the slopes are kept for the model fit.
    const double d[3] = {static_cast<double>(points[0].nIndex), static_cast<double>(points[1].nIndex),
                         static_cast<double>(points[2].nIndex)};
    const double vx[3] = {points[0].dX, points[1].dX, points[2].dX};
    const double vy[3] = {points[0].dY, points[1].dY, points[2].dY};
    double ax = 0.0, bx = 0.0, ay = 0.0, by = 0.0;
    FitLine(d, vx, ax, bx);
    FitLine(d, vy, ay, by);
    series.SlopeSum = bx + by;
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
