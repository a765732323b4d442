#pragma once
// What the characteristic-function page and the two model pages share: the
// two read-only lines, the "Stability Check" inputs (electron energy and
// target resolution, held as texts) and "Refresh".

#include "eval/EvalSteps.h"
#include "ui/pages/DDDiagramPage.h"

#include <string>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

class CDDStabilityPage : public CDDDiagramPage {
    Q_OBJECT
public:
    explicit CDDStabilityPage(QWidget* parent = nullptr);
    ~CDDStabilityPage() override;

    // Recomputes the tolerance and both lifetimes from the typed energy and
    // resolution, renders and shows the page's state text.
    void OnRefresh();

    std::string m_strLine1;
    std::string m_strLine2;
    std::string m_strEnergy;
    std::string m_strResolution;

    QLineEdit* Line1Edit() const { return m_pLine1; }
    QLineEdit* Line2Edit() const { return m_pLine2; }
    QLineEdit* EnergyEdit() const { return m_pEnergy; }
    QLineEdit* ResolutionEdit() const { return m_pResolution; }
    QPushButton* RefreshButton() const { return m_pRefresh; }

    // Data exchange: false when the energy or the resolution text is not a
    // number above 0 (after a message; the field keeps its previous value).
    bool ReadControls();
    void WriteControls();

protected:
    // Builds the page; the side column ends with the optional extra button,
    // the optional widget sits beside the stability field.
    void BuildPage(const char* line1Label, QPushButton* extraButton, QWidget* besideStability = nullptr);
    // After a Refresh was applied to the shown series.
    virtual void AfterRefresh(CA1TimeSeries& /*series*/) {}
    // "%.1f" of ElEnergykV and "%.2f" of TargetResAng, or "300.0" and "1.00".
    void FillInputsFromParameters();
    // The typed energy [keV] and resolution [A]; a text without a leading
    // number gives 0.
    double TypedEnergy() const;
    double TypedResolution() const;
    // Inputs of the evaluation steps: the given energy and resolution with
    // the phase limit and minimum diversity of the parameters (requires
    // m_pParams for those two; the defaults otherwise).
    EVALINPUTS StepInputs(double energykV, double resolutionAng) const;
    // Line 2 after Refresh: the direct or the model state text.
    virtual std::string StateText(const CA1TimeSeries& series) const = 0;

private:
    // Takes the field's text into `value` when it is a number above 0;
    // otherwise says so, puts the focus there and keeps `value`.
    bool ReadPositiveInput(QLineEdit* field, std::string& value, const char* rangeMessage);

    QLineEdit* m_pLine1 = nullptr;
    QLineEdit* m_pLine2 = nullptr;
    QLineEdit* m_pEnergy = nullptr;
    QLineEdit* m_pResolution = nullptr;
    QPushButton* m_pRefresh = nullptr;
};
