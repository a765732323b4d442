// SPDX-License-Identifier: GPL-3.0-or-later
// The fill between two curves and the bands of the model and probability
// diagrams: filled inside the plot, under the curves, at every scale.

#include "plot/DiagramBand.h"
#include "eval/Lifetime.h"
#include "plot/DiagramContent.h"
#include "plot/FillBetween.h"
#include "series/A1TimeSeries.h"

#include "PlotTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr COLOR kFill = RGBColor(201, 202, 203);

// Data 0..100 on x map to pixel columns 10..110, data 0..10 on y to rows 60..10.
CURVESPEC UnitCurve() {
    CURVESPEC c;
    c.dCenterX = 50.0;
    c.dSpanX = 100.0;
    c.dCenterY = 5.0;
    c.dSpanY = 10.0;
    c.rcPlot = PLOTRECT{10, 10, 110, 60};
    return c;
}

}  // namespace

TEST(FillBetween, FillsThePixelsBetweenTheCurvesInsideThePlot) {
    CImage32 image;
    ASSERT_TRUE(image.Create(120, 70));
    const double xs[] = {0.0, 50.0, 100.0};
    const double lows[] = {2.0, 2.0, 2.0};   // row 50
    const double highs[] = {6.0, 6.0, 6.0};  // row 30
    FillBetweenCurves(image, UnitCurve(), 3, xs, lows, highs, kFill);
    // Rows whose centres lie within 30 .. 50, the 100 columns of the plot.
    EXPECT_EQ(CountIn(image, kFill, 10, 30, 109, 49), 100 * 20);
    EXPECT_EQ(CountIn(image, kFill, 0, 0, 119, 69), 100 * 20);

    // A high end above the plot is cut at its top; a NaN leaves a gap.
    ASSERT_TRUE(image.Create(120, 70));
    const double high2[] = {20.0, 20.0, 20.0};
    FillBetweenCurves(image, UnitCurve(), 3, xs, lows, high2, kFill);
    EXPECT_EQ(CountIn(image, kFill, 0, 0, 119, 69), 100 * 40);
    ASSERT_TRUE(image.Create(120, 70));
    const double lowGap[] = {2.0, std::nan(""), 2.0};
    FillBetweenCurves(image, UnitCurve(), 3, xs, lowGap, highs, kFill);
    EXPECT_EQ(CountIn(image, kFill, 0, 0, 119, 69), 0);
}

namespace {

struct BANDCASE {
    int type;
    double scale;
};

class DiagramBandCase : public ::testing::TestWithParam<BANDCASE> {};

void FillModel(CA1TimeSeries& s) {
    s.m_dImagePeriod = 2.0;
    s.FitDi = 0.05;
    s.FitDa = 0.2;
    s.FitTc = 30.0;
    s.FitS = 0.01;
    s.ModelValid = 1;
    s.CharFuncValid = 1;
    s.Tolerance = 2.0;
    const MODELPARAMS m = ModelParameters(s);
    for (int d = 1; d <= 300; ++d) {
        const double f = ModelFunction(m, d);
        s.m_aCharFunc.push_back(A1SAMPLE{d, 0.5 * f, 0.5 * f, 0, 0});
    }
    for (int i = 0; i < 10; ++i) s.m_aSamples.push_back(A1SAMPLE{i, 0.1 * i, -0.1 * i, 0, 0});
    s.ModelLifetime = 300.0;
}

}  // namespace

TEST_P(DiagramBandCase, BandIsFilledUnderTheCurvesAndOnlyInsideThePlot) {
    const BANDCASE c = GetParam();
    CA1TimeSeries series;
    FillModel(series);
    CA1Diagram plain, banded;
    const int w = static_cast<int>(800 * c.scale), h = static_cast<int>(500 * c.scale);
    ASSERT_TRUE(plain.Create(w, h, c.scale));
    ASSERT_TRUE(banded.Create(w, h, c.scale));
    plain.m_style.nDisplayType = banded.m_style.nDisplayType = c.type;
    // The band of three models: Di and Da times 0.8, 1 and 1.25.
    auto band = std::make_shared<DIAGRAMBAND>();
    const MODELPARAMS m = ModelParameters(series);
    const double t0 = series.m_dImagePeriod;
    band->evaluate = [m, t0](bool probability, double a, const std::vector<double>& times, std::vector<double>& lows,
                             std::vector<double>& highs) {
        for (double t : times) {
            double lo = HUGE_VAL, hi = -HUGE_VAL;
            for (double k : {0.8, 1.0, 1.25}) {
                MODELPARAMS r = m;
                r.Di *= k;
                r.Da *= k;
                const double tau = t / t0;
                const double v =
                    probability ? (tau == 0.0 ? 1.0 : StayProbability(r, tau, a * a)) : ModelFunction(r, tau);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            lows.push_back(lo);
            highs.push_back(hi);
        }
    };
    band->crFill = band->crFillP = kFill;
    banded.m_style.pBand = band;
    ASSERT_TRUE(plain.Render(&series));
    ASSERT_TRUE(banded.Render(&series));

    const COLOR curve = plain.m_style.crYMarker;
    const PLOTRECT& rc = plain.m_style.rcPlot;
    int curvePixels = 0, differOutside = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const COLOR a = plain.Image().GetPixel(x, y);
            const COLOR b = banded.Image().GetPixel(x, y);
            if (a == curve) {
                ++curvePixels;
                EXPECT_EQ(b, curve) << x << "," << y;  // the curve lies on the band
            }
            const bool inside = x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
            if (!inside && !(a == b)) ++differOutside;
        }
    }
    EXPECT_GT(curvePixels, 100);
    EXPECT_EQ(differOutside, 0);
    EXPECT_EQ(CountPixels(plain.Image(), kFill), 0);

    // In a column about a quarter across, the fill reaches above and below the curve.
    int x = w / 4, curveRow = -1;
    for (; x < w / 2 && curveRow < 0; ++x)
        for (int y = 0; y < h && curveRow < 0; ++y)
            if (plain.Image().GetPixel(x, y) == curve) curveRow = y;
    ASSERT_GE(curveRow, 0);
    --x;
    int above = 0, below = 0;
    for (int y = 0; y < h; ++y) {
        if (!(banded.Image().GetPixel(x, y) == kFill)) continue;
        (y < curveRow ? above : below) += 1;
    }
    EXPECT_GT(above, 0);
    EXPECT_GT(below, 0);
}

INSTANTIATE_TEST_SUITE_P(ModelAndProbability, DiagramBandCase,
                         ::testing::Values(BANDCASE{DISPLAY_MODEL, 1.0}, BANDCASE{DISPLAY_MODEL, 2.0},
                                           BANDCASE{DISPLAY_PROBABILITY, 1.0}, BANDCASE{DISPLAY_PROBABILITY, 1.5}),
                         [](const ::testing::TestParamInfo<BANDCASE>& info) {
                             return std::string(info.param.type == DISPLAY_MODEL ? "Model" : "Probability") +
                                    "AtScale" + std::to_string(static_cast<int>(info.param.scale * 10));
                         });
