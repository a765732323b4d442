#include "ui/pages/DDA1TimeDiagramDlg.h"

#include "eval/EvalSteps.h"
#include "eval/Lifetime.h"
#include "files/DataExports.h"
#include "files/MainParameters.h"
#include "import/ATLASStabImport.h"
#include "import/C1A1Import.h"
#include "platform/Dialogs.h"
#include "plot/DiagramContent.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "text/Parse.h"
#include "ui/IntervalsKeeper.h"
#include "ui/SeriesJob.h"
#include "ui/pages/DiagramView.h"
#include "ui/pages/PageLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

int DisplayChoiceOfType(long long displayType) { return displayType == DISPLAY_A22_2D ? 1 : 0; }
int DisplayTypeOfChoice(int choice) { return DISPLAY_A22_TIME + choice; }
// The loaded value + 1 or the user's choice 1 or 2: back in int range.
long long DisplayValueOfStored(int stored) { return static_cast<long long>(stored) + DISPLAY_A22_TIME; }
int StoredOfDisplayValue(long long displayValue) { return static_cast<int>(displayValue - DISPLAY_A22_TIME); }

CDDA1TimeDiagramDlg::CDDA1TimeDiagramDlg(QWidget* parent) : CDDDiagramPage(parent) {}
CDDA1TimeDiagramDlg::~CDDA1TimeDiagramDlg() = default;

void CDDA1TimeDiagramDlg::SetDisplayType(long long nDisplayType) {
    m_nDisplayValue = nDisplayType;
    m_nDisplayChoice = DisplayChoiceOfType(nDisplayType);
    if (!m_pView) return;
    m_pView->Diagram()->m_style.nDisplayType = DisplayTypeOfChoice(m_nDisplayChoice);
    const QSignalBlocker block(m_pDisplay);
    m_pDisplay->setCurrentIndex(m_nDisplayChoice);
}

void CDDA1TimeDiagramDlg::Initialize() {
    if (m_pView) return;
    auto* top = new QGridLayout;
    m_pLine1 = MakeReadOnlyLine(this);
    m_pLine2 = MakeReadOnlyLine(this);
    AddLabelledRow(top, 0, "Series statistics:", m_pLine1, this);
    top->addWidget(m_pLine2, 1, 1);
    m_pLine2->setAccessibleName("Series statistics");
    top->setColumnStretch(1, 1);

    MakeDiagramView();
    m_pView->Diagram()->m_style.nDisplayType = DisplayTypeOfChoice(m_nDisplayChoice);

    auto* display = new QGroupBox("Display", this);
    m_pDisplay = new QComboBox(display);
    m_pDisplay->addItems({"A22-Time", "A22 (2D)"});
    m_pDisplay->setAccessibleName(display->title());
    auto* displayLayout = new QVBoxLayout(display);
    displayLayout->addWidget(m_pDisplay);

    auto* import = new QGroupBox("Import", this);
    m_pRotation = new QLineEdit(import);
    m_pMirror = new QCheckBox("Mirror &Y", import);
    m_pReExtract = new QPushButton("&Re-Extract", import);
    auto* rotationLabel = new QLabel("R&otation (deg)", import);
    rotationLabel->setBuddy(m_pRotation);
    auto* importLayout = new QVBoxLayout(import);
    importLayout->addWidget(rotationLabel);
    importLayout->addWidget(m_pRotation);
    importLayout->addWidget(m_pMirror);
    importLayout->addWidget(m_pReExtract);

    m_pCharFunc = new QPushButton("&Charact.\nFunction...", this);
    m_pCharFunc->setMinimumHeight(2 * m_pReExtract->sizeHint().height());

    auto* side = new QVBoxLayout;
    side->addWidget(display);
    side->addWidget(import);
    side->addStretch(1);
    side->addWidget(m_pCharFunc);

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_pView, 1);
    middle->addLayout(side);

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addLayout(middle, 1);

    connect(m_pReExtract, &QPushButton::clicked, this, &CDDA1TimeDiagramDlg::OnReExtract);
    connect(m_pCharFunc, &QPushButton::clicked, this, &CDDA1TimeDiagramDlg::OnCharFunc);
    // Enter in the rotation field re-extracts with the typed angle.
    connect(m_pRotation, &QLineEdit::returnPressed, this, &CDDA1TimeDiagramDlg::OnReExtract);
    connect(m_pDisplay, &QComboBox::currentIndexChanged, this, &CDDA1TimeDiagramDlg::OnDisplayChange);
    WriteControls();
}

bool CDDA1TimeDiagramDlg::ReadControls() {
    if (!m_pView) return true;
    m_bMirrorY = m_pMirror->isChecked() ? 1 : 0;
    const int choice = m_pDisplay->currentIndex() == 1 ? 1 : 0;
    if (choice != m_nDisplayChoice)
        m_nDisplayValue = DisplayTypeOfChoice(choice);  // a value of its own stays until changed
    m_nDisplayChoice = choice;
    m_pView->Diagram()->m_style.nDisplayType = DisplayTypeOfChoice(m_nDisplayChoice);
    m_strLine2 = FromQString(m_pLine2->text());
    m_strLine1 = FromQString(m_pLine1->text());

    // The rotation must be a finite decimal number; anything else keeps the
    // previous value (an infinite angle would spoil every extracted sample).
    const std::string text = FromQString(m_pRotation->text());
    const double value = HasLeadingNumber(text) ? ReadLeadingDouble(text) : 0.0;
    if (!HasLeadingNumber(text) || !std::isfinite(value)) {
        if (m_pDialogs) m_pDialogs->Message(DialogOwner(), "Enter a number.", "Driftwise", MessageIcon::Warning);
        m_pRotation->setFocus();
        return false;
    }
    m_dRotationDeg = value;
    return true;
}

void CDDA1TimeDiagramDlg::WriteControls() {
    if (!m_pView) return;
    m_pMirror->setChecked(m_bMirrorY != 0);
    {
        const QSignalBlocker block(m_pDisplay);
        m_pDisplay->setCurrentIndex(DisplayChoiceOfType(m_pView->Diagram()->m_style.nDisplayType));
    }
    m_pLine2->setText(ToQString(m_strLine2));
    m_pLine2->setCursorPosition(0);
    m_pLine1->setText(ToQString(m_strLine1));
    m_pLine1->setCursorPosition(0);
    m_pRotation->setText(ToQString(FormatText("%.*g", 15, m_dRotationDeg)));
}

void CDDA1TimeDiagramDlg::UpdatePage(CA1TimeSeries* series) {
    if (!series) {
        m_pSeries = nullptr;
        m_strLine2.clear();
        m_strLine1 = "No data";
        WriteControls();
        return;
    }
    if (m_pView) m_pView->Render(series);
    m_dRotationDeg = series->m_dRotation;
    m_bMirrorY = series->m_nMirror == -1 ? 1 : 0;
    ComputeStatistics(*series);
    m_pSeries = series;
    series->m_pLog = m_pLog;
    WriteControls();
}

void CDDA1TimeDiagramDlg::ComputeStatistics(const CA1TimeSeries& series) {
    double meanX = 0.0, meanY = 0.0, varX = 0.0, covXY = 0.0, varY = 0.0;
    series.GetMean(0.0, meanX, meanY);
    series.GetMoments(meanX, meanY, 0.0, varX, covXY, varY);
    const double d = std::sqrt(varX * varY);
    if (d > 0.0) {
        m_strLine1 = FormatText("(A22x,A22y) Avg: (%.2f, %.2f) nm, SDev: (%.2f, %.2f) nm, x-y-corr: %.3f", meanX, meanY,
                                std::sqrt(varX), std::sqrt(varY), covXY / d);
        double rMin = 0.0, angle = 0.0;
        if (series.FindMinCorrelation(-44.9, 45.0, rMin, angle))
            m_strLine2 =
                FormatText("Minimum correlation with %.1f deg rotation (%.3f).", series.m_dRotation + angle, rMin);
        else m_strLine2 = "No rotation of minimum correlation found.";
    } else {
        m_strLine1 = FormatText("Avg. (A22x,A22y): (%.2f, %.2f) nm, SDev: (%.2f, %.2f) nm", meanX, meanY,
                                std::sqrt(varX), std::sqrt(varY));
        m_strLine2.clear();
    }
}

void CDDA1TimeDiagramDlg::OnReExtract() {
    if (RunnerBusy()) return;
    ReadControls();
    if (CA1TimeSeries* series = m_pSeries) {
        const int sign = m_bMirrorY ? -1 : 1;
        series->m_pLog = m_pLog;
        ForgetSeriesIntervals(m_pHost, *series);
        if (series->m_nImportType == IMPORT_C1A1) ExtractC1A1(*series, sign, m_dRotationDeg);
        else if (series->m_nImportType == IMPORT_ATLAS) ExtractATLASStab(*series, sign, m_dRotationDeg);
        if (m_pHost) m_pHost->RebuildTabs();
        UpdatePage(series);
    }
    WriteControls();
}

void CDDA1TimeDiagramDlg::OnDisplayChange() {
    ReadControls();
    UpdatePage(m_pSeries);
    WriteControls();
}

void CDDA1TimeDiagramDlg::OnCharFunc() {
    if (RunnerBusy()) return;
    ReadControls();
    if (CA1TimeSeries* series = m_pSeries; series && m_pParams) {
        series->m_pLog = m_pLog;
        const bool hadResults = series->CharFuncValid > 0 || series->ModelValid > 0 || !series->m_aCharFunc.empty();
        ForgetSeriesIntervals(m_pHost, *series);
        const EVALINPUTS inputs = ParameterEvalInputs();
        RunSeriesStep(
            Runner(), *series, "Evaluating the characteristic function",
            [inputs](CA1TimeSeries& copy) { return RunCharFuncStep(copy, inputs); },
            [this, hadResults](CA1TimeSeries& done, bool valid) {
                if (valid) {
                    done.m_nCurrentTab = TAB_CHAR_FUNC;
                    if (m_pHost) m_pHost->RebuildTabs();
                } else if (hadResults && done.CharFuncValid <= 0 && m_pHost) {
                    // A run that failed after clearing the old results: the
                    // tabs that showed them go.
                    m_pHost->RebuildTabs();
                }
                WriteControls();
            });
    }
    WriteControls();
}

void CDDA1TimeDiagramDlg::OnExportTable() {
    ExportTable(&SaveA1TimeTable, "Astigmatism-time data table saved to file [");
}

void CDDA1TimeDiagramDlg::OnExportBinary() {
    ExportBinary(&SaveA1TimeData, "Binary astigmatism-time data saved to file [");
}
