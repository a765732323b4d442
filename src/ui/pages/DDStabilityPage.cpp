#include "ui/pages/DDStabilityPage.h"

#include "eval/EvalSteps.h"
#include "eval/Lifetime.h"
#include "files/MainParameters.h"
#include "platform/Dialogs.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "text/Parse.h"
#include "ui/SeriesJob.h"
#include "ui/pages/DiagramView.h"
#include "ui/pages/PageLayout.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

CDDStabilityPage::CDDStabilityPage(QWidget* parent) : CDDDiagramPage(parent) {}
CDDStabilityPage::~CDDStabilityPage() = default;

void CDDStabilityPage::BuildPage(const char* line1Label, QPushButton* extraButton, QWidget* besideStability) {
    auto* top = new QGridLayout;
    m_pLine1 = MakeReadOnlyLine(this);
    m_pLine2 = MakeReadOnlyLine(this);
    AddLabelledRow(top, 0, line1Label, m_pLine1, this);
    AddLabelledRow(top, 1, "Stability", m_pLine2, this);
    top->setColumnStretch(1, 1);
    if (besideStability) {
        top->addWidget(besideStability, 1, 2);
        top->setColumnStretch(2, 1);
    }

    MakeDiagramView();

    auto* check = new QGroupBox("Stability Check", this);
    m_pEnergy = new QLineEdit(check);
    m_pResolution = new QLineEdit(check);
    m_pRefresh = new QPushButton("Refres&h", check);
    auto* energyLabel = new QLabel("&El. energy [keV]", check);
    energyLabel->setBuddy(m_pEnergy);
    auto* resolutionLabel = new QLabel("Resol&ution [A]", check);
    resolutionLabel->setBuddy(m_pResolution);
    auto* checkLayout = new QVBoxLayout(check);
    checkLayout->addWidget(energyLabel);
    checkLayout->addWidget(m_pEnergy);
    checkLayout->addWidget(resolutionLabel);
    checkLayout->addWidget(m_pResolution);
    checkLayout->addWidget(m_pRefresh);

    auto* side = new QVBoxLayout;
    side->addWidget(check);
    side->addStretch(1);
    if (extraButton) {
        extraButton->setParent(this);
        extraButton->setMinimumHeight(2 * m_pRefresh->sizeHint().height());
        side->addWidget(extraButton);
    }

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_pView, 1);
    middle->addLayout(side);

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addLayout(middle, 1);

    connect(m_pRefresh, &QPushButton::clicked, this, &CDDStabilityPage::OnRefresh);
    // Enter in either input field runs the stability check.
    connect(m_pEnergy, &QLineEdit::returnPressed, this, &CDDStabilityPage::OnRefresh);
    connect(m_pResolution, &QLineEdit::returnPressed, this, &CDDStabilityPage::OnRefresh);
}

void CDDStabilityPage::FillInputsFromParameters() {
    if (m_pParams) {
        m_strEnergy = FormatText("%.1f", m_pParams->ElEnergykV);
        m_strResolution = FormatText("%.2f", m_pParams->TargetResAng);
    } else {
        m_strEnergy = "300.0";
        m_strResolution = "1.00";
    }
}

EVALINPUTS CDDStabilityPage::StepInputs(double energykV, double resolutionAng) const {
    EVALINPUTS inputs = ParameterEvalInputs();
    inputs.dEnergykV = energykV;
    inputs.dResolutionAng = resolutionAng;
    return inputs;
}

double CDDStabilityPage::TypedEnergy() const { return ReadLeadingDouble(m_strEnergy); }
double CDDStabilityPage::TypedResolution() const { return ReadLeadingDouble(m_strResolution); }

bool CDDStabilityPage::ReadPositiveInput(QLineEdit* field, std::string& value, const char* rangeMessage) {
    const std::string text = FromQString(field->text());
    const double number = HasLeadingNumber(text) ? ReadLeadingDouble(text) : 0.0;
    const char* message = nullptr;
    if (!HasLeadingNumber(text) || !std::isfinite(number)) message = "Enter a number.";
    else if (number <= 0.0) message = rangeMessage;
    if (message) {
        if (m_pDialogs) m_pDialogs->Message(DialogOwner(), message, "Driftwise", MessageIcon::Warning);
        field->setFocus();
        return false;
    }
    value = text;
    return true;
}

bool CDDStabilityPage::ReadControls() {
    if (!m_pLine1) return true;
    m_strLine1 = FromQString(m_pLine1->text());
    m_strLine2 = FromQString(m_pLine2->text());
    // An energy or resolution of 0, below or no number at all would give an
    // infinite tolerance: the previous value stays.
    return ReadPositiveInput(m_pEnergy, m_strEnergy, "Enter an electron energy greater than 0 keV.") &&
           ReadPositiveInput(m_pResolution, m_strResolution, "Enter a target resolution greater than 0 A.");
}

void CDDStabilityPage::WriteControls() {
    if (!m_pLine1) return;
    m_pLine1->setText(ToQString(m_strLine1));
    m_pLine1->setCursorPosition(0);
    m_pLine2->setText(ToQString(m_strLine2));
    m_pLine2->setCursorPosition(0);
    m_pEnergy->setText(ToQString(m_strEnergy));
    m_pResolution->setText(ToQString(m_strResolution));
}

void CDDStabilityPage::OnRefresh() {
    if (RunnerBusy()) return;
    ReadControls();
    if (CA1TimeSeries* series = m_pSeries) {
        series->m_pLog = m_pLog;
        const double energy = TypedEnergy();
        const double resolution = TypedResolution();
        if (m_pParams) {
            m_pParams->ElEnergykV = energy;
            m_pParams->TargetResAng = resolution;
            const EVALINPUTS inputs = StepInputs(energy, resolution);
            RunSeriesStep(
                Runner(), *series, "Refreshing the lifetimes",
                [inputs](CA1TimeSeries& copy) {
                    RunRefreshStep(copy, inputs);
                    return true;
                },
                [this](CA1TimeSeries& done, bool) {
                    // The page may show another series by now.
                    if (m_pSeries != &done) return;
                    if (m_pView) m_pView->Render(&done);
                    m_strLine2 = StateText(done);
                    WriteControls();
                    AfterRefresh(done);
                });
        }
    }
    WriteControls();
}
