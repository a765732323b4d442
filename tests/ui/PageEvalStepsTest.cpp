// SPDX-License-Identifier: GPL-3.0-or-later
// The pages' evaluation commands give exactly what the evaluation steps
// give for the same inputs: every field of the series and the same message
// lines. The inputs are the parameters (characteristic function) or the
// typed energy and resolution (Refresh, Fit Model).

#include "PageTestSupport.h"

#include "FakeDialogs.h"
#include "eval/EvalSteps.h"
#include "files/MainParameters.h"
#include "plot/DiagramContent.h"
#include "support/SeriesCheck.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDCFuncDiagramDlg.h"
#include "ui/pages/DDModelDiagramDlg.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr std::uint32_t kSeed = 9001;

class PageEvalSteps : public CQtTestApp, public ::testing::Test {
protected:
    void SetUp() override {
        ImportGenerated(m_list, 600, 2);
        m_pSeries = &m_list.front();
        m_params.MinDiversity = 12;
        m_params.LimitPhase = 0.2;
        m_params.ElEnergykV = 200.0;
        m_params.TargetResAng = 0.9;
        for (CDDPage* page : std::initializer_list<CDDPage*>{&m_a22, &m_cfunc, &m_model}) {
            page->m_pLog = &m_log;
            page->m_pParams = &m_params;
            page->m_pHost = &m_host;
            page->m_pDialogs = &m_dialogs;
            page->Initialize();
        }
        m_cfunc.m_seedSource = [] { return kSeed; };
    }

    EVALINPUTS Inputs(double energykV, double resolutionAng) const {
        EVALINPUTS in;
        in.nMinDiversity = 12;
        in.dLimitPhase = 0.2;
        in.dEnergykV = energykV;
        in.dResolutionAng = resolutionAng;
        in.nSeed = kSeed;
        return in;
    }

    // Runs `step` on a copy of the series as it is now, then `command` on
    // the series itself, and compares both.
    template <class Step, class Command>
    void ExpectSameAsStep(Step step, Command command) {
        CRecordingLog stepLog;
        CA1TimeSeries copy(*m_pSeries);
        copy.m_pLog = &stepLog;
        step(copy);
        EXPECT_FALSE(stepLog.m_lines.empty());
        m_log.m_lines.clear();
        command();
        ExpectSameEvaluation(copy, *m_pSeries);
        EXPECT_EQ(m_log.m_lines, stepLog.m_lines);
    }

    void Type(CDDStabilityPage& page, const char* energy, const char* resolution) {
        page.UpdatePage(m_pSeries);
        page.EnergyEdit()->setText(energy);
        page.ResolutionEdit()->setText(resolution);
    }

    CRecordingLog m_log;
    CMainParameters m_params;
    CFakePageHost m_host;
    CFakeDialogs m_dialogs;
    std::vector<CA1TimeSeries> m_list;
    CA1TimeSeries* m_pSeries = nullptr;
    CDDA1TimeDiagramDlg m_a22;
    CDDCFuncDiagramDlg m_cfunc;
    CDDModelDiagramDlg m_model{DISPLAY_MODEL};
};

TEST_F(PageEvalSteps, EveryCommandGivesWhatItsStepGives) {
    m_a22.UpdatePage(m_pSeries);
    {
        SCOPED_TRACE("Charact. Function...");
        ExpectSameAsStep([&](CA1TimeSeries& s) { RunCharFuncStep(s, Inputs(200.0, 0.9)); },
                         [&] { m_a22.CharFuncButton()->click(); });
        ASSERT_EQ(m_pSeries->CharFuncValid, 1);
        EXPECT_EQ(m_pSeries->m_nCurrentTab, TAB_CHAR_FUNC);
    }
    {
        SCOPED_TRACE("Refresh on the characteristic-function page");
        Type(m_cfunc, "250", "0.8");
        ExpectSameAsStep([&](CA1TimeSeries& s) { RunRefreshStep(s, Inputs(250.0, 0.8)); },
                         [&] { m_cfunc.RefreshButton()->click(); });
    }
    {
        SCOPED_TRACE("Fit Model with newly typed inputs");
        Type(m_cfunc, "280", "0.7");
        ExpectSameAsStep(
            [&](CA1TimeSeries& s) { RunModelFitStep(s, Inputs(280.0, 0.7), FitStepStart::DirectLifetimeFirst); },
            [&] { m_cfunc.FitModelButton()->click(); });
        ASSERT_EQ(m_pSeries->ModelValid, 1);
        EXPECT_EQ(m_pSeries->m_nCurrentTab, TAB_FITTED_MODEL);
    }
    {
        SCOPED_TRACE("Refresh on the model page");
        Type(m_model, "300", "1.1");
        ExpectSameAsStep([&](CA1TimeSeries& s) { RunRefreshStep(s, Inputs(300.0, 1.1)); },
                         [&] { m_model.RefreshButton()->click(); });
    }
}

}  // namespace
