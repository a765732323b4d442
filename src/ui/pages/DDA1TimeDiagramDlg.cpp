#include "ui/pages/DDA1TimeDiagramDlg.h"

CDDA1TimeDiagramDlg::CDDA1TimeDiagramDlg(QWidget* parent) : CDDPage(parent) {}
CDDA1TimeDiagramDlg::~CDDA1TimeDiagramDlg() = default;
void CDDA1TimeDiagramDlg::SetDisplayType(int nDisplayType) { m_nDisplayType = nDisplayType == 2 ? 2 : 1; }
void CDDA1TimeDiagramDlg::Initialize() {}
void CDDA1TimeDiagramDlg::UpdatePage(CA1TimeSeries* series) { m_pSeries = series; }
void CDDA1TimeDiagramDlg::OnExportImage() {}
void CDDA1TimeDiagramDlg::OnExportTable() {}
void CDDA1TimeDiagramDlg::OnExportBinary() {}
void CDDA1TimeDiagramDlg::OnReExtract() {}
void CDDA1TimeDiagramDlg::OnCharFunc() {}
