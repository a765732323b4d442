// Logs written by the generator read back to the values the files hold.

#include "ImportTestUtil.h"
#include "loggen/LogGenerator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectSeries(const CA1TimeSeries& s, const loggen::GeneratedSeries& g, double printedTolerance) {
    EXPECT_EQ(s.m_nFirstLine, g.nFirstLine);
    EXPECT_EQ(s.m_nLastLine, g.nLastLine);
    EXPECT_EQ(s.m_nStartTime, g.nStartTime);
    EXPECT_EQ(s.m_nStopTime, g.nStopTime);
    EXPECT_EQ(s.m_nDataLines, static_cast<int>(g.aSamples.size()));
    EXPECT_DOUBLE_EQ(s.m_dImagePeriod, static_cast<double>(g.nStopTime - g.nStartTime) / g.aSamples.size());
    ASSERT_EQ(s.m_aSamples.size(), g.aSamples.size());
    for (std::size_t i = 0; i < g.aSamples.size(); ++i) {
        const A1SAMPLE& a = s.m_aSamples[i];
        const loggen::GeneratedSample& e = g.aSamples[i];
        ASSERT_EQ(a.nIndex, e.nImage) << i;
        // What the file holds, to the last bit of the computation ...
        EXPECT_NEAR(a.dX, e.dX, 1e-12) << i;
        EXPECT_NEAR(a.dY, e.dY, 1e-12) << i;
        EXPECT_NEAR(a.dErrX, e.dErrX, 1e-12) << i;
        EXPECT_NEAR(a.dErrY, e.dErrY, 1e-12) << i;
        // ... and the simulated values to the printed precision.
        EXPECT_NEAR(a.dX, e.dTrueX, printedTolerance) << i;
        EXPECT_NEAR(a.dY, e.dTrueY, printedTolerance) << i;
    }
}

}  // namespace

TEST(GeneratedLogs, C1A1SeriesInPicometreAndNanometreWithGaps) {
    PinNumericLocale();
    for (std::uint64_t seed : {1u, 7u, 12345u}) {
        loggen::CSplitMix random(seed);
        loggen::SeriesSetup a;
        a.nImages = 250;
        a.dGapProbability = 0.05;
        a.strUnit = "pm";
        loggen::SeriesSetup b = a;
        b.strUnit = "nm";
        b.nStartTime = 2000;
        b.nFirstImage = 17;
        b.dImagePeriodS = 0.7;
        std::vector<loggen::GeneratedSeries> series = {loggen::SimulateSeries(a, random),
                                                       loggen::SimulateSeries(b, random)};
        ASSERT_LT(series[0].aSamples.size(), 250u);  // some images are missing
        const std::string text = loggen::ToCrLf(loggen::WriteC1A1Log(series));
        ImportRun run;
        ASSERT_EQ(run.C1A1(text).nSeriesAdded, 2);
        // pm with 3 decimals, nm with 6; direction with 4 decimals on ~1 nm.
        ExpectSeries(run.list[0], series[0], 3e-6);
        ExpectSeries(run.list[1], series[1], 3e-6);
        EXPECT_FALSE(run.Logged("Warning"));
    }
}

TEST(GeneratedLogs, ATLASStabWithErrorsWithAndWithoutEndLine) {
    PinNumericLocale();
    for (bool endLine : {true, false}) {
        loggen::CSplitMix random(99);
        loggen::SeriesSetup setup;
        setup.nImages = 400;
        setup.dGapProbability = 0.02;
        loggen::GeneratedSeries g = loggen::SimulateSeries(setup, random);
        loggen::ATLASLayout layout;
        layout.bEndMarker = endLine;
        const std::string text = loggen::WriteATLASStabLog(g, random, layout);
        ImportRun run;
        ASSERT_EQ(run.Atlas(text).nSeriesAdded, 1);
        ExpectSeries(run.list[0], g, 6e-7);
        EXPECT_GT(run.list[0].m_aSamples[0].dErrX, 0.0);
    }
}

TEST(GeneratedLogs, SameSeedSameLog) {
    auto make = [](std::uint64_t seed) {
        loggen::CSplitMix random(seed);
        std::vector<loggen::GeneratedSeries> s = {loggen::SimulateSeries(loggen::SeriesSetup{}, random)};
        return loggen::WriteC1A1Log(s);
    };
    EXPECT_EQ(make(5), make(5));
    EXPECT_NE(make(5), make(6));
}
