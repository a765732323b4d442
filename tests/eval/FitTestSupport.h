#pragma once
// Synthetic series for the characteristic-function and model-fit tests.

#include "series/A1TimeSeries.h"
#include "support/RecordingLog.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// N samples with image numbers first, first + 1, ... and x = fx(k), y = fy(k).
template <class FX, class FY>
CA1TimeSeries MakeSeries(int count, FX fx, FY fy, int first = 1) {
    CA1TimeSeries s;
    s.m_aSamples.resize(count);
    for (int k = 0; k < count; ++k) {
        s.m_aSamples[k].nIndex = first + k;
        s.m_aSamples[k].dX = fx(k);
        s.m_aSamples[k].dY = fy(k);
    }
    return s;
}

// A random walk with drift plus white noise in both components.
inline CA1TimeSeries MakeNoisyWalk(int count, std::uint64_t seed, double step = 0.05, double noise = 0.3,
                                   double drift = 0.001) {
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> w(0.0, step), e(0.0, noise);
    CA1TimeSeries s;
    s.m_dImagePeriod = 2.0;
    s.m_aSamples.resize(count);
    double x = 0.0, y = 0.0;
    for (int k = 0; k < count; ++k) {
        x += w(gen) + drift;
        y += w(gen);
        s.m_aSamples[k].nIndex = 1 + k;
        s.m_aSamples[k].dX = x + e(gen);
        s.m_aSamples[k].dY = y + e(gen);
    }
    return s;
}
