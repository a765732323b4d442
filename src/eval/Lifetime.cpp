#include "eval/Lifetime.h"

#include "log/LogFile.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"

#include <cmath>

namespace {

constexpr double kDoubleEps = 2.220446049250313e-16;
// The tau that stands for "no finite time" (and above which P is 0).
constexpr double kNoFiniteTau = 1.7976931348623156e305;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Bounds of the searches. They stop only what would never end: a search
// that ends at all ends within them, with the value of the unbounded loop.
//
// Stepping search of the model lifetime: steps of one image at most, so the
// bound is a hundred million images away from the start (about a second of
// work). A random walk of Di = 2.5e-4 nm reaches 1.27 nm after 1.3e7 images.
constexpr long kMaxLifetimeSteps = 100000000;
// Iterations of each bisection in all. The doubling phase ends at the latest
// where P is 0 (tau above 1.8e305, about 1010 doublings from 20 images); a
// bisection between two positive bounds converges in under a hundred halvings,
// and halving from 20 images down to the smallest double takes about 1080.
constexpr int kMaxBisectionSteps = 2200;

// Above this x = alpha*beta the Marcum Q function is taken from its
// asymptotic expansion (alpha and beta are then both above about 1000 where
// Q is neither 0 nor 1; the neglected terms are below 1e-10).
constexpr double kAsymptoticX = 1e6;
// The series with the polynomial Bessel functions is kept wherever it agrees
// with the accurate evaluation to this much (its polynomials alone account
// for up to about 5.5e-7).
constexpr double kSeriesAgreement = 8e-7;

bool IsFiniteModel(const MODELPARAMS& m) {
    return std::isfinite(m.Di) && std::isfinite(m.Da) && std::isfinite(m.Tc) && std::isfinite(m.s);
}

bool IsValidImagePeriod(double t0) { return std::isfinite(t0) && t0 > 0.0; }

// D(tau)^2 = Di^2 + Da^2 exp(-tau/Tc). Without a transient (Da = 0) the
// exponential is not formed, so a Tc of 0 gives no 0 * inf.
double DSquare(const MODELPARAMS& m, double tau) {
    double d2 = m.Di * m.Di;
    if (m.Da != 0.0) d2 += m.Da * m.Da * (tau == 0.0 ? 1.0 : std::exp(-tau / m.Tc));
    return d2;
}

// --- Marcum Q -------------------------------------------------------------

// x^(1/2) e^(-x) I0(x) and x^(1/2) e^(-x) I1(x) for x >= 3.75 (Abramowitz
// and Stegun 9.8.2 and 9.8.4), y = 3.75/x.
double AsymptoticI0Poly(double y) {
    return 0.39894228 +
           y * (0.01328592 +
                y * (0.00225319 +
                     y * (-0.00157565 +
                          y * (0.00916281 +
                               y * (-0.02057706 + y * (0.02635537 + y * (-0.01647633 + y * 0.00392377)))))));
}

double AsymptoticI1Poly(double y) {
    return 0.39894228 +
           y * (-0.03988024 +
                y * (-0.00362018 +
                     y * (0.00163801 +
                          y * (-0.01031555 +
                               y * (0.02282967 + y * (-0.02895312 + y * (0.01787654 - y * 0.00420059)))))));
}

struct SERIESQ {
    double q = 0.0;
    bool reliable = false;
};

// Q1 as the desktop program sums it: e * sum of (alpha/beta)^k I_k(alpha beta)
// from k = 0 when beta > alpha, else 1 - e * sum of (beta/alpha)^k I_k from
// k = 1, with e = exp(-(alpha^2 + beta^2)/2) and at most 100 (99) terms.
// Not reliable when e underflows (the result is then a 0/1 step), when the
// term cap cuts the sum before it converged, or when a value is not finite.
SERIESQ SeriesMarcumQ(double alpha, double beta) {
    SERIESQ res;
    const double e = std::exp(-(alpha * alpha + beta * beta) / 2.0);
    if (e == 0.0) {
        res.q = beta > alpha ? 0.0 : 1.0;
        return res;
    }
    const double x = alpha * beta;
    const bool upper = beta > alpha;
    const double r = upper ? alpha / beta : beta / alpha;
    double rk = upper ? 1.0 : r;
    double sum = 0.0;
    bool converged = false;
    for (int k = upper ? 0 : 1;; ++k) {
        const double term = rk * BesselIn(k, x);
        sum += term;
        if (std::fabs(term / sum) <= kDoubleEps) {
            converged = true;
            break;
        }
        if (k >= 99) break;
        rk *= r;
    }
    res.q = upper ? e * sum : 1.0 - e * sum;
    res.reliable = converged && std::isfinite(res.q) && res.q >= -1e-12 && res.q <= 1.0 + 1e-12;
    return res;
}

// Q1 for very large alpha*beta: with delta = beta - alpha,
// Q1 = Phic(delta) + phi(delta)/(2 beta) + 3 delta phi(delta)/(8 beta^2) + O(beta^-3).
double AsymptoticMarcumQ(double alpha, double beta) {
    const double d = beta - alpha;
    const double phi = std::exp(-d * d / 2.0) * 0.3989422804014327;  // 1/sqrt(2 pi)
    const double q = 0.5 * std::erfc(d * 0.7071067811865476) + phi / (2.0 * beta) + 3.0 * d * phi / (8.0 * beta * beta);
    return q < 0.0 ? 0.0 : (q > 1.0 ? 1.0 : q);
}

// Q1 with exponentially scaled Bessel functions: e * I_k(x) is written as
// exp(-(alpha-beta)^2/2) * e^-x I_k(x), x = alpha*beta, so nothing under- or
// overflows. One downward recurrence of the ratios I_k/I_(k-1) yields every
// term and, through I0 + 2 sum I_k = e^x, the scaled I0 itself; the sums are
// accumulated in the same sweep (Horner form), with as many terms as the
// series needs: beyond k = 30 + 10 sqrt(x) the terms are below e^-50.
double ScaledMarcumQ(double alpha, double beta) {
    const double x = alpha * beta;
    if (x > kAsymptoticX) return AsymptoticMarcumQ(alpha, beta);
    const bool upper = beta > alpha;
    const double r = upper ? alpha / beta : beta / alpha;
    const long top = 30 + static_cast<long>(std::ceil(10.0 * std::sqrt(x)));
    double rho = 0.0;  // I_k / I_(k-1)
    double t = 1.0;    // sum over j >= k of r^(j-k) I_j / I_k
    double v = 1.0;    // sum over j >= k of I_j / I_k
    double t1 = 1.0;
    for (long k = top; k >= 1; --k) {
        rho = 1.0 / (2.0 * static_cast<double>(k) / x + rho);
        if (k == 1) t1 = t;
        t = 1.0 + r * rho * t;
        v = 1.0 + rho * v;
    }
    const double i0 = 1.0 / (2.0 * v - 1.0);  // e^-x I0(x)
    const double g = std::exp(-(alpha - beta) * (alpha - beta) / 2.0);
    const double q = upper ? g * i0 * t : 1.0 - g * i0 * (r * rho * t1);
    return q < 0.0 ? 0.0 : (q > 1.0 ? 1.0 : q);
}

// --- searches ---------------------------------------------------------------

enum class SEARCH { Found, InvalidInput, NotReached };

// The stepping search for the tau where f(tau) = a^2: steps of one image,
// the step divided by ten at every change of sign, until it is 0.001 or less.
// An upper bound of f over [tau0, tau1] (0 <= tau0 <= tau1, Tc >= 0): the
// diffusion and drift terms grow with tau, the transient term 2 tau Da^2
// exp(-tau/Tc) is largest at tau = max(tau0, Tc).
double ModelUpperBound(const MODELPARAMS& m, double tau0, double tau1) {
    // With Tc = 0 the transient is 0 for every tau > 0 (and f(0) = 0).
    double transient = 0.0;
    if (m.Da != 0.0 && m.Tc > 0.0) {
        const double peak = tau0 > m.Tc ? tau0 : m.Tc;
        transient = 2.0 * m.Da * m.Da * peak * std::exp(-peak / m.Tc);
    }
    return 2.0 * tau1 * m.Di * m.Di + m.s * m.s * tau1 * tau1 + transient;
}

SEARCH SteppingLifetimeSearch(const MODELPARAMS& m, double a2, double tau, double& result) {
    if (!IsFiniteModel(m) || !std::isfinite(a2) || !std::isfinite(tau)) return SEARCH::InvalidInput;
    // Below the tolerance the search climbs one image per step and turns only
    // where f reaches a2. When f stays below a2 all the way to the step bound
    // it would climb to the bound for nothing (ten million model values, a
    // noticeable pause whenever the report is rebuilt): say so at once.
    if (tau >= 0.0 && m.Tc >= 0.0 && ModelFunction(m, tau) < a2 &&
        ModelUpperBound(m, tau, tau + static_cast<double>(kMaxLifetimeSteps)) * (1.0 + 1e-12) < a2)
        return SEARCH::NotReached;
    double h = 1.0;
    double prev = 0.0;
    bool first = true;
    for (long step = 0; step < kMaxLifetimeSteps; ++step) {
        const double mv = ModelFunction(m, tau) - a2;
        if (std::isnan(mv)) return SEARCH::InvalidInput;
        if (mv == 0.0) {
            result = tau;
            return SEARCH::Found;
        }
        if (mv > 0.0) tau -= h;
        else tau += h;
        if (!first && ((mv > 0.0) != (prev > 0.0))) h *= 0.1;
        prev = mv;
        first = false;
        if (!(h > 0.001)) {
            result = tau;
            return SEARCH::Found;
        }
    }
    return SEARCH::NotReached;
}

MODELPARAMS WithoutDrift(MODELPARAMS m) {
    m.s = 0.0;
    return m;
}

std::string SecondsOrNoResult(double seconds) {
    return IsNoResult(seconds) ? std::string("no result") : FormatText("%.1f s", seconds);
}

}  // namespace

// --- Bessel functions -----------------------------------------------------------

double BesselI0(double x) {
    const double ax = std::fabs(x);
    if (ax < 3.75) {
        double y = x / 3.75;
        y *= y;
        return 1.0 +
               y * (3.5156229 + y * (3.0899424 + y * (1.2067492 + y * (0.2659732 + y * (0.0360768 + y * 0.0045813)))));
    }
    return std::exp(ax) / std::sqrt(ax) * AsymptoticI0Poly(3.75 / ax);
}

double BesselI1(double x) {
    const double ax = std::fabs(x);
    double ans;
    if (ax < 3.75) {
        double y = x / 3.75;
        y *= y;
        ans = ax *
              (0.5 + y * (0.87890594 +
                          y * (0.51498869 + y * (0.15084934 + y * (0.02658733 + y * (0.00301532 + y * 0.00032411))))));
    } else {
        ans = std::exp(ax) / std::sqrt(ax) * AsymptoticI1Poly(3.75 / ax);
    }
    return x < 0.0 ? -ans : ans;
}

double BesselIn(int n, double x) {
    if (n < 0) return 0.0;
    if (n == 0) return BesselI0(x);
    if (n == 1) return BesselI1(x);
    if (x == 0.0) return 0.0;
    const double tox = 2.0 / std::fabs(x);
    double bip = 0.0;
    double bi = 1.0;
    double ans = 0.0;
    const long long start =
        2LL * (static_cast<long long>(n) + static_cast<long long>(std::sqrt(40.0 * static_cast<double>(n))));
    for (long long j = start; j > 0; --j) {
        const double bim = bip + static_cast<double>(j) * tox * bi;
        bip = bi;
        bi = bim;
        if (std::fabs(bi) > 1e10) {
            ans *= 1e-10;
            bi *= 1e-10;
            bip *= 1e-10;
        }
        if (j == n) ans = bip;
    }
    ans *= BesselI0(x) / bi;
    return (x < 0.0 && (n & 1)) ? -ans : ans;
}

// --- Marcum Q -----------------------------------------------------------------

double MarcumQ(double alpha, double beta) {
    if (std::isnan(alpha) || std::isnan(beta)) return kNaN;
    alpha = std::fabs(alpha);
    if (beta <= 0.0) return 1.0;
    if (std::isinf(alpha)) return std::isinf(beta) ? kNaN : 1.0;
    if (alpha <= 0.001) return std::exp(-beta * beta / 2.0);
    // The Rice tail: Q1(alpha, beta) <= exp(-(beta - alpha)^2 / 2) < 1.3e-14 here.
    if (beta > alpha + 8.0) return 0.0;
    const SERIESQ series = SeriesMarcumQ(alpha, beta);
    const double accurate = ScaledMarcumQ(alpha, beta);
    if (series.reliable && std::fabs(series.q - accurate) <= kSeriesAgreement) return series.q;
    return accurate;
}

// --- model, probability and bands -----------------------------------------------

MODELPARAMS ModelParameters(const CA1TimeSeries& series) {
    MODELPARAMS m;
    m.Di = series.FitDi;
    m.Da = series.FitDa;
    m.Tc = series.FitTc;
    m.s = series.FitS;
    return m;
}

double ModelFunction(const MODELPARAMS& m, double tau) { return 2.0 * tau * DSquare(m, tau) + m.s * m.s * tau * tau; }

double StayProbability(const MODELPARAMS& m, double tau, double a2) {
    if (tau > kNoFiniteTau || a2 <= 0.0) return 0.0;
    const double d2 = DSquare(m, tau);
    const double var = d2 * tau;
    if (var == 0.0) {
        // No random component (or tau = 0): the change is the drift s*tau exactly.
        const double nu2 = m.s * m.s * tau * tau;
        if (std::isnan(nu2)) return kNaN;
        return nu2 <= a2 ? 1.0 : 0.0;
    }
    const double alpha = std::sqrt(std::fabs(tau * m.s * m.s / d2));
    const double beta = std::sqrt(std::fabs(a2 / (d2 * tau)));
    return 1.0 - MarcumQ(alpha, beta);
}

double InverseStayProbability(const MODELPARAMS& m, double a2, double p) {
    if (std::isnan(p)) return kNoResult;
    if (p > 1.0) p = 1.0;
    if (p <= 0.0) return kNoFiniteTau;
    if (p >= 1.0 || a2 <= 0.0) return 0.0;
    if (!IsFiniteModel(m) || !std::isfinite(a2)) return kNoResult;
    double tau = 20.0;
    double lower = 0.0;
    double upper = 0.0;
    for (int step = 0; step < kMaxBisectionSteps; ++step) {
        const double w = StayProbability(m, tau, a2) - p;
        if (std::isnan(w)) return kNoResult;
        if (std::fabs(w) <= 1e-7) return tau;
        double next;
        if (w < 0.0) {
            upper = tau;
            next = (lower + tau) / 2.0;
        } else {
            lower = tau;
            if (upper > 0.0) {
                next = (upper + tau) / 2.0;
            } else {
                next = 2.0 * tau;
            }
        }
        if (!(next > 0.0) || !std::isfinite(next)) return kNoResult;
        if (std::fabs(next - tau) / next < 2.220446049250313e-14) return next;
        tau = next;
    }
    return kNoResult;
}

double ModelBand(const MODELPARAMS& m, double tau, double p) {
    if (tau == 0.0) return 0.0;
    if (!(tau > 0.0) || !std::isfinite(tau) || !IsFiniteModel(m) || std::isnan(p)) return kNoResult;
    if (p <= 0.0) return 0.0;
    const double d2 = DSquare(m, tau);
    const double var = d2 * tau;
    if (var == 0.0) return m.s * m.s * tau * tau;  // no spread: the drift alone
    if (!std::isfinite(var)) return kNoResult;
    const double k = 1.0 / var;
    const double alpha = std::sqrt(std::fabs(tau * m.s * m.s / d2));
    double x = ModelFunction(m, tau) * k;
    double lower = 0.0;
    double upper = 0.0;
    for (int step = 0; step < kMaxBisectionSteps; ++step) {
        const double w = (1.0 - MarcumQ(alpha, std::sqrt(std::fabs(x)))) - p;
        if (std::isnan(w)) return kNoResult;
        if (std::fabs(w) <= 1e-7) return x / k;
        double next;
        if (w < 0.0) {
            lower = x;
            next = upper > 0.0 ? (upper + x) / 2.0 : 2.0 * x;
        } else {
            upper = x;
            next = (lower + x) / 2.0;
        }
        if (!(next > 0.0) || !std::isfinite(next)) return kNoResult;
        if (std::fabs(next - x) / next < 2.220446049250313e-13) return next / k;
        x = next;
    }
    return kNoResult;
}

// --- tolerance and lifetimes ---------------------------------------------------

double ComputeTolerance(double energykV, double resolutionAng, double limitPhase) {
    if (energykV <= 0.0) return std::numeric_limits<double>::infinity();
    const double lambda = 1.239842447 / std::sqrt(energykV * (energykV + 1022.0));
    return resolutionAng * resolutionAng * 0.01 * limitPhase / lambda;
}

double EvaluateDirectLifetime(CA1TimeSeries& series, double a) {
    CLogFile* log = series.m_pLog;
    series.LifetimeState = LIFETIME_NONE;
    if (series.m_aCharFunc.size() < 2) {
        LogIfAttached(log, "ERROR: Lifetime evaluation failed. Missing data of the characteristic function.");
        series.Tolerance = a;
        series.LifetimeState = LIFETIME_ERROR;
        series.DirectLifetime = 0.0;
        return series.DirectLifetime;
    }
    if (std::isnan(a)) {
        LogIfAttached(log, "ERROR: Lifetime evaluation failed. The astigmatism tolerance is not a number.");
        series.Tolerance = a;
        series.LifetimeState = LIFETIME_ERROR;
        series.DirectLifetime = 0.0;
        return series.DirectLifetime;
    }
    const double t0 = series.m_dImagePeriod;
    double fmin = std::numeric_limits<double>::infinity();
    double fmax = -std::numeric_limits<double>::infinity();
    double tmin = std::numeric_limits<double>::infinity();
    double tmax = -std::numeric_limits<double>::infinity();
    for (const A1SAMPLE& r : series.m_aCharFunc) {
        const double f = r.dX + r.dY;
        const double t = r.nIndex * t0;
        if (f < fmin) fmin = f;
        if (f > fmax) fmax = f;
        if (t < tmin) tmin = t;
        if (t > tmax) tmax = t;
    }
    const double a2 = a * a;
    if (a2 < fmin) {
        LogIfAttached(log, "Warning: Lifetime could not be determined from the characteristic function.");
        LogIfAttached(
            log, FormatText("         - The squared astigmatism tolerance of %.3f nm\xC2\xB2 is smaller than", a2));
        LogIfAttached(
            log, FormatText("           the smallest value of the characteristic function (%.3f nm\xC2\xB2).", fmin));
        LogIfAttached(log, "         - Try to record the series with a significantly higher acquisition rate.");
        series.Tolerance = a;
        series.LifetimeState = LIFETIME_BELOW_RANGE;
        series.DirectLifetime = tmin;
        return series.DirectLifetime;
    }
    if (a2 > fmax) {
        LogIfAttached(log, "Warning: Lifetime could not be determined from the characteristic function.");
        LogIfAttached(log,
                      FormatText("         - The squared astigmatism tolerance of %.3f nm\xC2\xB2 is larger than", a2));
        LogIfAttached(
            log, FormatText("           the largest value of the characteristic function (%.3f nm\xC2\xB2).", fmax));
        LogIfAttached(log, "         - Try to record the series over a significantly longer time.");
        LogIfAttached(log, "         - Evaluate the lifetime by extrapolation with a model function.");
        series.Tolerance = a;
        series.DirectLifetime = tmax;
        series.LifetimeState = LIFETIME_ABOVE_RANGE;
        return series.DirectLifetime;
    }
    LogIfAttached(log, "Lifetime evaluation directly from the characteristic function:");
    LogIfAttached(log, FormatText("- Astigmatism tolerance: %.3f nm.", a));
    // fmin <= a2 <= fmax, so the record holding fmax qualifies at the latest.
    for (const A1SAMPLE& r : series.m_aCharFunc) {
        if (r.dX + r.dY >= a2) {
            series.LifetimeState = LIFETIME_FOUND;
            series.Tolerance = a;
            series.DirectLifetime = r.nIndex * t0;
            break;
        }
    }
    LogIfAttached(log, FormatText("- Lifetime: %.1f s.", series.DirectLifetime));
    return series.DirectLifetime;
}

double EvaluateModelLifetime(CA1TimeSeries& series, double a) {
    if (series.ModelValid != 1) return 0.0;
    CLogFile* log = series.m_pLog;
    const double t0 = series.m_dImagePeriod;
    series.ModelLifetime = series.DirectLifetime;
    double tau = 0.0;
    const SEARCH found = IsValidImagePeriod(t0)
                             ? SteppingLifetimeSearch(ModelParameters(series), a * a, series.DirectLifetime / t0, tau)
                             : SEARCH::InvalidInput;
    if (found != SEARCH::Found) {
        series.ModelLifetime = kNoResult;
        if (found == SEARCH::InvalidInput)
            LogIfAttached(log,
                          FormatText("ERROR: Lifetime evaluation from the model function failed. The model, the "
                                     "image recording period or the astigmatism tolerance (%.3f nm) is not usable.",
                                     a));
        else
            LogIfAttached(log, FormatText("ERROR: Lifetime evaluation from the model function failed. The model "
                                          "function does not reach the astigmatism tolerance of %.3f nm.",
                                          a));
        return kNoResult;
    }
    series.ModelLifetime = tau * t0;
    LogIfAttached(log, "Lifetime evaluation from the model function:");
    LogIfAttached(log, FormatText("- Astigmatism tolerance: %.3f nm.", a));
    LogIfAttached(log, FormatText("- Lifetime: %.1f s.", series.ModelLifetime));
    return series.ModelLifetime;
}

double RandomWalkMeanLifetime(const CA1TimeSeries& series, double a) {
    if (series.ModelValid != 1) return 0.0;
    const double t0 = series.m_dImagePeriod;
    if (!IsValidImagePeriod(t0)) return kNoResult;
    double tau = 0.0;
    if (SteppingLifetimeSearch(WithoutDrift(ModelParameters(series)), a * a, series.ModelLifetime / t0, tau) !=
        SEARCH::Found)
        return kNoResult;
    return tau * t0;
}

namespace {

double ProbabilityLifetimeOf(const CA1TimeSeries& series, const MODELPARAMS& m, double a, double p) {
    if (!HasModel(series)) return 0.0;
    const double t0 = series.m_dImagePeriod;
    if (!IsValidImagePeriod(t0)) return kNoResult;
    const double tau = InverseStayProbability(m, a * a, p);
    return IsNoResult(tau) ? kNoResult : tau * t0;
}

}  // namespace

double ProbabilityLifetime(const CA1TimeSeries& series, double a, double p) {
    return ProbabilityLifetimeOf(series, ModelParameters(series), a, p);
}

double RandomWalkProbabilityLifetime(const CA1TimeSeries& series, double a, double p) {
    return ProbabilityLifetimeOf(series, WithoutDrift(ModelParameters(series)), a, p);
}

LIFETIMELIMITS ModelLifetimeLimits(const CA1TimeSeries& series, double a) {
    LIFETIMELIMITS l;
    l.p84 = ProbabilityLifetime(series, a, kP84);
    l.p50 = ProbabilityLifetime(series, a, kP50);
    l.p16 = ProbabilityLifetime(series, a, kP16);
    l.rwMean = RandomWalkMeanLifetime(series, a);
    l.rwP84 = RandomWalkProbabilityLifetime(series, a, kP84);
    l.rwP50 = RandomWalkProbabilityLifetime(series, a, kP50);
    l.rwP16 = RandomWalkProbabilityLifetime(series, a, kP16);
    return l;
}

// --- state texts -------------------------------------------------------------------

std::string DirectStateText(const CA1TimeSeries& series) {
    switch (series.LifetimeState) {
    case LIFETIME_NONE: return "No evaluation present.";
    case LIFETIME_FOUND:
        return FormatText("Estimated lifetime: %.1f s, Astigmatism tolerance: %.3f nm", series.DirectLifetime,
                          series.Tolerance);
    case LIFETIME_BELOW_RANGE:
        return FormatText("Estimated lifetime is below the shortest timespan (%.1f s). Astigmatism tolerance: %.3f nm",
                          series.DirectLifetime, series.Tolerance);
    case LIFETIME_ABOVE_RANGE:
        return FormatText("Estimated lifetime is above the longest timespan (%.1f s). Astigmatism tolerance: %.3f nm",
                          series.DirectLifetime, series.Tolerance);
    case LIFETIME_ERROR: return "Error during evaluation.";
    default: return "Unknown state.";
    }
}

std::string ModelStateText(const CA1TimeSeries& series) {
    switch (series.ModelValid) {
    case 0: return "No evaluation present.";
    case 1:
        return "Estimated lifetime: " + SecondsOrNoResult(series.ModelLifetime) +
               FormatText(", Astigmatism tolerance: %.3f nm", series.Tolerance);
    default: return "Unknown state.";
    }
}
