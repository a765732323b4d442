#include "series/A1TimeSeries.h"

#include "support/RecordingLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

A1SAMPLE Sample(int index, double x, double y) {
    A1SAMPLE s;
    s.nIndex = index;
    s.dX = x;
    s.dY = y;
    return s;
}

}  // namespace

TEST(A1TimeSeries, HeaderAndUnitTablesExactly) {
    const CA1TimeSeries s;
    EXPECT_EQ(s.m_pLog, nullptr);
    EXPECT_EQ(s.m_nCommentColumn, 40);
    EXPECT_EQ(s.m_nVersion, 2013111301);
    EXPECT_EQ(s.m_strName, "A1-Time Series Data");

    const std::vector<std::pair<const char*, double>> length = {{"nm", 1},   {"fm", 1e-6}, {"pm", 0.001}, {"um", 1000},
                                                                {"mm", 1e6}, {"m ", 1e9},  {"km", 1e12}};
    const std::vector<std::pair<const char*, double>> time = {{"s  ", 1}, {"ms ", 0.001}, {"min", 60}, {"h  ", 3600}};
    // U+00B2 in UTF-8 is C2 B2.
    const std::vector<std::pair<const char*, double>> area = {
        {"nm\xC2\xB2", 1},    {"fm\xC2\xB2", 1e-12}, {"100fm\xC2\xB2", 1e-10}, {"pm\xC2\xB2", 1e-6},
        {"A\xC2\xB2 ", 0.01}, {"um\xC2\xB2", 1e6},   {"100um\xC2\xB2", 1e8},   {"mm\xC2\xB2", 1e12},
        {"cm\xC2\xB2", 1e14}, {"m\xC2\xB2 ", 1e18}};
    auto check = [](const std::vector<UNIT>& table, const std::vector<std::pair<const char*, double>>& expected) {
        ASSERT_EQ(table.size(), expected.size());
        for (std::size_t i = 0; i < table.size(); ++i) {
            EXPECT_EQ(table[i].strName, expected[i].first) << i;
            EXPECT_DOUBLE_EQ(table[i].dFactor, expected[i].second) << i;
        }
    };
    check(s.m_aLengthUnits, length);
    check(s.m_aTimeUnits, time);
    check(s.m_aAreaUnits, area);
}

TEST(A1TimeSeries, LookupLengthFactorIsAFirstSubstringMatch) {
    const CA1TimeSeries s;
    EXPECT_DOUBLE_EQ(s.LookupLengthFactor("nm"), 1.0);
    EXPECT_DOUBLE_EQ(s.LookupLengthFactor("um"), 1000.0);
    EXPECT_DOUBLE_EQ(s.LookupLengthFactor("pm"), 0.001);
    EXPECT_DOUBLE_EQ(s.LookupLengthFactor("m "), 1e9);
    EXPECT_DOUBLE_EQ(s.LookupLengthFactor("m"), 1.0);  // "nm" comes first
    EXPECT_DOUBLE_EQ(s.LookupLengthFactor("k"), 1e12);
    EXPECT_DOUBLE_EQ(s.LookupLengthFactor("xy"), 1.0);
    EXPECT_DOUBLE_EQ(s.LookupLengthFactor(" p"), 1.0);
    EXPECT_DOUBLE_EQ(s.LookupLengthFactor("PM"), 1.0);  // case-sensitive
}

TEST(A1TimeSeries, ChooseUnitSkipsIndexZero) {
    const CA1TimeSeries s;
    EXPECT_EQ(s.ChooseLengthUnit(5e5), 3);   // um
    EXPECT_EQ(s.ChooseLengthUnit(0.5), 2);   // 500 pm
    EXPECT_EQ(s.ChooseLengthUnit(5.0), 0);   // nm is never chosen, nothing else fits
    EXPECT_EQ(s.ChooseLengthUnit(5e-4), 1);  // 500 fm
    EXPECT_EQ(s.ChooseLengthUnit(1e9), 5);   // exactly 1 m
    EXPECT_EQ(s.ChooseLengthUnit(1e16), 0);
    EXPECT_EQ(s.ChooseLengthUnit(0.0), 0);
    EXPECT_EQ(s.ChooseLengthUnit(-5e5), 0);
    EXPECT_EQ(s.ChooseLengthUnit(std::nan("")), 0);
    EXPECT_EQ(s.ChooseTimeUnit(0.5), 1);   // 500 ms
    EXPECT_EQ(s.ChooseTimeUnit(120), 2);   // 2 min
    EXPECT_EQ(s.ChooseTimeUnit(59.9), 0);  // 59.9 s: ms gives 59900, min below 1
    EXPECT_EQ(s.ChooseTimeUnit(7200), 2);  // 120 min comes before 2 h
    EXPECT_EQ(s.ChooseTimeUnit(3600.0 * 500), 3);
    EXPECT_EQ(s.ChooseTimeUnit(3600.0 * 1000), 0);
    EXPECT_EQ(s.ChooseAreaUnit(0.05), 4);  // 5 A^2 (pm^2 gives 50000)
    EXPECT_EQ(s.ChooseAreaUnit(5e-9), 2);  // 50 * 100 fm^2
    EXPECT_EQ(s.ChooseAreaUnit(5e-11), 1);
}

TEST(A1TimeSeries, SampleRangesUseTheImagePeriod) {
    CA1TimeSeries s;
    double t0 = -7, t1 = -7, x0 = -7, x1 = -7, y0 = -7, y1 = -7;
    s.GetSampleRanges(t0, t1, x0, x1, y0, y1);
    EXPECT_EQ(t0, -7);  // untouched without samples
    EXPECT_EQ(y1, -7);
    s.m_dImagePeriod = 2.5;
    s.m_aSamples = {Sample(4, 1.0, -2.0), Sample(2, -3.0, 5.0), Sample(9, 0.5, 0.0)};
    s.GetSampleRanges(t0, t1, x0, x1, y0, y1);
    EXPECT_DOUBLE_EQ(t0, 5.0);
    EXPECT_DOUBLE_EQ(t1, 22.5);
    EXPECT_DOUBLE_EQ(x0, -3.0);
    EXPECT_DOUBLE_EQ(x1, 1.0);
    EXPECT_DOUBLE_EQ(y0, -2.0);
    EXPECT_DOUBLE_EQ(y1, 5.0);
}

TEST(A1TimeSeries, MeansAndPopulationMomentsUnderRotation) {
    CA1TimeSeries s;
    double mx = -1, my = -1, vx = -1, cxy = -1, vy = -1;
    s.GetMean(0, mx, my);
    s.GetMoments(0, 0, 0, vx, cxy, vy);
    EXPECT_EQ(mx, -1);
    EXPECT_EQ(vx, -1);

    s.m_aSamples = {Sample(1, 1, 0), Sample(2, 3, 2), Sample(3, 5, 1)};
    s.GetMean(0, mx, my);
    EXPECT_DOUBLE_EQ(mx, 3.0);
    EXPECT_DOUBLE_EQ(my, 1.0);
    s.GetMoments(mx, my, 0, vx, cxy, vy);
    EXPECT_DOUBLE_EQ(vx, 8.0 / 3.0);  // divided by n, not n - 1
    EXPECT_DOUBLE_EQ(cxy, 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(vy, 2.0 / 3.0);

    // 90 degrees: X' = -y, Y' = x.
    s.GetMean(90, mx, my);
    EXPECT_NEAR(mx, -1.0, 1e-9);
    EXPECT_NEAR(my, 3.0, 1e-9);
    s.GetMoments(mx, my, 90, vx, cxy, vy);
    EXPECT_NEAR(vx, 2.0 / 3.0, 1e-9);
    EXPECT_NEAR(cxy, -2.0 / 3.0, 1e-9);
    EXPECT_NEAR(vy, 8.0 / 3.0, 1e-9);

    // Below 1e-8 degrees the raw values are used exactly.
    s.GetMean(5e-9, mx, my);
    EXPECT_EQ(mx, 3.0);
}

TEST(A1TimeSeries, FindMinCorrelationFindsTheAxesOfAnEllipse) {
    CA1TimeSeries s;
    double r = -1, angle = -1;
    EXPECT_FALSE(s.FindMinCorrelation(-90, 90, r, angle));
    EXPECT_EQ(r, -1);

    // An ellipse with axes 3 and 1, turned by 30 degrees: turning it back
    // by -30 degrees (or forward by 60) removes the correlation.
    const double turn = 30 * kRadPerDeg;
    for (int i = 0; i < 360; ++i) {
        const double t = i * kRadPerDeg, x = 3 * std::cos(t), y = std::sin(t);
        s.m_aSamples.push_back(
            Sample(i + 1, std::cos(turn) * x - std::sin(turn) * y, std::sin(turn) * x + std::cos(turn) * y));
    }
    ASSERT_TRUE(s.FindMinCorrelation(-90, 0, r, angle));
    EXPECT_NEAR(angle, -30.0, 0.1);
    EXPECT_LT(r, 0.01);
    ASSERT_TRUE(s.FindMinCorrelation(0, 90, r, angle));
    EXPECT_NEAR(angle, 60.0, 0.1);

    // All samples equal: no variance at any angle, nothing qualifies.
    s.m_aSamples.assign(5, Sample(1, 2.0, 2.0));
    r = angle = -1;
    EXPECT_FALSE(s.FindMinCorrelation(-90, 90, r, angle));
    EXPECT_EQ(angle, -1);

    // Uncorrelated at the first angle already: the first one wins the tie.
    s.m_aSamples = {Sample(1, 1, 0), Sample(2, -1, 0), Sample(3, 0, 2), Sample(4, 0, -2)};
    ASSERT_TRUE(s.FindMinCorrelation(0, 10, r, angle));
    EXPECT_NEAR(r, 0.0, 1e-12);
    EXPECT_EQ(angle, 0.0);
}

TEST(A1TimeSeries, ResetClearsEverythingButTheLog) {
    CRecordingLog log;
    CA1TimeSeries s(&log);
    s.m_strSourceFile = "x";
    s.m_astrLines = {"a"};
    s.m_aSamples = {Sample(1, 1, 1)};
    s.m_aCharFunc = {Sample(1, 1, 1)};
    s.m_nFirstLine = s.m_nLastLine = s.m_nStartTime = s.m_nStopTime = s.m_nImportType = s.m_nDataLines = 5;
    s.CharFuncValid = s.ModelValid = s.m_nMirror = s.LifetimeState = 1;
    s.m_nCurrentTab = 4;
    s.UsedMinDiversity = 33;
    s.m_dImagePeriod = 7;
    s.m_dRotation = s.MeasErr = s.MeasErrX = s.MeasErrY = s.SlopeSum = 3;
    s.Tolerance = s.UsedLimitPhase = s.UsedElEnergykV = s.UsedTargetResAng = s.DirectLifetime = 3;
    s.FitDi = s.FitDa = s.FitTc = s.FitS = s.ModelLifetime = s.FitSSqr = 3;
    s.Reset();
    const CA1TimeSeries fresh;
    EXPECT_EQ(s.m_pLog, &log);
    EXPECT_TRUE(s.m_strSourceFile.empty() && s.m_astrLines.empty() && s.m_aSamples.empty() && s.m_aCharFunc.empty());
    EXPECT_EQ(s.m_nFirstLine + s.m_nLastLine + s.m_nStartTime + s.m_nStopTime + s.m_nImportType + s.m_nDataLines, 0);
    EXPECT_EQ(s.CharFuncValid + s.ModelValid + s.m_nMirror + s.LifetimeState, 0);
    EXPECT_EQ(s.m_nCurrentTab, 1);
    EXPECT_EQ(s.UsedMinDiversity, 10);
    EXPECT_EQ(s.m_dImagePeriod, 1.0);
    for (double v :
         {s.m_dRotation, s.MeasErr, s.MeasErrX, s.MeasErrY, s.SlopeSum, s.Tolerance, s.UsedLimitPhase, s.UsedElEnergykV,
          s.UsedTargetResAng, s.DirectLifetime, s.FitDi, s.FitDa, s.FitTc, s.FitS, s.ModelLifetime, s.FitSSqr})
        EXPECT_EQ(v, 0.0);
    EXPECT_EQ(fresh.m_nCurrentTab, 1);
    EXPECT_EQ(fresh.UsedMinDiversity, 10);
    EXPECT_EQ(fresh.m_dImagePeriod, 1.0);
}

TEST(A1TimeSeries, CopiesKeepLogLinesSamplesAndResultsButRebuildUnits) {
    CRecordingLog log;
    CA1TimeSeries s(&log);
    s.m_astrLines = {"a", "b"};
    s.m_aSamples = {Sample(1, 1, 2)};
    s.m_aCharFunc = {Sample(2, 3, 4)};
    s.m_nDataLines = 2;
    s.ModelValid = 1;
    s.FitTc = 12.5;
    s.m_nCurrentTab = 3;
    s.m_aLengthUnits[0].strName = "changed";
    s.m_aTimeUnits.clear();

    const CA1TimeSeries copy(s);
    EXPECT_EQ(copy.m_pLog, &log);
    EXPECT_EQ(copy.m_astrLines, s.m_astrLines);
    ASSERT_EQ(copy.m_aSamples.size(), 1u);
    EXPECT_EQ(copy.m_aSamples[0].dY, 2.0);
    ASSERT_EQ(copy.m_aCharFunc.size(), 1u);
    EXPECT_EQ(copy.m_aCharFunc[0].nIndex, 2);
    EXPECT_EQ(copy.m_nDataLines, 2);
    EXPECT_EQ(copy.ModelValid, 1);
    EXPECT_EQ(copy.FitTc, 12.5);
    EXPECT_EQ(copy.m_nCurrentTab, 3);
    EXPECT_EQ(copy.m_aLengthUnits[0].strName, "nm");
    EXPECT_EQ(copy.m_aTimeUnits.size(), 4u);

    CA1TimeSeries assigned;
    assigned = s;
    EXPECT_EQ(assigned.m_pLog, &log);
    EXPECT_EQ(assigned.FitTc, 12.5);
    EXPECT_EQ(assigned.m_aLengthUnits[0].strName, "nm");
    EXPECT_EQ(assigned.m_aTimeUnits.size(), 4u);

    // A list of series held by value keeps working when it grows.
    std::vector<CA1TimeSeries> list;
    for (int i = 0; i < 20; ++i) list.push_back(s);
    EXPECT_EQ(list.front().m_astrLines, s.m_astrLines);
    EXPECT_EQ(list.front().m_pLog, &log);
}

TEST(A1TimeSeries, MovesKeepUnitTablesOnBothSides) {
    CA1TimeSeries s;
    s.m_aSamples = {Sample(1, 1, 2)};
    s.FitDi = 0.5;
    CA1TimeSeries moved(std::move(s));
    EXPECT_EQ(moved.m_aSamples.size(), 1u);
    EXPECT_EQ(moved.FitDi, 0.5);
    EXPECT_EQ(moved.m_aAreaUnits.size(), 10u);
    // The moved-from series can still be reset and reused for the next import.
    s.Reset();
    EXPECT_EQ(s.LookupLengthFactor("um"), 1000.0);
    EXPECT_EQ(s.ChooseTimeUnit(120.0), 2);
    CA1TimeSeries target;
    target = std::move(moved);
    EXPECT_EQ(target.FitDi, 0.5);
    EXPECT_EQ(moved.m_aLengthUnits.size(), 7u);
    EXPECT_EQ(target.m_aTimeUnits.size(), 4u);
}

TEST(A1TimeSeries, SharedExtractionStepsCheckTypeClearAndReport) {
    CRecordingLog log;
    CA1TimeSeries s(&log);
    s.m_nImportType = IMPORT_C1A1;
    s.m_aSamples = {Sample(1, 1, 1)};
    s.CharFuncValid = s.ModelValid = 1;
    s.MeasErr = 0.5;
    EXPECT_FALSE(s.BeginExtraction(IMPORT_ATLAS, 1, 0));
    EXPECT_EQ(log.m_lines,
              std::vector<std::string>{"ERROR: Missmatch of the log import type (aborting data extraction)."});
    EXPECT_EQ(s.m_aSamples.size(), 1u);  // nothing changed
    EXPECT_EQ(s.CharFuncValid, 1);

    // Fewer than two data lines: cleared, but no period and no messages.
    log.m_lines.clear();
    s.m_nDataLines = 1;
    s.m_nCurrentTab = 3;
    EXPECT_FALSE(s.BeginExtraction(IMPORT_C1A1, -1, 5));
    EXPECT_TRUE(s.m_aSamples.empty());
    EXPECT_EQ(s.CharFuncValid + s.ModelValid, 0);
    EXPECT_EQ(s.m_nCurrentTab, 1);
    EXPECT_EQ(s.MeasErr, 0.5);  // kept, but not consulted
    EXPECT_EQ(s.m_dImagePeriod, 1.0);
    EXPECT_TRUE(log.m_lines.empty());

    s.m_nDataLines = 100;
    s.m_nStartTime = 1000;
    s.m_nStopTime = 1200;
    ASSERT_TRUE(s.BeginExtraction(IMPORT_C1A1, -1, 12.34));
    EXPECT_DOUBLE_EQ(s.m_dImagePeriod, 2.0);
    s.FinishExtraction(-1, 12.34);
    EXPECT_EQ(s.m_nMirror, -1);
    EXPECT_EQ(s.m_dRotation, 12.34);
    EXPECT_EQ(log.m_lines, (std::vector<std::string>{
                               "Extracting astigmatism data from CEOS C1A1 log...", "- recording frequency: 0.50 Hz",
                               "- y-mirror flag: -1, x-y-plane rotation: 12.3 deg",
                               "- extracted number of astigmatism values: 0", "Extraction finished."}));
}
