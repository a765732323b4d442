// SPDX-License-Identifier: GPL-3.0-or-later
#include "eval/PairSumsFft.h"

#include "eval/PairSumsFftTuning.h"
#include "eval/RealFft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <thread>

// How the sums are organised
//
// Pair rule. A pair (k, k + d) in storage order counts when its image
// numbers differ by exactly d, that is when the offset g = image number -
// position is the same at both ends. So the samples fall into groups of
// equal g (with strictly increasing numbers, a group is one run of
// consecutive images); pairs never cross groups, and inside a group every
// pair of present positions counts. Each group is laid out on its positions
// with a 0/1 mask for the positions that belong to other groups.
//
// Blocks. A group is cut into blocks of B positions (overlap-save): the
// first ends k of a block, against the window of B + L positions that holds
// their partners k + d, d <= L. One FFT length M = B + L serves the block.
//
// Local frame. In every window the data are taken relative to a straight
// line t(k) = c + s (k - kc) fitted to that window, x' = x - t, so the
// transformed values stay of the size of the local scatter, not of the
// offset or the drift. c and s are rounded to a binary grid that makes t(k)
// exact, so x' is the exact difference rounded once, and a pair's change is
// exactly dx = dx' + s d. The FFTs give, per distance, the sums of dx'^j,
// j = 0 ... 4; the mean of dx^2 and the variance of dx^2 follow in a form
// without cancellation of the large terms in s d.
//
// Combining. Blocks and groups are merged per distance with the pairwise
// update of means and squared deviations (n, mean, sum of squared
// deviations), which is stable too.
//
// Error bound. An FFT correlation of u and v is accurate to about
// eps log2(M) |u| |v| (Euclidean norms) in every output; with a generous
// factor this bounds every sum of dx'^j, and the bounds are carried through
// the formulas and the merges. Distances whose bound is not small enough
// are recomputed directly.

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();
// The largest error bounds with which a distance keeps its FFT result.
constexpr double kMeanBoundLimit = kPairFftBoundShare * kPairFftMeanTolerance;
constexpr double kVarBoundLimit = kPairFftBoundShare * kPairFftVarTolerance;
// Largest FFT length (memory per thread about 24 * 8 * M bytes).
constexpr int kMaxTransform = 1 << 21;
// Blocks merged per chunk before the chunk joins the totals.
constexpr int kChunk = 64;

// Mean, squared deviations and their error bounds of one component at one
// distance, over the pairs merged so far.
struct MOMENTS {
    double f = 0.0;   // mean of dx^2
    double m = 0.0;   // sum of (dx^2 - f)^2
    double ef = 0.0;  // bound of the error of f
    double em = 0.0;  // bound of the error of m
};

struct LAGSTATS {
    double n = 0.0;
    MOMENTS x, y;
};

// Rounding: each operation errs by at most eps/2 of its result; the mean
// takes one addition to the running mean and a small correction, the
// squared deviations a few additions of non-negative terms.
void MergeMoments(MOMENTS& a, double na, const MOMENTS& b, double nb) {
    const double n = na + nb;
    const double delta = b.f - a.f;
    const double w = na * nb / n;
    const double step = delta * (nb / n);
    const double f = a.f + step;
    const double ed = a.ef + b.ef;
    a.m = a.m + b.m + delta * delta * w;
    a.em = a.em + b.em + (2.0 * std::fabs(delta) * ed + ed * ed) * w + 3.0 * kEps * a.m;
    a.ef = (na * a.ef + nb * b.ef) / n + 0.5 * kEps * std::fabs(f) + 2.0 * kEps * std::fabs(step);
    a.f = f;
}

void Merge(LAGSTATS& a, const LAGSTATS& b) {
    if (b.n <= 0.0) return;
    if (a.n <= 0.0) {
        a = b;
        return;
    }
    MergeMoments(a.x, a.n, b.x, b.n);
    MergeMoments(a.y, a.n, b.y, b.n);
    a.n += b.n;
}

// One group of equal offset g: positions [begin, end) of the series, of
// which those with that offset take part.
struct GROUP {
    std::int64_t g = 0;
    int begin = 0;
    int end = 0;
    bool holes = false;  // other groups' positions lie inside
};

// One unit of work: a block of a group (fft) or a whole small group.
struct TASK {
    int group = 0;
    int start = 0;      // first position of the block
    int size = 0;       // FFT length M; 0: a small group, summed directly
    int lags = 0;       // largest distance L
    double cost = 0.0;  // for the split between threads
};

// The series split into columns: x, y and the offset g of every position.
struct COLUMNS {
    std::vector<double> x, y;
    std::vector<std::int64_t> offset;
};

int NextPowerOfTwo(std::int64_t n) {
    int p = 2;
    while (p < n) p *= 2;
    return p;
}

// The error of an FFT correlation of length size in units of |u| |v|.
double CorrelationErrorFactor(int size) {
    return (kPairFftBoundPerLog2 * std::log2(static_cast<double>(size)) + kPairFftBoundBase) * kEps;
}

// Binomial coefficients C(j, i), j <= 4.
constexpr double kBinomial[5][5] = {
    {1, 0, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 2, 1, 0, 0}, {1, 3, 3, 1, 0}, {1, 4, 6, 4, 1}};

// The FFT buffers of one thread.
struct WORKSPACE {
    explicit WORKSPACE(int maxSize) : size(maxSize) {
        const std::size_t n = static_cast<std::size_t>(maxSize) + 2;
        stage = CFftBuffer(n);
        local = CFftBuffer(n);
        mask = CFftBuffer(n);
        power = CFftBuffer(n);
        for (CFftBuffer& b : u) b = CFftBuffer(n);
        for (CFftBuffer& b : v) b = CFftBuffer(n);
        for (CFftBuffer& b : o) b = CFftBuffer(n);
        for (CFftBuffer& b : sums) b = CFftBuffer(n);
    }
    CFftBuffer stage;    // real input of a transform
    CFftBuffer local;    // x' over the window
    CFftBuffer mask;     // 0/1 over the window
    CFftBuffer power;    // a power of x' over the window (0 outside the group)
    CFftBuffer u[5];     // spectra of the block's powers
    CFftBuffer v[5];     // spectra of the window's powers
    CFftBuffer o[5];     // spectra of the correlations
    CFftBuffer sums[5];  // the correlations: pair count, sums of dx'^j
    int size = 0;
    // The mask whose spectra v[0], u[0] and counts sums[0] hold (size 0: none).
    int maskSize = 0, maskBlock = 0, maskWindow = 0;
};

// o[0] = conj(u0) v0: the spectrum of the pair counts.
void CountSpectrum(WORKSPACE& ws, int bins) {
    const double* u = ws.u[0].Real();
    const double* v = ws.v[0].Real();
    double* o = ws.o[0].Real();
    for (int f = 0; f < 2 * bins; f += 2) {
        o[f] = u[f] * v[f] + u[f + 1] * v[f + 1];
        o[f + 1] = u[f] * v[f + 1] - u[f + 1] * v[f];
    }
}

// o[j] = sum_i C(j,i) (-1)^i conj(u[i]) v[j - i], j = 1 ... 4, in one
// sweep over the bins: the spectra of the sums of (x'(k+d) - x'(k))^j.
void MomentSpectra(WORKSPACE& ws, int bins) {
    const double* u[5];
    const double* v[5];
    double* o[5];
    for (int i = 0; i < 5; ++i) {
        u[i] = ws.u[i].Real();
        v[i] = ws.v[i].Real();
        o[i] = ws.o[i].Real();
    }
    // conj(a) b
    auto cm = [](double ar, double ai, double br, double bi, double& re, double& im) {
        re = ar * br + ai * bi;
        im = ar * bi - ai * br;
    };
    for (int f = 0; f < 2 * bins; f += 2) {
        const double u0r = u[0][f], u0i = u[0][f + 1], u1r = u[1][f], u1i = u[1][f + 1];
        const double u2r = u[2][f], u2i = u[2][f + 1], u3r = u[3][f], u3i = u[3][f + 1];
        const double u4r = u[4][f], u4i = u[4][f + 1];
        const double v0r = v[0][f], v0i = v[0][f + 1], v1r = v[1][f], v1i = v[1][f + 1];
        const double v2r = v[2][f], v2i = v[2][f + 1], v3r = v[3][f], v3i = v[3][f + 1];
        const double v4r = v[4][f], v4i = v[4][f + 1];
        double ar, ai, br, bi, cr, ci, dr, di, er, ei;
        cm(u0r, u0i, v1r, v1i, ar, ai);
        cm(u1r, u1i, v0r, v0i, br, bi);
        o[1][f] = ar - br;
        o[1][f + 1] = ai - bi;
        cm(u0r, u0i, v2r, v2i, ar, ai);
        cm(u1r, u1i, v1r, v1i, br, bi);
        cm(u2r, u2i, v0r, v0i, cr, ci);
        o[2][f] = ar - 2.0 * br + cr;
        o[2][f + 1] = ai - 2.0 * bi + ci;
        cm(u0r, u0i, v3r, v3i, ar, ai);
        cm(u1r, u1i, v2r, v2i, br, bi);
        cm(u2r, u2i, v1r, v1i, cr, ci);
        cm(u3r, u3i, v0r, v0i, dr, di);
        o[3][f] = ar - 3.0 * br + 3.0 * cr - dr;
        o[3][f + 1] = ai - 3.0 * bi + 3.0 * ci - di;
        cm(u0r, u0i, v4r, v4i, ar, ai);
        cm(u1r, u1i, v3r, v3i, br, bi);
        cm(u2r, u2i, v2r, v2i, cr, ci);
        cm(u3r, u3i, v1r, v1i, dr, di);
        cm(u4r, u4i, v0r, v0i, er, ei);
        o[4][f] = ar - 4.0 * br + 6.0 * cr - 4.0 * dr + er;
        o[4][f + 1] = ai - 4.0 * bi + 6.0 * ci - 4.0 * di + ei;
    }
}

// What the correlations of one of x, y in one block need beside the sums
// themselves: the slope of the local line and the bounds of the sums.
struct POWERBOUNDS {
    double slope = 0.0;
    double bound[5] = {};  // absolute error bound of the sums of dx'^j
};

// Straight line through the present samples of the window, rounded so that
// c + s j is exact for every |j| <= count / 2: c and s lie on the grid 2^p
// with |c| / 2^p and |s| count / 2^p below 2^51, so c + s j is an integer
// multiple of 2^p below 2^52 in size.
void FitLocalLine(const double* values, const double* mask, int count, int centre, double& c, double& s) {
    double n = 0.0, sj = 0.0, sjj = 0.0, sv = 0.0, svj = 0.0, ref = 0.0;
    bool haveRef = false;
    for (int i = 0; i < count; ++i) {
        if (mask[i] == 0.0) continue;
        if (!haveRef) {
            ref = values[i];
            haveRef = true;
        }
        const double j = static_cast<double>(i - centre);
        const double v = values[i] - ref;
        n += 1.0;
        sj += j;
        sjj += j * j;
        sv += v;
        svj += v * j;
    }
    c = 0.0;
    s = 0.0;
    if (n <= 0.0) return;
    const double det = n * sjj - sj * sj;
    if (n >= 2.0 && det > 0.0) s = (n * svj - sj * sv) / det;
    c = ref + (sv - s * sj) / n;
    if (!std::isfinite(c) || !std::isfinite(s)) {
        c = ref;
        s = 0.0;
    }
    const double big = std::max(std::fabs(c), std::fabs(s) * static_cast<double>(count));
    if (big == 0.0) return;
    const int p = std::ilogb(big) - 50;
    c = std::ldexp(std::nearbyint(std::ldexp(c, -p)), p);
    s = std::ldexp(std::nearbyint(std::ldexp(s, -p)), p);
}

class CFftPairSums {
public:
    CFftPairSums(const COLUMNS& series, const std::vector<GROUP>& groups,
                 const std::map<int, std::unique_ptr<CRealFft>>& plans)
        : m_series(series), m_groups(groups), m_plans(plans) {}

    // Runs the tasks [first, last) into acc (index d). false: a count could
    // not be trusted (the caller then sums directly).
    // ws is made (or grown) for FFT length maxSize and kept for the next level.
    bool Run(const std::vector<TASK>& tasks, std::size_t first, std::size_t last, int maxSize,
             std::unique_ptr<WORKSPACE>& ws, std::vector<LAGSTATS>& acc) {
        if (first >= last) return true;
        if (maxSize > 0 && (!ws || ws->size < maxSize)) {
            ws.reset();
            ws = std::make_unique<WORKSPACE>(maxSize);
        }
        // Blocks are merged into a chunk, chunks into acc: the rounding of
        // the merges grows with the chunk size plus the number of chunks,
        // not with the number of blocks.
        std::vector<LAGSTATS>& chunk = m_chunk;
        chunk.assign(acc.size(), LAGSTATS{});
        int inChunk = 0;
        int chunkTop = 0;
        auto flush = [&] {
            for (int d = 1; d <= chunkTop; ++d) {
                Merge(acc[d], chunk[d]);
                chunk[d] = LAGSTATS{};
            }
            inChunk = 0;
            chunkTop = 0;
        };
        for (std::size_t t = first; t < last; ++t) {
            const TASK& task = tasks[t];
            if (task.size == 0) {
                SmallGroup(m_groups[task.group], task.lags, chunk);
            } else if (!SumBlock(*ws, task, chunk)) {
                return false;
            }
            chunkTop = std::max(chunkTop, std::min(task.lags, static_cast<int>(acc.size()) - 1));
            if (++inChunk == kChunk) flush();
        }
        flush();
        return true;
    }

private:
    bool Member(int k, std::int64_t g) const { return m_series.offset[k] == g; }

    // A short group, pair by pair, two passes per distance.
    void SmallGroup(const GROUP& grp, int lags, std::vector<LAGSTATS>& acc) const {
        const std::vector<double>& x = m_series.x;
        const std::vector<double>& y = m_series.y;
        for (int d = 1; d <= lags; ++d) {
            double n = 0.0, sx = 0.0, sy = 0.0;
            for (int k = grp.begin; k + d < grp.end; ++k) {
                if (!Member(k, grp.g) || !Member(k + d, grp.g)) continue;
                const double ex = x[k + d] - x[k], ey = y[k + d] - y[k];
                n += 1.0;
                sx += ex * ex;
                sy += ey * ey;
            }
            if (n == 0.0) continue;
            LAGSTATS b;
            b.n = n;
            b.x.f = sx / n;
            b.y.f = sy / n;
            for (int k = grp.begin; k + d < grp.end; ++k) {
                if (!Member(k, grp.g) || !Member(k + d, grp.g)) continue;
                const double ex = x[k + d] - x[k], ey = y[k + d] - y[k];
                const double qx = ex * ex - b.x.f, qy = ey * ey - b.y.f;
                b.x.m += qx * qx;
                b.y.m += qy * qy;
            }
            const double rounding = (n + 4.0) * kEps;
            b.x.ef = rounding * b.x.f;
            b.y.ef = rounding * b.y.f;
            b.x.em = 4.0 * rounding * (b.x.m + n * b.x.f * b.x.f);
            b.y.em = 4.0 * rounding * (b.y.m + n * b.y.f * b.y.f);
            Merge(acc[d], b);
        }
    }

    // One block of a group: the correlations of the powers 1 ... 4 of x'
    // (values: x or y) into ws.sums[1 ... 4], and their bounds; on entry
    // ws.v[0] and ws.u[0] hold the mask spectra.
    void CorrelatePowers(WORKSPACE& ws, const CRealFft& fft, const std::vector<double>& values, const TASK& task,
                         int window, int block, POWERBOUNDS& out) {
        const int size = task.size;
        const int bins = fft.Bins();
        double* local = ws.local.Real();
        const double* mask = ws.mask.Real();
        const int centre = window / 2;
        double c = 0.0, s = 0.0;
        FitLocalLine(values.data() + task.start, mask, window, centre, c, s);
        for (int i = 0; i < window; ++i) {
            const double t = c + s * static_cast<double>(i - centre);  // exact
            local[i] = mask[i] != 0.0 ? values[task.start + i] - t : 0.0;
        }
        out.slope = s;

        // Norms of the powers over the block and over the window.
        double normBlock[5] = {}, normWindow[5] = {};
        auto addNorms = [&](int from, int to, double* norm) {
            double n0 = 0.0, n1 = 0.0, n2 = 0.0, n3 = 0.0, n4 = 0.0;
            for (int i = from; i < to; ++i) {
                const double m = mask[i], v = local[i], v2 = v * v, v4 = v2 * v2;
                n0 += m;
                n1 += v2;
                n2 += v4;
                n3 += v4 * v2;
                n4 += v4 * v4;
            }
            norm[0] += n0;
            norm[1] += n1;
            norm[2] += n2;
            norm[3] += n3;
            norm[4] += n4;
        };
        addNorms(0, block, normBlock);
        for (int j = 0; j < 5; ++j) normWindow[j] = normBlock[j];
        addNorms(block, window, normWindow);
        for (int j = 0; j < 5; ++j) {
            normBlock[j] = std::sqrt(normBlock[j]);
            normWindow[j] = std::sqrt(normWindow[j]);
        }

        double* stage = ws.stage.Real();
        double* power = ws.power.Real();
        std::copy(mask, mask + window, power);
        for (int j = 1; j <= 4; ++j) {
            for (int i = 0; i < window; ++i) power[i] *= local[i];
            std::copy(power, power + window, stage);
            std::fill(stage + window, stage + size, 0.0);
            fft.Forward(stage, ws.v[j].Complex());
            std::fill(stage + block, stage + window, 0.0);
            fft.Forward(stage, ws.u[j].Complex());
        }
        MomentSpectra(ws, bins);
        for (int j = 1; j <= 4; ++j) fft.Inverse(ws.o[j].Complex(), ws.sums[j].Real());
        const double kappa = CorrelationErrorFactor(size);
        for (int j = 1; j <= 4; ++j) {
            double b = 0.0;
            for (int i = 0; i <= j; ++i) b += kBinomial[j][i] * normBlock[i] * normWindow[j - i];
            out.bound[j] = kappa * b;
        }
    }

    // The mean and the squared deviations of dx^2 at distance d of a block,
    // from the sums of dx'^j (scaled by the FFT length) and their bounds.
    static MOMENTS Moments(const WORKSPACE& ws, const POWERBOUNDS& b, int d, double n, double scale) {
        double m[5], e[5];
        for (int j = 1; j <= 4; ++j) {
            m[j] = ws.sums[j].Real()[d] * scale / n;
            e[j] = b.bound[j] / n;
        }
        const double a = b.slope * d;  // exact
        const double mean = m[1] + a;
        const double v1 = m[2] - m[1] * m[1];  // variance of dx'
        const double ev1 = e[2] + 2.0 * std::fabs(m[1]) * e[1] + e[1] * e[1] + 4.0 * kEps * (m[2] + m[1] * m[1]);
        MOMENTS r;
        r.f = v1 + mean * mean;
        r.ef = ev1 + 2.0 * std::fabs(mean) * e[1] + e[1] * e[1] + 4.0 * kEps * (std::fabs(v1) + mean * mean);
        // Var(dx^2) = m4 - m2^2 + 4a (m3 - m1 m2) + 4a^2 (m2 - m1^2): the
        // terms in a^3 and a^4 cancel exactly and are never formed.
        const double t3 = m[3] - m[1] * m[2];
        const double et3 = e[3] + std::fabs(m[1]) * e[2] + std::fabs(m[2]) * e[1] + e[1] * e[2];
        const double var = m[4] - m[2] * m[2] + 4.0 * a * t3 + 4.0 * a * a * v1;
        const double evar =
            e[4] + 2.0 * std::fabs(m[2]) * e[2] + e[2] * e[2] + 4.0 * std::fabs(a) * et3 + 4.0 * a * a * ev1 +
            8.0 * kEps *
                (std::fabs(m[4]) + m[2] * m[2] + 4.0 * std::fabs(a) * (std::fabs(m[3]) + std::fabs(m[1] * m[2])) +
                 4.0 * a * a * std::fabs(v1));
        r.m = n * var;
        r.em = n * evar;
        return r;
    }

    // One block of a group by transforms, merged into acc. false: the pair
    // counts could not be trusted.
    bool SumBlock(WORKSPACE& ws, const TASK& task, std::vector<LAGSTATS>& acc) {
        const GROUP& grp = m_groups[task.group];
        const CRealFft& fft = *m_plans.at(task.size);
        const int size = task.size;
        const int lags = task.lags;
        const int blockLen = size - lags;
        const int block = std::min(blockLen, grp.end - task.start);
        const int window = std::min(size, grp.end - task.start);
        const int bins = fft.Bins();

        double* mask = ws.mask.Real();
        int present = 0;
        for (int i = 0; i < window; ++i) {
            mask[i] = Member(task.start + i, grp.g) ? 1.0 : 0.0;
            if (i < block && mask[i] != 0.0) ++present;
        }
        if (present == 0) return true;

        // Mask spectra and the pair counts. Full blocks of a group without
        // holes all have the same mask: its transforms are kept.
        const bool sameMask = !grp.holes && ws.maskSize == size && ws.maskBlock == block && ws.maskWindow == window;
        if (!sameMask) {
            double* stage = ws.stage.Real();
            std::copy(mask, mask + window, stage);
            std::fill(stage + window, stage + size, 0.0);
            fft.Forward(stage, ws.v[0].Complex());
            std::fill(stage + block, stage + size, 0.0);
            fft.Forward(stage, ws.u[0].Complex());
            CountSpectrum(ws, bins);
            fft.Inverse(ws.o[0].Complex(), ws.sums[0].Real());
            ws.maskSize = grp.holes ? 0 : size;
            ws.maskBlock = block;
            ws.maskWindow = window;
        }
        const double scale = 1.0 / static_cast<double>(size);
        const double countBound = CorrelationErrorFactor(size) * std::sqrt(static_cast<double>(present)) *
                                  std::sqrt(static_cast<double>(window));
        if (countBound > 0.25) return false;

        const int dTop = std::min(lags, window - 1);
        std::vector<double>& counts = m_counts;
        counts.assign(static_cast<std::size_t>(dTop) + 1, 0.0);
        for (int d = 1; d <= dTop; ++d) counts[d] = std::nearbyint(ws.sums[0].Real()[d] * scale);

        std::vector<MOMENTS>& mx = m_momentsX;
        mx.assign(static_cast<std::size_t>(dTop) + 1, MOMENTS{});
        POWERBOUNDS bx, by;
        CorrelatePowers(ws, fft, m_series.x, task, window, block, bx);
        for (int d = 1; d <= dTop; ++d)
            if (counts[d] > 0.0) mx[d] = Moments(ws, bx, d, counts[d], scale);
        CorrelatePowers(ws, fft, m_series.y, task, window, block, by);
        for (int d = 1; d <= dTop; ++d) {
            if (counts[d] <= 0.0) continue;
            LAGSTATS b;
            b.n = counts[d];
            b.x = mx[d];
            b.y = Moments(ws, by, d, counts[d], scale);
            Merge(acc[d], b);
        }
        return true;
    }

    const COLUMNS& m_series;
    const std::vector<GROUP>& m_groups;
    const std::map<int, std::unique_ptr<CRealFft>>& m_plans;
    std::vector<double> m_counts;
    std::vector<LAGSTATS> m_chunk;
    std::vector<MOMENTS> m_momentsX;
};

// The size of the measurement offset the caller subtracts later: the
// intercepts of the characteristic function's noise line (0 when there is
// none).
void InterceptSizes(const std::vector<PAIRSTATS>& stats, double& ax, double& ay) {
    PAIRLINES lines;
    const bool fitted = FitPairLines(stats, lines);
    ax = fitted && std::isfinite(lines.dInterceptX) ? std::fabs(lines.dInterceptX) : 0.0;
    ay = fitted && std::isfinite(lines.dInterceptY) ? std::fabs(lines.dInterceptY) : 0.0;
}

std::vector<PAIRSTATS> WholeSeriesDirect(const std::vector<A1SAMPLE>& samples, int dLast, PAIRFFTREPORT* report) {
    if (report) report->bWholeSeriesDirect = true;
    return ComputePairStats(samples, dLast);
}

// One pass of the transforms over the whole series for the distances
// 1 ... cap, with the bound of every distance.
struct LEVEL {
    std::vector<PAIRSTATS> stats;  // [d - 1]
    std::vector<double> boundX, boundY;
    std::vector<char> varOk;
};

bool RunLevel(const COLUMNS& series, const std::vector<GROUP>& groups, int dLast, std::unique_ptr<WORKSPACE> (&ws)[2],
              LEVEL& out) {
    // Tasks: small groups whole, the others in blocks.
    std::vector<TASK> tasks;
    std::map<int, std::unique_ptr<CRealFft>> plans;
    int maxSize = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const GROUP& g = groups[i];
        const int extent = g.end - g.begin;
        const int lags = std::min(dLast, extent - 1);
        if (lags < 1) continue;
        if (extent <= kPairFftSmallGroup) {
            tasks.push_back(TASK{static_cast<int>(i), g.begin, 0, lags, 0.5 * extent * static_cast<double>(lags)});
            continue;
        }
        int size = NextPowerOfTwo(2 * static_cast<std::int64_t>(lags) + 2);
        if (extent + lags <= size) size = NextPowerOfTwo(static_cast<std::int64_t>(extent) + lags);
        if (size > kMaxTransform) return false;
        const int blockLen = size - lags;
        if (!plans.count(size)) plans.emplace(size, std::make_unique<CRealFft>(size));
        maxSize = std::max(maxSize, size);
        const double cost = kFftBlockWeight * size * std::log2(static_cast<double>(size));
        for (int start = g.begin; start < g.end; start += blockLen)
            tasks.push_back(TASK{static_cast<int>(i), start, size, lags, cost});
    }

    // Two shares of about equal cost, merged in a fixed order: the results
    // do not depend on the number of threads that ran them.
    double total = 0.0;
    for (const TASK& t : tasks) total += t.cost;
    std::size_t split = 0;
    for (double run = 0.0; split < tasks.size() && run + 0.5 * tasks[split].cost <= 0.5 * total; ++split)
        run += tasks[split].cost;

    std::vector<LAGSTATS> acc0(static_cast<std::size_t>(dLast) + 1), acc1(static_cast<std::size_t>(dLast) + 1);
    CFftPairSums sums0(series, groups, plans), sums1(series, groups, plans);
    bool ok0 = true, ok1 = true;
    std::exception_ptr error;
    const bool parallel = std::thread::hardware_concurrency() >= 2 && total > 2.0e6;
    std::thread helper;
    if (parallel) {
        try {
            helper = std::thread([&] {
                try {
                    ok1 = sums1.Run(tasks, split, tasks.size(), maxSize, ws[1], acc1);
                } catch (...) {
                    error = std::current_exception();
                }
            });
        } catch (const std::exception&) {
            // No thread: the calling one runs both shares.
        }
    }
    try {
        ok0 = sums0.Run(tasks, 0, split, maxSize, ws[0], acc0);
        if (!helper.joinable()) ok1 = sums1.Run(tasks, split, tasks.size(), maxSize, ws[1], acc1);
    } catch (...) {
        if (helper.joinable()) helper.join();
        throw;
    }
    if (helper.joinable()) helper.join();
    if (error) std::rethrow_exception(error);
    if (!ok0 || !ok1) return false;

    out.stats.assign(static_cast<std::size_t>(dLast), PAIRSTATS{});
    out.boundX.assign(static_cast<std::size_t>(dLast), 0.0);
    out.boundY.assign(static_cast<std::size_t>(dLast), 0.0);
    out.varOk.assign(static_cast<std::size_t>(dLast), 0);
    for (int d = 1; d <= dLast; ++d) {
        LAGSTATS& a = acc0[d];
        Merge(a, acc1[d]);
        if (a.n <= 0.0) continue;
        PAIRSTATS& r = out.stats[d - 1];
        r.dPairs = a.n;
        r.dFx = a.x.f;
        r.dFy = a.y.f;
        r.dVarX = a.x.m / a.n;
        r.dVarY = a.y.m / a.n;
        out.boundX[d - 1] = a.x.ef;
        out.boundY[d - 1] = a.y.ef;
        out.varOk[d - 1] = a.x.em <= kVarBoundLimit * a.x.m && a.y.em <= kVarBoundLimit * a.y.m;
    }
    return true;
}

// Whether a level up to distance cap costs less than the direct sums of
// count distances (the costs per sample of PairSumsFftTuning.h).
bool FinerLevelPays(int cap, std::size_t count) {
    const double size = NextPowerOfTwo(2 * static_cast<std::int64_t>(cap) + 2);
    const double level = size / (size - cap) * (kFftLevelNsPerLog2 * std::log2(size) + kFftLevelNsBase);
    return kDirectNsPerDistance * static_cast<double>(count) > level;
}

// The distances 1 ... to (with pairs) whose bounds fail, increasing.
std::vector<int> Failing(const std::vector<PAIRSTATS>& stats, const LEVEL& level, double ax, double ay, int to) {
    std::vector<int> fail;
    for (int d = 1; d <= to; ++d) {
        const PAIRSTATS& r = stats[d - 1];
        if (r.dPairs <= 0.0) continue;
        const bool meanOk = level.boundX[d - 1] <= kMeanBoundLimit * (std::fabs(r.dFx) + ax) &&
                            level.boundY[d - 1] <= kMeanBoundLimit * (std::fabs(r.dFy) + ay);
        if (!meanOk || !level.varOk[d - 1]) fail.push_back(d);
    }
    return fail;
}

}  // namespace

std::vector<PAIRSTATS> ComputePairStatsFft(const std::vector<A1SAMPLE>& samples, int dLast, PAIRFFTREPORT* report) {
    if (report) *report = PAIRFFTREPORT{};
    const int n = static_cast<int>(samples.size());
    if (dLast <= 0 || n < 2) return WholeSeriesDirect(samples, dLast, report);

    COLUMNS series;
    series.x.resize(n);
    series.y.resize(n);
    series.offset.resize(n);
    for (int k = 0; k < n; ++k) {
        const A1SAMPLE& s = samples[k];
        if (!std::isfinite(s.dX) || !std::isfinite(s.dY)) return WholeSeriesDirect(samples, dLast, report);
        series.x[k] = s.dX;
        series.y[k] = s.dY;
        series.offset[k] = static_cast<std::int64_t>(s.nIndex) - k;
    }

    // Groups of equal offset, each from its first to its last position.
    std::vector<GROUP> groups;
    {
        std::map<std::int64_t, int> byOffset;
        std::vector<int> members;
        for (int k = 0; k < n; ++k) {
            auto [it, added] = byOffset.try_emplace(series.offset[k], static_cast<int>(groups.size()));
            if (added) {
                groups.push_back(GROUP{series.offset[k], k, k + 1, false});
                members.push_back(0);
            }
            GROUP& g = groups[it->second];
            g.end = k + 1;
            ++members[it->second];
        }
        std::int64_t extent = 0;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            groups[i].holes = members[i] != groups[i].end - groups[i].begin;
            extent += groups[i].end - groups[i].begin;
        }
        // Interleaved numbering would make the layout much longer than the
        // series: then the direct sums are the better tool anyway.
        if (extent > 2 * static_cast<std::int64_t>(n) + 4096) return WholeSeriesDirect(samples, dLast, report);
    }

    std::vector<PAIRSTATS> stats;
    LEVEL level;
    std::unique_ptr<WORKSPACE> workspaces[2];
    if (!RunLevel(series, groups, dLast, workspaces, level)) return WholeSeriesDirect(samples, dLast, report);
    stats = std::move(level.stats);

    // Distances whose bound is not good enough get another level with a
    // smaller largest distance (shorter windows, so a smaller local scatter
    // and tighter bounds), as long as that pays; the rest are summed directly.
    double ax = 0.0, ay = 0.0;
    InterceptSizes(stats, ax, ay);
    std::vector<int> redo = Failing(stats, level, ax, ay, dLast);
    std::vector<int> direct;  // distances left to the direct sums
    int cap = dLast;
    int levels = 1;
    while (!redo.empty()) {
        // Failing distances up to a quarter of the present largest one get a
        // finer level when there are enough of them; the others (typically
        // near the end of a run, with few pairs there) go direct.
        std::vector<int> low;
        for (int d : redo) (d <= cap / 4 ? low : direct).push_back(d);
        if (static_cast<int>(low.size()) <= kPairFftDirectDistances || !FinerLevelPays(low.back(), low.size())) {
            direct.insert(direct.end(), low.begin(), low.end());
            break;
        }
        cap = low.back();
        LEVEL finer;
        if (!RunLevel(series, groups, cap, workspaces, finer)) {
            direct.insert(direct.end(), low.begin(), low.end());
            break;
        }
        ++levels;
        std::vector<int> still;
        const std::vector<int> failing = Failing(finer.stats, finer, ax, ay, cap);
        std::size_t f = 0;
        for (int d : low) {
            while (f < failing.size() && failing[f] < d) ++f;
            if (f < failing.size() && failing[f] == d) still.push_back(d);
            else stats[d - 1] = finer.stats[d - 1];
        }
        redo = std::move(still);
    }
    workspaces[0].reset();  // the direct sums need none of it
    workspaces[1].reset();
    std::sort(direct.begin(), direct.end());
    if (!direct.empty()) {
        const std::vector<PAIRSTATS> sums = ComputePairStatsFor(samples, dLast, direct);
        for (int d : direct) stats[d - 1] = sums[d - 1];
    }
    if (report) {
        for (const PAIRSTATS& r : stats)
            if (r.dPairs > 0.0) ++report->nFftDistances;
        report->nFftDistances -= static_cast<int>(direct.size());
        report->aDirectDistances = std::move(direct);
        report->nLevels = levels;
    }
    return stats;
}
