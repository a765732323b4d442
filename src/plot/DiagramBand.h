// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The band of a diagram's model curve over a set of fitted models (the
// replicate fits of a bootstrap): at each time the central dLevel share of
// the models' values, for the model diagram of f(t) and for the probability
// diagram of P(a,t). The band is drawn as a light fill under the curves.

#include "eval/Lifetime.h"
#include "plot/Image32.h"

#include <cstddef>
#include <vector>

// The band is evaluated at kBandPoints + 1 times across the diagram's time
// axis (whatever the image size) from at most kBandModels models, evenly
// taken by index, and kept for the next drawing of the same axis.
inline constexpr int kBandPoints = 96;
inline constexpr std::size_t kBandModels = 400;

struct DIAGRAMBANDCACHE {
    double dA2 = 0.0, dTEnd = 0.0;
    std::vector<double> taus, lows, highs;
};

struct DIAGRAMBAND {
    std::vector<MODELPARAMS> aModels;         // models without a value at some time are left out there
    double dLevel = 0.95;                     // central share of the models inside the band
    COLOR crFill = RGBColor(214, 224, 248);   // model diagram
    COLOR crFillP = RGBColor(214, 224, 248);  // probability diagram
    // The last evaluation for the model [0] and the probability diagram [1]
    // (drawing is on one thread).
    mutable DIAGRAMBANDCACHE cache[2];
};

// Low and high end of the band of f(tau) (model diagram) or of P(a, tau)
// (probability diagram, a2 the squared tolerance) at each tau [images];
// NaN where no model gives a value.
void ModelFunctionBand(const DIAGRAMBAND& band, const std::vector<double>& taus, std::vector<double>& lows,
                       std::vector<double>& highs);
void StayProbabilityBand(const DIAGRAMBAND& band, double a2, const std::vector<double>& taus, std::vector<double>& lows,
                         std::vector<double>& highs);
