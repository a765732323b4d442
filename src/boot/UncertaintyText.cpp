// SPDX-License-Identifier: GPL-3.0-or-later
#include "boot/UncertaintyText.h"

#include "text/Format.h"

#include <cmath>

namespace {

const char* const kSeparator = "\r\n ------------------------------------------------------------------------------";

bool IsLength(int quantity) { return quantity == IQ_DI || quantity == IQ_DA || quantity == IQ_S; }

std::string Value(int quantity, double v) {
    if (IsNoResult(v)) return "no result";
    return IsLength(quantity) ? FormatText("%.3G nm", v) : FormatText("%.1f s", v);
}

std::string Bare(int quantity, double v) { return IsLength(quantity) ? FormatText("%.3G", v) : FormatText("%.1f", v); }

std::string Range(int quantity, const INTERVAL& iv, const INTERVALEND& lo, const INTERVALEND& hi) {
    const char* unit = IntervalQuantityInfo(quantity).pszUnit;
    return IntervalEndText(quantity, iv, lo) + " - " + IntervalEndText(quantity, iv, hi) + " " + unit;
}

}  // namespace

std::string IntervalEndText(int quantity, const INTERVAL& iv, const INTERVALEND& end) {
    if (!end.bOpen) return Bare(quantity, end.dValue);
    // Above every finite replicate value, or below every one.
    const double bound = end.dValue > 0.0 ? iv.dLargestFinite : iv.dSmallestFinite;
    if (std::isnan(bound)) return "open";
    return (end.dValue > 0.0 ? "> " : "< ") + Bare(quantity, bound);
}

std::string GoodnessOfFitText(double p) {
    if (std::isnan(p)) return "goodness of fit: no replicate with a model";
    if (p < kGoodnessWarningP)
        return FormatText("Warning: the model does not describe this series (p = %.3G): a periodic disturbance "
                          "or a re-tune within the series?",
                          p);
    return FormatText("the model describes this series: p = %.2f", p);
}

std::string BuildUncertaintyBlock(const INTERVALSET& set) {
    if (!set.bValid) return std::string();
    std::string s;
    s += "\r\n  Uncertainty:";
    s += FormatText("\r\n   (%s, %d replicate series, seed %u)", IntervalMethodText(set).c_str(), set.nReplicates,
                    static_cast<unsigned>(set.nSeed));
    s += "\r\n ";
    const int order[IQ_COUNT] = {IQ_MODEL_LIFETIME, IQ_P84, IQ_P50, IQ_P16, IQ_DI, IQ_DA, IQ_TC, IQ_S};
    for (int q : order) {
        const INTERVAL& iv = set.q[q];
        s += FormatText("\r\n   - %-15s: %s; 68%%: %s; 95%%: %s", IntervalQuantityInfo(q).pszName,
                        Value(q, iv.dEstimate).c_str(), Range(q, iv, iv.lo68, iv.hi68).c_str(),
                        Range(q, iv, iv.lo95, iv.hi95).c_str());
    }
    s += "\r\n ";
    s += "\r\n  Goodness of fit: " + GoodnessOfFitText(set.dGoodnessP);
    if (set.nReplicatesWithModel < set.nReplicates)
        s += FormatText("\r\n  (%d of %d replicates gave no model; they count as beyond both ends.)",
                        set.nReplicates - set.nReplicatesWithModel, set.nReplicates);
    s += "\r\n ";
    s += "\r\n  P(a,t) is the spread of future runs if the fitted model is right;";
    s += "\r\n  the intervals say how well this one series pins the model down.";
    s += "\r\n ";
    s += kSeparator;
    return s;
}

std::string IntervalsTableText(const CA1TimeSeries& series, const INTERVALSET& set) {
    std::string s;
    s += "# Driftwise - Exported intervals table\n";
    s += FormatText("# - input file: %s\n", series.m_strSourceFile.c_str());
    s += FormatText("# - %s, %d replicate series, seed %u\n", IntervalMethodText(set).c_str(), set.nReplicates,
                    static_cast<unsigned>(set.nSeed));
    s += FormatText("# - astigmatism tolerance: %.3f nm, goodness of fit p = %.3G\n", set.dTolerance, set.dGoodnessP);
    s += "quantity;         unit;       estimate;      95% low;       68% low;      68% high;      95% high\n";
    const auto cell = [](const INTERVALEND& e) {
        return e.bOpen ? FormatText("%14s", "open") : FormatText("%14.6G", e.dValue);
    };
    for (int q = 0; q < IQ_COUNT; ++q) {
        const INTERVAL& iv = set.q[q];
        const std::string estimate =
            IsNoResult(iv.dEstimate) ? FormatText("%14s", "no result") : FormatText("%14.6G", iv.dEstimate);
        s += FormatText("%-16s; %4s; %s; %s; %s; %s; %s\n", IntervalQuantityInfo(q).pszKey,
                        IntervalQuantityInfo(q).pszUnit, estimate.c_str(), cell(iv.lo95).c_str(), cell(iv.lo68).c_str(),
                        cell(iv.hi68).c_str(), cell(iv.hi95).c_str());
    }
    return s;
}

std::string IntervalsFieldText(const INTERVALSET& set) {
    if (!set.bValid) return std::string();
    const INTERVAL& life = set.q[IQ_MODEL_LIFETIME];
    const INTERVAL& p50 = set.q[IQ_P50];
    return "95 %: lifetime " + Range(IQ_MODEL_LIFETIME, life, life.lo95, life.hi95) + "; P50 " +
           Range(IQ_P50, p50, p50.lo95, p50.hi95) + FormatText("; model fit p = %.2f", set.dGoodnessP);
}
