// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numbers that steer the FFT route of the pair sums (PairSumsFft.cpp)
// and the choice between the routes (CharFunc.cpp), in one place: the
// agreement the route promises, the factor of its error bound, and the
// costs that decide where transforms pay. The costs were measured on two
// cores with the eval_fit_bench program (bench/eval/CharFuncBench.cpp:
// BM_CharFuncDirect, BM_CharFuncFft, BM_CharFuncAuto); measure again there
// before changing them.

// --- agreement with the direct sums ---------------------------------------

// fx and fy agree within this share of |f| + |intercept| (the intercept of
// the straight line through the first three distances with pairs) ...
inline constexpr double kPairFftMeanTolerance = 1e-12;
// ... and the variances of the squared changes within this share of
// themselves.
inline constexpr double kPairFftVarTolerance = 1e-10;
// A distance keeps its FFT result only when its error bound is within this
// share of the tolerances above (the rest is the margin for the merges of
// blocks and the final division).
inline constexpr double kPairFftBoundShare = 0.25;

// --- the error bound -------------------------------------------------------

// An FFT correlation of u and v of length M errs by at most
// (kPairFftBoundPerLog2 log2 M + kPairFftBoundBase) eps |u| |v| in every
// output (Euclidean norms): a generous multiple of the textbook bound.
inline constexpr double kPairFftBoundPerLog2 = 5.0;
inline constexpr double kPairFftBoundBase = 16.0;

// --- measured costs ----------------------------------------------------------

// Below this many sample pairs (samples x distances) the characteristic
// function keeps the direct sums: the two routes break even near 5e6 pairs
// (about 5000 samples with minimum diversity 10); at 1e7 the FFT route
// takes about two thirds of the time of the direct one.
inline constexpr double kCharFuncFftMinPairs = 1.0e7;

// A level of transforms up to distance L with FFT length M costs per sample
// about (M / (M - L)) (kFftLevelNsPerLog2 log2 M + kFftLevelNsBase) ns
// (transforms, staging, moments); the direct sums cost about
// kDirectNsPerDistance ns per sample and distance (both passes).
inline constexpr double kFftLevelNsPerLog2 = 7.0;
inline constexpr double kFftLevelNsBase = 60.0;
inline constexpr double kDirectNsPerDistance = 0.5;

// Relative work of the tasks when they are split between two threads: a
// block of FFT length M weighs kFftBlockWeight M log2 M, a small group of
// extent E summed pair by pair up to distance L weighs E L / 2.
inline constexpr double kFftBlockWeight = 27.0;
// Groups of the offset layout up to this extent are summed pair by pair
// (cheaper than transforms).
inline constexpr int kPairFftSmallGroup = 64;
// Up to this many failing distances go straight to the direct sums (a finer
// level of transforms never pays for so few).
inline constexpr int kPairFftDirectDistances = 48;
