#pragma once
// The "A22-Time" page: the drift trace of the series (as A22 over time or as
// the 2D path), its statistics, rotation/mirror and the extraction of the
// characteristic function.

#include "ui/DDPage.h"

class CDiagramView;

class CDDA1TimeDiagramDlg : public CDDPage {
    Q_OBJECT
public:
    explicit CDDA1TimeDiagramDlg(QWidget* parent = nullptr);
    ~CDDA1TimeDiagramDlg() override;

    // 1 = "A22-Time", 2 = "A22 (2D)".
    void SetDisplayType(int nDisplayType);
    int DisplayType() const { return m_nDisplayType; }

    void Initialize() override;
    void UpdatePage(CA1TimeSeries* series) override;
    void OnExportImage() override;
    void OnExportTable() override;
    void OnExportBinary() override;

    void OnReExtract();
    void OnCharFunc();

private:
    int m_nDisplayType = 1;
    CDiagramView* m_pView = nullptr;
};
