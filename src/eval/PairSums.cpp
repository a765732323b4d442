#include "eval/PairSums.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <exception>
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
// When the image numbers increase strictly, a pair counts exactly when both
// samples lie in the same run of consecutive image numbers. The sweep then
// walks the runs without any per-pair test. Otherwise (repeated or falling
// image numbers) every pair is tested, as a select on a lane mask.

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

// Positions [begin, end). An unmasked segment holds consecutive image
// numbers; a masked one may hold anything.
struct Segment {
    int begin = 0;
    int end = 0;
    bool masked = false;
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
DW_ALWAYS_INLINE void DeviationSweep(const PairInput& in, int k0, int k1, int d0, bool masked,
                                     BlockSums& acc) {
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
DW_TARGET_AVX2 void DeviationSweepAvx2(const PairInput& in, int k0, int k1, int d0, bool masked,
                                       BlockSums& acc) {
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
    if (choice == PairKernel::Automatic && __builtin_cpu_supports("avx2"))
        return {SumSweepAvx2, DeviationSweepAvx2};
#else
    (void)choice;
#endif
    return {SumSweepBaseline, DeviationSweepBaseline};
}

// The positions of a segment past the vector sweep, where only the shorter
// distances of the block still have partners in the segment. They follow
// the swept positions, so each distance keeps adding in increasing k.
void SumTail(const PairInput& in, const Segment& s, int kFrom, int d0, BlockSums& acc) {
    for (int b = 0; b < kBlock; ++b) {
        const int d = d0 + b;
        for (int k = kFrom; k < s.end - d; ++k) {
            if (in.index[k + d] - in.index[k] != d) continue;
            const double ex = in.x[k + d] - in.x[k], ey = in.y[k + d] - in.y[k];
            acc.sx[b] += ex * ex;
            acc.sy[b] += ey * ey;
            acc.np[b] += 1.0;
        }
    }
}

void DeviationTail(const PairInput& in, const Segment& s, int kFrom, int d0, BlockSums& acc) {
    for (int b = 0; b < kBlock; ++b) {
        const int d = d0 + b;
        for (int k = kFrom; k < s.end - d; ++k) {
            if (in.index[k + d] - in.index[k] != d) continue;
            const double ex = in.x[k + d] - in.x[k], ey = in.y[k + d] - in.y[k];
            const double qx = ex * ex - acc.fx[b], qy = ey * ey - acc.fy[b];
            acc.vx[b] += qx * qx;
            acc.vy[b] += qy * qy;
        }
    }
}

// Both passes for the distances d0 ... d0 + kBlock - 1 over the segments
// (in position order); stores the distances up to dLast.
void ProcessBlock(const PairInput& in, const Kernels& kernels, const std::vector<Segment>& segments,
                  int d0, int dLast, PAIRSTATS* out) {
    BlockSums acc{};
    const int dMax = d0 + kBlock - 1;
    for (const Segment& s : segments) {
        const int kSplit = std::max(s.begin, s.end - dMax);  // swept: k + dMax < end
        if (kSplit > s.begin) kernels.sums(in, s.begin, kSplit, d0, s.masked, acc);
        SumTail(in, s, kSplit, d0, acc);
    }
    for (int b = 0; b < kBlock; ++b) {
        acc.fx[b] = acc.np[b] > 0.0 ? acc.sx[b] / acc.np[b] : 0.0;
        acc.fy[b] = acc.np[b] > 0.0 ? acc.sy[b] / acc.np[b] : 0.0;
    }
    for (const Segment& s : segments) {
        const int kSplit = std::max(s.begin, s.end - dMax);
        if (kSplit > s.begin) kernels.deviations(in, s.begin, kSplit, d0, s.masked, acc);
        DeviationTail(in, s, kSplit, d0, acc);
    }
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
// split. Segments too short for the block's smallest distance are dropped
// as the distances grow (they stay in position order).
void ProcessBlocks(const PairInput& in, const Kernels& kernels, std::vector<Segment>& segments, int dLast,
                   int first, int step, std::vector<PAIRSTATS>& stats) {
    const int nBlocks = (dLast + kBlock - 1) / kBlock;
    for (int i = first; i < nBlocks; i += step) {
        const int d0 = 1 + i * kBlock;
        std::erase_if(segments, [d0](const Segment& s) { return s.end - s.begin <= d0; });
        if (segments.empty()) break;  // no pairs left: the results stay at zero
        ProcessBlock(in, kernels, segments, d0, dLast, &stats[d0 - 1]);
    }
}

int AutomaticThreadCount(int count, int dLast) {
    // Below a few million pairs a second thread costs more than it saves.
    const double pairs = static_cast<double>(count) * dLast;
    if (pairs < 4.0e6) return 1;
    const int hw = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(hw, 1, 8);
}

}  // namespace

std::vector<PAIRSTATS> ComputePairStats(const std::vector<A1SAMPLE>& samples, int dLast, PairKernel kernel,
                                        int threads) {
    std::vector<PAIRSTATS> stats(static_cast<std::size_t>(dLast > 0 ? dLast : 0));
    const int n = static_cast<int>(samples.size());
    if (dLast <= 0 || n < 2) return stats;

    std::vector<double> index(n), x(n), y(n);
    bool increasing = true;
    for (int k = 0; k < n; ++k) {
        index[k] = samples[k].nIndex;
        x[k] = samples[k].dX;
        y[k] = samples[k].dY;
        if (k > 0 && samples[k].nIndex <= samples[k - 1].nIndex) increasing = false;
    }
    std::vector<Segment> segments;
    if (increasing) {
        int begin = 0;
        for (int k = 1; k <= n; ++k) {
            if (k == n ||
                static_cast<std::int64_t>(samples[k].nIndex) != static_cast<std::int64_t>(samples[k - 1].nIndex) + 1) {
                segments.push_back(Segment{begin, k, false});
                begin = k;
            }
        }
    } else {
        segments.push_back(Segment{0, n, true});
    }

    const PairInput in{index.data(), x.data(), y.data(), n};
    const Kernels kernels = SelectKernels(kernel);
    const int nBlocks = (dLast + kBlock - 1) / kBlock;
    int nThreads = threads > 0 ? threads : AutomaticThreadCount(n, dLast);
    nThreads = std::clamp(nThreads, 1, nBlocks);

    // Every share gets its own segment list (it is pruned on the way);
    // everything is allocated before the first helper starts.
    std::vector<std::vector<Segment>> shares(static_cast<std::size_t>(nThreads), segments);
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(nThreads));
    for (int t = 1; t < nThreads; ++t) {
        try {
            helpers.emplace_back(ProcessBlocks, std::cref(in), std::cref(kernels), std::ref(shares[t]), dLast, t,
                                 nThreads, std::ref(stats));
        } catch (const std::exception&) {
            break;  // the calling thread takes over the remaining shares
        }
    }
    const int started = static_cast<int>(helpers.size()) + 1;
    ProcessBlocks(in, kernels, shares[0], dLast, 0, nThreads, stats);
    for (int t = started; t < nThreads; ++t) ProcessBlocks(in, kernels, shares[t], dLast, t, nThreads, stats);
    for (std::thread& h : helpers) h.join();
    return stats;
}
