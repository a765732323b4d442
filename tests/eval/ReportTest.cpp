// The "Astigmatism Stability Report" and the summary lines of the text page.
// The three reports of fixed series are compared byte for byte with
// tests/data/report_*.txt (see report_README.txt for regenerating them).

#include "eval/Report.h"
#include "eval/Lifetime.h"

#include "LifetimeTestSupport.h"
#include "support/GoldenFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A series as the pages leave it after the characteristic function, the
// direct lifetime and (optionally) the model fit and model lifetime.
CA1TimeSeries FixedSeries(bool withModel) {
    CA1TimeSeries s;
    s.m_strSourceFile = "/data/stability/C1A1_2013-11-13.log";
    s.m_dImagePeriod = 1.2;
    for (int i = 0; i < 250; ++i) {
        A1SAMPLE p;
        p.nIndex = i + 1;
        p.dX = 0.01 * i;
        p.dY = -0.02 * i;
        s.m_aSamples.push_back(p);
    }
    const MODELPARAMS m{0.162, 0.2534, 7.3, 0.0291};
    for (int d = 1; d <= 24; ++d) s.m_aCharFunc.push_back(CharFuncPoint(d, ModelFunction(m, d)));
    s.CharFuncValid = 1;
    s.UsedMinDiversity = 10;
    s.MeasErr = 0.08341;
    s.MeasErrX = 0.0612;
    s.MeasErrY = 0.0567;
    s.UsedElEnergykV = 300.0;
    s.UsedTargetResAng = 1.0;
    s.UsedLimitPhase = 0.25;
    s.Tolerance = ComputeTolerance(300.0, 1.0, 0.25);
    s.LifetimeState = 1;
    s.DirectLifetime = 21 * 1.2;  // first record with f >= a^2
    if (withModel) {
        s.ModelValid = 1;
        s.FitDi = m.Di;
        s.FitDa = m.Da;
        s.FitTc = m.Tc;
        s.FitS = m.s;
        s.FitSSqr = 0.00123456;
        s.ModelLifetime = 24.9588;  // what EvaluateModelLifetime gives
    }
    return s;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(StabilityReport, ModelReportMatchesTheExpectedFile) {
    ExpectTextAsGolden(BuildStabilityReport(FixedSeries(true)), "report_model.txt");
}

TEST(StabilityReport, DirectReportMatchesTheExpectedFile) {
    // A tolerance above the characteristic function: the direct lifetime is
    // the longest time span and the warning line follows.
    CA1TimeSeries s = FixedSeries(false);
    s.UsedTargetResAng = 1.3;
    s.Tolerance = ComputeTolerance(300.0, 1.3, 0.25);
    ASSERT_GT(s.Tolerance * s.Tolerance, s.m_aCharFunc.back().dX + s.m_aCharFunc.back().dY);
    s.LifetimeState = -2;
    s.DirectLifetime = 24 * 1.2;
    ExpectTextAsGolden(BuildStabilityReport(s), "report_direct.txt");
}

TEST(StabilityReport, WithoutCharacteristicFunctionOnlyABlank) {
    CA1TimeSeries s = FixedSeries(true);
    s.CharFuncValid = 0;
    ExpectTextAsGolden(BuildStabilityReport(s), "report_nocharfunc.txt");
    EXPECT_EQ(BuildStabilityReport(CA1TimeSeries()), " ");
}

TEST(StabilityReport, LayoutDetails) {
    const std::string r = BuildStabilityReport(FixedSeries(true));
    const std::string sep = "\r\n " + std::string(78, '-');
    EXPECT_EQ(
        r.rfind(" " + sep + "\r\n  Driftwise v1.0.2 (build 140206) - Astigmatism Stability Report" + sep + "\r\n \r\n",
                0),
        0u);
    EXPECT_EQ(r.substr(r.size() - sep.size() - 3), "\r\n " + sep);
    EXPECT_TRUE(Contains(r, "\r\n  Estimated lifetime: 25.0 s (direct method: 25.2 s)\r\n \r\n  Probability"));
    EXPECT_TRUE(Contains(r, "\r\n   - lower limit  (84% stability): "));
    EXPECT_TRUE(Contains(r, "\r\n  Best fitting model parameters:\r\n   - Di : 0.162 nm\r\n   - Da : 0.253 nm"
                            "\r\n   - tc : 8.76 s\r\n   - s  : 0.0291 nm\r\n  Best fit s-square: 0.00123\r\n"));
    EXPECT_EQ(r.find('\n') - 1, r.find('\r'));  // every line break is CR LF
    for (std::size_t i = r.find('\n'); i != std::string::npos; i = r.find('\n', i + 1)) ASSERT_EQ(r[i - 1], '\r');

    // A direct lifetime that is not below the longest span: no direct value.
    CA1TimeSeries s = FixedSeries(true);
    s.DirectLifetime = 24 * 1.2;
    EXPECT_TRUE(Contains(BuildStabilityReport(s), "\r\n  Estimated lifetime: 25.0 s\r\n \r\n"));

    // Direct method below the longest span: no warning.
    s = FixedSeries(false);
    const std::string d = BuildStabilityReport(s);
    EXPECT_TRUE(Contains(d, "\r\n  Estimated lifetime: 25.2 s (direct method)\r\n \r\n  Input log file: "));
    EXPECT_FALSE(Contains(d, "Warning"));
}

TEST(StabilityReport, LifetimesWithoutResultPrintNoResult) {
    CA1TimeSeries s = FixedSeries(true);
    s.FitDi = 0.0;
    s.FitDa = 0.0;
    s.FitS = 0.0;
    s.ModelLifetime = kNoResult;
    const std::string r = BuildStabilityReport(s);
    EXPECT_TRUE(Contains(r, "\r\n  Estimated lifetime: no result (direct method: 25.2 s)\r\n"));
    EXPECT_TRUE(Contains(r, "\r\n   - mean life time              : no result\r\n"));
    // P stays 1 up to the time span that stands for "no finite time",
    // 1.7976931348623156e305 images of 1.2 s = 2.1572317618347787e305 s, where the
    // bisection ends: a value, not "no result".
    for (const char* level :
         {"lower limit  (84% stability): ", "median limit (50% stability): ", "upper limit  (16% stability): "})
        EXPECT_TRUE(Contains(r, std::string("\r\n   - ") + level + "215723176183")) << level;
    EXPECT_FALSE(Contains(r, "nan"));
}

TEST(TextPageSummary, BothModes) {
    EXPECT_EQ(TextPageSummaryLine(nullptr, 1), "No data.");
    EXPECT_EQ(TextPageSummaryLine(nullptr, 2), "No data.");
    CA1TimeSeries s = FixedSeries(true);
    s.m_nFirstLine = 12;
    s.m_nLastLine = 311;
    EXPECT_EQ(TextPageSummaryLine(&s, 1), "Extracted from line #12 to line #311 (300 lines).");
    EXPECT_EQ(TextPageSummaryLine(&s, 2), "Results of the model-based evaluation method.");
    s.ModelValid = 0;
    EXPECT_EQ(TextPageSummaryLine(&s, 2), "Results of the direct evaluation method.");
    s.CharFuncValid = 0;
    s.ModelValid = 1;
    EXPECT_EQ(TextPageSummaryLine(&s, 2), "No evaluation data present.");
}
