#include "ui/pages/DDCFuncDiagramDlg.h"

#include "eval/EvalSteps.h"
#include "eval/Lifetime.h"
#include "eval/ModelFit.h"
#include "files/DataExports.h"
#include "files/MainParameters.h"
#include "plot/DiagramContent.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "ui/IntervalsKeeper.h"
#include "ui/SeriesJob.h"
#include "ui/pages/DiagramView.h"

#include <QPushButton>

#include <algorithm>

CDDCFuncDiagramDlg::CDDCFuncDiagramDlg(QWidget* parent) : CDDStabilityPage(parent), m_seedSource(&SeedFromUtcClock) {}
CDDCFuncDiagramDlg::~CDDCFuncDiagramDlg() = default;

void CDDCFuncDiagramDlg::Initialize() {
    if (m_pView) return;
    FillInputsFromParameters();
    m_pFitModel = new QPushButton("Fit &Model", this);
    BuildPage("Charact. function", m_pFitModel);
    m_pView->Diagram()->m_style.nDisplayType = DISPLAY_CHAR_FUNC;
    connect(m_pFitModel, &QPushButton::clicked, this, &CDDCFuncDiagramDlg::OnFitModel);
    WriteControls();
}

std::string CDDCFuncDiagramDlg::StateText(const CA1TimeSeries& series) const { return DirectStateText(series); }

void CDDCFuncDiagramDlg::UpdatePage(CA1TimeSeries* series) {
    FillInputsFromParameters();
    if (series) {
        m_pSeries = series;
        series->m_pLog = m_pLog;
        if (m_pView) m_pView->Render(series);
        if (!series->m_aCharFunc.empty() && HasCharFunc(*series)) {
            int longest = 0;
            for (const A1SAMPLE& point : series->m_aCharFunc) longest = std::max(longest, point.nIndex);
            m_strLine1 = FormatText("%d data points, max. timespan: %.1f s, extrapolated measurement error: %.3f nm",
                                    static_cast<int>(series->m_aCharFunc.size()), longest * series->m_dImagePeriod,
                                    series->MeasErr);
            m_strLine2 = DirectStateText(*series);
        }
    } else {
        m_pSeries = nullptr;
        m_strLine1 = "No data.";
        m_strLine2.clear();
    }
    WriteControls();
}

void CDDCFuncDiagramDlg::OnFitModel() {
    if (RunnerBusy()) return;
    ReadControls();
    if (CA1TimeSeries* series = m_pSeries) {
        series->m_pLog = m_pLog;
        const double energy = TypedEnergy();
        const double resolution = TypedResolution();
        if (m_pParams) {
            m_pParams->ElEnergykV = energy;
            m_pParams->TargetResAng = resolution;
            EVALINPUTS inputs = StepInputs(energy, resolution);
            inputs.nSeed = m_seedSource ? m_seedSource() : SeedFromUtcClock();
            ForgetSeriesIntervals(m_pHost, *series);
            RunSeriesStep(
                Runner(), *series, "Fitting the model",
                [inputs](CA1TimeSeries& copy) {
                    RunModelFitStep(copy, inputs, FitStepStart::DirectLifetimeFirst);
                    return true;
                },
                [this](CA1TimeSeries& done, bool) {
                    done.m_nCurrentTab = TAB_FITTED_MODEL;
                    if (m_pHost) m_pHost->RebuildTabs();
                    WriteControls();
                });
        }
    }
    WriteControls();
}

void CDDCFuncDiagramDlg::OnExportTable() {
    ExportTable(&SaveCharFuncTable, "Characteristic function data table saved to file [");
}

void CDDCFuncDiagramDlg::OnExportBinary() {
    ExportBinary(&SaveCharFuncData, "Binary characteristic data saved to file [");
}
