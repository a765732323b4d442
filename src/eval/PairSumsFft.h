// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pair statistics of PairSums.h from correlations computed with FFTs:
// about N log N work instead of N * dLast, for long series.
//
// Every distance carries an error bound; a distance whose bound exceeds
// 0.25e-12 of |fx| + |intercept| (fy alike) or 0.25e-10 of Var(fx) or
// Var(fy) is recomputed by the direct sums, so the results stay within
// those limits of ComputePairStats. A series the transforms cannot take
// (values that are not finite, image numbers so scrambled that the layout
// would not fit) is handed to the direct sums whole.

#include "eval/PairSums.h"

#include <vector>

struct PAIRFFTREPORT {
    bool bDirect = false;          // the whole series went to the direct sums
    int nRecomputed = 0;           // distances recomputed directly
    std::vector<int> aRecomputed;  // which ones, increasing
    int nTransformSize = 0;        // largest FFT length used
    int nTransforms = 0;           // FFTs run
    int nLevels = 0;               // passes of the transforms (finer ones for failing distances)
};

// Result [d - 1] belongs to distance d, as ComputePairStats. May throw
// std::bad_alloc.
std::vector<PAIRSTATS> ComputePairStatsFft(const std::vector<A1SAMPLE>& samples, int dLast,
                                           PAIRFFTREPORT* report = nullptr);
