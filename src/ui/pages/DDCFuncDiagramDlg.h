#pragma once
// The "Charact. Func." page: the characteristic function of the series with
// the direct-lifetime guide, the stability check and the model fit.

#include "ui/pages/DDStabilityPage.h"

#include <cstdint>
#include <functional>

class CDDCFuncDiagramDlg : public CDDStabilityPage {
    Q_OBJECT
public:
    explicit CDDCFuncDiagramDlg(QWidget* parent = nullptr);
    ~CDDCFuncDiagramDlg() override;

    void Initialize() override;
    void UpdatePage(CA1TimeSeries* series) override;
    void OnExportTable() override;
    void OnExportBinary() override;

    // Fits the model with the typed energy and resolution and moves the
    // series to the "Fitted Model" tab.
    void OnFitModel();

    QPushButton* FitModelButton() const { return m_pFitModel; }

    // Seed of the model fit; the UTC clock unless a test sets a fixed one.
    std::function<std::uint32_t()> m_seedSource;

protected:
    std::string StateText(const CA1TimeSeries& series) const override;

private:
    QPushButton* m_pFitModel = nullptr;
};
