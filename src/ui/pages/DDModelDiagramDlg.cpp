#include "ui/pages/DDModelDiagramDlg.h"

CDDModelDiagramDlg::CDDModelDiagramDlg(int displayType, QWidget* parent)
    : CDDPage(parent), m_nDisplayType(displayType == 5 ? 5 : 4) {}
CDDModelDiagramDlg::~CDDModelDiagramDlg() = default;
void CDDModelDiagramDlg::Initialize() {}
void CDDModelDiagramDlg::UpdatePage(CA1TimeSeries* series) { m_pSeries = series; }
void CDDModelDiagramDlg::OnExportImage() {}
void CDDModelDiagramDlg::OnExportTable() {}
void CDDModelDiagramDlg::OnExportBinary() {}
void CDDModelDiagramDlg::OnRefresh() {}
