#include "ui/TabTable.h"

#include "import/LogImport.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"

#include <algorithm>
#include <climits>
#include <limits>

std::vector<std::string> TabLabels(const CA1TimeSeries& series) {
    std::vector<std::string> labels{"Log Text", "A22-Time Graph"};
    if (HasCharFunc(series)) {
        labels.emplace_back("Charact. Func.");
        if (HasModel(series)) {
            labels.emplace_back("Fitted Model");
            labels.emplace_back("Prob. Plot");
        }
        labels.emplace_back("Summary");
    }
    return labels;
}

TabPage PageForTab(const CA1TimeSeries& series, int tab) {
    const bool model = series.ModelValid > 0;
    switch (tab) {
    case TAB_LOG_TEXT: return TabPage::LogText;
    case TAB_A22_TIME: return TabPage::A1Time;
    case TAB_CHAR_FUNC: return TabPage::CharFunc;
    case TAB_FITTED_MODEL: return model ? TabPage::Model : TabPage::Summary;
    case TAB_PROB_PLOT: return model ? TabPage::Probability : TabPage::None;
    case TAB_SUMMARY: return model ? TabPage::Summary : TabPage::None;
    default: return TabPage::None;
    }
}

int SummaryTab(const CA1TimeSeries& series) { return series.ModelValid > 0 ? TAB_SUMMARY : TAB_SUMMARY_NO_MODEL; }

bool ExportItemsEnabled(bool seriesSelected, int activeTab, int tabCount) {
    return seriesSelected && activeTab >= TAB_A22_TIME && (activeTab == TAB_A22_TIME || activeTab < tabCount - 1);
}

TabPage ExportPage(const CA1TimeSeries& series, int activeTab) {
    if (series.m_aSamples.empty()) return TabPage::None;
    switch (activeTab) {
    case TAB_A22_TIME: return TabPage::A1Time;
    case TAB_CHAR_FUNC: return HasCharFunc(series) ? TabPage::CharFunc : TabPage::None;
    case TAB_FITTED_MODEL: return HasModel(series) ? TabPage::Model : TabPage::None;
    case TAB_PROB_PLOT: return HasModel(series) ? TabPage::Probability : TabPage::None;
    default: return TabPage::None;
    }
}

MENUSTATE ComputeMenuState(const CA1TimeSeries* selected, int activeTab, int tabCount) {
    MENUSTATE state;
    if (!selected) return state;
    state.bExport = ExportItemsEnabled(true, activeTab, tabCount);
    state.bReExtract = true;
    state.bCharFunc = true;
    state.bFitModel = !selected->m_aCharFunc.empty();
    state.bProbPlot = state.bFitModel && HasModel(*selected);
    state.bSummary = state.bFitModel && HasCharFunc(*selected);
    return state;
}

std::string SeriesListLine(int number, const CA1TimeSeries& series) {
    // Time stamps come from files: their difference may not fit an int.
    const long long span64 = static_cast<long long>(series.m_nStopTime) - series.m_nStartTime;
    const int span = static_cast<int>(std::clamp<long long>(span64, INT_MIN, INT_MAX));
    const double lines = static_cast<double>(series.m_nDataLines);
    double rate;
    if (span64 != 0) rate = lines / static_cast<double>(span64);
    else if (lines > 0) rate = std::numeric_limits<double>::infinity();
    else if (lines < 0) rate = -std::numeric_limits<double>::infinity();
    else rate = std::numeric_limits<double>::quiet_NaN();
    return FormatText("#%.3d: %d samples, %d s (%.2f Hz)", number, series.m_nDataLines, span, rate);
}

std::string SeriesListTip(const CA1TimeSeries& series) {
    const LogFormatEntry* format = FindLogFormat(series.m_nImportType);
    return FormatText("File: %s\nLines: %d to %d\nType: %s", series.m_strSourceFile.c_str(), series.m_nFirstLine,
                      series.m_nLastLine, format ? format->szTitle : "unknown");
}
