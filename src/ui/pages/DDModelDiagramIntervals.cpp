// SPDX-License-Identifier: GPL-3.0-or-later
// The intervals of the Fitted Model and Prob. Plot pages: the row beside the
// stability field, the run behind "Intervals" and the diagram's band.

#include "plot/DiagramBand.h"
#include "series/A1TimeSeries.h"
#include "ui/IntervalsKeeper.h"
#include "ui/pages/DDModelDiagramDlg.h"
#include "ui/pages/DiagramView.h"
#include "ui/pages/IntervalsPanel.h"

void CDDModelDiagramDlg::BuildIntervals() {
    m_pIntervals = new CIntervalsPanel(this);
    BuildPage("Model parameters", nullptr, m_pIntervals);
    m_pView->setWhatsThis(QString::fromUtf8(kIntervalsExplanation));
    setWhatsThis(QString::fromUtf8(kIntervalsExplanation));
    connect(m_pIntervals, &CIntervalsPanel::intervalsRequested, this, &CDDModelDiagramDlg::OnIntervals);
    CIntervalsKeeper* keeper = IntervalsOf(m_pHost);
    if (keeper) {
        connect(m_pIntervals, &CIntervalsPanel::cancelRequested, keeper, &CIntervalsKeeper::Cancel);
        connect(keeper, &CIntervalsKeeper::Changed, this, &CDDModelDiagramDlg::ShowIntervals);
    }
    m_pIntervals->Show(nullptr, keeper, nullptr);
}

void CDDModelDiagramDlg::OnIntervals() {
    CIntervalsKeeper* keeper = IntervalsOf(m_pHost);
    CA1TimeSeries* series = m_pSeries;
    // Not while a step changes the series, nor twice.
    if (!keeper || !series || series->ModelValid != 1 || keeper->IsBusy() || RunnerBusy()) return;
    const double energy = series->UsedElEnergykV > 0.0 ? series->UsedElEnergykV : TypedEnergy();
    const double resolution = series->UsedTargetResAng > 0.0 ? series->UsedTargetResAng : TypedResolution();
    keeper->Start(*series, StepInputs(energy, resolution), m_pLog);
}

void CDDModelDiagramDlg::ApplyIntervals(const CA1TimeSeries* series) {
    CIntervalsKeeper* keeper = IntervalsOf(m_pHost);
    if (keeper) keeper->Follow(series);
    const SERIESINTERVALS* found = keeper && series ? keeper->Find(*series) : nullptr;
    if (m_pView) m_pView->Diagram()->m_style.pBand = found ? found->pBand : nullptr;
    if (m_pIntervals) m_pIntervals->Show(series, keeper, found);
}

void CDDModelDiagramDlg::ShowIntervals() {
    CIntervalsKeeper* keeper = IntervalsOf(m_pHost);
    const SERIESINTERVALS* found = keeper && m_pSeries ? keeper->Find(*m_pSeries) : nullptr;
    if (m_pIntervals) m_pIntervals->Show(m_pSeries, keeper, found);
    if (!m_pView) return;
    std::shared_ptr<const DIAGRAMBAND> band = found ? found->pBand : nullptr;
    DIAGRAMSTYLE& style = m_pView->Diagram()->m_style;
    if (style.pBand == band) return;
    style.pBand = std::move(band);
    if (m_pSeries) m_pView->Render(m_pSeries);
}

void CDDModelDiagramDlg::AfterRefresh(CA1TimeSeries& series) {
    if (&series == m_pSeries) ShowIntervals();
}
