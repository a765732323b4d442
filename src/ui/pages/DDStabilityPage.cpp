#include "ui/pages/DDStabilityPage.h"

#include "eval/EvalSteps.h"
#include "eval/Lifetime.h"
#include "files/MainParameters.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "text/Parse.h"
#include "ui/pages/DiagramView.h"
#include "ui/pages/PageLayout.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDDStabilityPage::CDDStabilityPage(QWidget* parent) : CDDDiagramPage(parent) {}
CDDStabilityPage::~CDDStabilityPage() = default;

void CDDStabilityPage::BuildPage(const char* line1Label, QPushButton* extraButton) {
    auto* top = new QGridLayout;
    m_pLine1 = MakeReadOnlyLine(this);
    m_pLine2 = MakeReadOnlyLine(this);
    AddLabelledRow(top, 0, line1Label, m_pLine1, this);
    AddLabelledRow(top, 1, "Stability", m_pLine2, this);
    top->setColumnStretch(1, 1);

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

void CDDStabilityPage::ReadControls() {
    if (!m_pLine1) return;
    m_strLine1 = FromQString(m_pLine1->text());
    m_strLine2 = FromQString(m_pLine2->text());
    m_strEnergy = FromQString(m_pEnergy->text());
    m_strResolution = FromQString(m_pResolution->text());
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
    ReadControls();
    if (CA1TimeSeries* series = m_pSeries) {
        series->m_pLog = m_pLog;
        const double energy = TypedEnergy();
        const double resolution = TypedResolution();
        if (m_pParams) {
            m_pParams->ElEnergykV = energy;
            m_pParams->TargetResAng = resolution;
            RunRefreshStep(*series, StepInputs(energy, resolution));
            if (m_pView) m_pView->Render(series);
            m_strLine2 = StateText(*series);
        }
    }
    WriteControls();
}
