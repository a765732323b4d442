#include "ui/pages/DDCFuncDiagramDlg.h"

CDDCFuncDiagramDlg::CDDCFuncDiagramDlg(QWidget* parent) : CDDPage(parent) {}
CDDCFuncDiagramDlg::~CDDCFuncDiagramDlg() = default;
void CDDCFuncDiagramDlg::Initialize() {}
void CDDCFuncDiagramDlg::UpdatePage(CA1TimeSeries* series) { m_pSeries = series; }
void CDDCFuncDiagramDlg::OnExportImage() {}
void CDDCFuncDiagramDlg::OnExportTable() {}
void CDDCFuncDiagramDlg::OnExportBinary() {}
void CDDCFuncDiagramDlg::OnRefresh() {}
void CDDCFuncDiagramDlg::OnFitModel() {}
