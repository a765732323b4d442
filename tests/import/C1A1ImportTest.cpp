#include "import/C1A1Import.h"
#include "import/ATLASStabImport.h"

#include "ImportTestUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using Lines = std::vector<std::string>;

namespace {

std::string Data(int n, const std::string& magnitude = "1nm", const std::string& direction = "0") {
    std::string out;
    for (int i = 1; i <= n; ++i) out += C1A1Data(i, magnitude, direction);
    return out;
}

}  // namespace

class C1A1Import : public ::testing::Test {
protected:
    void SetUp() override { PinNumericLocale(); }
    ImportRun run;
};

TEST_F(C1A1Import, TwoSeriesAreAppendedAfterTheExistingOnes) {
    run.list.emplace_back();  // a series imported earlier
    const std::string text =
        "Corrector log\n" + C1A1Series(100, 106, Data(3)) + "noise\n" + C1A1Series(200, 210, Data(5));
    const ImportResult& r = run.C1A1(text);
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.nSeriesAdded, 2);
    EXPECT_EQ(r.nImportType, IMPORT_C1A1);
    ASSERT_EQ(run.list.size(), 3u);

    const CA1TimeSeries& a = run.list[1];
    EXPECT_EQ(a.m_strSourceFile, "/data/test.log");
    EXPECT_EQ(a.m_nFirstLine, 2);
    EXPECT_EQ(a.m_nLastLine, 8);
    EXPECT_EQ(a.m_nStartTime, 100);
    EXPECT_EQ(a.m_nStopTime, 106);
    EXPECT_EQ(a.m_nDataLines, 3);
    EXPECT_EQ(a.m_nImportType, IMPORT_C1A1);
    EXPECT_EQ(a.m_pLog, &run.log);
    EXPECT_EQ(a.m_astrLines,
              (Lines{"C1A1 series successfully started.", "dTime: 100 s", "#1: C1: 1.00 nm, A1: 1nm / 0 deg, 100 cnts",
                     "#2: C1: 1.00 nm, A1: 1nm / 0 deg, 100 cnts", "#3: C1: 1.00 nm, A1: 1nm / 0 deg, 100 cnts",
                     "C1A1 series stopped by user.", "dTime: 106 s"}));
    EXPECT_DOUBLE_EQ(a.m_dImagePeriod, 2.0);
    EXPECT_EQ(a.m_aSamples.size(), 3u);
    EXPECT_EQ(a.m_nMirror, 1);

    const CA1TimeSeries& b = run.list[2];
    EXPECT_EQ(b.m_nFirstLine, 10);
    EXPECT_EQ(b.m_nLastLine, 18);
    EXPECT_EQ(b.m_nDataLines, 5);
    EXPECT_EQ(b.m_aSamples.size(), 5u);
    EXPECT_EQ(run.Plain().back(), "Added 2 new A1-time series to the data list.");
}

TEST_F(C1A1Import, MessagesOfAnImportInOrder) {
    run.C1A1("C1A1 series successfully started.\ndTime: 10 s\n" + C1A1Data(1, "1nm", "0") + C1A1Data(2, "1nm", "0") +
             "C1A1 series stopped by user.\ndTime: 14 s\n");
    EXPECT_EQ(run.log.m_lines,
              (Lines{"Importing CEOS C1A1 log from file [/data/test.log].", "DEBUG>      Reading log file lines ...",
                     "DEBUG>        Found C1A1 log start.", "DEBUG>        Found C1A1 log start timestamp.",
                     "DEBUG>        Found C1A1 log data line #1.", "DEBUG>        Found C1A1 log data line #2.",
                     "DEBUG>        Found C1A1 log stop.", "DEBUG>        Found C1A1 log stop timestamp.",
                     "Extracting astigmatism data from CEOS C1A1 log...", "- recording frequency: 0.50 Hz",
                     "- y-mirror flag: 1, x-y-plane rotation: 0.0 deg", "- extracted number of astigmatism values: 2",
                     "Extraction finished.",
                     "DEBUG>      Added A1-time series log (#1) with 2 data sets, total timespan 4 s.",
                     "DEBUG>      Finished reading log file lines.",
                     "DEBUG>    Successfully loaded log data from file [/data/test.log].",
                     "Added 1 new A1-time series to the data list."}));
}

TEST_F(C1A1Import, TimeStampsCutFractionsAndNeedAnS) {
    // "dTime: 123.9 s" is 123 s. A stop stamp without an "s" keeps the
    // reader waiting for the next one.
    run.C1A1("C1A1 series successfully started.\ndTime: 123.9 s\n" + Data(2) +
             "C1A1 series stopped by user.\ndTime: 130\nother\nlater dTime: 131.99s\n");
    ASSERT_EQ(run.list.size(), 1u);
    EXPECT_EQ(run.list[0].m_nStartTime, 123);
    EXPECT_EQ(run.list[0].m_nStopTime, 131);
    EXPECT_EQ(run.list[0].m_nLastLine, 8);
    EXPECT_EQ(run.list[0].m_astrLines[1], "dTime: 123.9 s");
    EXPECT_EQ(run.list[0].m_astrLines.back(), "dTime: 131.99s");
}

TEST_F(C1A1Import, DataLineRules) {
    const std::string lines = C1A1Data(1, "1nm", "0") +
                              "#2: A1: 1nm / 0 deg C1: 1 nm 5 cnts\n"       // "A1:" before "C1:": not a data line
                              "#3: C1: 1 nm, A1: 1nm - 0 deg, 5 cnts\n"     // no " / " after "A1:": not a data line
                              "C1: 1 nm, A1: 1nm / 0 deg, 5 cnts\n"         // no "#": not a data line
                              "#4: C1: 1 nm, A1: 1nm / 0 deg\n"             // no "cnts": counted, kept short, no sample
                              "text # C1: 1 nm, A1: 1nm / 0 deg, 5 cnts\n"  // counted, but "#" gives no image number
                              "x#5: C1: 1 nm, A1: 850pm / 0 deg, 7 cnts #\n"  // last "#" after "cnts": empty text
                              + C1A1Data(6, "850pm", "90");
    run.C1A1(C1A1Series(0, 100, lines));
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    EXPECT_EQ(s.m_nDataLines, 5);
    EXPECT_EQ(s.m_astrLines[3], "#4:");  // length k - h + 4 with k = -1
    EXPECT_EQ(s.m_astrLines[4], "# C1: 1 nm, A1: 1nm / 0 deg, 5 cnts");
    EXPECT_EQ(s.m_astrLines[5], "");
    ASSERT_EQ(s.m_aSamples.size(), 2u);
    EXPECT_EQ(s.m_aSamples[0].nIndex, 1);
    EXPECT_EQ(s.m_aSamples[1].nIndex, 6);
    EXPECT_NEAR(s.m_aSamples[1].dX, 0.0, 1e-9);  // 0.01745329252 is not exactly pi/180
    EXPECT_NEAR(s.m_aSamples[1].dY, 0.85, 1e-9);
    EXPECT_TRUE(run.Logged("Warning: 3 of 5 data lines held no readable astigmatism value and were skipped."));
}

TEST_F(C1A1Import, UnitsRotationAndMirror) {
    run.C1A1(C1A1Series(0, 100,
                        C1A1Data(1, "850pm", "0") + C1A1Data(2, "1nm", "0") + C1A1Data(3, "0.002um", "45") +
                            C1A1Data(4, "1.5e+000nm", "180") + C1A1Data(5, "2 nm", "0") + C1A1Data(6, "3xy", "0")),
             -1, 90.0);
    ASSERT_EQ(run.list.size(), 1u);
    const auto& v = run.list[0].m_aSamples;
    ASSERT_EQ(v.size(), 6u);
    // 850 pm at 0 deg, turned by 90 deg and mirrored.
    EXPECT_NEAR(v[0].dX, 0.0, 1e-9);
    EXPECT_NEAR(v[0].dY, -0.85, 1e-9);
    // 1 nm at 0 deg becomes dX ~ 0, dY = -1.
    EXPECT_NEAR(v[1].dX, 0.0, 1e-9);
    EXPECT_NEAR(v[1].dY, -1.0, 1e-9);
    EXPECT_EQ(v[1].dErrX, 0.0);
    EXPECT_EQ(v[1].dErrY, 0.0);
    // 2 nm of "0.002um" at 45 + 90 deg.
    EXPECT_NEAR(v[2].dX, -std::sqrt(2.0), 1e-8);
    EXPECT_NEAR(v[2].dY, -std::sqrt(2.0), 1e-8);
    EXPECT_NEAR(v[3].dX, 0.0, 1e-8);
    EXPECT_NEAR(v[3].dY, 1.5, 1e-8);
    // A blank between number and unit: the unit text " n" is unknown, factor 1.
    EXPECT_NEAR(v[4].dY, -2.0, 1e-8);
    EXPECT_NEAR(v[5].dY, -3.0, 1e-8);
    EXPECT_EQ(run.list[0].m_nMirror, -1);
    EXPECT_EQ(run.list[0].m_dRotation, 90.0);
    EXPECT_TRUE(run.Logged("- y-mirror flag: -1, x-y-plane rotation: 90.0 deg"));
}

TEST_F(C1A1Import, ImagePeriodAndFrequencyMessage) {
    run.C1A1(C1A1Series(1000, 1200, Data(100)));
    ASSERT_EQ(run.list.size(), 1u);
    EXPECT_DOUBLE_EQ(run.list[0].m_dImagePeriod, 2.0);
    EXPECT_TRUE(run.Logged("- recording frequency: 0.50 Hz"));
}

TEST_F(C1A1Import, StateMachineEdges) {
    // A start marker inside a series has no effect; "C1A1 series stopped"
    // alone ends the data lines; a series without data lines is dropped
    // silently; one still open at the end of the file is discarded.
    const std::string text = "C1A1 series successfully started.\n"
                             "dTime: 5 s\n" +
                             Data(2) + "C1A1 series successfully started.\n" + C1A1Data(3, "1nm", "0") +
                             "C1A1 series stopped (error)\n"
                             "dTime: 11 s\n" +
                             C1A1Series(20, 30, "") + "C1A1 series successfully started.\ndTime: 40 s\n" + Data(4);
    const ImportResult& r = run.C1A1(text);
    EXPECT_EQ(r.nSeriesAdded, 1);
    ASSERT_EQ(run.list.size(), 1u);
    EXPECT_EQ(run.list[0].m_nDataLines, 3);
    EXPECT_EQ(run.list[0].m_astrLines[5], "C1A1 series stopped by user.");  // always the long marker
    EXPECT_TRUE(run.Logged("Warning: The series that starts in line 13 is incomplete and was not imported."));
    EXPECT_EQ(run.Plain().back(), "Added 1 new A1-time series to the data list.");
}

TEST_F(C1A1Import, StopMarkerBeforeTheStartTimeStampStartsCountingAfresh) {
    // The second series stops before it has a start time stamp: it has no
    // data lines of its own and must not take over the first one's three.
    const std::string text = C1A1Series(0, 30, Data(3)) +
                             "C1A1 series successfully started.\n"
                             "C1A1 series stopped by user.\n"
                             "dTime: 50 s\n" +
                             C1A1Series(60, 70, Data(2));
    const ImportResult& r = run.C1A1(text);
    EXPECT_EQ(r.nSeriesAdded, 2);
    ASSERT_EQ(run.list.size(), 2u);
    EXPECT_EQ(run.list[0].m_nDataLines, 3);
    EXPECT_EQ(run.list[1].m_nDataLines, 2);
    EXPECT_EQ(run.list[1].m_nStartTime, 60);
}

TEST_F(C1A1Import, ReExtractionNeverReadsBeyondTheStoredLines) {
    run.C1A1(C1A1Series(0, 30, Data(3)));
    ASSERT_EQ(run.list.size(), 1u);
    CA1TimeSeries s = run.list[0];
    s.m_nDataLines = 1000;  // more than stored
    ExtractC1A1(s, 1, 0);
    EXPECT_EQ(s.m_aSamples.size(), 3u);
    s.m_astrLines.resize(1);
    ExtractC1A1(s, 1, 0);
    EXPECT_TRUE(s.m_aSamples.empty());
    s.m_astrLines.clear();
    ExtractC1A1(s, 1, 0);
    EXPECT_TRUE(s.m_aSamples.empty());

    // Re-extraction with new parameters replaces the samples and clears results.
    CA1TimeSeries t = run.list[0];
    t.CharFuncValid = t.ModelValid = 1;
    t.FitDi = 3;
    t.m_nCurrentTab = 4;
    ExtractC1A1(t, -1, 30);
    EXPECT_EQ(t.m_aSamples.size(), 3u);
    EXPECT_NEAR(t.m_aSamples[0].dY, -0.5, 1e-9);
    EXPECT_EQ(t.CharFuncValid + t.ModelValid, 0);
    EXPECT_EQ(t.FitDi, 0.0);
    EXPECT_EQ(t.m_nCurrentTab, 1);
    EXPECT_EQ(t.m_dRotation, 30.0);

    // The other format's extraction refuses the series.
    run.log.m_lines.clear();
    ExtractATLASStab(t, 1, 0);
    EXPECT_EQ(t.m_aSamples.size(), 3u);
    EXPECT_EQ(run.log.m_lines, Lines{"ERROR: Missmatch of the log import type (aborting data extraction)."});
}

TEST_F(C1A1Import, OneDataLineGivesASeriesWithoutSamples) {
    run.C1A1(C1A1Series(0, 30, Data(1)));
    ASSERT_EQ(run.list.size(), 1u);
    EXPECT_EQ(run.list[0].m_nDataLines, 1);
    EXPECT_TRUE(run.list[0].m_aSamples.empty());
    EXPECT_FALSE(run.Logged("Extracting astigmatism data"));
}

TEST_F(C1A1Import, BadNumbersGiveNoSample) {
    const std::string lines = C1A1Data(1, "nan nm", "0") + C1A1Data(2, "infnm", "0") + C1A1Data(3, "1e999nm", "0") +
                              C1A1Data(4, "1nm", "nan") + C1A1Data(5, "1nm", "1e999") + C1A1Data(0, "1nm", "0") +
                              C1A1Data(-3, "1nm", "0") + "#99999999999: C1: 1 nm, A1: 1nm / 0 deg, 1 cnts\n" +
                              "#abc: C1: 1 nm, A1: 1nm / 0 deg, 1 cnts\n" + C1A1Data(7, "-1nm", "0") +
                              C1A1Data(8, "1nm", "10");
    run.C1A1(C1A1Series(0, 100, lines));
    ASSERT_EQ(run.list.size(), 1u);
    const auto& v = run.list[0].m_aSamples;
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].nIndex, 7);
    EXPECT_DOUBLE_EQ(v[0].dX, -1.0);  // a negative magnitude is read as it stands
    EXPECT_EQ(v[1].nIndex, 8);
    for (const A1SAMPLE& a : v) EXPECT_TRUE(std::isfinite(a.dX) && std::isfinite(a.dY));
    EXPECT_TRUE(run.Logged("Warning: 9 of 11 data lines held no readable astigmatism value and were skipped."));
}

TEST_F(C1A1Import, SeriesWithTimeStampsThatDoNotAdvanceAreRefused) {
    const std::string text = C1A1Series(100, 50, Data(3)) + C1A1Series(100, 100, Data(3)) +
                             "C1A1 series successfully started.\ndTime: 99999999999 s\n" + Data(3) +
                             "C1A1 series stopped by user.\ndTime: 99999999999 s\n" +
                             "C1A1 series successfully started.\ndTime: s\n" + Data(3) +
                             "C1A1 series stopped by user.\ndTime: 10 s\n" + C1A1Series(-20, 20, Data(4));
    const ImportResult& r = run.C1A1(text);
    EXPECT_EQ(r.nSeriesAdded, 1);
    ASSERT_EQ(run.list.size(), 1u);
    EXPECT_EQ(run.list[0].m_nStartTime, -20);
    EXPECT_DOUBLE_EQ(run.list[0].m_dImagePeriod, 10.0);
    EXPECT_TRUE(run.Logged(
        "ERROR: The series in lines 1 to 7 of file [/data/test.log] stops at 50 s, not after its start at 100 s; the series was not imported."));
    EXPECT_TRUE(run.Logged(
        "ERROR: The series in lines 8 to 14 of file [/data/test.log] stops at 100 s, not after its start at 100 s; the series was not imported."));
    EXPECT_TRUE(run.Logged(
        "ERROR: The series in lines 15 to 21 of file [/data/test.log] has a time stamp that is not a valid number; the series was not imported."));
    EXPECT_TRUE(run.Logged("ERROR: The series in lines 22 to 28"));
}

TEST_F(C1A1Import, FilesWithoutSeries) {
    static const char kBinary[] = "\0\x01\xff\xfe binary \0 C1: A1: / #";
    for (const std::string& text : {std::string(), std::string("\n\n\n"), std::string("just text\r\nmore\r\n"),
                                    std::string(kBinary, sizeof kBinary - 1)}) {
        ImportRun r;
        const ImportResult& res = r.C1A1(text);
        EXPECT_TRUE(res.bOpened);
        EXPECT_EQ(res.nSeriesAdded, 0);
        EXPECT_FALSE(res.Ok());
        EXPECT_EQ(res.strError, "The file holds no complete C1A1 series.");
        EXPECT_TRUE(r.list.empty());
        EXPECT_EQ(r.Plain(), (Lines{"Importing CEOS C1A1 log from file [/data/test.log].",
                                    "Added 0 new A1-time series to the data list."}));
    }
}

TEST_F(C1A1Import, CrLfByteOrderMarkAndHugeLines) {
    std::string text = "\xEF\xBB\xBF" + C1A1Series(0, 40, Data(4));
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    // A line of several megabytes inside the series: a data line whose
    // text runs from the "#" to "cnts".
    const std::string huge = "#5: C1: 1 nm, A1: 1nm / 0 deg" + std::string(5'000'000, ' ') + "1 cnts";
    crlf.insert(crlf.find("C1A1 series stopped"), huge + "\r\n" + std::string(3'000'000, 'z') + "\r\n");
    run.C1A1(crlf);
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    EXPECT_EQ(s.m_nFirstLine, 1);
    EXPECT_EQ(s.m_nDataLines, 5);
    EXPECT_EQ(s.m_aSamples.size(), 5u);
    EXPECT_EQ(s.m_astrLines[1], "dTime: 0 s");  // no CR left over
    EXPECT_EQ(s.m_astrLines.back(), "dTime: 40 s");
}
