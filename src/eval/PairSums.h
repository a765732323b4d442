#pragma once
// The pair statistics behind the characteristic function: for every image
// distance d = 1 ... dLast, over all sample pairs (k, k + d) in storage order
// whose image numbers differ by exactly d, the count, the means of the
// squared changes of x and y and the population variances of those squares
// (two passes: means first, then the squared deviations).
//
// This is the heavy step (about N * dLast pairs). It is blocked over
// distances and vectorised; every distance still adds its terms in
// increasing k, exactly like a plain per-distance loop, so the results do
// not depend on the instruction set, the block size or the thread count.

#include "series/A1TimeSeries.h"

#include <vector>

struct PAIRSTATS {
    double dPairs = 0.0;  // number of counted pairs; 0: no record for the distance
    double dFx = 0.0;     // mean of dx^2
    double dFy = 0.0;     // mean of dy^2
    double dVarX = 0.0;   // mean of (dx^2 - fx)^2
    double dVarY = 0.0;   // mean of (dy^2 - fy)^2
};

// Which loops to use: the widest the processor supports, or the baseline
// ones (for comparisons in tests).
enum class PairKernel { Automatic, Baseline };

// Result [d - 1] belongs to distance d. threads = 0 picks a count from the
// work size and the processor; the results are the same for every choice.
// May throw std::bad_alloc.
std::vector<PAIRSTATS> ComputePairStats(const std::vector<A1SAMPLE>& samples, int dLast,
                                        PairKernel kernel = PairKernel::Automatic, int threads = 0);

// The same sums for the listed distances only (any order, 1 ... dLast; the
// others may stay at zero). Each listed distance gets exactly the bits
// ComputePairStats gives it. May throw std::bad_alloc.
std::vector<PAIRSTATS> ComputePairStatsFor(const std::vector<A1SAMPLE>& samples, int dLast,
                                           const std::vector<int>& distances, PairKernel kernel = PairKernel::Automatic,
                                           int threads = 0);

// The straight lines through the first three distances with pairs (least
// squares over d and fx, d and fy): the intercepts are the measurement-noise
// offset of the characteristic function, the slopes its initial rise.
struct PAIRLINES {
    double dInterceptX = 0.0;
    double dSlopeX = 0.0;
    double dInterceptY = 0.0;
    double dSlopeY = 0.0;
};

// stats as ComputePairStats gives them. false (lines untouched): fewer than
// three distances have pairs.
bool FitPairLines(const std::vector<PAIRSTATS>& stats, PAIRLINES& lines);
