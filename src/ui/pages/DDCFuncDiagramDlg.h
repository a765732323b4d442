#pragma once
// The "Charact. Function" page: the characteristic function of the series,
// the tolerance inputs and the model fit.

#include "ui/DDPage.h"

#include <cstdint>
#include <functional>

class CDiagramView;

class CDDCFuncDiagramDlg : public CDDPage {
    Q_OBJECT
public:
    explicit CDDCFuncDiagramDlg(QWidget* parent = nullptr);
    ~CDDCFuncDiagramDlg() override;

    void Initialize() override;
    void UpdatePage(CA1TimeSeries* series) override;
    void OnExportImage() override;
    void OnExportTable() override;
    void OnExportBinary() override;

    void OnRefresh();
    void OnFitModel();

    // Seed of the model fit; the UTC clock unless a test sets a fixed one.
    std::function<std::uint32_t()> m_seedSource;

private:
    CDiagramView* m_pView = nullptr;
};
