// SPDX-License-Identifier: GPL-3.0-or-later
#include "boot/Intervals.h"

#include "text/Format.h"

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

// Fills `scratch` (a series used only for this) with a model and its
// characteristic function (a replicate's reduced one, or the series' own)
// and evaluates the lifetimes exactly as the series' own are evaluated.
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

// The replicates' values of every quantity at tolerance a; returns the
// number of replicates without a model.
int CollectValues(const std::vector<REPLICATE>& replicates, double t0, double a,
                  std::vector<double> (&values)[IQ_COUNT]) {
    int failed = 0;
    CA1TimeSeries scratch;
    for (const REPLICATE& r : replicates) {
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
    return failed;
}

INTERVALEND Lower(const INTERVALEND& a, const INTERVALEND& b) { return a.dValue <= b.dValue ? a : b; }
INTERVALEND Higher(const INTERVALEND& a, const INTERVALEND& b) { return a.dValue >= b.dValue ? a : b; }

// NaN-aware: a value that is not a number gives way to the other.
double Least(double a, double b) { return std::isnan(a) ? b : std::isnan(b) ? a : std::min(a, b); }
double Most(double a, double b) { return std::isnan(a) ? b : std::isnan(b) ? a : std::max(a, b); }

}  // namespace

INTERVAL IntervalUnion(const INTERVAL& a, const INTERVAL& b) {
    INTERVAL u = a;
    u.lo95 = Lower(a.lo95, b.lo95);
    u.lo68 = Lower(a.lo68, b.lo68);
    u.hi68 = Higher(a.hi68, b.hi68);
    u.hi95 = Higher(a.hi95, b.hi95);
    u.dSmallestFinite = Least(a.dSmallestFinite, b.dSmallestFinite);
    u.dLargestFinite = Most(a.dLargestFinite, b.dLargestFinite);
    return u;
}

INTERVAL IntervalFromReplicates(double estimate, std::vector<double> values, int failed, IntervalMethod method,
                                double tail95) {
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
    const double p[4] = {tail95, 0.158655, 0.841345, 1.0 - tail95};
    double q[4];
    for (int k = 0; k < 4; ++k) q[k] = quantile(p[k]);
    if (method != IntervalMethod::Percentile) {
        double b[4];
        for (int k = 0; k < 4; ++k) {
            const double reflected = 2.0 * estimate - q[3 - k];
            // The quantities are not negative: a reflection below zero (an
            // open upper quantile included) ends at zero, a true bound. An
            // estimate without a result leaves the ends open above.
            b[k] = std::isnan(reflected) ? kInf : std::max(reflected, 0.0);
        }
        for (int k = 0; k < 4; ++k) {
            if (method == IntervalMethod::Basic) q[k] = b[k];
            // The envelope: the lower of the lower ends, the higher of the upper ones.
            else q[k] = k < 2 ? std::min(q[k], b[k]) : std::max(q[k], b[k]);
        }
    }
    iv.lo95 = end(q[0]);
    iv.lo68 = end(q[1]);
    iv.hi68 = end(q[2]);
    iv.hi95 = end(q[3]);
    return iv;
}

const INTERVALQUANTITYINFO& IntervalQuantityInfo(int quantity) {
    return kQuantities[std::clamp(quantity, 0, IQ_COUNT - 1)];
}

std::string IntervalMethodText(const INTERVALSET& set) {
    std::string text = "parametric bootstrap, percentile intervals";
    if (set.method == IntervalMethod::Basic) text = "parametric bootstrap, basic (reflected) intervals";
    else if (set.method == IntervalMethod::Envelope)
        text = "parametric bootstrap, envelope of the percentile and basic intervals";
    if (set.dTail95 != kNominalTail95)
        text += FormatText(", 95 %% ends at the replicates' %.3g %% and %.3g %% quantiles", 100.0 * set.dTail95,
                           100.0 * (1.0 - set.dTail95));
    if (set.bWalkReading) text += ", spanning replicates of the model's random-walk reading too";
    return text;
}

double SortedQuantile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return std::nan("");
    // Position p (n + 1) among the order statistics 1 ... n: the expected
    // share of the law below the k-th of n draws is k / (n + 1), so the
    // ends hold the nominal share on average whatever the number of
    // replicates (positions n p - p + 1 would narrow a 95 % interval of
    // 40 replicates to 90 %). Outside 1 ... n the extreme value is taken.
    const double n = static_cast<double>(sorted.size());
    const double h = std::clamp(p * (n + 1.0) - 1.0, 0.0, n - 1.0);
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

INTERVALSET ComputeIntervals(const BOOTSTRAPRUN& run, const CA1TimeSeries& series, double a, IntervalMethod method,
                             double tail95) {
    INTERVALSET set;
    if (run.status != BootstrapStatus::Done || run.replicates.empty()) return set;
    set.bValid = true;
    set.nReplicates = static_cast<int>(run.replicates.size());
    set.nSeed = run.nSeed;
    set.method = method;
    set.dTail95 = tail95;
    set.dTolerance = a;
    set.dGoodnessP = GoodnessOfFitP(run);
    set.dClippedShare = run.dClippedShare;

    const double t0 = run.dImagePeriod;
    std::vector<double> values[IQ_COUNT], walkValues[IQ_COUNT];
    const int failed = CollectValues(run.replicates, t0, a, values);
    const int walkFailed = CollectValues(run.walkReplicates, t0, a, walkValues);
    set.nReplicatesWithModel = set.nReplicates - failed;
    set.bWalkReading = !run.walkReplicates.empty();

    // The estimates are the series' own, at the same tolerance, evaluated
    // by the same route as a replicate's (its whole characteristic function
    // in place of the reduced one).
    REPLICATE own;
    own.bModel = true;
    own.params = ModelParameters(series);
    own.aDirectTrace = series.m_aCharFunc;
    CA1TimeSeries scratch;
    const REPLICATELIFETIMES life = LifetimesIn(scratch, own, series.m_dImagePeriod, a);
    const MODELPARAMS& m = own.params;
    const double estimates[IQ_COUNT] = {m.Di,      m.Da,     m.Tc * series.m_dImagePeriod, m.s, life.dModel, life.dP84,
                                        life.dP50, life.dP16};
    for (int k = 0; k < IQ_COUNT; ++k) {
        set.q[k] = IntervalFromReplicates(estimates[k], std::move(values[k]), failed, method, tail95);
        if (set.bWalkReading)
            set.q[k] = IntervalUnion(
                set.q[k], IntervalFromReplicates(estimates[k], std::move(walkValues[k]), walkFailed, method, tail95));
    }
    return set;
}

namespace {

template <class Curve>
std::vector<BANDPOINT> SetBand(const std::vector<REPLICATE>& replicates, double t0, const std::vector<double>& times,
                               double coverage, double floor, double ceiling, Curve curve) {
    std::vector<BANDPOINT> band;
    const double tail = 0.5 * (1.0 - coverage);
    std::vector<double> values;
    values.reserve(replicates.size());
    for (double t : times) {
        values.clear();
        int failed = 0;
        for (const REPLICATE& r : replicates) {
            if (r.bModel) values.push_back(curve(r.params, t / t0));
            else ++failed;
        }
        std::sort(values.begin(), values.end());
        std::vector<double> low(static_cast<std::size_t>(failed), floor);
        low.insert(low.end(), values.begin(), values.end());
        values.insert(values.end(), static_cast<std::size_t>(failed), ceiling);
        band.push_back(BANDPOINT{t, SortedQuantile(low, tail), SortedQuantile(values, 1.0 - tail)});
    }
    return band;
}

// The band of the fitted model's replicates, widened to the band of the
// random-walk reading's where the run has one.
template <class Curve>
std::vector<BANDPOINT> Band(const BOOTSTRAPRUN& run, const std::vector<double>& times, double coverage, double floor,
                            double ceiling, Curve curve) {
    if (run.status != BootstrapStatus::Done || run.replicates.empty()) return {};
    std::vector<BANDPOINT> band = SetBand(run.replicates, run.dImagePeriod, times, coverage, floor, ceiling, curve);
    if (run.walkReplicates.empty()) return band;
    const std::vector<BANDPOINT> walk =
        SetBand(run.walkReplicates, run.dImagePeriod, times, coverage, floor, ceiling, curve);
    for (std::size_t i = 0; i < band.size() && i < walk.size(); ++i) {
        band[i].dLow = Least(band[i].dLow, walk[i].dLow);
        band[i].dHigh = Most(band[i].dHigh, walk[i].dHigh);
    }
    return band;
}

}  // namespace

std::vector<BANDPOINT> StayProbabilityBand(const BOOTSTRAPRUN& run, double a, const std::vector<double>& times,
                                           double coverage) {
    const double a2 = a * a;
    return Band(run, times, coverage, 0.0, 1.0,
                [a2](const MODELPARAMS& m, double tau) { return tau == 0.0 ? 1.0 : StayProbability(m, tau, a2); });
}

std::vector<BANDPOINT> ModelFunctionBand(const BOOTSTRAPRUN& run, const std::vector<double>& times, double coverage) {
    return Band(run, times, coverage, 0.0, kInf,
                [](const MODELPARAMS& m, double tau) { return ModelFunction(m, tau); });
}
