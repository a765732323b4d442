// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SeriesCheck.h"

#include "series/A1TimeSeries.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b); }

void ExpectSameDouble(const char* field, double expected, double actual) {
    EXPECT_TRUE(SameBits(expected, actual)) << field << ": expected " << expected << ", got " << actual;
}

void ExpectSamePoints(const char* what, const std::vector<A1SAMPLE>& expected, const std::vector<A1SAMPLE>& actual) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(std::string(what) + " #" + std::to_string(i));
        EXPECT_EQ(expected[i].nIndex, actual[i].nIndex);
        ExpectSameDouble("dX", expected[i].dX, actual[i].dX);
        ExpectSameDouble("dY", expected[i].dY, actual[i].dY);
        ExpectSameDouble("dErrX", expected[i].dErrX, actual[i].dErrX);
        ExpectSameDouble("dErrY", expected[i].dErrY, actual[i].dErrY);
    }
}

}  // namespace

void ExpectSameEvaluation(const CA1TimeSeries& e, const CA1TimeSeries& a) {
    ExpectSamePoints("sample", e.m_aSamples, a.m_aSamples);
    ExpectSamePoints("characteristic-function point", e.m_aCharFunc, a.m_aCharFunc);
    EXPECT_EQ(e.CharFuncValid, a.CharFuncValid) << "CharFuncValid";
    EXPECT_EQ(e.ModelValid, a.ModelValid) << "ModelValid";
    EXPECT_EQ(e.UsedMinDiversity, a.UsedMinDiversity) << "UsedMinDiversity";
    EXPECT_EQ(e.LifetimeState, a.LifetimeState) << "LifetimeState";
    ExpectSameDouble("m_dImagePeriod", e.m_dImagePeriod, a.m_dImagePeriod);
    ExpectSameDouble("MeasErr", e.MeasErr, a.MeasErr);
    ExpectSameDouble("MeasErrX", e.MeasErrX, a.MeasErrX);
    ExpectSameDouble("MeasErrY", e.MeasErrY, a.MeasErrY);
    ExpectSameDouble("SlopeSum", e.SlopeSum, a.SlopeSum);
    ExpectSameDouble("Tolerance", e.Tolerance, a.Tolerance);
    ExpectSameDouble("UsedLimitPhase", e.UsedLimitPhase, a.UsedLimitPhase);
    ExpectSameDouble("UsedElEnergykV", e.UsedElEnergykV, a.UsedElEnergykV);
    ExpectSameDouble("UsedTargetResAng", e.UsedTargetResAng, a.UsedTargetResAng);
    ExpectSameDouble("DirectLifetime", e.DirectLifetime, a.DirectLifetime);
    ExpectSameDouble("FitDi", e.FitDi, a.FitDi);
    ExpectSameDouble("FitDa", e.FitDa, a.FitDa);
    ExpectSameDouble("FitTc", e.FitTc, a.FitTc);
    ExpectSameDouble("FitS", e.FitS, a.FitS);
    ExpectSameDouble("ModelLifetime", e.ModelLifetime, a.ModelLifetime);
    ExpectSameDouble("FitSSqr", e.FitSSqr, a.FitSSqr);
}
