#include "eval/ModelFit.h"

#include "eval/Random.h"
#include "fit/FitModule.h"
#include "log/LogFile.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <new>
#include <vector>

namespace {

// The drift model in units of images: with tau = t/t0 and the parameters
// (Di, Da, Tc, s),  f(tau) = 2 tau (Di^2 + Da^2 exp(-tau/Tc)) + s^2 tau^2,
// and its gradient, in one pass (one exponential for both).
double DriftModelWithGradient(double tau, const double* p, double* g) {
    const double di = p[0], da = p[1], tc = p[2], s = p[3];
    const double e = std::exp(-tau / tc);
    const double r = tau / tc;
    g[0] = 4.0 * di * tau;
    g[1] = 4.0 * da * tau * e;
    // At Tc = 0 the exponential vanishes faster than (tau/Tc)^2 grows; the
    // limit of the product is 0 (the plain product would be 0 * inf).
    g[2] = e == 0.0 ? 0.0 : 2.0 * da * da * e * (r * r);
    g[3] = 2.0 * s * tau * tau;
    return 2.0 * tau * (di * di + da * da * e) + s * s * tau * tau;
}

double DriftModel(double tau, const double* p) {
    double g[4];
    return DriftModelWithGradient(tau, p, g);
}

void DriftModelGradient(double tau, const double* p, double* g) { DriftModelWithGradient(tau, p, g); }

// The drift model's s-square over all points at once, for distances that
// are whole numbers of images (as the characteristic function's are). The
// points go in blocks of kBlock; in a block of consecutive distances
// exp(-tau/Tc) is one exponential at the block's first distance times the
// powers q^j of q = exp(-1/Tc) (relative error within about kBlock machine
// epsilons), other blocks take one exponential per point. The sums of a
// block are vector reductions. Same model and sums as the point-by-point
// route, rounded differently.
constexpr int kBlock = 64;

struct DRIFTSUMS {
    double sum = 0.0, weights = 0.0, u = 0.0, ue = 0.0, v = 0.0, ve = 0.0;
};

template <bool Weighted, bool Gradient>
void BlockSums(DRIFTSUMS& a, int len, const double* x, const double* y, const double* w, const double* e, double di2,
               double da2, double s2) {
    double sum = 0.0, weights = 0.0, su = 0.0, sue = 0.0, sv = 0.0, sve = 0.0;
#pragma omp simd reduction(+ : sum, weights, su, sue, sv, sve)
    for (int j = 0; j < len; ++j) {
        const double tau = x[j];
        const double r = tau * (2.0 * (di2 + da2 * e[j]) + s2 * tau) - y[j];
        const double wr = Weighted ? w[j] * r : r;
        sum += wr * r;
        weights += w[j];
        if constexpr (Gradient) {
            const double u = 2.0 * wr * tau;
            const double v = u * tau;
            su += u;
            sue += u * e[j];
            sv += v;
            sve += v * e[j];
        }
    }
    a.sum += sum;
    a.weights += weights;
    a.u += su;
    a.ue += sue;
    a.v += sv;
    a.ve += sve;
}

}  // namespace

double DriftModelOverData(const FITMODULE& m, const double* p, double* gradient) {
    const double di2 = p[0] * p[0], da2 = p[1] * p[1], s2 = p[3] * p[3];
    const double inv = 1.0 / p[2];
    double powers[kBlock];
    powers[0] = 1.0;
    const double q = std::exp(-inv);
    for (int j = 1; j < kBlock; ++j) powers[j] = powers[j - 1] * q;

    const int n = m.nData;
    const bool weighted = m.nWeighted != 0;
    DRIFTSUMS a;
    double e[kBlock];
    for (int b = 0; b < n; b += kBlock) {
        const int len = std::min(kBlock, n - b);
        const double* x = m.adX.data() + b;
        const double* y = m.adY.data() + b;
        const double* w = m.adW.data() + b;
        bool consecutive = true;
        for (int j = 1; j < len; ++j) consecutive &= x[j] == x[0] + j;
        if (consecutive) {
            const double e0 = std::exp(-x[0] * inv);
            for (int j = 0; j < len; ++j) e[j] = e0 * powers[j];
        } else {
            for (int j = 0; j < len; ++j) e[j] = std::exp(-x[j] * inv);
        }
        if (weighted) {
            if (gradient) BlockSums<true, true>(a, len, x, y, w, e, di2, da2, s2);
            else BlockSums<true, false>(a, len, x, y, w, e, di2, da2, s2);
        } else {
            if (gradient) BlockSums<false, true>(a, len, x, y, w, e, di2, da2, s2);
            else BlockSums<false, false>(a, len, x, y, w, e, di2, da2, s2);
        }
    }
    const double scale = weighted ? 1.0 / a.weights : 1.0;
    if (gradient) {
        gradient[0] = 4.0 * p[0] * a.u * scale;
        gradient[1] = 4.0 * p[1] * a.ue * scale;
        // With Tc = 0 every exponential vanishes: nothing depends on Tc.
        gradient[2] = a.ve == 0.0 ? 0.0 : 2.0 * da2 * inv * inv * a.ve * scale;
        gradient[3] = 2.0 * p[3] * a.v * scale;
    }
    return weighted ? a.sum / a.weights : a.sum;
}

namespace {

constexpr double kGradientTolerance = 2.220446049250313e-15;
constexpr int kMaxTrials = 20;
constexpr int kMaxImprovements = 6;
constexpr double kRandomScale = 1.0 / 32768.0;  // 2^-15

}  // namespace

std::uint32_t SeedFromUtcTime(int year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second) {
    return static_cast<std::uint32_t>(second) + 60u * minute + 3600u * hour + 86400u * day + 2678400u * month +
           32140800u * static_cast<std::uint32_t>(year - 1970);
}

std::uint32_t SeedFromUtcClock() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto today = floor<days>(now);
    const year_month_day date{today};
    const hh_mm_ss<seconds> time{floor<seconds>(now - today)};
    return SeedFromUtcTime(static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                           static_cast<unsigned>(date.day()), static_cast<unsigned>(time.hours().count()),
                           static_cast<unsigned>(time.minutes().count()),
                           static_cast<unsigned>(time.seconds().count()));
}

FITTRIALS RunFitTrials(FITMODULE& fit, CRandom& random, double (&bestImproved)[4], FitMinimizer minimize) {
    FITTRIALS result;
    if (fit.nParams != 4 || fit.adRanges.size() != 8) return result;
    double bestSoFar[4];
    CopyParametersOut(fit, bestSoFar);
    CopyParametersOut(fit, bestImproved);
    double best = 0.0;
    ComputeSSquare(fit, nullptr, best);
    for (;;) {
        int iterations = 0;
        minimize(fit, &iterations, kGradientTolerance);  // failures count as trials too
        const double current = fit.dSSquare;
        ++result.nTrials;
        if (!(best > 0.0)) {
            CopyParametersOut(fit, bestSoFar);
            best = current;
        } else if (best > current) {
            ++result.nImprovements;
            CopyParametersOut(fit, bestSoFar);
            CopyParametersOut(fit, bestImproved);
            best = current;
        } else {
            CopyParametersIn(fit, bestSoFar);
        }
        if (result.nImprovements >= kMaxImprovements || result.nTrials >= kMaxTrials) break;

        double next[4];
        for (int j = 0; j < 4; ++j) {
            const double lower = fit.adRanges[2 * j], upper = fit.adRanges[2 * j + 1];
            next[j] = lower + random.Next() * kRandomScale * (upper - lower);
        }
        CopyParametersIn(fit, next);
    }
    return result;
}

void FitModel(CA1TimeSeries& series, std::uint32_t seed, FitArithmetic arithmetic) {
    CLogFile* log = series.m_pLog;
    if (!HasCharFunc(series)) {
        LogIfAttached(log, "ERROR: Model fit aborted: No evaluated characteristic function data.");
        return;
    }
    const std::vector<A1SAMPLE>& cf = series.m_aCharFunc;
    const int m = static_cast<int>(cf.size());
    if (m < 16) {
        LogIfAttached(log, "ERROR: Model fit aborted: Insufficient number of characteristic function data.");
        return;
    }

    const double t0 = series.m_dImagePeriod;
    double fmax = cf[0].dX + cf[0].dY;
    double tmax = cf[0].nIndex * t0;
    for (const A1SAMPLE& p : cf) {
        if (p.dX + p.dY > fmax) fmax = p.dX + p.dY;
        if (p.nIndex * t0 > tmax) tmax = p.nIndex * t0;
    }
    const double slopeSum = series.SlopeSum;
    const int nSamples = static_cast<int>(series.m_aSamples.size());
    CRandom random(seed);

    FITMODULE fit;  // no log: the module's own messages are not shown
    std::vector<double> x, y, w;
    try {
        x.resize(m);
        y.resize(m);
        w.resize(m);
    } catch (const std::bad_alloc&) {
        LogIfAttached(log, "ERROR: Model fit aborted: Heap allocation failed.");
        return;
    }
    for (int i = 0; i < m; ++i) {
        // The weight grows with the number of pairs a record can have,
        // counted from its position in the list.
        const double pairs = std::sqrt(static_cast<double>(nSamples - 1 - i));
        const double v = cf[i].dErrX + cf[i].dErrY;
        x[i] = cf[i].nIndex;
        y[i] = cf[i].dX + cf[i].dY;
        w[i] = v > 0.0 ? pairs / v : pairs;
    }
    fit.nWeighted = 1;
    RegisterData(fit, m, x.data(), y.data(), w.data());
    RegisterFunction(fit, DriftModel, DriftModelGradient);
    fit.pFunctionGradient = DriftModelWithGradient;
    if (arithmetic == FitArithmetic::WholeData) fit.pDataEvaluator = DriftModelOverData;

    const double start[4] = {
        std::sqrt(fmax * 0.45 / tmax * t0),
        std::sqrt(std::fabs(slopeSum - fmax * 0.45 / tmax * t0)),
        9.0,
        std::sqrt(fmax * 0.1) / tmax * t0,
    };
    double bestImproved[4] = {start[0], start[1], start[2], start[3]};
    CopyParametersIn(fit, start);

    const double diLimit = std::sqrt(fmax / tmax * t0);
    // The transient amplitude is bounded by the initial slope; its size
    // counts, so a falling start (negative slope sum) still gives a range.
    const double daLimit = 2.0 * std::sqrt(std::fabs(slopeSum));
    const double sLimit = 2.0 * std::sqrt(fmax) / tmax * t0;
    SetParameterRange(fit, 0, -diLimit, diLimit, 1);
    SetParameterRange(fit, 1, -daLimit, daLimit, 1);
    SetParameterRange(fit, 2, 0.0, tmax / t0, 1);
    SetParameterRange(fit, 3, -sLimit, sLimit, 1);

    if (!CheckModule(fit)) {
        LogIfAttached(log, "ERROR: Model fit aborted: Failed to initialize the fit module.");
        ResetModule(fit);
        return;
    }

    LogIfAttached(log, "Fitting model to the characteristic function ...");
    RunFitTrials(fit, random, bestImproved);

    CopyParametersIn(fit, bestImproved);
    fit.nWeighted = 0;
    double ssqr = 0.0;
    ComputeSSquare(fit, nullptr, ssqr);
    series.FitSSqr = ssqr;
    series.ModelValid = 1;
    series.FitDi = std::fabs(bestImproved[0]);
    series.FitDa = std::fabs(bestImproved[1]);
    series.FitTc = bestImproved[2];
    series.FitS = std::fabs(bestImproved[3]);

    LogIfAttached(log, FormatText("- fit result: Di = %.3G nm, Da = %.3G nm, tc = %.3G s, s = %.3G nm, "
                                  "s-sqr = %.3G",
                                  series.FitDi, series.FitDa, TcSeconds(series), series.FitS, series.FitSSqr));
    ResetModule(fit);
}
