#include "ui/pages/DDLogTextDlg.h"

CDDLogTextDlg::CDDLogTextDlg(int displayMode, QWidget* parent) : CDDPage(parent), m_nDisplayMode(displayMode) {}
void CDDLogTextDlg::Initialize() {}
void CDDLogTextDlg::UpdatePage(CA1TimeSeries* series) { m_pSeries = series; }
