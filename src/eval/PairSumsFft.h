// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pair statistics of PairSums.h from correlations computed with FFTs:
// about N log N work instead of N * dLast, for long series.
//
// Every distance carries an error bound; a distance whose bound exceeds a
// share of the tolerances of PairSumsFftTuning.h is computed again, first by
// a finer level of transforms (shorter windows, smaller local scatter) where
// that pays, else by the direct sums, so the results stay within those
// tolerances of ComputePairStats. A series the transforms cannot take
// (values that are not finite, image numbers so scrambled that the layout
// would not fit) is handed to the direct sums whole.

#include "eval/PairSums.h"

#include <vector>

// Where the results came from.
struct PAIRFFTREPORT {
    bool bWholeSeriesDirect = false;    // the transforms could not take the series: all direct
    int nFftDistances = 0;              // distances with pairs whose results the transforms gave
    std::vector<int> aDirectDistances;  // distances with pairs the direct sums gave, increasing
    int nLevels = 0;                    // passes of the transforms: 1, plus the finer ones
};

// Result [d - 1] belongs to distance d, as ComputePairStats. May throw
// std::bad_alloc.
std::vector<PAIRSTATS> ComputePairStatsFft(const std::vector<A1SAMPLE>& samples, int dLast,
                                           PAIRFFTREPORT* report = nullptr);
