#pragma once
// Helpers shared by the lifetime and report tests: series with a given
// characteristic function and model.

#include "series/A1TimeSeries.h"
#include "support/RecordingLog.h"

#include <string>
#include <vector>

// A characteristic function record: image distance d and f = fx + fy split
// evenly between the two components.
inline A1SAMPLE CharFuncPoint(int d, double f) {
    A1SAMPLE p;
    p.nIndex = d;
    p.dX = 0.5 * f;
    p.dY = 0.5 * f;
    p.dErrX = 0.01 * f;
    p.dErrY = 0.01 * f;
    return p;
}

// A series whose characteristic function is f(d) = 2 D^2 d + s^2 d^2 for
// d = 1 .. count, with the matching fitted model marked valid.
inline CA1TimeSeries ModelSeries(double di, double s, double t0, int count, CLogFile* log = nullptr) {
    CA1TimeSeries series(log);
    series.m_dImagePeriod = t0;
    for (int d = 1; d <= count; ++d) series.m_aCharFunc.push_back(CharFuncPoint(d, 2.0 * di * di * d + s * s * d * d));
    series.CharFuncValid = 1;
    series.ModelValid = 1;
    series.FitDi = di;
    series.FitDa = 0.0;
    series.FitTc = 10.0;
    series.FitS = s;
    return series;
}
