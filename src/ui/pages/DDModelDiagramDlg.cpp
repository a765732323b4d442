#include "ui/pages/DDModelDiagramDlg.h"

#include "eval/Lifetime.h"
#include "files/DataExports.h"
#include "plot/DiagramContent.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "ui/pages/DiagramView.h"

CDDModelDiagramDlg::CDDModelDiagramDlg(int displayType, QWidget* parent)
    : CDDStabilityPage(parent), m_nDisplayType(displayType) {}
CDDModelDiagramDlg::~CDDModelDiagramDlg() = default;

void CDDModelDiagramDlg::Initialize() {
    if (m_pView) return;
    FillInputsFromParameters();
    BuildIntervals();
    m_pView->Diagram()->m_style.nDisplayType = m_nDisplayType;
    WriteControls();
}

std::string CDDModelDiagramDlg::StateText(const CA1TimeSeries& series) const { return ModelStateText(series); }

void CDDModelDiagramDlg::UpdatePage(CA1TimeSeries* series) {
    FillInputsFromParameters();
    if (series) {
        m_pSeries = series;
        series->m_pLog = m_pLog;
        ApplyIntervals(series);
        if (m_pView) m_pView->Render(series);
        if (series->ModelValid <= 0) {
            m_strLine1 = "No model fittted.";
            m_strLine2.clear();
        } else {
            // The s-sqr field is "%3.G" as it always was: one significant digit.
            m_strLine1 = FormatText("Di = %.3G nm, Da = %.3G nm, tc = %.3G s, s = %.3G nm, s-sqr = %3.G", series->FitDi,
                                    series->FitDa, TcSeconds(*series), series->FitS, series->FitSSqr);
            m_strLine2 = ModelStateText(*series);
        }
    } else {
        m_pSeries = nullptr;
        ApplyIntervals(nullptr);
        m_strLine1 = "No data.";
        m_strLine2.clear();
    }
    WriteControls();
}

void CDDModelDiagramDlg::OnExportTable() {
    if (m_nDisplayType == DISPLAY_MODEL) ExportTable(&SaveModelTable, "Model data table saved to file [");
    else if (m_nDisplayType == DISPLAY_PROBABILITY)
        ExportTable(&SaveProbabilityTable, "Probability data table saved to file [");
    else ExportTable(nullptr, "");
}

void CDDModelDiagramDlg::OnExportBinary() {
    if (m_nDisplayType == DISPLAY_MODEL) ExportBinary(&SaveModelData, "Binary model data saved to file [");
    else if (m_nDisplayType == DISPLAY_PROBABILITY)
        ExportBinary(&SaveProbabilityData, "Binary probability data saved to file [");
    else ExportBinary(nullptr, "");
}
