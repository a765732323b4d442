// The tab, export and menu rules of the main window and the series list line.

#include "series/A1TimeSeries.h"
#include "ui/TabTable.h"

#include <gtest/gtest.h>

namespace {

CA1TimeSeries Series(int charFunc, int model, int samples = 3) {
    CA1TimeSeries series;
    series.CharFuncValid = charFunc;
    series.ModelValid = model;
    series.m_aSamples.resize(static_cast<std::size_t>(samples));
    if (charFunc > 0) series.m_aCharFunc.resize(4);
    return series;
}

}  // namespace

TEST(AppTabTable, TabsAndPagesForEachEvaluationState) {
    const CA1TimeSeries plain = Series(0, 0);
    EXPECT_EQ(TabLabels(plain), (std::vector<std::string>{"Log Text", "A22-Time Graph"}));

    const CA1TimeSeries direct = Series(1, 0);
    EXPECT_EQ(TabLabels(direct), (std::vector<std::string>{"Log Text", "A22-Time Graph", "Charact. Func.", "Summary"}));
    EXPECT_EQ(PageForTab(direct, 3), TabPage::Summary);
    EXPECT_EQ(PageForTab(direct, 4), TabPage::None);
    EXPECT_EQ(SummaryTab(direct), 3);

    const CA1TimeSeries fitted = Series(1, 1);
    EXPECT_EQ(TabLabels(fitted), (std::vector<std::string>{"Log Text", "A22-Time Graph", "Charact. Func.",
                                                           "Fitted Model", "Prob. Plot", "Summary"}));
    const TabPage pages[] = {TabPage::LogText, TabPage::A1Time,      TabPage::CharFunc,
                             TabPage::Model,   TabPage::Probability, TabPage::Summary};
    for (int tab = 0; tab < 6; ++tab) EXPECT_EQ(PageForTab(fitted, tab), pages[tab]) << tab;
    EXPECT_EQ(PageForTab(fitted, 6), TabPage::None);
    EXPECT_EQ(PageForTab(fitted, -1), TabPage::None);
    EXPECT_EQ(SummaryTab(fitted), 5);

    // A model flag without a characteristic function adds no tabs.
    EXPECT_EQ(TabLabels(Series(0, 1)).size(), 2u);
}

TEST(AppTabTable, ExportRuleNeverOnLogTextOrSummary) {
    EXPECT_FALSE(ExportItemsEnabled(false, 1, 2));
    EXPECT_FALSE(ExportItemsEnabled(true, 0, 2));
    EXPECT_TRUE(ExportItemsEnabled(true, 1, 2));  // the last tab, but tab 1
    EXPECT_TRUE(ExportItemsEnabled(true, 2, 4));
    EXPECT_FALSE(ExportItemsEnabled(true, 3, 4));  // Summary
    EXPECT_TRUE(ExportItemsEnabled(true, 4, 6));
    EXPECT_FALSE(ExportItemsEnabled(true, 5, 6));
    EXPECT_FALSE(ExportItemsEnabled(true, -1, 0));

    EXPECT_EQ(ExportPage(Series(1, 1), 1), TabPage::A1Time);
    EXPECT_EQ(ExportPage(Series(1, 1), 3), TabPage::Model);
    EXPECT_EQ(ExportPage(Series(1, 1), 4), TabPage::Probability);
    EXPECT_EQ(ExportPage(Series(1, 0), 3), TabPage::None);
    EXPECT_EQ(ExportPage(Series(0, 0), 2), TabPage::None);
    EXPECT_EQ(ExportPage(Series(1, 1, 0), 1), TabPage::None);  // no samples
}

TEST(AppTabTable, MenuStateNeedsSeriesAndEvaluation) {
    const MENUSTATE none = ComputeMenuState(nullptr, -1, 0);
    EXPECT_FALSE(none.bExport || none.bReExtract || none.bCharFunc || none.bFitModel || none.bProbPlot ||
                 none.bSummary);

    const CA1TimeSeries plain = Series(0, 0);
    const MENUSTATE p = ComputeMenuState(&plain, 1, 2);
    EXPECT_TRUE(p.bExport && p.bReExtract && p.bCharFunc);
    EXPECT_FALSE(p.bFitModel || p.bProbPlot || p.bSummary);

    const CA1TimeSeries direct = Series(1, 0);
    const MENUSTATE d = ComputeMenuState(&direct, 3, 4);
    EXPECT_FALSE(d.bExport);
    EXPECT_TRUE(d.bFitModel && d.bSummary);
    EXPECT_FALSE(d.bProbPlot);

    const CA1TimeSeries fitted = Series(1, 1);
    EXPECT_TRUE(ComputeMenuState(&fitted, 4, 6).bProbPlot);

    // Points left from an earlier evaluation but the flag cleared.
    CA1TimeSeries stale = Series(0, 0);
    stale.m_aCharFunc.resize(3);
    const MENUSTATE s = ComputeMenuState(&stale, 1, 2);
    EXPECT_TRUE(s.bFitModel);
    EXPECT_FALSE(s.bSummary);
}

TEST(AppTabTable, SeriesListLine) {
    CA1TimeSeries series;
    series.m_nDataLines = 120;
    series.m_nStartTime = 1000;
    series.m_nStopTime = 1240;
    EXPECT_EQ(SeriesListLine(1, series), "#001: 120 samples, 240 s (0.50 Hz)");
    EXPECT_EQ(SeriesListLine(1234, series), "#1234: 120 samples, 240 s (0.50 Hz)");

    // Stop time equal to the start time: a non-finite frequency, no crash.
    series.m_nStopTime = series.m_nStartTime;
    EXPECT_EQ(SeriesListLine(2, series), "#002: 120 samples, 0 s (inf Hz)");
    series.m_nDataLines = 0;
    EXPECT_EQ(SeriesListLine(3, series), "#003: 0 samples, 0 s (nan Hz)");

    // Time stamps far apart do not overflow.
    series.m_nDataLines = 2;
    series.m_nStartTime = -2000000000;
    series.m_nStopTime = 2000000000;
    EXPECT_EQ(SeriesListLine(4, series).substr(0, 18), "#004: 2 samples, 2");
}
