#include "eval/CharFunc.h"

#include "log/LogFile.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

// The pair sums are the only heavy part: about N * N/m pairs, two passes.
// They are computed for blocks of kBlock consecutive distances at once, so
// that one sweep over the samples serves the whole block and the innermost
// loop runs over neighbouring distances (contiguous memory, vectorisable).
// Every distance still adds its terms in increasing k, exactly like a plain
// per-distance loop, so the result does not depend on the block size, the
// vector width or the number of threads.

#if defined(__GNUC__) && defined(__ELF__) && (defined(__x86_64__) || defined(__i386__))
#define DW_SIMD_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define DW_SIMD_CLONES
#endif

namespace {

constexpr int kBlock = 16;

// The samples as three contiguous arrays; the image numbers as doubles
// (exact for every 32-bit integer) so that the gap test has the width of
// the data lanes.
struct PairInput {
    const double* index = nullptr;
    const double* x = nullptr;
    const double* y = nullptr;
    int count = 0;
    bool gapFree = false;  // every image number is its predecessor + 1
};

struct BlockResult {
    double sumX[kBlock];
    double sumY[kBlock];
    double pairs[kBlock];
    double varX[kBlock];
    double varY[kBlock];
};

// First pass: sums of the squared changes and the pair counts of the
// distances d0 ... d0 + kBlock - 1 (a distance without partners gets 0).
DW_SIMD_CLONES
void BlockSums(const PairInput& in, int d0, BlockResult& r) {
    const double* const ix = in.index;
    const double* const x = in.x;
    const double* const y = in.y;
    const int n = in.count;
    const int kMain = n - (d0 + kBlock - 1);  // positions with a partner for every distance

    double sx[kBlock] = {};
    double sy[kBlock] = {};
    double np[kBlock] = {};
    double dist[kBlock];
    for (int b = 0; b < kBlock; ++b) dist[b] = d0 + b;

    if (in.gapFree) {
        for (int k = 0; k < kMain; ++k) {
            const double xk = x[k], yk = y[k];
            const double* xp = x + k + d0;
            const double* yp = y + k + d0;
            for (int b = 0; b < kBlock; ++b) {
                const double ex = xp[b] - xk, ey = yp[b] - yk;
                sx[b] += ex * ex;
                sy[b] += ey * ey;
            }
        }
        for (int b = 0; b < kBlock; ++b) np[b] = kMain > 0 ? kMain : 0;
    } else {
        for (int k = 0; k < kMain; ++k) {
            const double ik = ix[k], xk = x[k], yk = y[k];
            const double* ip = ix + k + d0;
            const double* xp = x + k + d0;
            const double* yp = y + k + d0;
            for (int b = 0; b < kBlock; ++b) {
                const bool ok = ip[b] - ik == dist[b];
                const double ex = xp[b] - xk, ey = yp[b] - yk;
                sx[b] += ok ? ex * ex : 0.0;
                sy[b] += ok ? ey * ey : 0.0;
                np[b] += ok ? 1.0 : 0.0;
            }
        }
    }
    // The last positions, where the shorter distances of the block still
    // have partners; they come after the main positions, so the order of
    // the terms stays increasing in k.
    for (int b = 0; b < kBlock; ++b) {
        const int d = d0 + b;
        for (int k = std::max(kMain, 0); k < n - d; ++k) {
            if (ix[k + d] - ix[k] != dist[b]) continue;
            const double ex = x[k + d] - x[k], ey = y[k + d] - y[k];
            sx[b] += ex * ex;
            sy[b] += ey * ey;
            np[b] += 1.0;
        }
    }
    for (int b = 0; b < kBlock; ++b) {
        r.sumX[b] = sx[b];
        r.sumY[b] = sy[b];
        r.pairs[b] = np[b];
    }
}

// Second pass: sums of (change^2 - mean)^2 with the means of the first pass.
DW_SIMD_CLONES
void BlockSquaredDeviations(const PairInput& in, int d0, const double* meanX, const double* meanY,
                            BlockResult& r) {
    const double* const ix = in.index;
    const double* const x = in.x;
    const double* const y = in.y;
    const int n = in.count;
    const int kMain = n - (d0 + kBlock - 1);

    double vx[kBlock] = {};
    double vy[kBlock] = {};
    double fx[kBlock], fy[kBlock], dist[kBlock];
    for (int b = 0; b < kBlock; ++b) {
        fx[b] = meanX[b];
        fy[b] = meanY[b];
        dist[b] = d0 + b;
    }

    if (in.gapFree) {
        for (int k = 0; k < kMain; ++k) {
            const double xk = x[k], yk = y[k];
            const double* xp = x + k + d0;
            const double* yp = y + k + d0;
            for (int b = 0; b < kBlock; ++b) {
                const double ex = xp[b] - xk, ey = yp[b] - yk;
                const double qx = ex * ex - fx[b], qy = ey * ey - fy[b];
                vx[b] += qx * qx;
                vy[b] += qy * qy;
            }
        }
    } else {
        for (int k = 0; k < kMain; ++k) {
            const double ik = ix[k], xk = x[k], yk = y[k];
            const double* ip = ix + k + d0;
            const double* xp = x + k + d0;
            const double* yp = y + k + d0;
            for (int b = 0; b < kBlock; ++b) {
                const bool ok = ip[b] - ik == dist[b];
                const double ex = xp[b] - xk, ey = yp[b] - yk;
                const double qx = ex * ex - fx[b], qy = ey * ey - fy[b];
                vx[b] += ok ? qx * qx : 0.0;
                vy[b] += ok ? qy * qy : 0.0;
            }
        }
    }
    for (int b = 0; b < kBlock; ++b) {
        const int d = d0 + b;
        for (int k = std::max(kMain, 0); k < n - d; ++k) {
            if (ix[k + d] - ix[k] != dist[b]) continue;
            const double ex = x[k + d] - x[k], ey = y[k + d] - y[k];
            const double qx = ex * ex - fx[b], qy = ey * ey - fy[b];
            vx[b] += qx * qx;
            vy[b] += qy * qy;
        }
    }
    for (int b = 0; b < kBlock; ++b) {
        r.varX[b] = vx[b];
        r.varY[b] = vy[b];
    }
}

// One record per distance; pairs == 0 marks a distance without pairs.
struct DistanceStats {
    double pairs = 0.0;
    double fx = 0.0, fy = 0.0, varX = 0.0, varY = 0.0;
};

// Both passes for the block starting at d0; stats[j] belongs to distance
// d0 + j, only distances up to dLast are stored.
void ProcessBlock(const PairInput& in, int d0, int dLast, DistanceStats* stats) {
    BlockResult r;
    BlockSums(in, d0, r);
    double meanX[kBlock], meanY[kBlock];
    for (int b = 0; b < kBlock; ++b) {
        meanX[b] = r.pairs[b] > 0.0 ? r.sumX[b] / r.pairs[b] : 0.0;
        meanY[b] = r.pairs[b] > 0.0 ? r.sumY[b] / r.pairs[b] : 0.0;
    }
    BlockSquaredDeviations(in, d0, meanX, meanY, r);
    for (int b = 0; b < kBlock && d0 + b <= dLast; ++b) {
        DistanceStats& s = stats[b];
        s.pairs = r.pairs[b];
        if (s.pairs > 0.0) {
            s.fx = meanX[b];
            s.fy = meanY[b];
            s.varX = r.varX[b] / s.pairs;
            s.varY = r.varY[b] / s.pairs;
        }
    }
}

// Blocks are dealt out round-robin to the threads; each distance is
// computed by exactly one thread in the same way, so the split does not
// change any result.
void ProcessBlocks(const PairInput& in, int dLast, int firstBlock, int step,
                   std::vector<DistanceStats>& stats) {
    const int nBlocks = (dLast + kBlock - 1) / kBlock;
    for (int i = firstBlock; i < nBlocks; i += step) {
        const int d0 = 1 + i * kBlock;
        ProcessBlock(in, d0, dLast, &stats[d0 - 1]);
    }
}

int ThreadCount(const PairInput& in, int dLast) {
    // Below a few million pairs a second thread costs more than it saves.
    const double pairs = static_cast<double>(in.count) * dLast;
    if (pairs < 4.0e6 || dLast <= kBlock) return 1;
    const unsigned hw = std::thread::hardware_concurrency();
    const int blocks = (dLast + kBlock - 1) / kBlock;
    return std::clamp(static_cast<int>(hw), 1, std::min(8, blocks));
}

// Statistics of every distance 1 ... dLast.
std::vector<DistanceStats> ComputeDistanceStats(const std::vector<A1SAMPLE>& samples, int dLast) {
    const int n = static_cast<int>(samples.size());
    std::vector<double> index(n), x(n), y(n);
    bool gapFree = true;
    for (int k = 0; k < n; ++k) {
        index[k] = samples[k].nIndex;
        x[k] = samples[k].dX;
        y[k] = samples[k].dY;
        if (k > 0 && static_cast<std::int64_t>(samples[k].nIndex) !=
                         static_cast<std::int64_t>(samples[k - 1].nIndex) + 1)
            gapFree = false;
    }
    const PairInput in{index.data(), x.data(), y.data(), n, gapFree};
    std::vector<DistanceStats> stats(dLast > 0 ? dLast : 0);
    if (dLast <= 0) return stats;

    const int nThreads = ThreadCount(in, dLast);
    std::vector<std::thread> helpers;
    for (int t = 1; t < nThreads; ++t) {
        try {
            helpers.emplace_back(ProcessBlocks, std::cref(in), dLast, t, nThreads, std::ref(stats));
        } catch (const std::system_error&) {
            break;
        }
    }
    // The calling thread takes share 0 and, if some helper could not be
    // started, the shares that helper would have had.
    const int started = static_cast<int>(helpers.size()) + 1;
    ProcessBlocks(in, dLast, 0, nThreads, stats);
    for (int t = started; t < nThreads; ++t) ProcessBlocks(in, dLast, t, nThreads, stats);
    for (std::thread& h : helpers) h.join();
    return stats;
}

// Least-squares line through three points: intercept a and slope b.
void FitLine(const double d[3], const double v[3], double& a, double& b) {
    const double dm = (d[0] + d[1] + d[2]) / 3.0;
    const double vm = (v[0] + v[1] + v[2]) / 3.0;
    double sxy = 0.0, sxx = 0.0;
    for (int i = 0; i < 3; ++i) {
        sxy += (d[i] - dm) * (v[i] - vm);
        sxx += (d[i] - dm) * (d[i] - dm);
    }
    b = sxy / sxx;
    a = vm - dm * b;
}

void ClearEvaluation(CA1TimeSeries& s) {
    s.m_aCharFunc.clear();
    s.CharFuncValid = 0;
    s.ModelValid = 0;
    s.LifetimeState = 0;
    s.MeasErr = s.MeasErrX = s.MeasErrY = 0.0;
    s.SlopeSum = 0.0;
    s.Tolerance = 0.0;
    s.DirectLifetime = 0.0;
    s.FitDi = s.FitDa = s.FitTc = s.FitS = 0.0;
    s.ModelLifetime = 0.0;
    s.FitSSqr = 0.0;
}

}  // namespace

void ExtractCharacteristicFunction(CA1TimeSeries& series, int minDiversity) {
    CLogFile* log = series.m_pLog;
    const int n = static_cast<int>(series.m_aSamples.size());
    if (minDiversity < 1) {
        // A zero or negative diversity would divide by zero below.
        LogIfAttached(log, FormatText("ERROR: Invalid minimum diversity %d for the characteristic "
                                      "function (it must be at least 1).",
                                      minDiversity));
        return;
    }
    if (n < minDiversity) return;

    const int distances =
        static_cast<int>(std::floor(static_cast<double>(n - 1) / static_cast<double>(minDiversity)));
    if (distances < 10) {
        LogIfAttached(log, "ERROR: The recorded series is too short. Record more images!");
        return;
    }
    LogIfAttached(log, "Extracting data for the characteristic function...");
    LogIfAttached(log, FormatText("- inter-image distances of 1 up to %d", distances));

    ClearEvaluation(series);
    series.UsedMinDiversity = minDiversity;

    std::vector<A1SAMPLE> points;
    try {
        // The largest distance itself is not evaluated.
        const std::vector<DistanceStats> stats = ComputeDistanceStats(series.m_aSamples, distances - 1);
        for (int d = 1; d < distances; ++d) {
            const DistanceStats& s = stats[d - 1];
            if (s.pairs <= 0.0) continue;
            points.push_back(A1SAMPLE{d, s.fx, s.fy, s.varX, s.varY});
        }
    } catch (const std::bad_alloc&) {
        LogIfAttached(log, "ERROR: Not enough memory to extract the characteristic function.");
        return;
    }

    if (points.size() < 3) {
        // The measurement error needs the first three distances with pairs;
        // with fewer there is no usable function and the series stays
        // without one.
        LogIfAttached(log, FormatText("ERROR: Only %d image distances have image pairs (gaps in the "
                                      "image numbers); at least 3 are needed for the "
                                      "characteristic function.",
                                      static_cast<int>(points.size())));
        return;
    }

    // Straight lines through the first three points: the intercepts are the
    // measurement-noise offset, the slopes are kept for the model fit.
    const double d[3] = {static_cast<double>(points[0].nIndex), static_cast<double>(points[1].nIndex),
                         static_cast<double>(points[2].nIndex)};
    const double vx[3] = {points[0].dX, points[1].dX, points[2].dX};
    const double vy[3] = {points[0].dY, points[1].dY, points[2].dY};
    double ax = 0.0, bx = 0.0, ay = 0.0, by = 0.0;
    FitLine(d, vx, ax, bx);
    FitLine(d, vy, ay, by);
    series.SlopeSum = bx + by;
    series.MeasErrX = std::sqrt(ax);
    series.MeasErrY = std::sqrt(ay);
    series.MeasErr = std::sqrt(ax + ay);
    for (A1SAMPLE& p : points) {
        p.dX -= ax;
        p.dY -= ay;
    }
    series.m_aCharFunc = std::move(points);

    LogIfAttached(log, FormatText("- extracted measurement error: %.3f nm, (%.3f, %.3f) nm", series.MeasErr,
                                  series.MeasErrX, series.MeasErrY));
    LogIfAttached(log, "The characteristic function was extracted successfully.");
    series.CharFuncValid = 1;
}
