#pragma once
// The rules of the main window's tab row and menu, apart from any widget:
// which tabs a series has, which page a tab shows, when the File menu's
// export items apply and which Analyze items are enabled. Also the line of
// a series in the series list.

#include <string>
#include <vector>

class CA1TimeSeries;

// The six tab pages of the main window.
enum class TabPage { None, LogText, A1Time, CharFunc, Model, Probability, Summary };

// Tab labels of the series, in index order ("Log Text", "A22-Time Graph",
// then "Charact. Func.", "Fitted Model", "Prob. Plot" and "Summary" as the
// evaluation allows).
std::vector<std::string> TabLabels(const CA1TimeSeries& series);

// The page shown for tab index `tab` of the series (TabPage::None when the
// index shows nothing).
TabPage PageForTab(const CA1TimeSeries& series, int tab);

// The tab "Evaluation Summary" activates: TAB_SUMMARY with a model, else
// TAB_SUMMARY_NO_MODEL.
int SummaryTab(const CA1TimeSeries& series);

// The export items of the File menu apply: a series is selected, the active
// tab is a diagram tab (never "Log Text", never the last tab "Summary").
bool ExportItemsEnabled(bool seriesSelected, int activeTab, int tabCount);

// The diagram page a File menu export goes to for the active tab, or
// TabPage::None when the series has no data or the tab has no export.
TabPage ExportPage(const CA1TimeSeries& series, int activeTab);

// Enabled states of the menu items that depend on the selection.
struct MENUSTATE {
    bool bExport = false;     // Export Image / Data Table / Binary Data
    bool bReExtract = false;  // Re-Extract Data
    bool bCharFunc = false;   // Evaluate Characteristic Function
    bool bFitModel = false;   // Fit Model
    bool bProbPlot = false;   // Probability Plot
    bool bSummary = false;    // Evaluation Summary
};
// selected: the selected series or null; activeTab and tabCount: the tab row.
MENUSTATE ComputeMenuState(const CA1TimeSeries* selected, int activeTab, int tabCount);

// "#%.3d: %d samples, %d s (%.2f Hz)" for the series at 1-based number.
std::string SeriesListLine(int number, const CA1TimeSeries& series);

// The tooltip of a series list entry: where the series came from (file,
// line range, import type), one item a line.
std::string SeriesListTip(const CA1TimeSeries& series);
