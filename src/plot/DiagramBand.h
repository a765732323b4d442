// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The band of a diagram's model curve (e.g. over the replicate fits of a
// bootstrap): the model diagram fills it for f(t), the probability diagram
// for P(a,t), as a light fill under the curves. The diagram asks for the
// band's ends at kBandPoints + 1 times across its time axis, whatever the
// image size, and keeps them for the next drawing of the same axis.

#include "plot/Image32.h"

#include <functional>
#include <vector>

inline constexpr int kBandPoints = 96;

struct DIAGRAMBANDCACHE {
    double dTolerance = 0.0, dTEnd = 0.0;
    std::vector<double> times, lows, highs;
};

struct DIAGRAMBAND {
    // Low and high end at each time [s]: of f(t) [nm^2], or with
    // `probability` of P(a,t) at the tolerance a [nm]. NaN where there is no
    // value; infinite ends are cut at the plot's edge.
    std::function<void(bool probability, double a, const std::vector<double>& times, std::vector<double>& lows,
                       std::vector<double>& highs)>
        evaluate;
    COLOR crFill = RGBColor(214, 224, 248);   // model diagram
    COLOR crFillP = RGBColor(214, 224, 248);  // probability diagram
    // The last ends for the model [0] and the probability diagram [1]
    // (drawing is on one thread).
    mutable DIAGRAMBANDCACHE cache[2];
};
