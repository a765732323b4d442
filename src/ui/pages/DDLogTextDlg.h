#pragma once
// The text pages: "Log Text" (display mode 1, the log lines the series was
// extracted from) and "Summary" (display mode 2, the stability report).

#include "ui/DDPage.h"

#include <string>

class QLineEdit;
class QPlainTextEdit;

class CDDLogTextDlg : public CDDPage {
    Q_OBJECT
public:
    explicit CDDLogTextDlg(int displayMode, QWidget* parent = nullptr);

    void Initialize() override;
    // Rebuilds both fields and the text box for the series (or none).
    void UpdatePage(CA1TimeSeries* series) override;

    int DisplayMode() const { return m_nDisplayMode; }

    // The texts shown: the source path (or "Unknown.") and the summary line.
    std::string m_strSource;
    std::string m_strSummary;

    QLineEdit* SourceEdit() const { return m_pSourceEdit; }
    QLineEdit* SummaryEdit() const { return m_pSummaryEdit; }
    QPlainTextEdit* TextBox() const { return m_pTextEdit; }

private:
    void ShowLogLines(const CA1TimeSeries& series);

    int m_nDisplayMode = 1;
    QLineEdit* m_pSourceEdit = nullptr;
    QLineEdit* m_pSummaryEdit = nullptr;
    QPlainTextEdit* m_pTextEdit = nullptr;
};
