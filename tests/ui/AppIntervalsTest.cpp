// SPDX-License-Identifier: GPL-3.0-or-later
// "Intervals" on the Fitted Model and Prob. Plot pages: the bootstrap runs
// on its own runner while the window stays usable, shows its result beside
// the stability field, its band in the diagrams and its block on the Summary
// page; Cancel, a new fit or extraction and another series stop or drop it;
// a Refresh recomputes the lifetimes from the kept replicates.

#include "AppTestSupport.h"

#include "../platform/PdfTools.h"
#include "boot/UncertaintyText.h"
#include "eval/Report.h"
#include "plot/DiagramBand.h"
#include "ui/BackgroundRunner.h"
#include "ui/IntervalsKeeper.h"
#include "ui/pages/DDCFuncDiagramDlg.h"
#include "ui/pages/DDLogTextDlg.h"
#include "ui/pages/DDModelDiagramDlg.h"
#include "ui/pages/DiagramView.h"
#include "ui/pages/IntervalsPanel.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

class AppIntervals : public AppTest {
protected:
    // The bundled two-series log with a fitted first series, on its model page.
    std::unique_ptr<CDriftwiseDlg> FittedWindow() {
        auto window = MakeWindow();
        window->ImportFiles({DW_EXAMPLES_DIR "/c1a1_two_series.log"});
        EXPECT_EQ(window->Series().size(), 2u);
        window->CFuncPage()->m_seedSource = [] { return 4711u; };
        Keeper(*window).SetReplicates(100);
        Keeper(*window).SetSeedSource([] { return 7u; });
        window->OnCharFunc();
        EXPECT_TRUE(window->Runner()->WaitUntilIdle(60000));
        window->OnFitModel();
        EXPECT_TRUE(window->Runner()->WaitUntilIdle(60000));
        EXPECT_EQ(window->ActiveTab(), TAB_FITTED_MODEL);
        EXPECT_EQ(window->SelectedSeries()->ModelValid, 1);
        return window;
    }
    static CIntervalsKeeper& Keeper(CDriftwiseDlg& window) { return *window.Intervals(); }
    static CIntervalsPanel& Panel(CDriftwiseDlg& window) { return *window.ModelPage()->IntervalsPanel(); }
    static std::string Field(CDriftwiseDlg& window) { return Panel(window).Field()->text().toStdString(); }
    static bool WaitForIntervals(CDriftwiseDlg& window) { return Keeper(window).Runner().WaitUntilIdle(120000); }
    static bool HasBand(CDDModelDiagramDlg* page) { return page->View()->Diagram()->m_style.pBand != nullptr; }
    int CountLines(const std::string& line) const {
        const std::vector<std::string> lines = LogFileMessages();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
};

}  // namespace

TEST_F(AppIntervals, RunInTheBackgroundThenFieldBandsAndSummaryShowThem) {
    auto window = FittedWindow();
    QAction* item = window->Action(CDriftwiseDlg::Command::Intervals);
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
    // No other command of the window has the key.
    for (QAction* other : window->findChildren<QAction*>())
        if (other != item) {
            EXPECT_NE(other->shortcut(), item->shortcut()) << other->text().toStdString();
        }
    ASSERT_TRUE(item->isEnabled());
    EXPECT_TRUE(Field(*window).empty());
    EXPECT_FALSE(HasBand(window->ModelPage()));

    item->trigger();
    // On its own runner: the progress and Cancel show, the window's commands stay.
    ASSERT_TRUE(Keeper(*window).IsBusy()) << "the bootstrap ran on the GUI thread";
    EXPECT_FALSE(window->Runner()->IsBusy());
    EXPECT_FALSE(Panel(*window).Progress()->isHidden());
    EXPECT_FALSE(Panel(*window).CancelButton()->isHidden());
    EXPECT_TRUE(window->Action(CDriftwiseDlg::Command::Import)->isEnabled());
    EXPECT_FALSE(item->isEnabled());
    ASSERT_TRUE(WaitForIntervals(*window));

    EXPECT_TRUE(Panel(*window).Progress()->isHidden());
    EXPECT_TRUE(Panel(*window).CancelButton()->isHidden());
    const std::string field = Field(*window);
    EXPECT_EQ(field.rfind("95 %: lifetime ", 0), 0u) << field;
    EXPECT_NE(field.find("; P50 "), std::string::npos) << field;
    EXPECT_NE(field.find("; model fit p = "), std::string::npos) << field;
    EXPECT_EQ(window->ProbabilityPage()->IntervalsPanel()->Field()->text().toStdString(), field);
    EXPECT_EQ(CountLines("Intervals computed."), 1);
    EXPECT_TRUE(item->isEnabled());
    // Both diagrams have the replicates' band.
    ASSERT_TRUE(HasBand(window->ModelPage()));
    EXPECT_TRUE(HasBand(window->ProbabilityPage()));
    // The band the diagram drew is the run's 95 % band of P(a,t).
    const DIAGRAMBAND& band = *window->ProbabilityPage()->View()->Diagram()->m_style.pBand;
    const DIAGRAMBANDCACHE& drawn = band.cache[1];
    ASSERT_EQ(drawn.times.size(), static_cast<std::size_t>(kBandPoints + 1));
    const CA1TimeSeries& series = *window->SelectedSeries();
    const SERIESINTERVALS* found = Keeper(*window).Find(series);
    ASSERT_NE(found, nullptr);
    const std::vector<BANDPOINT> expected = StayProbabilityBand(*found->pRun, series.Tolerance, drawn.times, 0.95);
    ASSERT_EQ(expected.size(), drawn.times.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(drawn.lows[i], expected[i].dLow) << i;
        EXPECT_EQ(drawn.highs[i], expected[i].dHigh) << i;
    }
    EXPECT_LT(expected[kBandPoints / 2].dLow, expected[kBandPoints / 2].dHigh);

    // The Summary page: the report, then the "Uncertainty" block.
    window->OnEvaluationSummary();
    std::string shown = window->SummaryPage()->TextBox()->toPlainText().toStdString();
    std::string report = BuildStabilityReport(*window->SelectedSeries());
    report.erase(std::remove(report.begin(), report.end(), '\r'), report.end());
    ASSERT_EQ(shown.rfind(report, 0), 0u);
    EXPECT_NE(shown.find("Uncertainty", report.size()), std::string::npos);

    // The PDF report carries the block too.
    if (pdftools::Available()) {
        const std::string pdf = FilePath("with_intervals");
        m_dialogs.QueueSaveFile(pdf);
        window->Action(CDriftwiseDlg::Command::ExportPdf)->trigger();
        EXPECT_NE(pdftools::PageText(pdf + ".pdf", 1, 2).find("Uncertainty"), std::string::npos);
    }
}

TEST_F(AppIntervals, CancelStopsTheRunAndLeavesNoIntervals) {
    auto window = FittedWindow();
    window->ModelPage()->OnIntervals();
    ASSERT_TRUE(Keeper(*window).IsBusy());
    Panel(*window).CancelButton()->click();
    ASSERT_TRUE(WaitForIntervals(*window));
    EXPECT_EQ(CountLines("Intervals cancelled."), 1);
    EXPECT_TRUE(Field(*window).empty());
    EXPECT_EQ(Keeper(*window).Find(*window->SelectedSeries()), nullptr);
    EXPECT_FALSE(HasBand(window->ModelPage()));
    EXPECT_TRUE(Panel(*window).IntervalsButton()->isEnabled());
}

TEST_F(AppIntervals, ANewFitOrExtractionDropsOrStopsThem) {
    auto window = FittedWindow();
    window->ModelPage()->OnIntervals();
    ASSERT_TRUE(WaitForIntervals(*window));
    ASSERT_NE(Keeper(*window).Find(*window->SelectedSeries()), nullptr);
    // A new fit: the intervals of the old model go, field and band with them.
    window->OnFitModel();
    ASSERT_TRUE(window->Runner()->WaitUntilIdle(60000));
    EXPECT_EQ(Keeper(*window).Find(*window->SelectedSeries()), nullptr);
    EXPECT_TRUE(Field(*window).empty());
    EXPECT_FALSE(HasBand(window->ModelPage()));
    EXPECT_FALSE(HasBand(window->ProbabilityPage()));

    // A run going when the series is extracted anew stops.
    window->ModelPage()->OnIntervals();
    ASSERT_TRUE(Keeper(*window).IsBusy());
    window->OnReExtract();
    ASSERT_TRUE(WaitForIntervals(*window));
    EXPECT_EQ(CountLines("Intervals cancelled."), 1);
    EXPECT_EQ(Keeper(*window).Find(*window->SelectedSeries()), nullptr);
}

TEST_F(AppIntervals, ChoosingAnotherSeriesStopsTheRun) {
    auto window = FittedWindow();
    window->ModelPage()->OnIntervals();
    ASSERT_TRUE(Keeper(*window).IsBusy());
    const int fitted = window->SeriesList()->currentIndex();
    window->SeriesList()->setCurrentIndex(1 - fitted);
    ASSERT_TRUE(WaitForIntervals(*window));
    EXPECT_EQ(CountLines("Intervals cancelled."), 1);
    window->SeriesList()->setCurrentIndex(fitted);
    EXPECT_EQ(Keeper(*window).Find(*window->SelectedSeries()), nullptr);
    EXPECT_TRUE(Field(*window).empty());
}

TEST_F(AppIntervals, RefreshRecomputesTheLifetimesFromTheKeptReplicates) {
    auto window = FittedWindow();
    window->ModelPage()->OnIntervals();
    ASSERT_TRUE(WaitForIntervals(*window));
    const std::string before = Field(*window);
    const double toleranceBefore = window->SelectedSeries()->Tolerance;

    window->ModelPage()->ResolutionEdit()->setText(QStringLiteral("2.00"));
    window->ModelPage()->RefreshButton()->click();
    ASSERT_TRUE(window->Runner()->WaitUntilIdle(60000));
    const CA1TimeSeries& series = *window->SelectedSeries();
    ASSERT_NE(series.Tolerance, toleranceBefore);
    const SERIESINTERVALS* found = Keeper(*window).Find(series);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->set.dTolerance, series.Tolerance);
    EXPECT_EQ(Keeper(*window).RunsStarted(), 1);  // no new simulation
    EXPECT_EQ(Field(*window), IntervalsFieldText(ComputeIntervals(*found->pRun, series, series.Tolerance)));
    EXPECT_NE(Field(*window), before);
}

TEST_F(AppIntervals, AnOpenEndIsShownAsAboveTheReplicatesBound) {
    auto window = FittedWindow();
    SERIESINTERVALS found;
    found.set.bValid = true;
    for (INTERVAL& iv : found.set.q) {
        iv.lo95.dValue = 700.0;
        iv.hi95.dValue = 1200.0;
    }
    INTERVAL& life = found.set.q[IQ_MODEL_LIFETIME];
    life.hi95.bOpen = true;
    life.hi95.dValue = HUGE_VAL;
    life.dLargestFinite = 5200.0;
    found.set.dGoodnessP = 0.42;
    Panel(*window).Show(&*window->SelectedSeries(), &Keeper(*window), &found);
    EXPECT_EQ(Field(*window), "95 %: lifetime 700.0 - > 5200.0 s; P50 700.0 - 1200.0 s; model fit p = 0.42");
}
