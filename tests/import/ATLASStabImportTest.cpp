#include "import/ATLASStabImport.h"

#include "ImportTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

using Lines = std::vector<std::string>;

namespace {

const std::string kHeader = "img   a22x err(a22x)  a22y err(a22y)  c1 filetime";

std::string Row(int image, double x, double ex, double y, double ey, int time) {
    return FormatText("%d  %.6f %.6f  %.6f %.6f  1.5 %d\n", image, x, ex, y, ey, time);
}

}  // namespace

class ATLASStabImport : public ::testing::Test {
protected:
    void SetUp() override { PinNumericLocale(); }
    ImportRun run;
};

TEST_F(ATLASStabImport, ReadsHeaderDataAndEndLine) {
    run.list.emplace_back();
    const std::string text = "measurement of 2014\n" + kHeader + "\n" + Row(1, 0.5, 0.01, -0.25, 0.02, 1000) + "  " +
                             Row(2, 0.6, 0.01, -0.2, 0.02, 1002).substr(0, 40) + "   \n" +
                             Row(3, 0.7, 0.03, -0.1, 0.04, 1006) + "# end of table\nignored\n";
    const ImportResult& r = run.Atlas(text);
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.nImportType, IMPORT_ATLAS);
    ASSERT_EQ(run.list.size(), 2u);
    const CA1TimeSeries& s = run.list[1];
    EXPECT_EQ(s.m_strSourceFile, "/data/test.log");
    EXPECT_EQ(s.m_nFirstLine, 2);
    EXPECT_EQ(s.m_nLastLine, 6);
    EXPECT_EQ(s.m_nDataLines, 3);
    EXPECT_EQ(s.m_nStartTime, 1000);
    EXPECT_EQ(s.m_nStopTime, 1006);
    EXPECT_EQ(s.m_nImportType, IMPORT_ATLAS);
    ASSERT_EQ(s.m_astrLines.size(), 5u);
    EXPECT_EQ(s.m_astrLines[0], kHeader);
    EXPECT_EQ(s.m_astrLines[1], "1  0.500000 0.010000  -0.250000 0.020000  1.5 1000");  // trimmed
    EXPECT_EQ(s.m_astrLines[2].front(), '2');
    EXPECT_EQ(s.m_astrLines[4], "#");
    EXPECT_DOUBLE_EQ(s.m_dImagePeriod, 2.0);
    // The cut second line lacks its filetime but still has the four values.
    ASSERT_EQ(s.m_aSamples.size(), 3u);
    EXPECT_EQ(s.m_aSamples[0].nIndex, 1);
    EXPECT_DOUBLE_EQ(s.m_aSamples[0].dX, 0.5);
    EXPECT_DOUBLE_EQ(s.m_aSamples[0].dY, -0.25);
    EXPECT_DOUBLE_EQ(s.m_aSamples[0].dErrX, 0.01);
    EXPECT_DOUBLE_EQ(s.m_aSamples[0].dErrY, 0.02);
    EXPECT_DOUBLE_EQ(s.m_aSamples[2].dErrY, 0.04);
}

TEST_F(ATLASStabImport, MessagesOfAnImportInOrder) {
    run.Atlas(kHeader + "\n" + Row(1, 0.5, 0.01, -0.25, 0.02, 10) + Row(2, 0.5, 0.01, -0.25, 0.02, 14) + "#\n");
    EXPECT_EQ(
        run.log.m_lines,
        (Lines{"Importing ATLAS Stability log from file [/data/test.log].", "DEBUG>      Reading log file lines ...",
               "DEBUG>        Found ATLASStab log start.", "DEBUG>        Found ATLASStab log data line #1.",
               "DEBUG>        Found ATLASStab log data line #2.", "DEBUG>        Found ATLASStab log stop.",
               "DEBUG>      Finished reading log file lines.", "Extracting astigmatism data from ATLASStab log...",
               "- recording frequency: 0.50 Hz", "- y-mirror flag: 1, x-y-plane rotation: 0.0 deg",
               "- extracted number of astigmatism values: 2", "Extraction finished.",
               "DEBUG>      Added A1-time series log (#1) with 2 data sets, total timespan 4 s.",
               "DEBUG>    Successfully loaded log data from file [/data/test.log].",
               "Added 1 new A1-time series to the data list."}));
}

TEST_F(ATLASStabImport, HeaderRules) {
    const std::string rows = Row(1, 1, 0, 1, 0, 10) + Row(2, 1, 0, 1, 0, 20);
    for (const std::string& header :
         {" " + kHeader,                                              // "img" not at the start
          std::string("img a22x err(a22x) a22y err(a22y) filetime"),  // one blank only in the middle
          std::string("img a22x err(a22x)  a22y err(a22y)"),          // no filetime
          std::string("IMG a22x err(a22x)  a22y err(a22y) filetime")}) {
        ImportRun r;
        const ImportResult& res = r.Atlas(header + "\n" + rows);
        EXPECT_EQ(res.nSeriesAdded, 0) << header;
        EXPECT_TRUE(r.list.empty());
        EXPECT_EQ(r.Plain().back(), "ERROR: Failed to load log data from file [/data/test.log].");
        EXPECT_EQ(res.strError, "The file holds no ATLASStab header line.");
    }
    // A header alone is no series either.
    ImportRun r;
    EXPECT_EQ(r.Atlas(kHeader + "\n#\n").strError, "The file holds no data lines after the ATLASStab header.");
    EXPECT_TRUE(r.list.empty());
}

TEST_F(ATLASStabImport, ColumnsAreFoundByName) {
    // Other columns anywhere, tokens separated by runs of blanks.
    run.Atlas("img   c1  a22x err(a22x)  a22y err(a22y)  a33 filetime\n"
              "5   9.9   1.5   0.1    -2.5   0.2  7  100\n"
              "6 9.9 1.5 0.1 -2.5\n"                   // too few columns: no sample
              "7\t9.9\t1.5\t0.1\t-2.5\t0.2\t7\t104\n"  // tabs are no separators: one token
              "8 9.9 1.5 0.1 -2.5 0.2 7 110\n");
    ASSERT_EQ(run.list.size(), 1u);
    const auto& v = run.list[0].m_aSamples;
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].nIndex, 5);
    EXPECT_DOUBLE_EQ(v[0].dX, 1.5);
    EXPECT_DOUBLE_EQ(v[0].dErrX, 0.1);
    EXPECT_DOUBLE_EQ(v[0].dY, -2.5);
    EXPECT_DOUBLE_EQ(v[0].dErrY, 0.2);
    EXPECT_EQ(v[1].nIndex, 8);
}

TEST_F(ATLASStabImport, RotationTurnsValuesAndErrorsMirrorOnlyTheValues) {
    const std::string text = kHeader + "\n" + Row(1, 1.0, 0.1, 2.0, 0.3, 0) + Row(2, 1.0, 0.1, 2.0, 0.3, 10);
    run.Atlas(text, 1, 0.0);
    run.Atlas(text, -1, 90.0);
    ASSERT_EQ(run.list.size(), 2u);
    const A1SAMPLE& a = run.list[0].m_aSamples[0];
    EXPECT_EQ(a.dX, 1.0);
    EXPECT_EQ(a.dY, 2.0);
    EXPECT_EQ(a.dErrX, 0.1);  // stored exactly as read
    EXPECT_EQ(a.dErrY, 0.3);
    const A1SAMPLE& b = run.list[1].m_aSamples[0];
    EXPECT_NEAR(b.dX, -2.0, 1e-9);    // x' = -y
    EXPECT_NEAR(b.dY, -1.0, 1e-9);    // y' = x, mirrored
    EXPECT_NEAR(b.dErrX, 0.3, 1e-9);  // errors swapped, not mirrored
    EXPECT_NEAR(b.dErrY, 0.1, 1e-9);
    EXPECT_EQ(run.list[1].m_nMirror, -1);
}

TEST_F(ATLASStabImport, SkippedLinesStillCount) {
    run.Atlas(kHeader + "\n" + Row(1, 1, 0, 1, 0, 0) + "2 1.0 0.0 1.0 0.0 1.5 4 not used\n" + "\n" +
              "0  1.0 0.0 1.0 0.0 1.5 6\n" + "-4  1.0 0.0 1.0 0.0 1.5 8\n" + "x  1.0 0.0 1.0 0.0 1.5 8\n" +
              "9 nan 0.0 1.0 0.0 1.5 9\n" + "10 1.0 inf 1.0 0.0 1.5 9\n" + "11 1e999 0.0 1.0 0.0 1.5 9\n" +
              "99999999999 1.0 0.0 1.0 0.0 1.5 9\n" + kHeader + "\n" + Row(12, 1, 0, 1, 0, 24));
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    EXPECT_EQ(s.m_nDataLines, 12);  // the second header is a data line too
    EXPECT_DOUBLE_EQ(s.m_dImagePeriod, 2.0);
    ASSERT_EQ(s.m_aSamples.size(), 2u);
    EXPECT_EQ(s.m_aSamples[0].nIndex, 1);
    EXPECT_EQ(s.m_aSamples[1].nIndex, 12);
    // The "not used" line and the empty line are skipped on purpose, the
    // other eight could not be read.
    EXPECT_TRUE(run.Logged("Warning: 8 of 12 data lines held no readable astigmatism value and were skipped."));
}

TEST_F(ATLASStabImport, TrailingBlankLinesAreNoDataLines) {
    // Blank lines after the table would give a stop time of 0 and an image
    // period of about 2^32 seconds; they are dropped.
    run.Atlas(kHeader + "\n" + Row(1, 1, 0, 1, 0, 1000) + "\n" + Row(2, 1, 0, 1, 0, 1004) + "\n   \n\t\n\n");
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    EXPECT_EQ(s.m_nDataLines, 3);  // the blank line inside the table stays
    EXPECT_EQ(s.m_nStopTime, 1004);
    EXPECT_EQ(s.m_nLastLine, 4);
    EXPECT_EQ(s.m_astrLines.size(), 4u);
    EXPECT_EQ(s.m_aSamples.size(), 2u);

    // The same before a "#" line: the "#" is kept, and it is the last line.
    ImportRun r;
    r.Atlas(kHeader + "\n" + Row(1, 1, 0, 1, 0, 1000) + Row(2, 1, 0, 1, 0, 1004) + "\n\n#\n");
    ASSERT_EQ(r.list.size(), 1u);
    EXPECT_EQ(r.list[0].m_nDataLines, 2);
    EXPECT_EQ(r.list[0].m_nLastLine, 6);
    EXPECT_EQ(r.list[0].m_astrLines.back(), "#");
    EXPECT_EQ(r.list[0].m_astrLines.size(), 4u);
}

TEST_F(ATLASStabImport, BlankLinesAfterTheHeaderCountButHoldNoTime) {
    // Start 1000 from the first filled line; four data lines over 1004 - 1000 s.
    run.Atlas(kHeader + "\n\n  \n" + Row(1, 1, 0, 1, 0, 1000) + Row(2, 1, 0, 1, 0, 1004));
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    EXPECT_EQ(s.m_nDataLines, 4);
    EXPECT_EQ(s.m_nStartTime, 1000);
    EXPECT_EQ(s.m_nStopTime, 1004);
    EXPECT_DOUBLE_EQ(s.m_dImagePeriod, 1.0);
    EXPECT_EQ(s.m_aSamples.size(), 2u);
}

TEST_F(ATLASStabImport, TimeStampsMustAdvance) {
    struct Case {
        std::string text;
        std::string message;
    };
    const std::vector<Case> cases = {
        {kHeader + "\n" + Row(1, 1, 0, 1, 0, 500) + Row(2, 1, 0, 1, 0, 400),
         "ERROR: The series in lines 1 to 3 of file [/data/test.log] stops at 400 s, not after its start at 500 s; the series was not imported."},
        {kHeader + "\n" + Row(1, 1, 0, 1, 0, 500) + Row(2, 1, 0, 1, 0, 500) + "#\n",
         "ERROR: The series in lines 1 to 4 of file [/data/test.log] stops at 500 s, not after its start at 500 s; the series was not imported."},
        {kHeader + "\n1 1 0 1 0 1 99999999999\n2 1 0 1 0 1 99999999999\n",
         "ERROR: The series in lines 1 to 3 of file [/data/test.log] has a time stamp that is not a valid number; the series was not imported."},
        {kHeader + "\n1 1 0 1 0 1 10\n2 1 0 1 0 1 later\n",
         "ERROR: The series in lines 1 to 3 of file [/data/test.log] has a time stamp that is not a valid number; the series was not imported."},
    };
    for (const Case& c : cases) {
        ImportRun r;
        const ImportResult& res = r.Atlas(c.text);
        EXPECT_EQ(res.nSeriesAdded, 0);
        EXPECT_FALSE(res.strError.empty());
        EXPECT_TRUE(r.list.empty());
        EXPECT_EQ(r.Plain().back(), c.message);
    }
}

TEST_F(ATLASStabImport, ExtractionNeedsImgFirstAndNeverReadsBeyondTheLines) {
    run.Atlas("imgx a22x err(a22x)  a22y err(a22y) filetime\n1 1 0 1 0 10\n2 1 0 1 0 20\n");
    ASSERT_EQ(run.list.size(), 1u);  // the header test only looks at the start
    EXPECT_TRUE(run.list[0].m_aSamples.empty());

    ImportRun r;
    r.Atlas(kHeader + "\n" + Row(1, 1, 0, 1, 0, 10) + Row(2, 1, 0, 1, 0, 20));
    ASSERT_EQ(r.list.size(), 1u);
    CA1TimeSeries s = r.list[0];
    s.m_nDataLines = 50;
    ExtractATLASStab(s, 1, 0);
    EXPECT_EQ(s.m_aSamples.size(), 2u);
    s.m_astrLines.clear();
    ExtractATLASStab(s, 1, 0);
    EXPECT_TRUE(s.m_aSamples.empty());
}

TEST_F(ATLASStabImport, CrLfByteOrderMarkAndHugeLines) {
    std::string text = "\xEF\xBB\xBF" + kHeader + "\r\n" + Row(1, 1, 0, 1, 0, 10);
    text.pop_back();
    text += "\r\n" + std::string(4'000'000, ' ') + "x\r\n" + "3 " + std::string(4'000'000, '7') + " 0 1 0 1 17\r\n" +
            Row(4, 2, 0, 1, 0, 40);
    run.Atlas(text);
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    EXPECT_EQ(s.m_nFirstLine, 1);
    EXPECT_EQ(s.m_nDataLines, 4);
    EXPECT_EQ(s.m_astrLines[2], "x");
    EXPECT_EQ(s.m_nStopTime, 40);
    // A 4-million-digit value is infinite: no sample from it.
    ASSERT_EQ(s.m_aSamples.size(), 2u);
    EXPECT_EQ(s.m_aSamples[1].nIndex, 4);
}
