#pragma once
// Synthetic astigmatism series for the benchmarks: a random walk of both
// components plus white measurement noise, one sample per image.

#include "series/A1TimeSeries.h"

#include <cstdint>
#include <random>

inline CA1TimeSeries MakeRandomWalkSeries(int count, std::uint64_t seed = 12345) {
    CA1TimeSeries s;
    s.m_dImagePeriod = 2.0;
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> step(0.0, 0.05), noise(0.0, 0.3);
    double x = 0.0, y = 0.0;
    s.m_aSamples.resize(count);
    for (int k = 0; k < count; ++k) {
        x += step(gen) + 0.001;
        y += step(gen);
        A1SAMPLE& a = s.m_aSamples[k];
        a.nIndex = 100 + k;
        a.dX = x + noise(gen);
        a.dY = y + noise(gen);
    }
    return s;
}
