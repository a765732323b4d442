#pragma once
// "Program Settings": the minimum diversity of the characteristic function
// and the astigmatism phase shift tolerance.

#include "eval/EvalInputs.h"

#include <QDialog>

#include <string>

class IDialogs;
class QLineEdit;

class CDriftwiseSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinDiversityLow = static_cast<int>(InputSpec(EvalInput::MinDiversity).dMin);
    static constexpr int kMinDiversityHigh = static_cast<int>(InputSpec(EvalInput::MinDiversity).dMax);
    static constexpr double kLimitPhaseLow = InputSpec(EvalInput::LimitPhase).dMin;
    static constexpr double kLimitPhaseHigh = InputSpec(EvalInput::LimitPhase).dMax;

    // The range message goes through dialogs (none: it is not shown).
    explicit CDriftwiseSettingsDlg(IDialogs* dialogs, QWidget* parent = nullptr);

    // Values to show; call before the dialog opens.
    void SetValues(int minDiversity, double limitPhase);

    // Reads and checks the fields. On success the members hold the new
    // values; otherwise the range message has been shown and the
    // diversity field has the focus.
    bool ReadFields();

    void accept() override;

    int m_nMinDiversity = InputDefaultInt(EvalInput::MinDiversity);
    double m_dLimitPhase = InputDefault(EvalInput::LimitPhase);
    std::string m_strLimitPhase;

    QLineEdit* DiversityField() const { return m_pDiversity; }
    QLineEdit* PhaseField() const { return m_pPhase; }

private:
    IDialogs* m_pDialogs;
    QLineEdit* m_pDiversity;
    QLineEdit* m_pPhase;
};
