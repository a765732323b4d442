#pragma once
// Fit of the four-parameter drift model to the characteristic function,
// with random restarts drawn from CRandom seeded with the given seed.

#include <cstdint>

class CA1TimeSeries;

// The seed the desktop program uses: the current UTC time folded into one
// unsigned 32-bit number (second + 60 minute + 3600 hour + 86400 day + ...).
std::uint32_t SeedFromUtcClock();
// The same formula for a given UTC date and time (month and day from 1).
std::uint32_t SeedFromUtcTime(int year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second);

void FitModel(CA1TimeSeries& series, std::uint32_t seed);
