// SPDX-License-Identifier: GPL-3.0-or-later
#include "boot/Intervals.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

const INTERVALQUANTITYINFO kQuantities[IQ_COUNT] = {
    {"di_nm", "Di", "nm"},
    {"da_nm", "Da", "nm"},
    {"tc_s", "tc", "s"},
    {"s_nm", "s", "nm"},
    {"model_lifetime_s", "model lifetime", "s"},
    {"p84_s", "84% lifetime", "s"},
    {"p50_s", "50% lifetime", "s"},
    {"p16_s", "16% lifetime", "s"},
};

// Fills `scratch` (a series used only for this) with a replicate's model
// and reduced characteristic function and evaluates its lifetimes exactly
// as the series' own are evaluated.
REPLICATELIFETIMES LifetimesIn(CA1TimeSeries& scratch, const REPLICATE& r, double t0, double a) {
    REPLICATELIFETIMES l;
    scratch.m_dImagePeriod = t0;
    scratch.m_aCharFunc = r.aDirectTrace;
    scratch.CharFuncValid = 1;
    scratch.ModelValid = 1;
    scratch.FitDi = r.params.Di;
    scratch.FitDa = r.params.Da;
    scratch.FitTc = r.params.Tc;
    scratch.FitS = r.params.s;
    EvaluateDirectLifetime(scratch, a);
    l.dModel = EvaluateModelLifetime(scratch, a);
    l.dP84 = ProbabilityLifetime(scratch, a, kP84);
    l.dP50 = ProbabilityLifetime(scratch, a, kP50);
    l.dP16 = ProbabilityLifetime(scratch, a, kP16);
    return l;
}

double AsOrdered(double v) { return std::isnan(v) ? kInf : v; }

INTERVAL MakeInterval(double estimate, std::vector<double> values, int failed, IntervalMethod method) {
    INTERVAL iv;
    iv.dEstimate = estimate;
    std::sort(values.begin(), values.end());
    iv.dSmallestFinite = iv.dLargestFinite = std::nan("");
    for (double v : values)
        if (std::isfinite(v)) {
            if (std::isnan(iv.dSmallestFinite)) iv.dSmallestFinite = v;
            iv.dLargestFinite = v;
        }
    // Replicates without a model lie beyond both ends: below every value
    // for the lower quantiles, above for the upper ones.
    std::vector<double> low(static_cast<std::size_t>(failed), -kInf);
    low.insert(low.end(), values.begin(), values.end());
    values.insert(values.end(), static_cast<std::size_t>(failed), kInf);
    const auto quantile = [&](double p) { return p < 0.5 ? SortedQuantile(low, p) : SortedQuantile(values, p); };
    const auto end = [](double v) {
        INTERVALEND e;
        e.bOpen = !std::isfinite(v);
        e.dValue = v;
        return e;
    };
    const double p[4] = {0.025, 0.158655, 0.841345, 0.975};
    double q[4];
    for (int k = 0; k < 4; ++k) q[k] = quantile(p[k]);
    if (method == IntervalMethod::Basic) {
        double b[4];
        for (int k = 0; k < 4; ++k) {
            const double reflected = 2.0 * estimate - q[3 - k];
            // The quantities are not negative.
            b[k] = std::isfinite(reflected) ? std::max(reflected, 0.0) : (std::isnan(estimate) ? kInf : reflected);
        }
        for (int k = 0; k < 4; ++k) q[k] = b[k];
    }
    iv.lo95 = end(q[0]);
    iv.lo68 = end(q[1]);
    iv.hi68 = end(q[2]);
    iv.hi95 = end(q[3]);
    return iv;
}

}  // namespace

const INTERVALQUANTITYINFO& IntervalQuantityInfo(int quantity) {
    return kQuantities[std::clamp(quantity, 0, IQ_COUNT - 1)];
}

std::string IntervalMethodText(IntervalMethod method) {
    return method == IntervalMethod::Basic ? "parametric bootstrap, basic (reflected) intervals"
                                           : "parametric bootstrap, percentile intervals";
}

double SortedQuantile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return std::nan("");
    const double h = (static_cast<double>(sorted.size()) - 1.0) * p;
    const std::size_t lo = static_cast<std::size_t>(std::floor(h));
    const std::size_t hi = std::min(lo + 1, sorted.size() - 1);
    const double w = h - static_cast<double>(lo);
    if (!std::isfinite(sorted[lo]) || !std::isfinite(sorted[hi])) {
        // The infinite neighbour decides unless the point sits exactly on the finite one.
        if (w == 0.0) return sorted[lo];
        return std::isfinite(sorted[hi]) ? sorted[lo] : sorted[hi];
    }
    return sorted[lo] + w * (sorted[hi] - sorted[lo]);
}

REPLICATELIFETIMES ReplicateLifetimes(const REPLICATE& replicate, double imagePeriod, double a) {
    CA1TimeSeries scratch;
    return LifetimesIn(scratch, replicate, imagePeriod, a);
}

INTERVALSET ComputeIntervals(const BOOTSTRAPRUN& run, const CA1TimeSeries& series, double a, IntervalMethod method) {
    INTERVALSET set;
    if (run.status != BootstrapStatus::Done || run.replicates.empty()) return set;
    set.bValid = true;
    set.nReplicates = static_cast<int>(run.replicates.size());
    set.nSeed = run.nSeed;
    set.method = method;
    set.dTolerance = a;
    set.dGoodnessP = GoodnessOfFitP(run);
    set.dClippedShare = run.dClippedShare;

    std::vector<double> values[IQ_COUNT];
    int failed = 0;
    CA1TimeSeries scratch;
    const double t0 = run.dImagePeriod;
    for (const REPLICATE& r : run.replicates) {
        if (!r.bModel) {
            ++failed;
            continue;
        }
        values[IQ_DI].push_back(r.params.Di);
        values[IQ_DA].push_back(r.params.Da);
        values[IQ_TC].push_back(r.params.Tc * t0);
        values[IQ_S].push_back(r.params.s);
        const REPLICATELIFETIMES l = LifetimesIn(scratch, r, t0, a);
        values[IQ_MODEL_LIFETIME].push_back(AsOrdered(l.dModel));
        values[IQ_P84].push_back(AsOrdered(l.dP84));
        values[IQ_P50].push_back(AsOrdered(l.dP50));
        values[IQ_P16].push_back(AsOrdered(l.dP16));
    }
    set.nReplicatesWithModel = set.nReplicates - failed;

    // The estimates are the series' own, at the same tolerance.
    const MODELPARAMS m = ModelParameters(series);
    CA1TimeSeries own;
    own.m_dImagePeriod = series.m_dImagePeriod;
    own.m_aCharFunc = series.m_aCharFunc;
    own.CharFuncValid = series.CharFuncValid;
    own.ModelValid = series.ModelValid;
    own.FitDi = series.FitDi;
    own.FitDa = series.FitDa;
    own.FitTc = series.FitTc;
    own.FitS = series.FitS;
    EvaluateDirectLifetime(own, a);
    const double estimates[IQ_COUNT] = {m.Di,
                                        m.Da,
                                        m.Tc * series.m_dImagePeriod,
                                        m.s,
                                        EvaluateModelLifetime(own, a),
                                        ProbabilityLifetime(own, a, kP84),
                                        ProbabilityLifetime(own, a, kP50),
                                        ProbabilityLifetime(own, a, kP16)};
    for (int k = 0; k < IQ_COUNT; ++k) set.q[k] = MakeInterval(estimates[k], std::move(values[k]), failed, method);
    return set;
}
