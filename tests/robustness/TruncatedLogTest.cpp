// Every prefix of small valid logs, as a copy cut short by a full disk or an
// interrupted transfer leaves them: a prefix gives the complete series it
// holds, exactly as the whole file gives them, and nothing of the cut one.

#include "RobustnessSupport.h"
#include "import/ATLASStabImport.h"
#include "import/C1A1Import.h"
#include "loggen/LogGenerator.h"

#include <gtest/gtest.h>

using namespace robust;

namespace {

void ExpectSameSeries(const CA1TimeSeries& cut, const CA1TimeSeries& whole, std::size_t prefix) {
    SCOPED_TRACE(prefix);
    EXPECT_EQ(cut.m_astrLines, whole.m_astrLines);
    EXPECT_EQ(cut.m_nFirstLine, whole.m_nFirstLine);
    EXPECT_EQ(cut.m_nLastLine, whole.m_nLastLine);
    EXPECT_EQ(cut.m_nStartTime, whole.m_nStartTime);
    EXPECT_EQ(cut.m_nStopTime, whole.m_nStopTime);
    ASSERT_EQ(cut.m_aSamples.size(), whole.m_aSamples.size());
    for (std::size_t i = 0; i < cut.m_aSamples.size(); ++i) {
        EXPECT_EQ(cut.m_aSamples[i].nIndex, whole.m_aSamples[i].nIndex);
        EXPECT_EQ(cut.m_aSamples[i].dX, whole.m_aSamples[i].dX);
        EXPECT_EQ(cut.m_aSamples[i].dY, whole.m_aSamples[i].dY);
    }
}

std::string SmallC1A1Log(bool crlf) {
    loggen::CSplitMix random(31);
    std::vector<loggen::GeneratedSeries> series;
    for (int k = 0; k < 2; ++k) {
        loggen::SeriesSetup setup;
        setup.nImages = 6;
        setup.nStartTime = 100 + 50 * k;
        setup.strUnit = k ? "nm" : "pm";
        series.push_back(loggen::SimulateSeries(setup, random));
    }
    const std::string text = loggen::WriteC1A1Log(series);
    return crlf ? loggen::ToCrLf(text) : text;
}

std::string SmallAtlasLog(bool endMarker) {
    loggen::CSplitMix random(32);
    loggen::SeriesSetup setup;
    setup.nImages = 8;
    loggen::GeneratedSeries series = loggen::SimulateSeries(setup, random);
    loggen::ATLASLayout layout;
    layout.bEndMarker = endMarker;
    layout.nFileTimeBase = 1391688000u;
    return loggen::ToCrLf(loggen::WriteATLASStabLog(series, random, layout));
}

TEST(TruncatedLogs, EveryPrefixOfAC1A1Log) {
    for (bool crlf : {false, true}) {
        const std::string text = SmallC1A1Log(crlf);
        std::vector<CA1TimeSeries> whole;
        ASSERT_EQ(ReadC1A1Log(text, {"/t.log", 1, 0.0, nullptr}, whole).nSeriesAdded, 2);
        int previous = 0;
        for (std::size_t n = 0; n <= text.size(); ++n) {
            const std::string prefix = text.substr(0, n);
            CollectingLog log;
            std::vector<CA1TimeSeries> list;
            const ImportResult r = ReadC1A1Log(prefix, {"/t.log", 1, 0.0, &log}, list);
            ExpectCompleteSeries("prefix", r, 0, list, "/t.log");
            ExpectReasonWhenEmpty("prefix", r, log);
            ASSERT_LE(list.size(), whole.size());
            for (std::size_t i = 0; i < list.size(); ++i) ExpectSameSeries(list[i], whole[i], n);
            // A longer prefix never holds fewer series.
            EXPECT_GE(r.nSeriesAdded, previous) << n;
            previous = r.nSeriesAdded;
        }
        EXPECT_EQ(previous, 2);
    }
}

TEST(TruncatedLogs, EveryPrefixOfAnATLASStabLog) {
    for (bool endMarker : {true, false}) {
        const std::string text = SmallAtlasLog(endMarker);
        std::vector<CA1TimeSeries> whole;
        ASSERT_EQ(ReadATLASStabLog(text, {"/t.dat", 1, 0.0, nullptr}, whole).nSeriesAdded, 1);
        for (std::size_t n = 0; n <= text.size(); ++n) {
            const std::string prefix = text.substr(0, n);
            CollectingLog log;
            std::vector<CA1TimeSeries> list;
            const ImportResult r = ReadATLASStabLog(prefix, {"/t.dat", 1, 0.0, &log}, list);
            ExpectCompleteSeries("prefix", r, 0, list, "/t.dat");
            if (r.nSeriesAdded == 0) {
                EXPECT_TRUE(log.HasError()) << n;
            }
            ASSERT_LE(list.size(), 1u);
            if (list.empty()) continue;
            // The cut table keeps the first lines of the whole one unchanged;
            // a cut last line never reads as a different value.
            const CA1TimeSeries& s = list[0];
            ASSERT_LE(s.m_aSamples.size(), whole[0].m_aSamples.size()) << n;
            for (std::size_t i = 0; i < s.m_aSamples.size(); ++i) {
                EXPECT_EQ(s.m_aSamples[i].nIndex, whole[0].m_aSamples[i].nIndex) << n;
                EXPECT_EQ(s.m_aSamples[i].dX, whole[0].m_aSamples[i].dX) << n;
                EXPECT_EQ(s.m_aSamples[i].dErrY, whole[0].m_aSamples[i].dErrY) << n;
            }
        }
    }
}

}  // namespace
