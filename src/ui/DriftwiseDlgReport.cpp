// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's report commands: File > "Export PDF Report...",
// "Print..." and the Summary page's "Export...".

#include "ui/DriftwiseDlg.h"

#include "boot/UncertaintyText.h"
#include "files/ReportDocument.h"
#include "ui/IntervalsKeeper.h"
#include "ui/PdfExport.h"

void CDriftwiseDlg::RunReportCommand(bool (CPdfExport::*command)(const CA1TimeSeries&, int)) {
    ReadControls();
    if (CA1TimeSeries* series = SelectedSeries()) {
        const std::size_t index = static_cast<std::size_t>(series - m_aSeries.data());
        CPdfExport report(m_setup.pDialogs, &m_log, m_setup.pStore, this, m_setup.runDialog);
        // The intervals, when computed for this series, follow the report.
        if (const SERIESINTERVALS* found = m_pIntervals ? m_pIntervals->Find(*series) : nullptr)
            report.SetUncertainty(SplitReportLines(BuildUncertaintyBlock(found->set)));
        (report.*command)(*series, SeriesNumberInLog(m_aSeries, index));
    }
    WriteControls();
}

void CDriftwiseDlg::OnExportPdf() { RunReportCommand(&CPdfExport::ExportPdf); }
void CDriftwiseDlg::OnPrint() { RunReportCommand(&CPdfExport::Print); }
void CDriftwiseDlg::OnExportReport() { RunReportCommand(&CPdfExport::ExportReport); }
