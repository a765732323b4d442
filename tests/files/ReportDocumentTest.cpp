// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF report's content: title block, report lines, uncertainty block,
// diagrams, the time stamps, SOURCE_DATE_EPOCH and the proposed file name.
#include "files/ReportDocument.h"

#include "eval/Report.h"
#include "plot/DiagramContent.h"
#include "series/A1TimeSeries.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

namespace {

std::map<std::string, std::string> Fields(const REPORTDOCUMENT& doc) {
    std::map<std::string, std::string> m;
    for (const REPORTFIELD& f : doc.aTitleBlock) m[f.strLabel] = f.strValue;
    return m;
}

CA1TimeSeries SmallSeries(const std::string& source) {
    CA1TimeSeries s;
    s.m_strSourceFile = source;
    s.m_nFirstLine = 5;
    s.m_nLastLine = 42;
    s.m_nStartTime = 100;
    s.m_nStopTime = 300;
    s.m_dImagePeriod = 0.5;
    s.m_aSamples = {{1, 0.1, 0.2, 0.01, 0.01}, {2, 0.2, 0.1, 0.01, 0.01}, {3, 0.3, 0.0, 0.01, 0.01}};
    s.m_aCharFunc = {{1, 0.01, 0.02, 1e-4, 1e-4}};
    s.CharFuncValid = 1;
    s.UsedMinDiversity = 12;
    s.UsedElEnergykV = 200.0;
    s.UsedTargetResAng = 0.8;
    s.UsedLimitPhase = 0.25;
    s.m_dRotation = -12.5;
    s.m_nMirror = -1;
    s.Tolerance = 1.27;
    s.DirectLifetime = 10.0;
    return s;
}

TEST(ReportDocument, TitleBlockHoldsEveryFactOfTheSeries) {
    CTempFolder folder("dw_reportdoc");
    const CA1TimeSeries s = SmallSeries(folder.Write("beam.log", "abc"));
    REPORTINPUTS in;
    in.nSeriesNumber = 3;
    in.nEvaluationTime = 1700000000;
    const REPORTDOCUMENT doc = BuildReportDocument(s, in);
    std::map<std::string, std::string> f = Fields(doc);
    EXPECT_EQ(f["Program"], "Driftwise 1.0.2 (build 140206)");
    EXPECT_EQ(f["Log file"], "beam.log");
    // SHA-256 of "abc" (FIPS 180-4).
    EXPECT_EQ(f["SHA-256"], "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(f["Series"], "3");
    EXPECT_EQ(f["Log lines"], "5 to 42 (38 lines)");
    EXPECT_EQ(f["Time stamps"], "start 100, stop 300");
    EXPECT_EQ(f["Samples"], "3");
    EXPECT_EQ(f["Image period"], "0.50 s");
    EXPECT_EQ(f["Minimum diversity"], "12");
    EXPECT_EQ(f["Electron energy"], "200.0 keV");
    EXPECT_EQ(f["Target resolution"], "0.80 A");
    EXPECT_EQ(f["Phase tolerance"], "0.250 Pi");
    EXPECT_EQ(f["Rotation"], "-12.50 deg");
    EXPECT_EQ(f["Mirror A22-y"], "yes (factor -1)");
    EXPECT_EQ(f["Evaluated"], "2023-11-14 22:13:20 UTC");
    EXPECT_EQ(doc.aTitleBlock.size(), 15u);
    EXPECT_EQ(doc.strDocumentTitle, "Astigmatism Stability Report - beam.log series 3");
}

TEST(ReportDocument, ReportLinesJoinToTheReportText) {
    const CA1TimeSeries s = SmallSeries("/nowhere/beam.log");
    const REPORTDOCUMENT doc = BuildReportDocument(s, REPORTINPUTS{});
    std::string joined;
    for (std::size_t i = 0; i < doc.astrReport.size(); ++i) joined += (i ? "\r\n" : "") + doc.astrReport[i];
    EXPECT_EQ(joined, BuildStabilityReport(s));
    EXPECT_GT(doc.astrReport.size(), 10u);
    EXPECT_EQ(Fields(doc)["SHA-256"].rfind("not available (", 0), 0u);
}

TEST(ReportDocument, UncertaintyBlockOnlyWhenGiven) {
    const CA1TimeSeries s = SmallSeries("/nowhere/beam.log");
    EXPECT_TRUE(BuildReportDocument(s, REPORTINPUTS{}).astrUncertainty.empty());
    EXPECT_TRUE(BuildReportDocument(s, REPORTINPUTS{}).strUncertaintyHeading.empty());
    REPORTINPUTS in;
    in.astrUncertainty = {"Di : 0.011 ... 0.027 nm (95 %)", "Goodness of fit: p = 0.42"};
    const REPORTDOCUMENT doc = BuildReportDocument(s, in);
    EXPECT_EQ(doc.strUncertaintyHeading, "Uncertainty");
    EXPECT_EQ(doc.astrUncertainty, in.astrUncertainty);
}

TEST(ReportDocument, FiveDiagramsInPageOrderWithCaptions) {
    const REPORTDOCUMENT doc = BuildReportDocument(SmallSeries("x.log"), REPORTINPUTS{});
    ASSERT_EQ(doc.aDiagrams.size(), 5u);
    const int order[] = {DISPLAY_A22_TIME, DISPLAY_A22_2D, DISPLAY_CHAR_FUNC, DISPLAY_MODEL, DISPLAY_PROBABILITY};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(doc.aDiagrams[i].nDisplayType, order[i]);
        EXPECT_FALSE(doc.aDiagrams[i].strCaption.empty());
    }
}

TEST(ReportDocument, SplitKeepsEmptyAndLeadingBlankLines) {
    EXPECT_EQ(SplitReportLines(" "), std::vector<std::string>{" "});
    EXPECT_EQ(SplitReportLines(" a\r\n\r\n  b"), (std::vector<std::string>{" a", "", "  b"}));
}

TEST(ReportDocument, UtcTimesOfKnownInstants) {
    const std::pair<long long, const char*> cases[] = {
        {0, "1970-01-01 00:00:00 UTC"},          {-1, "1969-12-31 23:59:59 UTC"},
        {951782400, "2000-02-29 00:00:00 UTC"},  {1700000000, "2023-11-14 22:13:20 UTC"},
        {4102444799, "2099-12-31 23:59:59 UTC"}, {951868799, "2000-02-29 23:59:59 UTC"},
    };
    for (const auto& [t, text] : cases) EXPECT_EQ(FormatUtcTime(t), text) << t;
}

TEST(ReportDocument, SourceDateEpochOnlyAsPlainNumber) {
    const char* saved = std::getenv("SOURCE_DATE_EPOCH");
    const std::string keep = saved ? saved : "";
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    EXPECT_EQ(SourceDateEpoch(), 1700000000LL);
    EXPECT_EQ(ReportClockTime(), 1700000000LL);
    for (const char* bad : {"", "-5", "12a", " 1"}) {
        setenv("SOURCE_DATE_EPOCH", bad, 1);
        EXPECT_FALSE(SourceDateEpoch().has_value()) << bad;
    }
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_FALSE(SourceDateEpoch().has_value());
    EXPECT_GT(ReportClockTime(), 1700000000LL);
    if (saved) setenv("SOURCE_DATE_EPOCH", keep.c_str(), 1);
}

TEST(ReportDocument, FileNameProposalBesideTheLog) {
    EXPECT_EQ(ReportPdfFileName("/data/logs/STEM.log", 1), "STEM_s001_report.pdf");
    EXPECT_EQ(ReportPdfFileName("/data/logs/run.2.dat", 12), "run.2_s012_report.pdf");
    EXPECT_EQ(ReportPdfFileName("noext", 1234), "noext_s1234_report.pdf");
    EXPECT_EQ(ReportPdfPathBesideLog("/data/logs/STEM.log", 2), "/data/logs/STEM_s002_report.pdf");
    EXPECT_EQ(ReportPdfPathBesideLog("STEM.log", 2), "STEM_s002_report.pdf");
}

}  // namespace

namespace {

TEST(ReportDocument, SeriesNumberCountsTheSeriesOfTheSameLogByFirstLine) {
    std::vector<CA1TimeSeries> list(5);
    const std::pair<const char*, int> series[] = {
        {"/a.log", 4}, {"/b.log", 10}, {"/a.log", 120}, {"/a.log", 4}, {"/a.log", 300}};
    for (std::size_t i = 0; i < 5; ++i) {
        list[i].m_strSourceFile = series[i].first;
        list[i].m_nFirstLine = series[i].second;
    }
    // a.log: first lines 4, 120, 300 are series 1, 2, 3; the second import of line 4 is series 1 again.
    const int expected[] = {1, 1, 2, 1, 3};
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(SeriesNumberInLog(list, i), expected[i]) << i;
    EXPECT_EQ(SeriesNumberInLog(list, 9), 1);
}

}  // namespace
