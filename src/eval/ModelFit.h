#pragma once
// Fit of the four-parameter drift model to the characteristic function,
// with random restarts drawn from CRandom seeded with the given seed.

#include "eval/Random.h"
#include "fit/FitModule.h"

#include <cstdint>

class CA1TimeSeries;

// The seed the desktop program uses: the current UTC time folded into one
// unsigned 32-bit number (second + 60 minute + 3600 hour + 86400 day + ...).
std::uint32_t SeedFromUtcClock();
// The same formula for a given UTC date and time (month and day from 1).
std::uint32_t SeedFromUtcTime(int year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second);

// How the fit evaluates the s-square: point by point (the program's own
// fit, whose results are kept to the last bit), or over the whole data at
// once with the exponentials carried by products (the same estimator with
// rounding differences of a few machine epsilons in the s-square, several
// times faster; for the many fits of the bootstrap).
enum class FitArithmetic { PointByPoint, WholeData };

void FitModel(CA1TimeSeries& series, std::uint32_t seed, FitArithmetic arithmetic = FitArithmetic::PointByPoint);

// The whole-data evaluation FitArithmetic::WholeData installs: the drift
// model's s-square over all points of a module (weighted or plain as the
// module says) at p = (Di, Da, Tc, s), and its gradient when gradient is
// not null. The abscissae are distances in images.
double DriftModelOverData(const FITMODULE& module, const double* p, double* gradient);

// The trial loop of the fit: minimise from the module's current parameters,
// then from random points inside the parameter ranges, until the sixth
// improvement on the best s-square or the twentieth trial. A trial improves
// only on a positive best (the first positive s-square is taken as it is).
// bestImproved receives the start or the parameters of the last improvement.
// Needs a module of 4 parameters with their ranges.
struct FITTRIALS {
    int nTrials = 0;
    int nImprovements = 0;
};
using FitMinimizer = int (*)(FITMODULE& module, int* iterations, double gtol);
FITTRIALS RunFitTrials(FITMODULE& fit, CRandom& random, double (&bestImproved)[4],
                       FitMinimizer minimize = &MinimizeSSquare);
