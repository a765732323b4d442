// SPDX-License-Identifier: GPL-3.0-or-later
// Following a log while a simulated writer appends to it: after every poll
// the followed series equal an import of the complete lines written so far,
// and at the end an import of the finished file.

#include "FollowTestSupport.h"

#include "follow/LogFollower.h"
#include "import/LogImport.h"
#include "loggen/LogGenerator.h"
#include "support/RecordingLog.h"
#include "support/WriterSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace followtest;

namespace {

const std::string kPath = "/logs/stab.log";
const std::string kRestart =
    "The followed file [" + kPath + "] shrank or was replaced; reading it again from the start.";
const std::string kGone = "The followed file [" + kPath + "] is gone; following paused until it is back.";
const std::string kBack = "The followed file [" + kPath + "] is back; following resumed.";

std::string AtlasLog(int images, std::uint64_t seed, bool endMarker = true) {
    loggen::CSplitMix random(seed);
    loggen::SeriesSetup setup;
    setup.nImages = images;
    loggen::GeneratedSeries series = loggen::SimulateSeries(setup, random);
    loggen::ATLASLayout layout;
    layout.bEndMarker = endMarker;
    return loggen::WriteATLASStabLog(series, random, layout);
}

std::string C1A1Log(int seriesCount, int images, std::uint64_t seed) {
    loggen::CSplitMix random(seed);
    std::vector<loggen::GeneratedSeries> list;
    for (int i = 0; i < seriesCount; ++i) {
        loggen::SeriesSetup setup;
        setup.nImages = images;
        setup.nStartTime = 100 + 1000 * i;
        list.push_back(loggen::SimulateSeries(setup, random));
    }
    return loggen::WriteC1A1Log(list);
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameSample(const A1SAMPLE& a, const A1SAMPLE& b) {
    return a.nIndex == b.nIndex && SameBits(a.dX, b.dX) && SameBits(a.dY, b.dY) && SameBits(a.dErrX, b.dErrX) &&
           SameBits(a.dErrY, b.dErrY);
}

// One thing the writer does, then the clock moves on and, unless told
// otherwise, the follower polls.
struct STEP {
    enum Kind { Write, Truncate, Replace, Remove } kind = Write;
    std::string strBytes;
    bool bPoll = true;
};

std::vector<STEP> Writes(const std::string& text, const WRITERPLAN& plan, bool pollEachWrite = true) {
    std::vector<STEP> steps;
    for (WRITERWRITE& w : PlanWrites(text, plan)) steps.push_back({STEP::Write, std::move(w.strBytes), pollEachWrite});
    return steps;
}

void Add(std::vector<STEP>& steps, std::vector<STEP> more) {
    for (STEP& s : more) steps.push_back(std::move(s));
}

struct FOLLOWCASE {
    const char* szName;
    std::function<std::vector<STEP>()> steps;
    int nImportType = IMPORT_NONE;
    int nRestarts = 0;  // expected "read again" messages
    int nGone = 0;      // expected "gone" (and as many "back") messages
    bool bFrozenTime = false;
};

std::vector<FOLLOWCASE> Cases() {
    return {
        {"OneLinePerSecond", [] { return Writes(AtlasLog(120, 1), {}); }},
        {"BurstOfTenThousandLines",
         [] {
             const std::string log = AtlasLog(10000, 2);
             std::vector<STEP> steps = Writes(log.substr(0, 300), {});
             steps.push_back({STEP::Write, log.substr(300)});
             return steps;
         }},
        {"LineSplitAcrossWritesAndPolls",
         [] {
             // Cut after the direction's first digits: the first part alone
             // would be a data line with another value.
             return Writes(C1A1Log(2, 60, 3), {.nLinesPerWrite = 3, .bSplitLines = true, .dSplitAt = 0.8});
         }},
        {"LineSplitBetweenWritesWithoutPoll",
         [] {
             std::vector<STEP> steps = Writes(AtlasLog(80, 4), {.bSplitLines = true});
             for (std::size_t i = 0; i < steps.size(); i += 2) steps[i].bPoll = false;
             return steps;
         }},
        {"CrLfLineEnds",
         [] {
             // Writes that end between CR and LF.
             const std::string log = loggen::ToCrLf(AtlasLog(90, 5));
             std::vector<STEP> steps;
             std::size_t pos = 0;
             while (pos < log.size()) {
                 const std::size_t cr = log.find('\r', pos);
                 const std::size_t end = cr == std::string::npos ? log.size() : cr + 1;
                 steps.push_back({STEP::Write, log.substr(pos, end - pos)});
                 pos = end;
             }
             return steps;
         }},
        {"TruncatedToZeroAndWrittenAgain",
         [] {
             const std::string first = AtlasLog(100, 6), second = AtlasLog(70, 7);
             std::vector<STEP> steps = Writes(first.substr(0, first.size() / 2), {.nLinesPerWrite = 10});
             steps.push_back({STEP::Truncate, ""});
             Add(steps, Writes(second, {.nLinesPerWrite = 7}));
             return steps;
         },
         IMPORT_NONE, 1},
        {"TruncatedAndRegrownBeyondTheReadPositionBetweenPolls",
         [] {
             const std::string first = AtlasLog(100, 8), second = AtlasLog(200, 9);
             std::vector<STEP> steps = Writes(first.substr(0, first.size() / 2), {.nLinesPerWrite = 10});
             steps.push_back({STEP::Truncate, "", false});
             Add(steps, Writes(second, {.nLinesPerWrite = 150}));
             return steps;
         },
         IMPORT_NONE, 1},
        {"AtomicReplaceByRename",
         [] {
             const std::string first = C1A1Log(1, 80, 10), second = C1A1Log(2, 50, 11);
             std::vector<STEP> steps = Writes(first, {.nLinesPerWrite = 20});
             steps.push_back({STEP::Replace, second.substr(0, second.size() / 3)});
             Add(steps, Writes(second.substr(second.size() / 3), {.nLinesPerWrite = 20}));
             return steps;
         },
         IMPORT_NONE, 1},
        {"ReplacedByAFileThatDiffersOnlyInTheMiddle",
         [] {
             // Same first bytes, same bytes before the read position: only
             // the identity tells that this is another file.
             const std::string log = AtlasLog(100, 16);
             std::string changed = log;
             const std::size_t middle = changed.find('\n', changed.size() / 2) + 1;
             changed[middle + 4] = changed[middle + 4] == '7' ? '3' : '7';
             std::vector<STEP> steps = Writes(log.substr(0, log.size() * 3 / 4), {.nLinesPerWrite = 25});
             steps.push_back({STEP::Replace, changed});
             return steps;
         },
         IMPORT_NONE, 1},
        {"RewrittenInPlaceWithAnotherLastLineBeforeTheReadPosition",
         [] {
             // The same file, the same first bytes and a longer content:
             // only the bytes just before the read position differ.
             const std::string log = AtlasLog(100, 17);
             const std::size_t cut = log.find('\n', log.size() * 3 / 4) + 1;
             std::string changed = log;
             changed[cut - 3] = changed[cut - 3] == '5' ? '6' : '5';
             std::vector<STEP> steps = Writes(log.substr(0, cut), {.nLinesPerWrite = 25});
             steps.push_back({STEP::Truncate, "", false});
             steps.push_back({STEP::Write, changed});
             return steps;
         },
         IMPORT_NONE, 1},
        {"DeletedAndRecreatedAfterAPause",
         [] {
             const std::string log = AtlasLog(60, 12);
             std::vector<STEP> steps = Writes(log.substr(0, log.size() / 2), {.nLinesPerWrite = 5});
             steps.push_back({STEP::Remove, ""});
             steps.push_back({STEP::Remove, ""});  // a pause: the file stays away for another poll
             Add(steps, Writes(log, {.nLinesPerWrite = 5}));
             return steps;
         },
         IMPORT_NONE, 1, 1},
        {"C1A1SeriesStartsAndStopsThenASecondOne", [] { return Writes(C1A1Log(2, 40, 13), {}); }, IMPORT_C1A1},
        {"ATLASStabEndLineAndLinesAfterIt",
         [] {
             std::string log = AtlasLog(50, 14);
             log += "55  0.1 0.01  0.2 0.01  0.00 1391688999\n";
             return Writes(log, {.nLinesPerWrite = 4});
         },
         IMPORT_ATLAS},
        {"ATLASStabLinesOfEveryKindOneByOne",
         [] {
             // Blank lines (at the start, inside, at the end, of tabs), lines
             // without a sample, a time going back for a while, CR LF.
             const std::string log = "\xEF\xBB\xBFStability run 12\r\n"
                                     "img   a22x err(a22x)  a22y err(a22y)  c1 filetime\r\n"
                                     "   \r\n"
                                     "1  0.5 0.01  -0.3 0.01  1.0 1000\r\n"
                                     "2  0.6 0.01  -0.2 0.01  1.0 1002  \r\n"
                                     "\r\n"
                                     "\t\r\n"
                                     "3  not used\r\n"
                                     "4  0.7 x  -0.1 0.01  1.0 1006\r\n"
                                     "5  0.8 0.01  -0.1 0.01  1.0 999\r\n"
                                     "  6  0.9 0.01  0.1 0.01  1.0 1010\r\n"
                                     "\r\n"
                                     " \r\n"
                                     "7  1.0 0.01  0.2 0.01  1.0 1012\r\n"
                                     "\r\n"
                                     "#\r\n"
                                     "8  1.1 0.01  0.3 0.01  1.0 1014\r\n";
             return Writes(log, {});
         }},
        {"NoChangeOfTheModificationTimeEver", [] { return Writes(AtlasLog(100, 15), {.nLinesPerWrite = 9}); },
         IMPORT_NONE, 0, 0, true},
    };
}

void PrintTo(const FOLLOWCASE& c, std::ostream* os) { *os << c.szName; }

class FollowCases : public ::testing::TestWithParam<FOLLOWCASE> {};

TEST_P(FollowCases, SeriesEqualAnImportOfTheLinesWrittenAndAtTheEndOfTheFinishedFile) {
    const FOLLOWCASE& c = GetParam();
    CMemoryFiles files;
    files.m_bFrozenTime = c.bFrozenTime;
    CManualClock clock;
    CRecordingLog log;
    FOLLOWSETTINGS settings;
    settings.strPath = kPath;
    settings.nImportType = c.nImportType;
    CLogFollower follower(settings, files, clock, &log);

    int step = 0;
    std::string lastBytes;                   // the file as the follower last saw it
    std::vector<CA1TimeSeries> provisional;  // each series in progress as it was followed
    for (const STEP& s : c.steps()) {
        ++step;
        switch (s.kind) {
        case STEP::Write: files.Append(kPath, s.strBytes); break;
        case STEP::Truncate: files.Truncate(kPath); break;
        case STEP::Replace: files.Replace(kPath, s.strBytes); break;
        case STEP::Remove: files.Remove(kPath); break;
        }
        clock.m_dNow += 1.0;
        if (!s.bPoll) continue;
        const FOLLOWPOLL poll = follower.Poll();
        if (files.Exists(kPath)) lastBytes = files.Bytes(kPath);
        std::vector<CA1TimeSeries> followed = follower.Series();
        if (poll.bRestarted) provisional.clear();
        if (!followed.empty() && follower.IsProvisional(followed.size() - 1)) {
            provisional.push_back(std::move(followed.back()));
            followed.pop_back();
        }
        ExpectSameSeries(ImportText(CompleteLines(lastBytes), c.nImportType, kPath), followed,
                         "after step " + std::to_string(step));
        if (HasFatalFailure()) return;
    }
    follower.Finish();
    ASSERT_TRUE(files.Exists(kPath));
    const std::vector<CA1TimeSeries> batch = ImportText(files.Bytes(kPath), c.nImportType, kPath);
    EXPECT_FALSE(batch.empty());
    ExpectSameSeries(batch, follower.Series(), "finished");
    EXPECT_FALSE(!follower.Series().empty() && follower.IsProvisional(follower.Series().size() - 1));
    // A series in progress held the first samples and lines of the series
    // it became, none lost, torn or doubled.
    for (const CA1TimeSeries& p : provisional) {
        const auto same = std::find_if(batch.begin(), batch.end(),
                                       [&p](const CA1TimeSeries& s) { return s.m_nFirstLine == p.m_nFirstLine; });
        ASSERT_NE(same, batch.end());
        ASSERT_LE(p.m_aSamples.size(), same->m_aSamples.size());
        for (std::size_t i = 0; i < p.m_aSamples.size(); ++i)
            ASSERT_TRUE(SameSample(p.m_aSamples[i], same->m_aSamples[i])) << i;
        for (std::size_t i = 0; i < static_cast<std::size_t>(p.m_nDataLines) + 2; ++i)
            ASSERT_EQ(p.m_astrLines[i], same->m_astrLines[i]) << i;
    }
    EXPECT_EQ(log.Count(kRestart), c.nRestarts);
    EXPECT_EQ(log.Count(kGone), c.nGone);
    EXPECT_EQ(log.Count(kBack), c.nGone);
}

INSTANTIATE_TEST_SUITE_P(Writers, FollowCases, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<FOLLOWCASE>& info) { return info.param.szName; });

// A C1A1 series that has started but not stopped is followed as a
// provisional series: its samples so far are those the finished series
// will have, its span is the time it has been watched, and its stop time
// stamp turns it into the imported series.
TEST(LogFollower, C1A1SeriesInProgressIsProvisionalUntilItsStopStamp) {
    const std::string log = C1A1Log(1, 30, 21);
    const std::vector<CA1TimeSeries> finished = ImportText(log, IMPORT_C1A1, kPath);
    ASSERT_EQ(finished.size(), 1u);
    CMemoryFiles files;
    CManualClock clock;
    CLogFollower follower({kPath}, files, clock, nullptr);
    int provisionalPolls = 0;
    std::string firstLabel;
    for (WRITERWRITE& w : PlanWrites(log, {})) {
        files.Append(kPath, w.strBytes);
        clock.m_dNow += 1.0;
        follower.Poll();
        const auto& series = follower.Series();
        if (series.empty() || !follower.IsProvisional(0)) continue;
        ++provisionalPolls;
        const CA1TimeSeries& p = series[0];
        if (firstLabel.empty()) firstLabel = ProvisionalSeriesListLine(1, p);
        ASSERT_LE(p.m_aSamples.size(), finished[0].m_aSamples.size());
        for (std::size_t i = 0; i < p.m_aSamples.size(); ++i) {
            ASSERT_EQ(p.m_aSamples[i].nIndex, finished[0].m_aSamples[i].nIndex);
            ASSERT_EQ(p.m_aSamples[i].dX, finished[0].m_aSamples[i].dX);
        }
        // One line a second, watched from the start time stamp on.
        if (p.m_astrLines.back() != "C1A1 series stopped by user.") {
            EXPECT_EQ(p.m_nStopTime - p.m_nStartTime, p.m_nDataLines);
        }
    }
    // From the second data line to the last one, and the stop marker's line.
    EXPECT_GE(provisionalPolls, 30 - 1 + 1);
    EXPECT_EQ(firstLabel, "#001 (recording): 2 samples, 2 s");
    ASSERT_EQ(follower.Series().size(), 1u);
    EXPECT_FALSE(follower.IsProvisional(0));
    ExpectSameSeries(finished, follower.Series(), "stopped");
}

// An idle poll asks the file's state and reads nothing; an update reads
// only the appended bytes (and the few it checks).
TEST(LogFollower, IdlePollsReadNothingAndUpdatesReadOnlyTheAppendedBytes) {
    const std::string log = AtlasLog(2000, 31);
    CMemoryFiles files;
    CManualClock clock;
    CLogFollower follower({kPath}, files, clock, nullptr);
    files.Append(kPath, log.substr(0, log.size() - 100));
    follower.Poll();
    const std::uint64_t afterFirst = files.m_nBytesRead;
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(follower.Poll().bGrew);
    EXPECT_EQ(files.m_nBytesRead, afterFirst);
    files.Append(kPath, log.substr(log.size() - 100));
    const FOLLOWPOLL poll = follower.Poll();
    EXPECT_TRUE(poll.bGrew);
    EXPECT_TRUE(poll.bSeriesChanged);
    // 100 new bytes, 64 before them and the file's first 64.
    EXPECT_EQ(files.m_nBytesRead - afterFirst, 100u + 64u + 64u);
}

// A gone file keeps the series read so far; polling it again writes no
// second message.
TEST(LogFollower, GoneFileKeepsItsSeriesAndReportsOnce) {
    CMemoryFiles files;
    CManualClock clock;
    CRecordingLog log;
    CLogFollower follower({kPath}, files, clock, &log);
    files.Append(kPath, AtlasLog(40, 41));
    follower.Poll();
    ASSERT_EQ(follower.Series().size(), 1u);
    files.Remove(kPath);
    EXPECT_TRUE(follower.Poll().bGone);
    EXPECT_FALSE(follower.Poll().bGone);
    EXPECT_TRUE(follower.Gone());
    EXPECT_EQ(follower.Series().size(), 1u);
    EXPECT_EQ(log.Count(kGone), 1);
}

}  // namespace
