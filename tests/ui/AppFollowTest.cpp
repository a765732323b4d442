// SPDX-License-Identifier: GPL-3.0-or-later
// "Follow Log...": the followed series grow in place while a writer appends,
// a series still recording is listed as provisional, and following ends by
// "Stop Following" (leaving what a fresh import gives), by deleting the
// series or by importing the same file again.

#include "AppTestSupport.h"

#include "follow/LogFollower.h"
#include "support/SeriesCheck.h"
#include "support/WriterSimulator.h"
#include "ui/BackgroundRunner.h"
#include "ui/FollowController.h"
#include "ui/ImportFileTypes.h"
#include "ui/TabTable.h"
#include "ui/pages/DDCFuncDiagramDlg.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>

#include <algorithm>

namespace {

class CManualClock : public IFollowClock {
public:
    double Now() override { return m_dNow; }
    double m_dNow = 1000.0;
};

// The same samples, lines and place in the log.
void ExpectSameSeries(const CA1TimeSeries& expected, const CA1TimeSeries& actual) {
    ExpectSameEvaluation(expected, actual);
    EXPECT_EQ(expected.m_nFirstLine, actual.m_nFirstLine);
    EXPECT_EQ(expected.m_nLastLine, actual.m_nLastLine);
    EXPECT_EQ(expected.m_nDataLines, actual.m_nDataLines);
    EXPECT_EQ(expected.m_nStartTime, actual.m_nStartTime);
    EXPECT_EQ(expected.m_nStopTime, actual.m_nStopTime);
    EXPECT_EQ(expected.m_strSourceFile, actual.m_strSourceFile);
    ASSERT_EQ(expected.m_astrLines.size(), actual.m_astrLines.size());
    for (std::size_t i = 0; i < expected.m_astrLines.size(); ++i)
        ASSERT_EQ(expected.m_astrLines[i], actual.m_astrLines[i]) << "line " << i;
}

class AppFollow : public AppTest {
protected:
    // A window following `path` with a clock of the test, polled only by
    // the test and not evaluating.
    std::unique_ptr<CDriftwiseDlg> FollowingWindow(const std::string& path) {
        auto window = MakeWindow();
        CFollowController* follow = window->Follow();
        follow->SetClock(&m_clock);
        follow->SetPollIntervalMs(3600 * 1000);
        follow->EvaluateAction()->setChecked(false);
        follow->Start(path, IMPORT_NONE);
        EXPECT_TRUE(follow->IsFollowing());
        return window;
    }

    // The first `lines` lines of a text.
    static std::string Head(const std::string& text, int lines) {
        std::size_t end = 0;
        for (int i = 0; i < lines; ++i) end = text.find('\n', end) + 1;
        return text.substr(0, end);
    }

    CManualClock m_clock;
};

}  // namespace

TEST_F(AppFollow, SeriesGrowsInPlaceWhileAWriterAppendsAndIsProvisionalWhileRecording) {
    const std::string text = C1A1LogText(1, 60);
    const std::string path = FilePath("growing.html");
    // Header, start, dTime and 30 samples.
    const std::string head = Head(text, 34);
    WriteTextFile(path, head);
    auto window = FollowingWindow(path);
    CFollowController* follow = window->Follow();
    // The log tells no time before the stop: the span so far comes from
    // watching it grow, 2 lines in 10 s after 30 seen: 10 s * 32 / 2.
    EXPECT_EQ(window->Series().size(), 0u);
    m_clock.m_dNow += 10.0;
    ASSERT_TRUE(AppendWrites(path, {{Head(text, 36).substr(head.size()), 0.0}}));
    follow->PollNow();
    ASSERT_EQ(window->Series().size(), 1u);
    EXPECT_EQ(window->Series()[0].m_aSamples.size(), 32u);
    EXPECT_EQ(ListLines(*window), std::vector<std::string>{"#001 (recording): 32 samples, 160 s"});
    const CA1TimeSeries* place = &window->Series()[0];

    WRITERPLAN plan;
    plan.nLinesPerWrite = 7;
    plan.bSplitLines = true;  // a poll between the two halves of a line
    std::size_t samples = 32;
    for (const WRITERWRITE& write : PlanWrites(std::string_view(text).substr(Head(text, 36).size()), plan)) {
        ASSERT_TRUE(AppendWrites(path, {write}));
        m_clock.m_dNow += 1.0;
        follow->PollNow();
        ASSERT_EQ(window->Series().size(), 1u) << "a poll added a copy of the series";
        ASSERT_EQ(window->SeriesList()->count(), 1);
        EXPECT_EQ(&window->Series()[0], place);
        EXPECT_GE(window->Series()[0].m_aSamples.size(), samples);
        samples = window->Series()[0].m_aSamples.size();
    }
    // The stop line arrived: a normal series of all 60 samples.
    EXPECT_EQ(window->Series()[0].m_aSamples.size(), 60u);
    EXPECT_EQ(ListLines(*window)[0], SeriesListLine(1, window->Series()[0]));
    EXPECT_EQ(ListLines(*window)[0].find("recording"), std::string::npos);

    m_clock.m_dNow += 2.4;
    const long long lines = std::count(text.begin(), text.end(), '\n');
    EXPECT_EQ(follow->StatusText(), FormatText("Following [%s]: %lld lines, last change 2 s ago", path.c_str(), lines));
    ASSERT_FALSE(window->RecentLogs().Files().empty());
    EXPECT_EQ(window->RecentLogs().Files().front(), path);
}

TEST_F(AppFollow, StopFollowingLeavesTheSeriesOfAFreshImport) {
    std::string text = C1A1LogText(2, 40);
    text.pop_back();  // the writer has not ended its last line yet
    const std::string path = FilePath("stopped.html");
    WriteTextFile(path, Head(text, 20));
    auto window = FollowingWindow(path);
    ASSERT_TRUE(AppendWrites(path, PlanWrites(std::string_view(text).substr(Head(text, 20).size()), WRITERPLAN{})));
    window->Follow()->PollNow();

    window->Follow()->StopAction()->trigger();
    EXPECT_FALSE(window->Follow()->IsFollowing());
    ASSERT_EQ(window->Series().size(), 2u);
    window->Follow()->EvaluateAction()->setChecked(true);
    window->ImportFiles({path});
    ASSERT_EQ(window->Series().size(), 4u);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ExpectSameSeries(window->Series()[i + 2], window->Series()[i]);
    }
}

TEST_F(AppFollow, DeletingTheSeriesOrImportingTheFileEndsFollowing) {
    const std::string text = C1A1LogText(1, 30);
    const std::string second = C1A1LogText(1, 10).substr(Head(text, 2).size());
    const std::string atlas = ATLASStabLogText(30);
    for (const bool byDelete : {true, false}) {
        SCOPED_TRACE(byDelete ? "delete" : "import");
        const std::string path = FilePath(byDelete ? "deleted.dat" : "imported.html");
        // An ATLASStab series deleted before its end; a C1A1 log imported.
        WriteTextFile(path, byDelete ? Head(atlas, 20) : text);
        auto window = FollowingWindow(path);
        ASSERT_EQ(window->Series().size(), 1u);
        if (byDelete) window->OnDelete();
        else window->ImportFiles({path});
        EXPECT_FALSE(window->Follow()->IsFollowing());
        EXPECT_FALSE(window->Follow()->StopAction()->isEnabled());
        EXPECT_EQ(window->Follow()->StatusText(), "");
        const std::size_t left = window->Series().size();
        EXPECT_EQ(left, byDelete ? 0u : 2u);

        ASSERT_TRUE(AppendWrites(path, PlanWrites(byDelete ? std::string_view(atlas).substr(Head(atlas, 20).size())
                                                           : std::string_view(second),
                                                  {})));
        window->Follow()->PollNow();
        EXPECT_EQ(window->Series().size(), left) << "still followed";
    }
}

TEST_F(AppFollow, EvaluatesAgainOnTenPercentMoreSamplesOnTheRunner) {
    // An ATLASStab series of samples 3 s apart that the follower lists at once.
    const std::string text = ATLASStabLogText(200);
    const std::string path = FilePath("evaluated.dat");
    WriteTextFile(path, Head(text, 1 + 60));
    auto window = MakeWindow();
    window->Parameters().MinDiversity = 5;  // 51 samples give ten distances
    window->CFuncPage()->m_seedSource = [] { return 4711u; };
    CFollowController* follow = window->Follow();
    follow->SetClock(&m_clock);
    follow->SetPollIntervalMs(3600 * 1000);
    follow->Start(path, IMPORT_NONE);
    ASSERT_TRUE(window->Runner()->IsBusy()) << "no evaluation, or one on the GUI thread";
    ASSERT_TRUE(window->Runner()->WaitUntilIdle(60000));
    ASSERT_EQ(window->Series().size(), 1u);
    EXPECT_EQ(window->Series()[0].CharFuncValid, 1);
    EXPECT_EQ(follow->EvaluationNote(window->Series()[0]).rfind("at 60 samples, ", 0), 0u);

    // 8 % more (15 s): no new evaluation; 10 % more (18 s): one.
    const auto lines = [&](int from, int to) {
        return std::string(text.substr(Head(text, from).size(), Head(text, to).size() - Head(text, from).size()));
    };
    ASSERT_TRUE(AppendWrites(path, {{lines(61, 66), 0.0}}));
    follow->PollNow();
    EXPECT_EQ(window->Series()[0].m_aSamples.size(), 65u);
    EXPECT_FALSE(window->Runner()->IsBusy());
    ASSERT_TRUE(AppendWrites(path, {{lines(66, 67), 0.0}}));
    follow->PollNow();
    EXPECT_TRUE(window->Runner()->IsBusy());
    ASSERT_TRUE(window->Runner()->WaitUntilIdle(60000));
    const std::string note = follow->EvaluationNote(window->Series()[0]);
    EXPECT_EQ(note.rfind("at 66 samples, ", 0), 0u);
    // The stability lines say when the result was made.
    window->Tabs()->setCurrentIndex(TAB_CHAR_FUNC);
    EXPECT_TRUE(window->CFuncPage()->Line2Edit()->text().toStdString().ends_with(" (" + note + ")"))
        << window->CFuncPage()->Line2Edit()->text().toStdString();
}

TEST_F(AppFollow, QuittingEndsFollowingCleanly) {
    const std::string atlas = ATLASStabLogText(300);
    const std::string path = FilePath("quit.dat");
    WriteTextFile(path, Head(atlas, 150));
    auto window = FollowingWindow(path);
    window->Follow()->EvaluateAction()->setChecked(true);
    window->Runner()->SetInlineBelow(0);
    window->Follow()->SetPollIntervalMs(5);
    ASSERT_TRUE(AppendWrites(path, {{atlas.substr(Head(atlas, 150).size(), 40), 0.0}}));
    window->OnQuit();
    EXPECT_FALSE(window->Follow()->IsFollowing());
    ASSERT_TRUE(AppendWrites(path, {{atlas.substr(Head(atlas, 150).size() + 40), 0.0}}));
    QTest::qWait(50);  // no poll runs after the end
    EXPECT_EQ(window->Series().size(), 1u);
    EXPECT_EQ(window->Series()[0].m_aSamples.size(), 149u);
    const std::vector<std::string> messages = LogFileMessages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2], "Program Quit.");
    window.reset();  // with an evaluation possibly still running
}

TEST_F(AppFollow, FollowLogChoosesTheFileWithTheImportFiltersUnderItsOwnAccelerator) {
    const std::string path = MakeATLASFile("chosen.dat", 20);
    auto window = MakeWindow();
    QAction* follow = window->Follow()->FollowAction();
    EXPECT_EQ(follow->text().toStdString().substr(0, 14), "Follow Log...\t");
    ASSERT_FALSE(follow->shortcut().isEmpty());
    for (QAction* other : window->findChildren<QAction*>()) {
        if (other == follow) continue;
        EXPECT_NE(other->shortcut(), follow->shortcut()) << other->text().toStdString();
    }

    m_dialogs.QueueOpenFile(path, 2);  // the ATLASStab filter
    follow->trigger();
    ASSERT_EQ(m_dialogs.m_openRequests.size(), 1u);
    EXPECT_EQ(m_dialogs.m_openRequests[0].filters.size(), ImportFilters().size());
    EXPECT_TRUE(window->Follow()->IsFollowing());
    EXPECT_EQ(window->Follow()->Path(), path);
    ASSERT_EQ(window->Series().size(), 1u);
    EXPECT_EQ(window->Series()[0].m_nImportType, IMPORT_ATLAS);
    window->Follow()->Stop();
}
