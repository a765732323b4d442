#pragma once
// The "Fitted Model" (DISPLAY_MODEL) and "Prob. Plot" (DISPLAY_PROBABILITY)
// pages: the fitted model parameters, the model-lifetime state and the
// stability check.

#include "plot/DiagramContent.h"
#include "ui/pages/DDStabilityPage.h"

class CIntervalsPanel;

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

    // "Intervals": runs the bootstrap of the shown series in the background.
    void OnIntervals();
    CIntervalsPanel* IntervalsPanel() const { return m_pIntervals; }

protected:
    std::string StateText(const CA1TimeSeries& series) const override;
    void AfterRefresh(CA1TimeSeries& series) override;

private:
    // The intervals row (IntervalsPanel.h); ShowIntervals brings it and the
    // diagram's band up to date, ApplyIntervals before a series is drawn.
    void BuildIntervals();
    void ApplyIntervals(const CA1TimeSeries* series);
    void ShowIntervals();

    int m_nDisplayType = DISPLAY_MODEL;
    CIntervalsPanel* m_pIntervals = nullptr;
};
