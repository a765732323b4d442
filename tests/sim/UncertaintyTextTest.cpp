// SPDX-License-Identifier: GPL-3.0-or-later
#include "boot/UncertaintyText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

INTERVALEND End(double v) {
    INTERVALEND e;
    e.dValue = v;
    e.bOpen = !std::isfinite(v);
    return e;
}

INTERVAL Interval(double estimate, double lo95, double lo68, double hi68, double hi95) {
    INTERVAL iv;
    iv.dEstimate = estimate;
    iv.lo95 = End(lo95);
    iv.lo68 = End(lo68);
    iv.hi68 = End(hi68);
    iv.hi95 = End(hi95);
    iv.dSmallestFinite = 512.25;
    iv.dLargestFinite = 5200.0;
    return iv;
}

INTERVALSET Set() {
    INTERVALSET set;
    set.bValid = true;
    set.nReplicates = 1000;
    set.nReplicatesWithModel = 1000;
    set.nSeed = 7;
    set.dTolerance = 1.27;
    set.dGoodnessP = 0.42;
    for (int q = 0; q < IQ_COUNT; ++q) set.q[q] = Interval(0.02, 0.011, 0.014, 0.022, 0.027);
    set.q[IQ_MODEL_LIFETIME] = Interval(900.0, 700.0, 800.0, 1000.0, 1200.0);
    set.q[IQ_P50] = Interval(kNoResult, 650.0, 700.0, HUGE_VAL, HUGE_VAL);
    return set;
}

}  // namespace

// An open end shows the bound the replicates reached, never a plain number.
TEST(UncertaintyText, OpenEndsShowTheirBound) {
    const INTERVAL iv = Interval(900.0, -HUGE_VAL, 800.0, 1000.0, HUGE_VAL);
    EXPECT_EQ(IntervalEndText(IQ_MODEL_LIFETIME, iv, iv.hi95), "> 5200.0");
    EXPECT_EQ(IntervalEndText(IQ_MODEL_LIFETIME, iv, iv.lo95), "< 512.2");
    EXPECT_EQ(IntervalEndText(IQ_MODEL_LIFETIME, iv, iv.hi68), "1000.0");
    EXPECT_EQ(IntervalEndText(IQ_DI, iv, End(0.0123456)), "0.0123");
    INTERVAL none = iv;
    none.dLargestFinite = kNoResult;
    EXPECT_EQ(IntervalEndText(IQ_P50, none, none.hi95), "open");
}

TEST(UncertaintyText, GoodnessOfFitSentenceAndWarning) {
    EXPECT_EQ(GoodnessOfFitText(0.42), "the model describes this series: p = 0.42");
    EXPECT_EQ(GoodnessOfFitText(0.01), "the model describes this series: p = 0.01");
    EXPECT_EQ(GoodnessOfFitText(0.009).rfind("Warning: the model does not describe this series (p = 0.009)", 0), 0u);
}

TEST(UncertaintyText, FieldBlockAndTable) {
    const INTERVALSET set = Set();
    EXPECT_EQ(IntervalsFieldText(set), "95 %: lifetime 700.0 - 1200.0 s; P50 650.0 - > 5200.0 s; model fit p = 0.42");
    EXPECT_EQ(IntervalsFieldText(INTERVALSET{}), "");

    const std::string block = BuildUncertaintyBlock(set);
    EXPECT_EQ(block.rfind("\r\n  Uncertainty:\r\n", 0), 0u);
    EXPECT_NE(block.find("\r\n   - model lifetime : 900.0 s; 68%: 800.0 - 1000.0 s; 95%: 700.0 - 1200.0 s\r\n"),
              std::string::npos)
        << block;
    EXPECT_NE(block.find("\r\n   - 50% lifetime   : no result; 68%: 700.0 - > 5200.0 s; 95%: 650.0 - > 5200.0 s"),
              std::string::npos)
        << block;
    EXPECT_NE(block.find("\r\n   - Di             : 0.02 nm; 68%: 0.014 - 0.022 nm; 95%: 0.011 - 0.027 nm"),
              std::string::npos)
        << block;
    EXPECT_EQ(block.find('\n', 0) - 1, block.find("\r\n"));  // CR LF joins
    EXPECT_EQ(BuildUncertaintyBlock(INTERVALSET{}), "");

    CA1TimeSeries series;
    series.m_strSourceFile = "a.log";
    const std::string table = IntervalsTableText(series, set);
    EXPECT_NE(table.find("\np50_s           ;    s;      no result;            650;            700;           open;"
                         "           open\n"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("\nmodel_lifetime_s;    s;            900;            700;            800;           1000;"
                         "           1200\n"),
              std::string::npos)
        << table;
}
