// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/DiagramBand.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Quantile (linear between order statistics) of sorted values.
double Quantile(const std::vector<double>& sorted, double p) {
    const double pos = p * static_cast<double>(sorted.size() - 1);
    const auto i = static_cast<std::size_t>(std::floor(pos));
    if (i + 1 >= sorted.size()) return sorted.back();
    const double f = pos - static_cast<double>(i);
    return sorted[i] + f * (sorted[i + 1] - sorted[i]);
}

template <class F>
void Band(const DIAGRAMBAND& band, const std::vector<double>& taus, std::vector<double>& lows,
          std::vector<double>& highs, F value) {
    lows.assign(taus.size(), std::nan(""));
    highs.assign(taus.size(), std::nan(""));
    const double tail = (1.0 - std::clamp(band.dLevel, 0.0, 1.0)) / 2.0;
    const std::size_t n = band.aModels.size();
    const std::size_t used = std::min(n, kBandModels);
    std::vector<double> values;
    values.reserve(used);
    for (std::size_t k = 0; k < taus.size(); ++k) {
        values.clear();
        for (std::size_t j = 0; j < used; ++j) {
            const double v = value(band.aModels[j * n / used], taus[k]);
            if (!std::isnan(v)) values.push_back(v);
        }
        if (values.empty()) continue;
        std::sort(values.begin(), values.end());
        lows[k] = Quantile(values, tail);
        highs[k] = Quantile(values, 1.0 - tail);
    }
}

}  // namespace

void ModelFunctionBand(const DIAGRAMBAND& band, const std::vector<double>& taus, std::vector<double>& lows,
                       std::vector<double>& highs) {
    Band(band, taus, lows, highs, [](const MODELPARAMS& m, double tau) { return ModelFunction(m, tau); });
}

void StayProbabilityBand(const DIAGRAMBAND& band, double a2, const std::vector<double>& taus, std::vector<double>& lows,
                         std::vector<double>& highs) {
    Band(band, taus, lows, highs,
         [a2](const MODELPARAMS& m, double tau) { return tau == 0.0 ? 1.0 : StayProbability(m, tau, a2); });
}
