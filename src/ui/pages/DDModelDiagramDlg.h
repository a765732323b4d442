#pragma once
// The "Fitted Model" (display type 4) and "Prob. Plot" (display type 5)
// pages of a series with a fitted model.

#include "ui/DDPage.h"

class CDiagramView;

class CDDModelDiagramDlg : public CDDPage {
    Q_OBJECT
public:
    explicit CDDModelDiagramDlg(int displayType, QWidget* parent = nullptr);
    ~CDDModelDiagramDlg() override;

    int DisplayType() const { return m_nDisplayType; }

    void Initialize() override;
    void UpdatePage(CA1TimeSeries* series) override;
    void OnExportImage() override;
    void OnExportTable() override;
    void OnExportBinary() override;

    void OnRefresh();

private:
    int m_nDisplayType = 4;
    CDiagramView* m_pView = nullptr;
};
