#pragma once
// "Program Settings": the minimum diversity of the characteristic function
// and the astigmatism phase shift tolerance.

#include <QDialog>

#include <string>

class IDialogs;
class QLineEdit;

class CDriftwiseSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinDiversityLow = 5;
    static constexpr int kMinDiversityHigh = 50000;
    static constexpr double kLimitPhaseLow = 0.001;
    static constexpr double kLimitPhaseHigh = 1000.0;

    // The range message goes through dialogs (none: it is not shown).
    explicit CDriftwiseSettingsDlg(IDialogs* dialogs, QWidget* parent = nullptr);

    // Values to show; call before the dialog opens.
    void SetValues(int minDiversity, double limitPhase);

    // Reads and checks the fields. On success the members hold the new
    // values; otherwise the range message has been shown and the
    // diversity field has the focus.
    bool ReadFields();

    void accept() override;

    int m_nMinDiversity = 10;
    double m_dLimitPhase = 0.25;
    std::string m_strLimitPhase;

    QLineEdit* DiversityField() const { return m_pDiversity; }
    QLineEdit* PhaseField() const { return m_pPhase; }

private:
    IDialogs* m_pDialogs;
    QLineEdit* m_pDiversity;
    QLineEdit* m_pPhase;
};
