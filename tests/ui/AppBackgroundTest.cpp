// SPDX-License-Identifier: GPL-3.0-or-later
// Long evaluation steps on the background runner: the window stays usable,
// the commands that would touch the series are off, and the results and
// message-log lines are those of the steps run directly on a copy.

#include "AppTestSupport.h"

#include "eval/EvalSteps.h"
#include "support/RecordingLog.h"
#include "ui/BackgroundRunner.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDCFuncDiagramDlg.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>

#include <atomic>
#include <bit>
#include <cstdint>

namespace {

class AppBackground : public AppTest {
protected:
    std::unique_ptr<CDriftwiseDlg> WindowWithSeries() {
        auto window = MakeWindow();
        window->Runner()->SetInlineBelow(0);  // every step on the worker
        window->ImportFiles({MakeC1A1File("log.html", 1, 400)});
        EXPECT_EQ(window->Series().size(), 1u);
        window->CFuncPage()->m_seedSource = [] { return 4711u; };
        return window;
    }
};

// The lines of the log file after the first `from`.
std::vector<std::string> LinesAfter(const std::vector<std::string>& lines, std::size_t from) {
    return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end());
}

}  // namespace

TEST_F(AppBackground, StepsOnTheWorkerGiveTheResultsAndLinesOfADirectRun) {
    auto window = WindowWithSeries();
    CA1TimeSeries expected = window->Series()[0];
    CRecordingLog log;
    expected.m_pLog = &log;
    EVALINPUTS inputs;
    inputs.nMinDiversity = window->Parameters().MinDiversity;
    inputs.dEnergykV = window->Parameters().ElEnergykV;
    inputs.dResolutionAng = window->Parameters().TargetResAng;
    inputs.dLimitPhase = window->Parameters().LimitPhase;
    ASSERT_TRUE(RunCharFuncStep(expected, inputs));
    inputs.nSeed = 4711u;
    RunModelFitStep(expected, inputs, FitStepStart::DirectLifetimeFirst);

    const std::size_t before = LogFileMessages().size();
    window->OnCharFunc();
    // The step runs on the worker: the window answers, the busy state shows.
    ASSERT_TRUE(window->Runner()->IsBusy()) << "the characteristic function ran on the GUI thread";
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString().rfind("Evaluating the characteristic function...", 0),
              0u);
    EXPECT_FALSE(window->Action(CDriftwiseDlg::Command::CharFunc)->isEnabled());
    EXPECT_FALSE(window->Action(CDriftwiseDlg::Command::Import)->isEnabled());
    EXPECT_FALSE(window->A1TimePage()->CharFuncButton()->isEnabled());
    EXPECT_FALSE(window->DeleteButton()->isEnabled());
    window->OnDelete();  // refused while the step runs
    EXPECT_EQ(window->Series().size(), 1u);
    ASSERT_TRUE(window->Runner()->WaitUntilIdle(60000));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->A1TimePage()->CharFuncButton()->isEnabled());
    EXPECT_EQ(window->ActiveTab(), TAB_CHAR_FUNC);

    window->OnFitModel();
    ASSERT_TRUE(window->Runner()->IsBusy()) << "the fit ran on the GUI thread";
    ASSERT_TRUE(window->Runner()->WaitUntilIdle(60000));
    EXPECT_EQ(window->ActiveTab(), TAB_FITTED_MODEL);

    const CA1TimeSeries& got = window->Series()[0];
    ASSERT_EQ(got.m_aCharFunc.size(), expected.m_aCharFunc.size());
    for (std::size_t i = 0; i < got.m_aCharFunc.size(); ++i) {
        EXPECT_EQ(got.m_aCharFunc[i].dX, expected.m_aCharFunc[i].dX) << i;
        EXPECT_EQ(got.m_aCharFunc[i].dY, expected.m_aCharFunc[i].dY) << i;
    }
    for (auto field : {&CA1TimeSeries::Tolerance, &CA1TimeSeries::DirectLifetime, &CA1TimeSeries::MeasErr,
                       &CA1TimeSeries::FitDi, &CA1TimeSeries::FitDa, &CA1TimeSeries::FitTc, &CA1TimeSeries::FitS,
                       &CA1TimeSeries::ModelLifetime, &CA1TimeSeries::UsedElEnergykV})
        EXPECT_EQ(std::bit_cast<std::uint64_t>(got.*field), std::bit_cast<std::uint64_t>(expected.*field))
            << got.*field << " " << expected.*field;
    EXPECT_EQ(got.ModelValid, 1);
    EXPECT_FALSE(got.m_astrLines.empty()) << "the series lost its log lines";
    EXPECT_EQ(LinesAfter(LogFileMessages(), before), log.m_lines);
}

TEST_F(AppBackground, RunnerReplaysLinesInOrderAndStopsACancelledJob) {
    CBackgroundRunner runner;
    runner.SetInlineBelow(0);
    CRecordingLog target;
    std::atomic<bool> release{false};
    std::vector<std::string> seen;
    BACKGROUNDJOB job;
    job.pLog = &target;
    job.nSize = 1;
    job.bCancellable = true;
    job.work = [&release](CJobContext& context) {
        context.Log().Write("first");
        // Bounded, so that a runner that ran the job at once cannot hang.
        for (int i = 0; i < 5000 && !context.IsCancelled() && !release; ++i) QThread::msleep(1);
        context.Log().Write(context.IsCancelled() ? "stopped" : "ran through");
    };
    job.finish = [&](CJobContext& context) {
        seen = target.m_lines;
        seen.push_back(context.Cancelled() ? "cancelled" : "done");
    };
    ASSERT_TRUE(runner.Start(job));
    EXPECT_FALSE(runner.Start(job)) << "a second job started while one runs";
    EXPECT_TRUE(target.m_lines.empty()) << "lines reached the log before the job ended";
    runner.Cancel();
    ASSERT_TRUE(runner.WaitUntilIdle(10000));
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "stopped", "cancelled"}));
}
