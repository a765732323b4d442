// SPDX-License-Identifier: GPL-3.0-or-later
// The coverage study of the bootstrap intervals: series drawn from known
// models in seven regimes, each evaluated like a real series and then given
// its intervals; the share of series whose interval holds the truth is the
// empirical coverage. Also the coverage of the formal least-squares
// standard errors (the fit's covariance, which treats the characteristic
// function's points as independent) and the uniformity of the
// goodness-of-fit p-values.
//
//   intervals_coverage_study run --regime NAME[,NAME...]|all --series N --replicates B
//                                [--seed S] [--threads T] --out FILE
//   intervals_coverage_study summarize FILE...
//   intervals_coverage_study probe
//   intervals_coverage_study arithmetic [SERIES]
//
// `run` appends one line per series to FILE as soon as it is done, so a
// study stopped early keeps what it has; `summarize` prints the tables.

#include "boot/Bootstrap.h"
#include "boot/Intervals.h"
#include "eval/EvalSteps.h"
#include "eval/ModelFit.h"
#include "sim/ModelSimulator.h"
#include "text/Format.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Regime {
    const char* name;
    MODELPARAMS truth;  // Tc in images
    double noise;       // per component [nm]
    int images;
    double gaps;         // share of missing images
    bool identified[4];  // Di, Da, Tc, s: which the regime identifies
};

// t0 = 2 s everywhere.
const Regime kRegimes[] = {
    {"random-walk", {0.03, 0.0, 20.0, 0.0}, 0.02, 1500, 0.0, {true, false, false, false}},
    {"walk+transient", {0.02, 0.04, 30.0, 0.0}, 0.03, 1500, 0.0, {true, true, true, false}},
    {"drift", {0.005, 0.0, 20.0, 0.002}, 0.02, 1500, 0.0, {false, false, false, true}},
    {"noise", {0.01, 0.0, 20.0, 0.0005}, 0.2, 1500, 0.0, {true, false, false, false}},
    {"short", {0.03, 0.03, 10.0, 0.002}, 0.02, 171, 0.0, {true, false, false, false}},
    {"gaps-20%", {0.02, 0.04, 30.0, 0.002}, 0.03, 1500, 0.2, {true, true, true, true}},
    {"long", {0.02, 0.04, 30.0, 0.002}, 0.03, 10000, 0.0, {true, true, true, true}},
};
constexpr double kPeriod = 2.0;

// The tolerance of a regime: the true model reaches it at 60 % of the
// longest distance the extraction gives (minimum diversity 10).
double RegimeTolerance(const Regime& r) {
    const double tau = 0.6 * std::floor((r.images - 1) / 10.0);
    return std::sqrt(ModelFunction(r.truth, tau));
}

// The truth of the lifetimes: the true model's own characteristic function
// (no noise) evaluated by the same functions as any series.
void TrueLifetimes(const Regime& r, double a, double out[4]) {
    CA1TimeSeries s;
    s.m_dImagePeriod = kPeriod;
    const int dLast = static_cast<int>(std::floor((r.images - 1) / 10.0)) - 1;
    for (int d = 1; d <= dLast; ++d) s.m_aCharFunc.push_back(A1SAMPLE{d, ModelFunction(r.truth, d), 0.0, 0.0, 0.0});
    s.CharFuncValid = s.ModelValid = 1;
    s.FitDi = r.truth.Di;
    s.FitDa = r.truth.Da;
    s.FitTc = r.truth.Tc;
    s.FitS = r.truth.s;
    EvaluateDirectLifetime(s, a);
    out[0] = EvaluateModelLifetime(s, a);
    out[1] = ProbabilityLifetime(s, a, kP84);
    out[2] = ProbabilityLifetime(s, a, kP50);
    out[3] = ProbabilityLifetime(s, a, kP16);
}

CA1TimeSeries DrawSeries(const Regime& r, std::uint32_t seed, int index) {
    CRandomStream random(DeriveStreamSeed(seed ^ 0xC0FFEEu, static_cast<std::uint64_t>(index)));
    std::vector<A1SAMPLE> layout;
    for (int i = 0; i < r.images; ++i) {
        const bool missing = i > 0 && i + 1 < r.images && random.Uniform() < r.gaps;
        if (!missing) layout.push_back(A1SAMPLE{1 + i, 0.0, 0.0, 0.0, 0.0});
    }
    const CModelSimulator sim(r.truth, ImageSpan(layout));
    CA1TimeSeries s;
    s.m_dImagePeriod = kPeriod;
    s.m_aSamples = SimulateSamples(sim, SIMNOISE{r.noise, r.noise}, layout, random);
    return s;
}

// The fit's formal covariance: s^2 (J' W J)^-1 with the fit's weights and
// s^2 = sum w r^2 / (m - 4); standard errors of (Di, Da, Tc [images], s).
bool FormalErrors(const CA1TimeSeries& s, double se[4]) {
    const std::vector<A1SAMPLE>& cf = s.m_aCharFunc;
    const int m = static_cast<int>(cf.size());
    const int n = static_cast<int>(s.m_aSamples.size());
    const double p[4] = {s.FitDi, s.FitDa, s.FitTc, s.FitS};
    double jtj[4][4] = {}, rss = 0.0;
    for (int i = 0; i < m; ++i) {
        const double pairs = std::sqrt(static_cast<double>(n - 1 - i));
        const double v = cf[i].dErrX + cf[i].dErrY;
        const double w = v > 0.0 ? pairs / v : pairs;
        const double tau = cf[i].nIndex;
        const double e = std::exp(-tau / p[2]);
        const double g[4] = {4.0 * p[0] * tau, 4.0 * p[1] * tau * e,
                             2.0 * p[1] * p[1] * e * (tau / p[2]) * (tau / p[2]), 2.0 * p[3] * tau * tau};
        const double r = ModelFunction(MODELPARAMS{p[0], p[1], p[2], p[3]}, tau) - (cf[i].dX + cf[i].dY);
        rss += w * r * r;
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b) jtj[a][b] += w * g[a] * g[b];
    }
    // Invert by Gauss-Jordan with partial pivoting.
    double inv[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    for (int c = 0; c < 4; ++c) {
        int piv = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(jtj[r][c]) > std::fabs(jtj[piv][c])) piv = r;
        if (!(std::fabs(jtj[piv][c]) > 0.0)) return false;
        std::swap(jtj[c], jtj[piv]);
        std::swap(inv[c], inv[piv]);
        const double d = jtj[c][c];
        for (int k = 0; k < 4; ++k) {
            jtj[c][k] /= d;
            inv[c][k] /= d;
        }
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double f = jtj[r][c];
            for (int k = 0; k < 4; ++k) {
                jtj[r][k] -= f * jtj[c][k];
                inv[r][k] -= f * inv[c][k];
            }
        }
    }
    const double s2 = rss / std::max(m - 4, 1);
    for (int k = 0; k < 4; ++k) se[k] = inv[k][k] > 0.0 ? std::sqrt(s2 * inv[k][k]) : std::nan("");
    return true;
}

std::string Num(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    return FormatText("%.9g", v);
}

double EndValue(const INTERVALEND& e, bool upper) {
    if (!e.bOpen) return e.dValue;
    return upper ? HUGE_VAL : -HUGE_VAL;
}

int Run(int argc, char** argv) {
    std::string regime = "all", out;
    int series = 400, replicates = 200, threads = 0;
    std::uint32_t seed = 1;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string k = argv[i], v = argv[i + 1];
        if (k == "--regime") regime = v;
        else if (k == "--series") series = std::stoi(v);
        else if (k == "--replicates") replicates = std::stoi(v);
        else if (k == "--seed") seed = static_cast<std::uint32_t>(std::stoul(v));
        else if (k == "--threads") threads = std::stoi(v);
        else if (k == "--out") out = v;
    }
    if (out.empty()) {
        std::fprintf(stderr, "run: --out FILE is needed\n");
        return 2;
    }
    std::FILE* f = std::fopen(out.c_str(), "a");
    if (!f) return 1;
    // Round-robin over the regimes, so a study stopped early has all of them.
    std::vector<const Regime*> chosen;
    for (const Regime& r : kRegimes)
        if (regime == "all" || ("," + regime + ",").find("," + std::string(r.name) + ",") != std::string::npos)
            chosen.push_back(&r);
    for (int i = 0; i < series; ++i) {
        for (const Regime* r : chosen) {
            const auto start = std::chrono::steady_clock::now();
            CA1TimeSeries s = DrawSeries(*r, seed, i);
            EVALINPUTS in;
            in.nSeed = seed + static_cast<std::uint32_t>(i);
            if (!RunCharFuncStep(s, in)) continue;
            RunModelFitStep(s, in, FitStepStart::FitOnly);
            const double a = RegimeTolerance(*r);
            double truth[8] = {r->truth.Di, r->truth.Da, r->truth.Tc * kPeriod, r->truth.s};
            TrueLifetimes(*r, a, truth + 4);
            std::string line = FormatText("%s\t%d\t%d\t%d", r->name, i, replicates, s.ModelValid);
            if (s.ModelValid == 1) {
                BOOTSTRAPOPTIONS o;
                o.nReplicates = replicates;
                o.nSeed = seed * 7919u + static_cast<std::uint32_t>(i);
                o.nThreads = threads;
                const BOOTSTRAPRUN run = RunBootstrap(s, in, o);
                const INTERVALSET pc = ComputeIntervals(run, s, a, IntervalMethod::Percentile, kNominalTail95);
                const INTERVALSET bs = ComputeIntervals(run, s, a, IntervalMethod::Basic, kNominalTail95);
                double se[4] = {std::nan(""), std::nan(""), std::nan(""), std::nan("")};
                FormalErrors(s, se);
                se[2] *= kPeriod;
                line += "\t" + Num(pc.dGoodnessP) + "\t" + Num(run.dClippedShare);
                for (int q = 0; q < IQ_COUNT; ++q) {
                    const INTERVAL& p = pc.q[q];
                    const INTERVAL& b = bs.q[q];
                    line += "\t" + Num(truth[q]) + "\t" + Num(p.dEstimate);
                    line += "\t" + Num(EndValue(p.lo95, false)) + "\t" + Num(EndValue(p.lo68, false)) + "\t" +
                            Num(EndValue(p.hi68, true)) + "\t" + Num(EndValue(p.hi95, true));
                    line += "\t" + Num(EndValue(b.lo95, false)) + "\t" + Num(EndValue(b.lo68, false)) + "\t" +
                            Num(EndValue(b.hi68, true)) + "\t" + Num(EndValue(b.hi95, true));
                    line += "\t" + Num(q < 4 ? se[q] : std::nan(""));
                }
                // The replicates' own values (x: no model), for constructions
                // worked out afterwards: the fitted model's, then those of its
                // random-walk reading (empty cells when the run has none).
                const auto valueColumns = [&](const std::vector<REPLICATE>& replicates) {
                    for (int q = 0; q < IQ_COUNT; ++q) {
                        line += "\t";
                        for (std::size_t k = 0; k < replicates.size(); ++k) {
                            const REPLICATE& rep = replicates[k];
                            if (k) line += ",";
                            if (!rep.bModel) {
                                line += "x";
                                continue;
                            }
                            double v = 0.0;
                            if (q == IQ_DI) v = rep.params.Di;
                            else if (q == IQ_DA) v = rep.params.Da;
                            else if (q == IQ_TC) v = rep.params.Tc * kPeriod;
                            else if (q == IQ_S) v = rep.params.s;
                            else {
                                const REPLICATELIFETIMES l = ReplicateLifetimes(rep, kPeriod, a);
                                v = q == IQ_MODEL_LIFETIME ? l.dModel
                                    : q == IQ_P84          ? l.dP84
                                    : q == IQ_P50          ? l.dP50
                                                           : l.dP16;
                                if (std::isnan(v)) v = HUGE_VAL;
                            }
                            line += Num(v);
                        }
                    }
                };
                valueColumns(run.replicates);
                valueColumns(run.walkReplicates);
            }
            const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            line += "\t" + Num(secs) + "\n";
            std::fputs(line.c_str(), f);
            std::fflush(f);
        }
    }
    std::fclose(f);
    return 0;
}

// Kolmogorov-Smirnov distance of p-values from the uniform law and the
// asymptotic p-value of it.
void KolmogorovSmirnov(std::vector<double> v, double& d, double& p) {
    std::sort(v.begin(), v.end());
    const double n = static_cast<double>(v.size());
    d = 0.0;
    for (std::size_t i = 0; i < v.size(); ++i) d = std::max({d, (i + 1) / n - v[i], v[i] - i / n});
    const double l = (std::sqrt(n) + 0.12 + 0.11 / std::sqrt(n)) * d;
    p = 0.0;
    for (int k = 1; k < 100; ++k) p += 2.0 * ((k % 2) ? 1.0 : -1.0) * std::exp(-2.0 * k * k * l * l);
    p = std::clamp(p, 0.0, 1.0);
}

double NormalCdf(double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }

double NormalQuantile(double p) {
    double lo = -40.0, hi = 40.0;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        (NormalCdf(mid) < p ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

// Bias-corrected percentile ends (2.5, 15.9, 84.1, 97.5 %) from the
// replicates' values: z0 from the share below the estimate (ties half).
void BiasCorrectedEnds(const std::string& list, double estimate, double out[4]) {
    std::vector<double> v;
    int failed = 0;
    std::stringstream ss(list);
    std::string x;
    while (std::getline(ss, x, ',')) {
        if (x == "x") ++failed;
        else v.push_back(x == "inf" ? HUGE_VAL : std::strtod(x.c_str(), nullptr));
    }
    const double est = std::isnan(estimate) ? HUGE_VAL : estimate;
    double below = 0.0;
    for (double y : v) below += y < est ? 1.0 : y == est ? 0.5 : 0.0;
    const double n = static_cast<double>(v.size());
    const double share = std::clamp(below / n, 0.5 / n, 1.0 - 0.5 / n);
    const double z0 = NormalQuantile(share);
    std::sort(v.begin(), v.end());
    std::vector<double> low(static_cast<std::size_t>(failed), -HUGE_VAL);
    low.insert(low.end(), v.begin(), v.end());
    v.insert(v.end(), static_cast<std::size_t>(failed), HUGE_VAL);
    const double p[4] = {0.025, 0.158655, 0.841345, 0.975};
    for (int k = 0; k < 4; ++k) {
        const double adj = NormalCdf(2.0 * z0 + NormalQuantile(p[k]));
        out[k] = k < 2 ? SortedQuantile(low, adj) : SortedQuantile(v, adj);
    }
}

// Replicates the 5 % rule needs (Monte-Carlo error of the 97.5 % end below
// 5 % of the 95 % width) for a quantity whose replicates are log-normal with
// the log-spread of the given values (finite, positive ones).
double ReplicatesNeeded(const std::string& list) {
    std::vector<double> v;
    std::stringstream ss(list);
    std::string x;
    while (std::getline(ss, x, ',')) {
        if (x == "x" || x == "inf") continue;
        const double y = std::strtod(x.c_str(), nullptr);
        if (y > 0.0 && std::isfinite(y)) v.push_back(std::log(y));
    }
    if (v.size() < 3) return std::nan("");
    double m = 0.0, q = 0.0;
    for (double y : v) m += y;
    m /= static_cast<double>(v.size());
    for (double y : v) q += (y - m) * (y - m);
    const double sig = std::sqrt(q / static_cast<double>(v.size() - 1));
    const double z = 1.959964, p = 0.975;
    const double density = std::exp(-0.5 * z * z) / std::sqrt(2.0 * 3.141592653589793);
    const double se = std::sqrt(p * (1.0 - p)) * std::exp(sig * z) * sig / density;
    const double width = std::exp(sig * z) - std::exp(-sig * z);
    return width > 0.0 ? std::pow(se / (0.05 * width), 2.0) : std::nan("");
}

struct Tally {
    int n = 0;
    // percentile, basic, formal, bias-corrected percentile, envelope, calibrated envelope
    int c95[6] = {}, c68[6] = {};
    int calN = 0;
    std::vector<double> calWidth95;
    int formalN = 0;
    int bcN = 0;
    std::vector<double> width95;  // percentile
    std::vector<double> envWidth95;
    int open95 = 0;
    std::vector<double> endMcRatio;
};

int Summarize(int argc, char** argv) {
    std::map<std::string, std::vector<std::vector<std::string>>> rows;
    std::vector<std::string> order;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i]);
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> f;
            std::stringstream ss(line);
            std::string x;
            while (std::getline(ss, x, '\t')) f.push_back(x);
            if (f.size() < 4) continue;
            if (!rows.count(f[0])) order.push_back(f[0]);
            rows[f[0]].push_back(f);
        }
    }
    const auto num = [](const std::string& s) {
        if (s == "inf") return HUGE_VAL;
        if (s == "-inf") return -HUGE_VAL;
        if (s == "nan") return std::nan("");
        return std::strtod(s.c_str(), nullptr);
    };
    std::printf(
        "| regime | quantity | series | B | 95 %% percentile | 95 %% basic | 95 %% BC percentile | 95 %% "
        "envelope | **95 %% calibrated envelope** | 95 %% formal LS | 68 %% percentile | 68 %% basic | 68 %% BC "
        "percentile | 68 %% envelope | 68 %% formal LS | median width 95 %% percentile | median width 95 %% "
        "envelope | median width 95 %% calibrated envelope | open upper ends (percentile) "
        "|\n|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    std::vector<std::string> gof;
    for (const std::string& name : order) {
        const auto& list = rows[name];
        std::vector<double> ps, clipped, secs, needLife, needP50;
        Tally t[IQ_COUNT];
        int fitted = 0, b = 0, walkRuns = 0;
        for (const auto& f : list) {
            b = std::stoi(f[2]);
            secs.push_back(num(f.back()));
            if (f[3] != "1" || f.size() < 6 + 11 * IQ_COUNT) continue;
            ++fitted;
            ps.push_back(num(f[4]));
            const std::size_t vo = 6 + 11 * static_cast<std::size_t>(IQ_COUNT);
            if (f.size() > vo + IQ_COUNT) {
                needLife.push_back(ReplicatesNeeded(f[vo + IQ_MODEL_LIFETIME]));
                needP50.push_back(ReplicatesNeeded(f[vo + IQ_P50]));
            }
            clipped.push_back(num(f[5]));
            for (int q = 0; q < IQ_COUNT; ++q) {
                const std::size_t o = 6 + 11 * static_cast<std::size_t>(q);
                const double truth = num(f[o]), est = num(f[o + 1]);
                double pc[4] = {num(f[o + 2]), num(f[o + 3]), num(f[o + 4]), num(f[o + 5])};
                double bs[4] = {num(f[o + 6]), num(f[o + 7]), num(f[o + 8]), num(f[o + 9])};
                // With the replicates' values at hand the ends are made again
                // by the program's own construction (as it stands now).
                const std::size_t vq = 6 + 11 * static_cast<std::size_t>(IQ_COUNT) + static_cast<std::size_t>(q);
                if (f.size() > vq + 1) {
                    const auto interval = [&](const std::string& cell, IntervalMethod method,
                                              double tail95 = kNominalTail95) {
                        std::vector<double> values;
                        int failed = 0;
                        std::stringstream ss(cell);
                        std::string x;
                        while (std::getline(ss, x, ',')) {
                            if (x == "x") ++failed;
                            else values.push_back(num(x));
                        }
                        return IntervalFromReplicates(est, values, failed, method, tail95);
                    };
                    const auto ends = [](const INTERVAL& iv, double out[4]) {
                        const INTERVALEND* e[4] = {&iv.lo95, &iv.lo68, &iv.hi68, &iv.hi95};
                        for (int j = 0; j < 4; ++j) out[j] = e[j]->dValue;
                    };
                    INTERVAL p = interval(f[vq], IntervalMethod::Percentile);
                    INTERVAL b = interval(f[vq], IntervalMethod::Basic);
                    // The program's construction: the envelope with the calibrated 95 % ends.
                    INTERVAL cal = interval(f[vq], IntervalMethod::Envelope, kCalibratedTail95);
                    // Runs with the random-walk reading: the union over both sets.
                    const std::size_t wq = vq + static_cast<std::size_t>(IQ_COUNT);
                    if (f.size() > wq + 1 && !f[wq].empty()) {
                        p = IntervalUnion(p, interval(f[wq], IntervalMethod::Percentile));
                        b = IntervalUnion(b, interval(f[wq], IntervalMethod::Basic));
                        cal = IntervalUnion(cal, interval(f[wq], IntervalMethod::Envelope, kCalibratedTail95));
                        if (q == 0) ++walkRuns;
                    }
                    ends(p, pc);
                    ends(b, bs);
                    const double tv = std::isnan(truth) ? HUGE_VAL : truth;
                    ++t[q].calN;
                    t[q].c95[5] += cal.lo95.dValue <= tv && tv <= cal.hi95.dValue;
                    t[q].c68[5] += cal.lo68.dValue <= tv && tv <= cal.hi68.dValue;
                    t[q].calWidth95.push_back(cal.hi95.dValue - cal.lo95.dValue);
                }
                const double se = num(f[o + 10]);
                // A lifetime without a result counts as longer than any bound.
                const double tr = std::isnan(truth) ? HUGE_VAL : truth;
                Tally& k = t[q];
                ++k.n;
                k.c95[0] += pc[0] <= tr && tr <= pc[3];
                k.c68[0] += pc[1] <= tr && tr <= pc[2];
                k.c95[1] += bs[0] <= tr && tr <= bs[3];
                k.c68[1] += bs[1] <= tr && tr <= bs[2];
                // The envelope of the percentile and the basic interval.
                k.c95[4] += std::min(pc[0], bs[0]) <= tr && tr <= std::max(pc[3], bs[3]);
                k.c68[4] += std::min(pc[1], bs[1]) <= tr && tr <= std::max(pc[2], bs[2]);
                k.envWidth95.push_back(std::max(pc[3], bs[3]) - std::min(pc[0], bs[0]));
                if (std::isfinite(se) && std::isfinite(est)) {
                    ++k.formalN;
                    k.c95[2] += std::fabs(est - tr) <= 1.959964 * se;
                    k.c68[2] += std::fabs(est - tr) <= se;
                }
                const std::size_t vo = 6 + 11 * static_cast<std::size_t>(IQ_COUNT) + static_cast<std::size_t>(q);
                if (f.size() > vo + 1) {
                    double bc[4];
                    BiasCorrectedEnds(f[vo], est, bc);
                    k.c95[3] += bc[0] <= tr && tr <= bc[3];
                    k.c68[3] += bc[1] <= tr && tr <= bc[2];
                    ++k.bcN;
                }
                k.width95.push_back(pc[3] - pc[0]);
                k.open95 += std::isinf(pc[3]);
            }
        }
        const auto cov = [](int c, int n) {
            if (n == 0) return std::string("-");
            const double p = static_cast<double>(c) / n;
            return FormatText("%.3f ± %.3f", p, std::sqrt(p * (1.0 - p) / n));
        };
        for (int q = 0; q < IQ_COUNT; ++q) {
            Tally& k = t[q];
            if (k.n == 0) continue;
            std::sort(k.width95.begin(), k.width95.end());
            const double med = k.width95[k.width95.size() / 2];
            std::sort(k.envWidth95.begin(), k.envWidth95.end());
            const double envMed = k.envWidth95[k.envWidth95.size() / 2];
            std::sort(k.calWidth95.begin(), k.calWidth95.end());
            const double calMed = k.calWidth95.empty() ? std::nan("") : k.calWidth95[k.calWidth95.size() / 2];
            const std::string unit = IntervalQuantityInfo(q).pszUnit;
            const auto width = [&unit](double w) {
                return std::isfinite(w) ? FormatText("%.4g %s", w, unit.c_str()) : std::string("open");
            };
            const std::string row[] = {cov(k.c95[0], k.n),
                                       cov(k.c95[1], k.n),
                                       cov(k.c95[3], k.bcN),
                                       cov(k.c95[4], k.n),
                                       "**" + cov(k.c95[5], k.calN) + "**",
                                       q < 4 ? cov(k.c95[2], k.formalN) : "-",
                                       cov(k.c68[0], k.n),
                                       cov(k.c68[1], k.n),
                                       cov(k.c68[3], k.bcN),
                                       cov(k.c68[4], k.n),
                                       q < 4 ? cov(k.c68[2], k.formalN) : "-",
                                       width(med),
                                       width(envMed),
                                       width(calMed)};
            std::printf("| %s | %s | %d | %d |", name.c_str(), IntervalQuantityInfo(q).pszName, k.n, b);
            for (const std::string& cell : row) std::printf(" %s |", cell.c_str());
            std::printf(" %d |\n", k.open95);
        }
        double d = 0.0, p = 0.0;
        if (!ps.empty()) KolmogorovSmirnov(ps, d, p);
        std::sort(clipped.begin(), clipped.end());
        std::sort(secs.begin(), secs.end());
        const auto median = [](std::vector<double> v) {
            v.erase(std::remove_if(v.begin(), v.end(), [](double y) { return std::isnan(y); }), v.end());
            std::sort(v.begin(), v.end());
            return v.empty() ? std::nan("") : v[v.size() / 2];
        };
        const auto upper = [](std::vector<double> v) {
            v.erase(std::remove_if(v.begin(), v.end(), [](double y) { return std::isnan(y); }), v.end());
            std::sort(v.begin(), v.end());
            return v.empty() ? std::nan("") : v[v.size() * 9 / 10];
        };
        const auto share = [&ps](double below) {
            const auto n = std::count_if(ps.begin(), ps.end(), [below](double v) { return v < below; });
            return ps.empty() ? 0.0 : static_cast<double>(n) / static_cast<double>(ps.size());
        };
        gof.push_back(
            FormatText("| %s | %d of %d | %d | %.3f | %.3f | %.3f | %.3f | %.3g | %.0f / %.0f | %.0f / %.0f | "
                       "%.1f s |",
                       name.c_str(), fitted, static_cast<int>(list.size()), walkRuns, d, p, share(0.01), share(0.05),
                       clipped.empty() ? 0.0 : clipped[clipped.size() / 2], median(needLife), upper(needLife),
                       median(needP50), upper(needP50), secs.empty() ? 0.0 : secs[secs.size() / 2]));
    }
    std::printf("\n| regime | series with a model | of them with the random-walk reading | KS distance of the "
                "p-values | KS p | share p < 0.01 | share p < 0.05 | median clipped share of the simulator's spectrum "
                "| B for the 5 %% rule, model lifetime (median / 90 %%) | B for the 5 %% rule, P50 (median / 90 %%) | "
                "median seconds per series |\n|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& g : gof) std::printf("%s\n", g.c_str());
    return 0;
}

// Per regime: how far the bootstrap's whole-data fit arithmetic lands from
// the series' point-by-point fit on the same characteristic functions (the
// same estimator, rounded differently): the share of fits whose parameters
// or model lifetime differ by more than 1e-9 and 1e-6 relative, and the
// largest difference of the model lifetime.
int Arithmetic(int series) {
    std::printf("| regime | fits | parameters differ > 1e-9 | > 1e-6 | model lifetime differs > 1e-6 | largest "
                "relative difference of the model lifetime | largest relative difference of the s-square | for "
                "comparison: point-by-point fits of the data changed in the last bit, parameters differ > 1e-6 | "
                "their model lifetime differs > 1e-6 |\n|---|---|---|---|---|---|---|---|---|\n");
    for (const Regime& r : kRegimes) {
        int fits = 0, over9 = 0, over6 = 0, lifeOver6 = 0, bitOver6 = 0, bitLifeOver6 = 0;
        double largest = 0.0, largestSSqr = 0.0;
        const double a = RegimeTolerance(r);
        for (int i = 0; i < series; ++i) {
            CA1TimeSeries s = DrawSeries(r, 99, i);
            EVALINPUTS in;
            in.nSeed = 1000u + static_cast<std::uint32_t>(i);
            if (!RunCharFuncStep(s, in)) continue;
            CA1TimeSeries w = s, b = s;
            // One rounding of every value of the characteristic function.
            for (A1SAMPLE& p : b.m_aCharFunc) p.dX = std::nextafter(p.dX, HUGE_VAL);
            FitModel(s, in.nSeed, FitArithmetic::PointByPoint);
            FitModel(w, in.nSeed, FitArithmetic::WholeData);
            FitModel(b, in.nSeed, FitArithmetic::PointByPoint);
            if (s.ModelValid != 1 || w.ModelValid != 1 || b.ModelValid != 1) continue;
            ++fits;
            const auto differ = [](const CA1TimeSeries& x, const CA1TimeSeries& y) {
                const double px[4] = {x.FitDi, x.FitDa, x.FitTc, x.FitS}, py[4] = {y.FitDi, y.FitDa, y.FitTc, y.FitS};
                double d = 0.0;
                for (int k = 0; k < 4; ++k)
                    d = std::max(d, std::fabs(px[k] - py[k]) / std::max(std::fabs(px[k]), 1e-300));
                return d;
            };
            const double d = differ(s, w);
            over9 += d > 1e-9;
            over6 += d > 1e-6;
            bitOver6 += differ(s, b) > 1e-6;
            largestSSqr = std::max(largestSSqr, std::fabs(s.FitSSqr - w.FitSSqr) / s.FitSSqr);
            EvaluateDirectLifetime(s, a);
            EvaluateDirectLifetime(w, a);
            EvaluateDirectLifetime(b, a);
            const double ls = EvaluateModelLifetime(s, a), lw = EvaluateModelLifetime(w, a);
            const double lb = EvaluateModelLifetime(b, a);
            const double dl = ls == lw ? 0.0 : std::fabs(ls - lw) / std::fabs(ls);
            lifeOver6 += !(dl <= 1e-6);
            bitLifeOver6 += !((ls == lb ? 0.0 : std::fabs(ls - lb) / std::fabs(ls)) <= 1e-6);
            if (std::isfinite(dl)) largest = std::max(largest, dl);
        }
        std::printf("| %s | %d | %d | %d | %d | %.2g | %.2g | %d | %d |\n", r.name, fits, over9, over6, lifeOver6,
                    largest, largestSSqr, bitOver6, bitLifeOver6);
    }
    return 0;
}

// Per regime: how exact the simulator is for the true model (clipped share
// of the embedded spectrum, largest relative deviation of the realised
// variogram from the model's over the extracted distances).
int Probe() {
    std::printf("| regime | Di nm | Da nm | tc s | s nm | noise nm | images | tolerance nm | clipped share | largest "
                "deviation of E f from the model |\n|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Regime& r : kRegimes) {
        const CModelSimulator sim(r.truth, r.images - 1);
        const std::vector<double> g = sim.RealisedVariogram();
        const int dLast = static_cast<int>(std::floor((r.images - 1) / 10.0)) - 1;
        double worst = 0.0;
        for (int d = 1; d <= dLast; ++d)
            worst = std::max(worst, std::fabs(g[static_cast<std::size_t>(d)] / ModelVariogram(r.truth, d) - 1.0));
        std::printf("| %s | %g | %g | %g | %g | %g | %d | %.4g | %.3g | %.3g |\n", r.name, r.truth.Di, r.truth.Da,
                    r.truth.Tc * kPeriod, r.truth.s, r.noise, r.images, RegimeTolerance(r), sim.ClippedShare(), worst);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "probe") == 0) return Probe();
    if (argc >= 2 && std::strcmp(argv[1], "arithmetic") == 0) return Arithmetic(argc >= 3 ? std::atoi(argv[2]) : 200);
    if (argc >= 2 && std::strcmp(argv[1], "run") == 0) return Run(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "summarize") == 0) return Summarize(argc, argv);
    std::fprintf(stderr, "usage: intervals_coverage_study run --regime NAME|all --series N --replicates B "
                         "[--seed S] [--threads T] --out FILE\n"
                         "       intervals_coverage_study summarize FILE...\n");
    return 2;
}
