// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's "Intervals" command: it runs the intervals of the
// Fitted Model or Prob. Plot page that is shown.

#include "series/A1TimeSeries.h"
#include "ui/DriftwiseDlg.h"
#include "ui/IntervalsKeeper.h"
#include "ui/pages/DDModelDiagramDlg.h"

#include <QAction>
#include <QTabWidget>

CDDModelDiagramDlg* CDriftwiseDlg::IntervalsPage() {
    CA1TimeSeries* series = SelectedSeries();
    if (!series || m_nActiveTab < 0 || m_nActiveTab >= m_pTabs->count()) return nullptr;
    const TabPage page = PageForTab(*series, m_nActiveTab);
    if (page == TabPage::Model) return m_pModelPage;
    if (page == TabPage::Probability) return m_pProbabilityPage;
    return nullptr;
}

void CDriftwiseDlg::UpdateIntervalsItem() {
    const CA1TimeSeries* series = SelectedSeries();
    Action(Command::Intervals)
        ->setEnabled(IntervalsPage() && series && series->ModelValid == 1 && !Busy() && m_pIntervals &&
                     !m_pIntervals->IsBusy());
}

void CDriftwiseDlg::OnIntervals() {
    if (Busy()) return;
    ReadControls();
    if (CDDModelDiagramDlg* page = IntervalsPage()) page->OnIntervals();
    WriteControls();
}
