#include "eval/PairSums.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <thread>

// How the sums are organised
//
// Distances are handled in blocks of kBlock consecutive values. One sweep
// over the positions k serves the whole block: the innermost step takes
// the samples k + d0 ... k + d0 + kBlock - 1, which lie next to each other
// in memory, as a few vector registers, and each lane accumulates its own
// distance. No lane ever mixes the terms of two positions, so every
// distance sums its terms in increasing k, as a plain loop would.
//
// A pair inside a run of consecutive image numbers always counts, so the
// interiors of the runs are swept without any per-pair test. When the image
// numbers increase strictly, no pair across runs can count and nothing else
// is needed; otherwise (repeated or falling image numbers) the positions
// outside the run interiors test every pair, as a select on a lane mask.

#if defined(__GNUC__) || defined(__clang__)
#define DW_VECTOR_LOOPS 1
#define DW_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define DW_VECTOR_LOOPS 0
#define DW_ALWAYS_INLINE inline
#endif

#if DW_VECTOR_LOOPS && (defined(__x86_64__) || defined(__i386__))
#define DW_X86_DISPATCH 1
#define DW_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define DW_X86_DISPATCH 0
#endif

namespace {

constexpr int kBlock = 16;

struct PairInput {
    const double* index = nullptr;  // image numbers as doubles (exact for 32-bit integers)
    const double* x = nullptr;
    const double* y = nullptr;
    int count = 0;
};

// Positions [begin, end) holding consecutive image numbers.
struct Segment {
    int begin = 0;
    int end = 0;
};

// The running sums of one block, lane j belonging to distance d0 + j.
struct BlockSums {
    double sx[kBlock], sy[kBlock], np[kBlock];
    double fx[kBlock], fy[kBlock];
    double vx[kBlock], vy[kBlock];
};

// Sweeps over the positions [k0, k1); for each of them every distance of
// the block must have its partner inside the series.
using SweepFn = void (*)(const PairInput&, int k0, int k1, int d0, bool masked, BlockSums&);

#if DW_VECTOR_LOOPS

template <int W>
DW_ALWAYS_INLINE void SumSweep(const PairInput& in, int k0, int k1, int d0, bool masked, BlockSums& acc) {
    typedef double V __attribute__((vector_size(8 * W)));
    constexpr int H = kBlock / W;
    V sx[H], sy[H], np[H], dist[H];
    const V zero = {};
    const V one = zero + 1.0;
    for (int h = 0; h < H; ++h) {
        for (int b = 0; b < W; ++b) {
            sx[h][b] = acc.sx[W * h + b];
            sy[h][b] = acc.sy[W * h + b];
            np[h][b] = acc.np[W * h + b];
            dist[h][b] = d0 + W * h + b;
        }
    }
    const double* const xs = in.x + d0;
    const double* const ys = in.y + d0;
    const double* const is = in.index + d0;
    if (masked) {
        for (int k = k0; k < k1; ++k) {
            const double ik = in.index[k], xk = in.x[k], yk = in.y[k];
#pragma GCC unroll 16
            for (int h = 0; h < H; ++h) {
                V a, c, e;
                std::memcpy(&a, xs + k + W * h, sizeof a);
                std::memcpy(&c, ys + k + W * h, sizeof c);
                std::memcpy(&e, is + k + W * h, sizeof e);
                const auto ok = (e - ik) == dist[h];
                const V ex = a - xk, ey = c - yk;
                sx[h] += ok ? ex * ex : zero;
                sy[h] += ok ? ey * ey : zero;
                np[h] += ok ? one : zero;
            }
        }
    } else {
        for (int k = k0; k < k1; ++k) {
            const double xk = in.x[k], yk = in.y[k];
#pragma GCC unroll 16
            for (int h = 0; h < H; ++h) {
                V a, c;
                std::memcpy(&a, xs + k + W * h, sizeof a);
                std::memcpy(&c, ys + k + W * h, sizeof c);
                const V ex = a - xk, ey = c - yk;
                sx[h] += ex * ex;
                sy[h] += ey * ey;
            }
        }
        for (int h = 0; h < H; ++h) np[h] += static_cast<double>(k1 > k0 ? k1 - k0 : 0);
    }
    for (int h = 0; h < H; ++h) {
        for (int b = 0; b < W; ++b) {
            acc.sx[W * h + b] = sx[h][b];
            acc.sy[W * h + b] = sy[h][b];
            acc.np[W * h + b] = np[h][b];
        }
    }
}

template <int W>
DW_ALWAYS_INLINE void DeviationSweep(const PairInput& in, int k0, int k1, int d0, bool masked, BlockSums& acc) {
    typedef double V __attribute__((vector_size(8 * W)));
    constexpr int H = kBlock / W;
    V vx[H], vy[H], fx[H], fy[H], dist[H];
    const V zero = {};
    for (int h = 0; h < H; ++h) {
        for (int b = 0; b < W; ++b) {
            vx[h][b] = acc.vx[W * h + b];
            vy[h][b] = acc.vy[W * h + b];
            fx[h][b] = acc.fx[W * h + b];
            fy[h][b] = acc.fy[W * h + b];
            dist[h][b] = d0 + W * h + b;
        }
    }
    const double* const xs = in.x + d0;
    const double* const ys = in.y + d0;
    const double* const is = in.index + d0;
    if (masked) {
        for (int k = k0; k < k1; ++k) {
            const double ik = in.index[k], xk = in.x[k], yk = in.y[k];
#pragma GCC unroll 16
            for (int h = 0; h < H; ++h) {
                V a, c, e;
                std::memcpy(&a, xs + k + W * h, sizeof a);
                std::memcpy(&c, ys + k + W * h, sizeof c);
                std::memcpy(&e, is + k + W * h, sizeof e);
                const auto ok = (e - ik) == dist[h];
                const V ex = a - xk, ey = c - yk;
                const V qx = ex * ex - fx[h], qy = ey * ey - fy[h];
                vx[h] += ok ? qx * qx : zero;
                vy[h] += ok ? qy * qy : zero;
            }
        }
    } else {
        for (int k = k0; k < k1; ++k) {
            const double xk = in.x[k], yk = in.y[k];
#pragma GCC unroll 16
            for (int h = 0; h < H; ++h) {
                V a, c;
                std::memcpy(&a, xs + k + W * h, sizeof a);
                std::memcpy(&c, ys + k + W * h, sizeof c);
                const V ex = a - xk, ey = c - yk;
                const V qx = ex * ex - fx[h], qy = ey * ey - fy[h];
                vx[h] += qx * qx;
                vy[h] += qy * qy;
            }
        }
    }
    for (int h = 0; h < H; ++h) {
        for (int b = 0; b < W; ++b) {
            acc.vx[W * h + b] = vx[h][b];
            acc.vy[W * h + b] = vy[h][b];
        }
    }
}

void SumSweepBaseline(const PairInput& in, int k0, int k1, int d0, bool masked, BlockSums& acc) {
    SumSweep<2>(in, k0, k1, d0, masked, acc);
}
void DeviationSweepBaseline(const PairInput& in, int k0, int k1, int d0, bool masked, BlockSums& acc) {
    DeviationSweep<2>(in, k0, k1, d0, masked, acc);
}

#if DW_X86_DISPATCH
DW_TARGET_AVX2 void SumSweepAvx2(const PairInput& in, int k0, int k1, int d0, bool masked, BlockSums& acc) {
    SumSweep<4>(in, k0, k1, d0, masked, acc);
}
DW_TARGET_AVX2 void DeviationSweepAvx2(const PairInput& in, int k0, int k1, int d0, bool masked, BlockSums& acc) {
    DeviationSweep<4>(in, k0, k1, d0, masked, acc);
}
#endif

#else  // no vector extensions: plain loops, lane by lane

void SumSweepBaseline(const PairInput& in, int k0, int k1, int d0, bool masked, BlockSums& acc) {
    for (int k = k0; k < k1; ++k) {
        for (int b = 0; b < kBlock; ++b) {
            const int d = d0 + b;
            if (masked && in.index[k + d] - in.index[k] != d) continue;
            const double ex = in.x[k + d] - in.x[k], ey = in.y[k + d] - in.y[k];
            acc.sx[b] += ex * ex;
            acc.sy[b] += ey * ey;
            acc.np[b] += 1.0;
        }
    }
}
void DeviationSweepBaseline(const PairInput& in, int k0, int k1, int d0, bool masked, BlockSums& acc) {
    for (int k = k0; k < k1; ++k) {
        for (int b = 0; b < kBlock; ++b) {
            const int d = d0 + b;
            if (masked && in.index[k + d] - in.index[k] != d) continue;
            const double ex = in.x[k + d] - in.x[k], ey = in.y[k + d] - in.y[k];
            const double qx = ex * ex - acc.fx[b], qy = ey * ey - acc.fy[b];
            acc.vx[b] += qx * qx;
            acc.vy[b] += qy * qy;
        }
    }
}

#endif

struct Kernels {
    SweepFn sums;
    SweepFn deviations;
};

Kernels SelectKernels(PairKernel choice) {
#if DW_X86_DISPATCH
    if (choice == PairKernel::Automatic && __builtin_cpu_supports("avx2")) return {SumSweepAvx2, DeviationSweepAvx2};
#else
    (void)choice;
#endif
    return {SumSweepBaseline, DeviationSweepBaseline};
}

// Scalar steps for the positions [kFrom, kTo) whose partners k + d must
// stay below limit (the end of the run, or of the series). They follow the
// swept positions, so each distance keeps adding in increasing k.
void SumTail(const PairInput& in, int kFrom, int kTo, int limit, int d0, BlockSums& acc) {
    for (int b = 0; b < kBlock; ++b) {
        const int d = d0 + b;
        const int kEnd = std::min(kTo, limit - d);
        for (int k = kFrom; k < kEnd; ++k) {
            if (in.index[k + d] - in.index[k] != d) continue;
            const double ex = in.x[k + d] - in.x[k], ey = in.y[k + d] - in.y[k];
            acc.sx[b] += ex * ex;
            acc.sy[b] += ey * ey;
            acc.np[b] += 1.0;
        }
    }
}

void DeviationTail(const PairInput& in, int kFrom, int kTo, int limit, int d0, BlockSums& acc) {
    for (int b = 0; b < kBlock; ++b) {
        const int d = d0 + b;
        const int kEnd = std::min(kTo, limit - d);
        for (int k = kFrom; k < kEnd; ++k) {
            if (in.index[k + d] - in.index[k] != d) continue;
            const double ex = in.x[k + d] - in.x[k], ey = in.y[k + d] - in.y[k];
            const double qx = ex * ex - acc.fx[b], qy = ey * ey - acc.fy[b];
            acc.vx[b] += qx * qx;
            acc.vy[b] += qy * qy;
        }
    }
}

// One pass over the positions, in increasing k, for the block starting at
// d0. runs are runs of consecutive image numbers (in position order):
// inside a run, as long as the largest distance of the block still has its
// partner there, no pair needs a test.
//  - Strictly increasing image numbers: a pair never counts across runs,
//    so the rest of each run is a short scalar tail.
//  - Otherwise: everything outside those run interiors is swept with the
//    lane mask (the positions near the end of the series lane by lane).
template <class TailFn>
void Pass(const PairInput& in, SweepFn sweep, TailFn tail, const std::vector<Segment>& runs, bool increasing, int d0,
          BlockSums& acc) {
    const int n = in.count;
    const int dMax = d0 + kBlock - 1;
    auto masked = [&](int from, int to) {
        const int kVector = std::min(to, n - dMax);  // every partner inside the series
        if (kVector > from) sweep(in, from, kVector, d0, true, acc);
        tail(in, std::max(from, kVector), to, n, d0, acc);
    };
    int pos = 0;
    for (const Segment& r : runs) {
        const int kSplit = std::max(r.begin, r.end - dMax);  // swept: k + dMax < end of the run
        if (increasing) {
            if (kSplit > r.begin) sweep(in, r.begin, kSplit, d0, false, acc);
            tail(in, kSplit, r.end, r.end, d0, acc);
        } else if (kSplit > r.begin) {
            if (r.begin > pos) masked(pos, r.begin);
            sweep(in, r.begin, kSplit, d0, false, acc);
            pos = kSplit;
        }
    }
    if (!increasing && pos < n) masked(pos, n);
}

// Both passes for the distances d0 ... d0 + kBlock - 1; stores the
// distances up to dLast.
void ProcessBlock(const PairInput& in, const Kernels& kernels, const std::vector<Segment>& runs, bool increasing,
                  int d0, int dLast, PAIRSTATS* out) {
    BlockSums acc{};
    Pass(in, kernels.sums, SumTail, runs, increasing, d0, acc);
    for (int b = 0; b < kBlock; ++b) {
        acc.fx[b] = acc.np[b] > 0.0 ? acc.sx[b] / acc.np[b] : 0.0;
        acc.fy[b] = acc.np[b] > 0.0 ? acc.sy[b] / acc.np[b] : 0.0;
    }
    Pass(in, kernels.deviations, DeviationTail, runs, increasing, d0, acc);
    for (int b = 0; b < kBlock && d0 + b <= dLast; ++b) {
        PAIRSTATS& r = out[b];
        r.dPairs = acc.np[b];
        if (r.dPairs > 0.0) {
            r.dFx = acc.fx[b];
            r.dFy = acc.fy[b];
            r.dVarX = acc.vx[b] / acc.np[b];
            r.dVarY = acc.vy[b] / acc.np[b];
        }
    }
}

// Blocks are dealt out round-robin (first, first + step, ...); each
// distance is computed by exactly one thread, in the same way whatever the
// split. Runs that no longer matter are dropped as the distances grow
// (the rest stay in position order): with increasing image numbers those
// too short for the smallest distance of the block, otherwise those too
// short for its largest (they are then covered by the masked sweep).
void ProcessBlocks(const PairInput& in, const Kernels& kernels, std::vector<Segment>& runs, bool increasing, int dLast,
                   const std::vector<int>& blocks, int first, int step, std::vector<PAIRSTATS>& stats) {
    const int nBlocks = static_cast<int>(blocks.size());
    for (int i = first; i < nBlocks; i += step) {
        const int d0 = 1 + blocks[i] * kBlock;
        const int shortest = increasing ? d0 : d0 + kBlock - 1;
        std::erase_if(runs, [shortest](const Segment& r) { return r.end - r.begin <= shortest; });
        if (increasing && runs.empty()) break;  // no pairs left: the results stay at zero
        ProcessBlock(in, kernels, runs, increasing, d0, dLast, &stats[d0 - 1]);
    }
}

int AutomaticThreadCount(int count, int dLast) {
    // Below a few million pairs a second thread costs more than it saves.
    const double pairs = static_cast<double>(count) * dLast;
    if (pairs < 4.0e6) return 1;
    const int hw = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(hw, 1, 8);
}

// The distances of the given blocks (block i: 1 + 16 i ... 16 + 16 i).
std::vector<PAIRSTATS> ComputeBlocks(const std::vector<A1SAMPLE>& samples, int dLast, const std::vector<int>& blocks,
                                     PairKernel kernel, int threads) {
    std::vector<PAIRSTATS> stats(static_cast<std::size_t>(dLast > 0 ? dLast : 0));
    const int n = static_cast<int>(samples.size());
    if (dLast <= 0 || n < 2 || blocks.empty()) return stats;

    std::vector<double> index(n), x(n), y(n);
    bool increasing = true;
    for (int k = 0; k < n; ++k) {
        index[k] = samples[k].nIndex;
        x[k] = samples[k].dX;
        y[k] = samples[k].dY;
        if (k > 0 && samples[k].nIndex <= samples[k - 1].nIndex) increasing = false;
    }
    std::vector<Segment> runs;
    int begin = 0;
    for (int k = 1; k <= n; ++k) {
        if (k == n ||
            static_cast<std::int64_t>(samples[k].nIndex) != static_cast<std::int64_t>(samples[k - 1].nIndex) + 1) {
            runs.push_back(Segment{begin, k});
            begin = k;
        }
    }

    const PairInput in{index.data(), x.data(), y.data(), n};
    const Kernels kernels = SelectKernels(kernel);
    const int nBlocks = static_cast<int>(blocks.size());
    int nThreads = threads > 0 ? threads : AutomaticThreadCount(n, std::min(dLast, nBlocks * kBlock));
    nThreads = std::clamp(nThreads, 1, nBlocks);

    // Every share gets its own run list (it is pruned on the way);
    // everything is allocated before the first helper starts.
    std::vector<std::vector<Segment>> shares(static_cast<std::size_t>(nThreads), runs);
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(nThreads));
    for (int t = 1; t < nThreads; ++t) {
        try {
            helpers.emplace_back(ProcessBlocks, std::cref(in), std::cref(kernels), std::ref(shares[t]), increasing,
                                 dLast, std::cref(blocks), t, nThreads, std::ref(stats));
        } catch (const std::exception&) {
            break;  // the calling thread takes over the remaining shares
        }
    }
    const int started = static_cast<int>(helpers.size()) + 1;
    ProcessBlocks(in, kernels, shares[0], increasing, dLast, blocks, 0, nThreads, stats);
    for (int t = started; t < nThreads; ++t)
        ProcessBlocks(in, kernels, shares[t], increasing, dLast, blocks, t, nThreads, stats);
    for (std::thread& h : helpers) h.join();
    return stats;
}

}  // namespace

std::vector<PAIRSTATS> ComputePairStats(const std::vector<A1SAMPLE>& samples, int dLast, PairKernel kernel,
                                        int threads) {
    std::vector<int> blocks(static_cast<std::size_t>(dLast > 0 ? (dLast + kBlock - 1) / kBlock : 0));
    for (std::size_t i = 0; i < blocks.size(); ++i) blocks[i] = static_cast<int>(i);
    return ComputeBlocks(samples, dLast, blocks, kernel, threads);
}

std::vector<PAIRSTATS> ComputePairStatsFor(const std::vector<A1SAMPLE>& samples, int dLast,
                                           const std::vector<int>& distances, PairKernel kernel, int threads) {
    std::vector<int> blocks;
    for (int d : distances) {
        if (d < 1 || d > dLast) continue;
        blocks.push_back((d - 1) / kBlock);
    }
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    return ComputeBlocks(samples, dLast, blocks, kernel, threads);
}

namespace {

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

}  // namespace

bool FitPairLines(const std::vector<PAIRSTATS>& stats, PAIRLINES& lines) {
    double d[3], vx[3], vy[3];
    int found = 0;
    for (std::size_t i = 0; i < stats.size() && found < 3; ++i) {
        if (stats[i].dPairs <= 0.0) continue;
        d[found] = static_cast<double>(i + 1);
        vx[found] = stats[i].dFx;
        vy[found] = stats[i].dFy;
        ++found;
    }
    if (found < 3) return false;
    FitLine(d, vx, lines.dInterceptX, lines.dSlopeX);
    FitLine(d, vy, lines.dInterceptY, lines.dSlopeY);
    return true;
}
