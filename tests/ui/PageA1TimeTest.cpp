// The A22-time page: statistics, display choice, rotation input, re-extraction
// and the step to the characteristic function.

#include "PageTestSupport.h"

#include "FakeDialogs.h"
#include "eval/Lifetime.h"
#include "files/MainParameters.h"
#include "plot/DiagramContent.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DiagramView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

class PageA1Time : public CQtTestApp, public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        m_page.m_pLog = &m_log;
        m_page.m_pParams = &m_params;
        m_page.m_pHost = &m_host;
        m_page.m_pDialogs = &m_dialogs;
        m_page.SetDisplayType(1);
        m_page.Initialize();
        m_page.show();
    }

    CRecordingLog m_log;
    CMainParameters m_params;
    CFakePageHost m_host;
    CFakeDialogs m_dialogs;
    CDDA1TimeDiagramDlg m_page;
};

// A series with the given samples (image numbers 1 ... n).
CA1TimeSeries SeriesOf(const std::vector<std::pair<double, double>>& xy) {
    CA1TimeSeries series;
    int i = 0;
    for (auto [x, y] : xy) {
        A1SAMPLE s;
        s.nIndex = ++i;
        s.dX = x;
        s.dY = y;
        series.m_aSamples.push_back(s);
    }
    series.m_dImagePeriod = 1.0;
    return series;
}

TEST_F(PageA1Time, WithoutSeriesShowsNoData) {
    m_page.UpdatePage(nullptr);
    EXPECT_EQ(Utf8(m_page.Line1Edit()->text()), "No data");
    EXPECT_TRUE(m_page.Line2Edit()->text().isEmpty());
    EXPECT_EQ(m_page.Series(), nullptr);
    // The buttons do nothing without a series.
    m_page.OnReExtract();
    m_page.OnCharFunc();
    EXPECT_EQ(m_host.m_nRebuilds, 0);
}

TEST_F(PageA1Time, StatisticsOfCorrelatedSamples) {
    CA1TimeSeries series = SeriesOf({{1, 2}, {2, 4}, {3, 5}, {4, 9}});
    series.m_dRotation = 10.0;
    series.m_nMirror = -1;
    m_page.UpdatePage(&series);

    double mx, my, vx, cxy, vy;
    series.GetMean(0.0, mx, my);
    series.GetMoments(mx, my, 0.0, vx, cxy, vy);
    EXPECT_EQ(Utf8(m_page.Line1Edit()->text()),
              FormatText("(A22x,A22y) Avg: (%.2f, %.2f) nm, SDev: (%.2f, %.2f) nm, x-y-corr: %.3f", mx, my,
                         std::sqrt(vx), std::sqrt(vy), cxy / std::sqrt(vx * vy)));
    EXPECT_EQ(Utf8(m_page.Line1Edit()->text()).rfind("(A22x,A22y) Avg: (2.50, 5.00) nm, SDev: (1.12, 2.55) nm", 0), 0u);
    double rMin = 0.0, angle = 0.0;
    ASSERT_TRUE(series.FindMinCorrelation(-44.9, 45.0, rMin, angle));
    // The total rotation: the one of the extraction plus the search angle.
    EXPECT_EQ(Utf8(m_page.Line2Edit()->text()),
              FormatText("Minimum correlation with %.1f deg rotation (%.3f).", 10.0 + angle, rMin));
    EXPECT_EQ(Utf8(m_page.RotationEdit()->text()), "10");
    EXPECT_TRUE(m_page.MirrorCheck()->isChecked());
    EXPECT_EQ(series.m_pLog, &m_log);
}

TEST_F(PageA1Time, StatisticsWithoutVariation) {
    CA1TimeSeries single = SeriesOf({{1.5, -0.25}});
    m_page.UpdatePage(&single);
    EXPECT_EQ(Utf8(m_page.Line1Edit()->text()), "Avg. (A22x,A22y): (1.50, -0.25) nm, SDev: (0.00, 0.00) nm");
    EXPECT_TRUE(m_page.Line2Edit()->text().isEmpty());

    CA1TimeSeries empty;
    m_page.UpdatePage(&empty);
    EXPECT_EQ(Utf8(m_page.Line1Edit()->text()), "Avg. (A22x,A22y): (0.00, 0.00) nm, SDev: (0.00, 0.00) nm");
}

TEST_F(PageA1Time, PerfectlyCorrelatedSamplesGiveASensibleLine) {
    // Two samples are perfectly correlated at every angle; whether rounding
    // lets one angle fall below 1 or not, the line must say something sane.
    CA1TimeSeries two = SeriesOf({{0, 0}, {1, 1}});
    m_page.UpdatePage(&two);
    double rMin = 0.0, angle = 0.0;
    if (two.FindMinCorrelation(-44.9, 45.0, rMin, angle))
        EXPECT_EQ(Utf8(m_page.Line2Edit()->text()),
                  FormatText("Minimum correlation with %.1f deg rotation (%.3f).", angle, rMin));
    else EXPECT_EQ(Utf8(m_page.Line2Edit()->text()), "No rotation of minimum correlation found.");
}

TEST_F(PageA1Time, RotationIsWrittenWithFifteenDigits) {
    CA1TimeSeries series = SeriesOf({{1, 2}, {2, 1}, {3, 3}});
    series.m_dRotation = 1.0 / 3.0;
    m_page.UpdatePage(&series);
    EXPECT_EQ(Utf8(m_page.RotationEdit()->text()), "0.333333333333333");
    series.m_dRotation = 1e-7;
    m_page.UpdatePage(&series);
    EXPECT_EQ(Utf8(m_page.RotationEdit()->text()), "1e-007");
}

TEST_F(PageA1Time, UnparsableRotationKeepsThePreviousValue) {
    CA1TimeSeries series = SeriesOf({{1, 2}, {2, 1}, {3, 3}});
    series.m_dRotation = 12.5;
    m_page.UpdatePage(&series);

    m_page.MirrorCheck()->setChecked(true);
    m_page.RotationEdit()->setText("abc");
    EXPECT_FALSE(m_page.ReadControls());
    ASSERT_EQ(m_dialogs.m_messages.size(), 1u);
    EXPECT_EQ(m_dialogs.m_messages[0].text, "Enter a number.");
    EXPECT_DOUBLE_EQ(m_page.m_dRotationDeg, 12.5);
    // The controls before the rotation have been read.
    EXPECT_EQ(m_page.m_bMirrorY, 1);

    for (const char* bad : {"", "  ", "-", ".", "1e999", "inf", "nan", "0x10"}) {
        m_page.RotationEdit()->setText(bad);
        if (std::string(bad) == "0x10") {
            // A leading decimal number is taken, as the reading always did.
            EXPECT_TRUE(m_page.ReadControls()) << bad;
            EXPECT_DOUBLE_EQ(m_page.m_dRotationDeg, 0.0);
            m_page.m_dRotationDeg = 12.5;
        } else {
            EXPECT_FALSE(m_page.ReadControls()) << bad;
            EXPECT_DOUBLE_EQ(m_page.m_dRotationDeg, 12.5) << bad;
        }
    }

    m_page.RotationEdit()->setText(" -7.25 ");
    EXPECT_TRUE(m_page.ReadControls());
    EXPECT_DOUBLE_EQ(m_page.m_dRotationDeg, -7.25);
}

TEST_F(PageA1Time, DisplayChoiceSetsTheDiagramType) {
    EXPECT_EQ(m_page.DisplayType(), 1);
    EXPECT_EQ(m_page.View()->Diagram()->m_style.nDisplayType, 1);
    std::vector<CA1TimeSeries> list;
    ImportGenerated(list, 200, 2);
    m_page.UpdatePage(&list.front());

    m_page.DisplayCombo()->setCurrentIndex(1);  // "A22 (2D)"
    EXPECT_EQ(m_page.DisplayType(), 2);
    EXPECT_EQ(m_page.View()->Diagram()->m_style.nDisplayType, 2);
    EXPECT_EQ(Utf8(m_page.DisplayCombo()->itemText(0)), "A22-Time");
    EXPECT_EQ(Utf8(m_page.DisplayCombo()->itemText(1)), "A22 (2D)");

    CDDA1TimeDiagramDlg second;
    second.SetDisplayType(2);
    second.Initialize();
    EXPECT_EQ(second.DisplayCombo()->currentIndex(), 1);
    EXPECT_EQ(second.View()->Diagram()->m_style.nDisplayType, 2);
    // A value of its own shows the time graph and is kept until the user picks a display.
    second.SetDisplayType(2147483648LL);
    EXPECT_EQ(second.DisplayCombo()->currentIndex(), 0);
    EXPECT_EQ(second.View()->Diagram()->m_style.nDisplayType, 1);
    EXPECT_TRUE(second.ReadControls());
    EXPECT_EQ(second.DisplayType(), 2147483648LL);
    second.DisplayCombo()->setCurrentIndex(1);
    EXPECT_TRUE(second.ReadControls());
    EXPECT_EQ(second.DisplayType(), 2);
}

TEST_F(PageA1Time, ReExtractUsesMirrorAndRotationAndClearsTheEvaluation) {
    std::vector<CA1TimeSeries> list;
    ImportGenerated(list, 300, 2);
    CA1TimeSeries& series = list.front();
    m_page.UpdatePage(&series);
    const A1SAMPLE before = series.m_aSamples.at(5);

    m_page.OnCharFunc();
    ASSERT_EQ(series.CharFuncValid, 1);
    ASSERT_EQ(m_host.m_nRebuilds, 1);

    m_page.MirrorCheck()->setChecked(true);
    m_page.RotationEdit()->setText("90");
    m_page.ReExtractButton()->click();

    EXPECT_EQ(m_host.m_nRebuilds, 2);
    EXPECT_EQ(series.CharFuncValid, 0);
    EXPECT_EQ(series.ModelValid, 0);
    EXPECT_TRUE(series.m_aCharFunc.empty());
    EXPECT_EQ(series.m_nCurrentTab, 1);
    EXPECT_EQ(series.m_nMirror, -1);
    EXPECT_DOUBLE_EQ(series.m_dRotation, 90.0);
    // Rotated by 90 degrees, then y mirrored: (x, y) -> (-y, -x).
    const A1SAMPLE& after = series.m_aSamples.at(5);
    EXPECT_NEAR(after.dX, -before.dY, 1e-9);
    EXPECT_NEAR(after.dY, -before.dX, 1e-9);
    EXPECT_EQ(Utf8(m_page.RotationEdit()->text()), "90");
    EXPECT_TRUE(m_page.MirrorCheck()->isChecked());
}

TEST_F(PageA1Time, CharacteristicFunctionStoresInputsAndMovesToItsTab) {
    std::vector<CA1TimeSeries> list;
    ImportGenerated(list, 600, 2);
    CA1TimeSeries& series = list.front();
    m_page.UpdatePage(&series);
    m_params.MinDiversity = 20;
    m_params.ElEnergykV = 200.0;
    m_params.TargetResAng = 1.5;
    m_params.LimitPhase = 0.2;
    int tabAtRebuild = -1;
    m_host.m_onRebuild = [&] { tabAtRebuild = series.m_nCurrentTab; };

    m_page.CharFuncButton()->click();

    EXPECT_EQ(series.CharFuncValid, 1);
    EXPECT_EQ(series.UsedMinDiversity, 20);
    EXPECT_EQ(tabAtRebuild, 2);
    EXPECT_DOUBLE_EQ(series.Tolerance, ComputeTolerance(200.0, 1.5, 0.2));
    EXPECT_NE(series.LifetimeState, 0);
    EXPECT_DOUBLE_EQ(series.UsedElEnergykV, 200.0);
    EXPECT_DOUBLE_EQ(series.UsedTargetResAng, 1.5);
    EXPECT_DOUBLE_EQ(series.UsedLimitPhase, 0.2);
    EXPECT_TRUE(m_log.Has("The characteristic function was extracted successfully."));
}

TEST_F(PageA1Time, CharacteristicFunctionOfATooShortSeriesStaysOnThePage) {
    std::vector<CA1TimeSeries> list;
    ImportGenerated(list, 50, 2);
    m_page.UpdatePage(&list.front());
    m_page.OnCharFunc();
    EXPECT_EQ(list.front().CharFuncValid, 0);
    EXPECT_EQ(m_host.m_nRebuilds, 0);
    EXPECT_TRUE(m_log.Has("ERROR: The recorded series is too short. Record more images!"));
}

}  // namespace
