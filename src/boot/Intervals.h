// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Two-sided 68 % and 95 % intervals of the fitted parameters and the
// lifetimes from a bootstrap run, at one tolerance; the estimates are the
// series' own. The lifetimes of the replicates are evaluated by the same
// functions as the series' (direct lifetime, then the model lifetime
// searched from it, then the probability lifetimes), so a new tolerance
// needs no new simulation.
//
// A replicate whose lifetime has no result (the model does not reach the
// tolerance within the search bound) counts as longer than any bound; a
// replicate without a model counts as beyond both ends. An end that falls
// on such replicates is open: it has no value, only the bound the
// replicates reached (shown as "> 5,200 s").

#include "boot/Bootstrap.h"

#include <cstdint>
#include <string>

enum IntervalQuantity { IQ_DI, IQ_DA, IQ_TC, IQ_S, IQ_MODEL_LIFETIME, IQ_P84, IQ_P50, IQ_P16, IQ_COUNT };

// The one list of the quantities: the key of the JSON object and the stem
// of the summary columns, the name in the texts and the unit.
struct INTERVALQUANTITYINFO {
    const char* pszKey;   // "di_nm"
    const char* pszName;  // "Di"
    const char* pszUnit;  // "nm"
};
const INTERVALQUANTITYINFO& IntervalQuantityInfo(int quantity);

// How the ends are made from the replicates' estimates.
enum class IntervalMethod {
    Percentile,  // the replicates' quantiles
    Basic,       // reflected about the estimate: 2 estimate - quantile
    Envelope,    // the lower of both lower ends, the higher of both upper ends
};

struct INTERVALEND {
    double dValue = 0.0;  // +infinity or -infinity when open: never a finite-looking number
    bool bOpen = false;   // the replicates do not bound this end
};

struct INTERVAL {
    double dEstimate = 0.0;  // the series' own estimate (kNoResult possible)
    INTERVALEND lo95, lo68, hi68, hi95;
    double dLargestFinite = 0.0;   // largest finite replicate value: the bound of an open upper end
    double dSmallestFinite = 0.0;  // smallest finite replicate value: the bound of an open lower end
};

// The share of the replicates' law beyond each end of the 95 % interval.
// Nominal 2.5 %; the coverage study (docs/intervals-coverage.md) found the
// envelope at 2.5 % covering the noise-dominated regime's Di in 90.5 % of
// the series, and 1.5 % the smallest share that brings every quantity every
// regime identifies to the goal (a calibrated envelope). The 68 % ends stay
// nominal.
inline constexpr double kNominalTail95 = 0.025;
inline constexpr double kCalibratedTail95 = 0.015;

struct INTERVALSET {
    bool bValid = false;
    int nReplicates = 0;
    int nReplicatesWithModel = 0;
    std::uint32_t nSeed = 0;
    IntervalMethod method = IntervalMethod::Percentile;
    double dTail95 = kNominalTail95;
    double dTolerance = 0.0;  // a [nm] of the lifetimes
    double dGoodnessP = 0.0;
    double dClippedShare = 0.0;
    bool bWalkReading = false;  // the ends span the random-walk reading's replicates too (Bootstrap.h)
    INTERVAL q[IQ_COUNT];
};

// The construction the coverage study chose (docs/intervals-coverage.md):
// the envelope covers at least as often as either of its parts, and where
// it misses the goal it is the least anti-conservative of them.
inline constexpr IntervalMethod kDefaultIntervalMethod = IntervalMethod::Envelope;

// Short description of the construction of a set (the JSON "method"): the
// method, the 95 % ends' quantiles where calibrated, and whether the
// intervals span the random-walk reading's replicates too.
std::string IntervalMethodText(const INTERVALSET& set);

// The intervals of a finished run at tolerance a [nm]; `series` gives the
// estimates. Not valid for a run that did not finish.
INTERVALSET ComputeIntervals(const BOOTSTRAPRUN& run, const CA1TimeSeries& series, double a,
                             IntervalMethod method = kDefaultIntervalMethod, double tail95 = kCalibratedTail95);

// The lifetimes of one fitted model at tolerance a: model lifetime and the
// 84/50/16 % probability lifetimes [s], evaluated from a reduced
// characteristic function as the series' own are (kNoResult where none).
struct REPLICATELIFETIMES {
    double dModel = 0.0;
    double dP84 = 0.0;
    double dP50 = 0.0;
    double dP16 = 0.0;
};
REPLICATELIFETIMES ReplicateLifetimes(const REPLICATE& replicate, double imagePeriod, double a);

// The band of a curve over the replicates' models: at each time [s] the
// lower and upper quantile of the replicates' values for the given
// two-sided coverage (0.95: 2.5 % and 97.5 %). Replicates without a model
// lie beyond both ends (P: 0 and 1; f: 0 and infinity).
struct BANDPOINT {
    double dTime = 0.0;
    double dLow = 0.0;
    double dHigh = 0.0;
};
// P(a,t), the probability to stay within the tolerance a [nm].
std::vector<BANDPOINT> StayProbabilityBand(const BOOTSTRAPRUN& run, double a, const std::vector<double>& times,
                                           double coverage = 0.95);
// The model function f(t) [nm^2].
std::vector<BANDPOINT> ModelFunctionBand(const BOOTSTRAPRUN& run, const std::vector<double>& times,
                                         double coverage = 0.95);

// The interval of one quantity from its estimate and the replicates'
// values (no result: +infinity), `failed` replicates without a model; the
// 95 % ends at the quantiles tail95 and 1 - tail95.
INTERVAL IntervalFromReplicates(double estimate, std::vector<double> values, int failed, IntervalMethod method,
                                double tail95 = kNominalTail95);

// The lower of the lower ends and the higher of the upper ends (an open end wins).
INTERVAL IntervalUnion(const INTERVAL& a, const INTERVAL& b);

// Quantile of sorted values that may hold +-infinity: position p (n + 1)
// among the order statistics 1 ... n, linear between them, the extreme
// ones outside; infinite when it touches an infinite value.
double SortedQuantile(const std::vector<double>& sorted, double p);
