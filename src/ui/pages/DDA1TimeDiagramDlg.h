#pragma once
// The "A22-Time Graph" page: the astigmatism samples as a time graph or as
// the 2D scatter, the series statistics with the rotation of minimum
// correlation, re-extraction with a new mirror flag and rotation, and the
// step to the characteristic function.

#include "plot/DiagramContent.h"
#include "ui/pages/DDDiagramPage.h"

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The display choice between its forms: the "Display" list's index (0
// "A22-Time", 1 "A22 (2D)") and the diagram's display type (any type but
// DISPLAY_A22_2D shows the time graph); the stored zero-based parameter and
// the page's display value.
int DisplayChoiceOfType(long long displayType);
int DisplayTypeOfChoice(int choice);
long long DisplayValueOfStored(int stored);
int StoredOfDisplayValue(long long displayValue);

class CDDA1TimeDiagramDlg : public CDDDiagramPage {
    Q_OBJECT
public:
    explicit CDDA1TimeDiagramDlg(QWidget* parent = nullptr);
    ~CDDA1TimeDiagramDlg() override;

    // DISPLAY_A22_TIME ("A22-Time") or DISPLAY_A22_2D ("A22 (2D)"); any other value shows the time graph
    // and is kept as it is until the user picks a display. Wide enough for
    // every stored zero-based value + 1.
    void SetDisplayType(long long nDisplayType);
    long long DisplayType() const { return m_nDisplayValue; }

    void Initialize() override;
    void UpdatePage(CA1TimeSeries* series) override;
    void OnExportTable() override;
    void OnExportBinary() override;

    void OnReExtract();
    void OnDisplayChange();
    void OnCharFunc();

    // Control values (the page's data exchange reads and writes them).
    int m_bMirrorY = 0;
    int m_nDisplayChoice = 0;
    long long m_nDisplayValue = DISPLAY_A22_TIME;
    std::string m_strLine2;
    std::string m_strLine1;
    double m_dRotationDeg = 0.0;

    // Controls, for the tests.
    QLineEdit* Line1Edit() const { return m_pLine1; }
    QLineEdit* Line2Edit() const { return m_pLine2; }
    QLineEdit* RotationEdit() const { return m_pRotation; }
    QCheckBox* MirrorCheck() const { return m_pMirror; }
    QComboBox* DisplayCombo() const { return m_pDisplay; }
    QPushButton* ReExtractButton() const { return m_pReExtract; }
    QPushButton* CharFuncButton() const { return m_pCharFunc; }

    // Data exchange: false when the rotation text is not a number (after
    // "Enter a number." was shown; the rotation keeps its value).
    bool ReadControls();
    void WriteControls();

private:
    void ComputeStatistics(const CA1TimeSeries& series);

    QLineEdit* m_pLine1 = nullptr;
    QLineEdit* m_pLine2 = nullptr;
    QComboBox* m_pDisplay = nullptr;
    QLineEdit* m_pRotation = nullptr;
    QCheckBox* m_pMirror = nullptr;
    QPushButton* m_pReExtract = nullptr;
    QPushButton* m_pCharFunc = nullptr;
};
