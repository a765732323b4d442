#pragma once
// The "Log Text" (mode 1: the message log) and "Report" (mode 2: the
// stability report of the series) pages.

#include "ui/DDPage.h"

class QLineEdit;
class QPlainTextEdit;

class CDDLogTextDlg : public CDDPage {
    Q_OBJECT
public:
    explicit CDDLogTextDlg(int displayMode, QWidget* parent = nullptr);

    void Initialize() override;
    void UpdatePage(CA1TimeSeries* series) override;

    int DisplayMode() const { return m_nDisplayMode; }

private:
    int m_nDisplayMode = 1;
    QLineEdit* m_pSourceEdit = nullptr;
    QLineEdit* m_pSummaryEdit = nullptr;
    QPlainTextEdit* m_pTextEdit = nullptr;
};
