#pragma once
// The "Fitted Model" (DISPLAY_MODEL) and "Prob. Plot" (DISPLAY_PROBABILITY)
// pages: the fitted model parameters, the model-lifetime state and the
// stability check.

#include "plot/DiagramContent.h"
#include "ui/pages/DDStabilityPage.h"

class CDDModelDiagramDlg : public CDDStabilityPage {
    Q_OBJECT
public:
    explicit CDDModelDiagramDlg(int displayType, QWidget* parent = nullptr);
    ~CDDModelDiagramDlg() override;

    int DisplayType() const { return m_nDisplayType; }

    void Initialize() override;
    void UpdatePage(CA1TimeSeries* series) override;
    void OnExportTable() override;
    void OnExportBinary() override;

protected:
    std::string StateText(const CA1TimeSeries& series) const override;

private:
    int m_nDisplayType = DISPLAY_MODEL;
};
