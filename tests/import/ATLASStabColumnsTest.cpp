// SPDX-License-Identifier: GPL-3.0-or-later
// The extraction reads the header's columns once and walks each data line in
// step with them; these cases pin the walk where it is easy to get wrong.

#include "import/ATLASStabImport.h"

#include "ImportTestUtil.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> Images(const CA1TimeSeries& s) {
    std::vector<int> images;
    for (const A1SAMPLE& sample : s.m_aSamples) images.push_back(sample.nIndex);
    return images;
}

}  // namespace

class ATLASStabColumns : public ::testing::Test {
protected:
    void SetUp() override { PinNumericLocale(); }
    ImportRun run;
};

TEST_F(ATLASStabColumns, RepeatedColumnCountsAgainWhereTheLineReachesIt) {
    // The second "a22x" is a fifth match, but only for lines that reach it.
    run.Atlas("img a22x err(a22x)  a22y err(a22y) a22x filetime\n"
              "1 1.5 0.1 -2.5 0.2 9 100\n"  // five matches: no sample
              "2 1.5 0.1 -2.5 0.2\n"        // ends before the repeat: a sample
              "3 1.5 0.1 -2.5 0.2 9\n"      // reaches the repeat: no sample
              "4 1.5 0.1 -2.5 0.2 x 110\n"  // the repeat is not even a number
              "5 2.5 0.1 -3.5 0.2 9 120\n");
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    EXPECT_EQ(Images(s), std::vector<int>{2});
    ASSERT_EQ(s.m_aSamples.size(), 1u);
    EXPECT_EQ(s.m_aSamples[0].dX, 1.5);
    EXPECT_EQ(s.m_aSamples[0].dY, -2.5);
    EXPECT_TRUE(run.Logged("Warning: 4 of 5 data lines held no readable astigmatism value and were skipped."));
}

TEST_F(ATLASStabColumns, TabsBelongToTokensInHeaderAndLines) {
    // "c1\ta22y" is one column of no role; "a22x\t" would not be "a22x".
    run.Atlas("img c1\ta22y a22x err(a22x)  a22y err(a22y)  filetime\n"
              "1 7 1.25 0.5 -2 0.25 100\n"
              "2 7\t1.25 0.5 -2 0.25 102\n"   // one token short: err(a22y) gets "102"
              "3 7 1.25\t 0.5 -2 0.25 104\n"  // "1.25\t" reads as 1.25
              "4 7 \t1.25 0.5 -2 0.25 106\n"  // so does "\t1.25"
              "5 7 1.25 0.5 -2 0.25 108\n");
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    EXPECT_EQ(Images(s), (std::vector<int>{1, 2, 3, 4, 5}));
    ASSERT_EQ(s.m_aSamples.size(), 5u);
    EXPECT_EQ(s.m_aSamples[1].dX, 0.5);  // the columns slid by one
    EXPECT_EQ(s.m_aSamples[1].dErrX, -2.0);
    EXPECT_EQ(s.m_aSamples[1].dErrY, 102.0);
    EXPECT_EQ(s.m_aSamples[2].dX, 1.25);
    EXPECT_EQ(s.m_aSamples[3].dX, 1.25);
}

TEST_F(ATLASStabColumns, HeaderWithTrailingBlanksAndColumnsAfterTheLastValue) {
    run.Atlas("img   a22x err(a22x)  a22y err(a22y)  filetime  c1  c2   \n"
              "1 0.5 0.125 0.25 0.0625 100\n"
              "2 0.5 0.125 0.25 0.0625 102 x y z w\n"  // surplus tokens change nothing
              "3 0.5 0.125 0.25 zz 104\n"              // a bad value column: no sample
              "4 0.5 0.125 0.25\n"                     // three values: no sample
              "5 -0.5 0.125 0.25 0.0625 x 108\n");
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    EXPECT_EQ(Images(s), (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(s.m_aSamples[2].dX, -0.5);
    EXPECT_EQ(s.m_aSamples[2].dErrY, 0.0625);
}

TEST_F(ATLASStabColumns, ColumnsInAnyOrderAndAHeaderWithoutImg) {
    run.Atlas("img err(a22y) a22y err(a22x) a22x err(a22x)  a22y err(a22y) filetime\n"
              "1 4 3 2 1\n"  // the first four columns are all that a short line reaches
              "2 4 3 2 1 0 0 0 100\n");
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    ASSERT_EQ(Images(s), std::vector<int>{1});
    EXPECT_EQ(s.m_aSamples[0].dX, 1.0);
    EXPECT_EQ(s.m_aSamples[0].dErrX, 2.0);
    EXPECT_EQ(s.m_aSamples[0].dY, 3.0);
    EXPECT_EQ(s.m_aSamples[0].dErrY, 4.0);

    // Re-extraction reads the stored header again: without "img" first no
    // line gives a sample.
    CA1TimeSeries copy = s;
    CLineArray changed = {"imgs err(a22y) a22y err(a22x) a22x", copy.m_astrLines[1], copy.m_astrLines[2]};
    copy.m_astrLines = changed;
    ExtractATLASStab(copy, 1, 0);
    EXPECT_TRUE(copy.m_aSamples.empty());
}

TEST_F(ATLASStabColumns, LongTableKeepsLineOrderAndCountsEverySkippedLine) {
    // Long enough to be read in two halves at once: the samples must still
    // come in line order, with the skipped lines of both halves counted.
    constexpr int kLines = 150001;
    std::string text = "img a22x err(a22x)  a22y err(a22y) filetime\n";
    std::vector<int> expected;
    for (int k = 1; k <= kLines; ++k) {
        const bool bad = k % 997 == 0 || (k >= 74990 && k <= 75010 && k % 2 == 0);
        if (bad) text += FormatText("%d 0.5 x 0.25 0.125 %d\n", k, 1000 + k);
        else text += FormatText("%d %d.25 0.5 -%d.75 0.125 %d\n", k, k, k, 1000 + k);
        if (!bad) expected.push_back(k);
    }
    run.Atlas(text, -1);
    ASSERT_EQ(run.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    ASSERT_EQ(Images(s), expected);
    for (std::size_t i = 0; i < s.m_aSamples.size(); i += 1234) {
        const A1SAMPLE& sample = s.m_aSamples[i];
        EXPECT_EQ(sample.dX, sample.nIndex + 0.25);
        EXPECT_EQ(sample.dY, sample.nIndex + 0.75);  // mirrored
        EXPECT_EQ(sample.dErrX, 0.5);
        EXPECT_EQ(sample.dErrY, 0.125);
    }
    const int skipped = kLines - static_cast<int>(expected.size());
    EXPECT_TRUE(run.Logged(FormatText(
        "Warning: %d of %d data lines held no readable astigmatism value and were skipped.", skipped, kLines)));
}

TEST_F(ATLASStabColumns, ReaderThatTakesOverTheTextStoresTheSameLines) {
    // The file import moves the stored lines down inside the file's text;
    // the lines, fields and samples must be those of a reader that copies.
    const std::string text = "\xEF\xBB\xBFpreamble line\r\n"
                             "img a22x err(a22x)  a22y err(a22y) filetime  \r\n"
                             "   1 0.5 0.1 0.25 0.2 100   \r\n"
                             "x\t\r\n"  // not blank: it counts, and so do the blank lines before the next
                             "\r\n"
                             "  \t \r\n"
                             "4 1.5 0.1 1.25 0.2 106\r\n"
                             "\t5 2.5 0.1 2.25 0.2 108\t\r\n"
                             "#\r\n"
                             "9 9 9 9 9 999\r\n";
    ImportRun copying;
    copying.Atlas(text);
    std::string owned = text;
    const ImportResult r = ReadATLASStabOwnedText(owned, run.Request(), run.list);
    EXPECT_EQ(r.nSeriesAdded, 1);
    ASSERT_EQ(run.list.size(), 1u);
    ASSERT_EQ(copying.list.size(), 1u);
    const CA1TimeSeries& s = run.list[0];
    const std::vector<std::string> expected = {"img a22x err(a22x)  a22y err(a22y) filetime  ",
                                               "1 0.5 0.1 0.25 0.2 100",
                                               "x\t",
                                               "",
                                               "\t",
                                               "4 1.5 0.1 1.25 0.2 106",
                                               "\t5 2.5 0.1 2.25 0.2 108\t",
                                               "#"};
    EXPECT_EQ(s.m_astrLines, expected);
    EXPECT_EQ(copying.list[0].m_astrLines, expected);
    EXPECT_EQ(s.m_nDataLines, 6);
    EXPECT_EQ(s.m_nFirstLine, 2);
    EXPECT_EQ(s.m_nLastLine, 9);
    EXPECT_EQ(s.m_nStartTime, 100);
    EXPECT_EQ(s.m_nStopTime, 108);  // "108\t" reads as 108
    EXPECT_EQ(Images(s), (std::vector<int>{1, 4, 5}));
    EXPECT_EQ(Images(copying.list[0]), (std::vector<int>{1, 4, 5}));
    EXPECT_EQ(run.log.m_lines, copying.log.m_lines);

    // The blank lines at the end of a table without "#" are dropped alike;
    // "7" and tabs is no blank line (its time stamp is 7).
    std::string tail =
        "img a22x err(a22x)  a22y err(a22y) filetime\n1 1 0 1 0 1\n2 1 0 1 0 2\n7\t\t\t\t\t\t\t\t\n \n\t\n";
    ImportRun copyingTail, owningTail;
    copyingTail.Atlas(tail);
    ReadATLASStabOwnedText(tail, owningTail.Request(), owningTail.list);
    ASSERT_EQ(owningTail.list.size(), 1u);
    ASSERT_EQ(copyingTail.list.size(), 1u);
    const std::vector<std::string> expectedTail = {"img a22x err(a22x)  a22y err(a22y) filetime", "1 1 0 1 0 1",
                                                   "2 1 0 1 0 2", "7\t\t\t\t\t\t\t\t"};
    EXPECT_EQ(owningTail.list[0].m_astrLines, expectedTail);
    EXPECT_EQ(copyingTail.list[0].m_astrLines, expectedTail);
    EXPECT_EQ(owningTail.list[0].m_nLastLine, 4);
    EXPECT_EQ(owningTail.list[0].m_nStopTime, 7);
}
