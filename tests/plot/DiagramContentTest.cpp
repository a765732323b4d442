#include "plot/DiagramContent.h"

#include "eval/Lifetime.h"
#include "plot/DiagramWnd.h"
#include "series/A1TimeSeries.h"

#include "FakeTextRenderer.h"
#include "PlotTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr COLOR kFrame = RGBColor(0, 99, 0);
constexpr COLOR kGuide = RGBColor(0, 150, 0);
constexpr COLOR kBand = RGBColor(80, 110, 220);

class Diagram : public ::testing::Test {
protected:
    void SetUp() override { Make(800, 500); }
    void Make(int width, int height) {
        wnd = CA1Diagram(&text);
        ASSERT_TRUE(wnd.Create(width, height));
        wnd.m_style.crFrame = kFrame;
        wnd.m_style.crLifetimeMarker = kGuide;
    }
    bool Render(int type) {
        text.m_aTexts.clear();
        wnd.m_style.nDisplayType = type;
        return wnd.Render(&series);
    }
    COLOR At(int x, int y) const { return wnd.Image().GetPixel(x, y); }
    int Count(COLOR c) const { return CountPixels(wnd.Image(), c); }

    // Both rings of the 2-pixel frame around (l, t, r, b).
    void ExpectFrame(int l, int t, int r, int b) {
        int wrong = 0;
        for (int x = l - 1; x <= r + 1; ++x) {
            wrong += At(x, t - 1) != kFrame;
            wrong += At(x, b + 1) != kFrame;
            if (x >= l && x <= r) {
                wrong += At(x, t) != kFrame;
                wrong += At(x, b) != kFrame;
            }
        }
        for (int y = t - 1; y <= b + 1; ++y) {
            wrong += At(l - 1, y) != kFrame;
            wrong += At(r + 1, y) != kFrame;
            if (y >= t && y <= b) {
                wrong += At(l, y) != kFrame;
                wrong += At(r, y) != kFrame;
            }
        }
        EXPECT_EQ(wrong, 0) << "frame " << l << "," << t << "," << r << "," << b;
        // Just inside and outside: not frame (ticks only leave the frame outwards on some rows).
        EXPECT_NE(At((l + r) / 2, t + 1), kFrame);
        EXPECT_NE(At((l + r) / 2, t - 2), kFrame);
    }

    // Samples 0 .. n-1 at t0 = 1 s, A22-x from -1 to 1 nm and A22-y from 20 to 30 nm.
    void FillSamples(int n) {
        series.m_aSamples.clear();
        for (int i = 0; i < n; ++i) {
            const double u = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
            series.m_aSamples.push_back(A1SAMPLE{i, -1.0 + 2.0 * u * u, 20.0 + 10.0 * std::sqrt(u), 0, 0});
        }
    }

    CFakeTextRenderer text;
    CA1Diagram wnd{&text};
    CA1TimeSeries series;
};

}  // namespace

TEST_F(Diagram, NothingToShowLeavesPlainBackground) {
    EXPECT_FALSE(Render(1));
    EXPECT_EQ(Count(kWhite), 800 * 500);
    FillSamples(10);
    EXPECT_FALSE(Render(3));  // no characteristic function
    series.m_aCharFunc.push_back(A1SAMPLE{1, 0.5, 0.5, 0, 0});
    EXPECT_FALSE(Render(4));  // no model
    EXPECT_FALSE(Render(5));
    EXPECT_FALSE(Render(0));
    EXPECT_FALSE(Render(6));
    EXPECT_EQ(Count(kWhite), 800 * 500);
    EXPECT_TRUE(text.m_aTexts.empty());
}

TEST_F(Diagram, TimeGraphLayoutTitlesAndOwnAxisPerComponent) {
    FillSamples(101);  // 0 .. 100 s
    ASSERT_TRUE(Render(1));
    EXPECT_EQ(text.m_face, "Times");
    EXPECT_EQ(text.m_size, 18);
    // rcPlot (8, 8, 792, 492): left + 3 cy, bottom - (2 cy + 4), right - 3 cy.
    ExpectFrame(62, 8, 738, 452);

    // 100 s span 105 s: shown in minutes.
    const FAKETEXT* x = text.Find("Time [min]");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->x, (62 + 738 - 90) / 2);
    EXPECT_EQ(x->y, 452 + 18 + 4);
    EXPECT_FALSE(x->vertical);
    EXPECT_EQ(x->color, kBlack);

    // Both y axes span 1.05 * 10 nm, each centred on its own component.
    const FAKETEXT* left = text.Find("A22-x [nm]");
    const FAKETEXT* right = text.Find("A22-y [nm]");
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_TRUE(left->vertical);
    EXPECT_EQ(left->x, 62 - 36 - 9);
    EXPECT_EQ(left->y, (452 + 8 + 90) / 2);
    EXPECT_EQ(left->color, wnd.m_style.crXMarker);
    EXPECT_EQ(right->x, 738 + 18 + 9);
    EXPECT_EQ(right->color, wnd.m_style.crYMarker);
    EXPECT_EQ(right->y, (452 + 8 + 90) / 2);
    // Step 2 (85 pixels): -4 .. 4 on the left, 20 .. 30 on the right.
    const FAKETEXT* minus4 = text.Find("-4");
    const FAKETEXT* thirty = text.Find("30");
    ASSERT_NE(minus4, nullptr);
    ASSERT_NE(thirty, nullptr);
    EXPECT_EQ(minus4->x, 62 - 18 - 5);
    EXPECT_EQ(thirty->x, 738 + 5);
    EXPECT_EQ(text.Find("-6"), nullptr);
    EXPECT_EQ(text.Find("18"), nullptr);
    // Time ticks 0.2 min apart ("%.1f").
    const FAKETEXT* oneMin = text.Find("1.0");
    ASSERT_NE(oneMin, nullptr);
    // 1.0 min sits at (1 - 50 / 60 + 0.875) / 1.75 * 676 = 402.4 pixels.
    EXPECT_EQ(oneMin->x, 62 + 402 - 14);
    EXPECT_EQ(oneMin->y, 452 + 5);
    EXPECT_EQ(At(62 + 402, 455), kFrame);  // the tick mark below the frame

    // Markers and lines of both curves.
    EXPECT_GT(Count(wnd.m_style.crXMarker), 100);
    EXPECT_GT(Count(wnd.m_style.crYMarker), 100);
    EXPECT_GT(CountTint(wnd.Image(), wnd.m_style.crXLine), 10);
    EXPECT_GT(CountTint(wnd.Image(), wnd.m_style.crYLine), 10);
    // First A22-x point (t = 0 of -2.5 .. 102.5 s, -1 nm of -5.25 .. 5.25 nm).
    const double px = 62 + 676 * 2.5 / 105;
    const double py = 452 - 444 * 4.25 / 10.5;
    EXPECT_EQ(At(static_cast<int>(px + 0.5), static_cast<int>(py + 0.5)), wnd.m_style.crXMarker);
    EXPECT_EQ(At(static_cast<int>(px + 0.5) + 2, static_cast<int>(py + 0.5)), wnd.m_style.crXMarker);
}

TEST_F(Diagram, ScatterPlotIsSquareWithEqualScales) {
    FillSamples(50);
    ASSERT_TRUE(Render(2));
    // Height 444: left = 62 + (730 - 444) / 2, right = left + 444.
    ExpectFrame(205, 8, 649, 452);
    EXPECT_NE(text.Find("A22-x [nm]"), nullptr);
    EXPECT_NE(text.Find("A22-y [nm]"), nullptr);
    EXPECT_EQ(text.Find("A22-x [nm]")->color, kBlack);
    EXPECT_GT(Count(wnd.m_style.crScatterMarker), 100);
    EXPECT_GT(CountTint(wnd.Image(), wnd.m_style.crScatterLine), 10);
    // x centre 0 and y centre 25, both spanning 10.5 nm: the first point (-1, 20).
    const double px = 205 + 444 * (-1 - (0 - 5.25)) / 10.5;
    const double py = 452 - 444 * (20 - (25 - 5.25)) / 10.5;
    EXPECT_EQ(At(static_cast<int>(px + 0.5), static_cast<int>(py + 0.5)), wnd.m_style.crScatterMarker);
}

TEST_F(Diagram, WithoutFontsTheCurvesFillTheDrawingArea) {
    FillSamples(20);
    text.m_bFontsAvailable = false;
    ASSERT_TRUE(Render(1));
    ExpectFrame(8, 8, 792, 492);
    EXPECT_TRUE(text.m_aTexts.empty());
    ASSERT_TRUE(Render(2));
    ExpectFrame(8, 8, 792, 492);  // the square needs the layout

    wnd.m_style.strFontFace.clear();
    text.m_bFontsAvailable = true;
    const int selects = text.m_nSelects;
    ASSERT_TRUE(Render(1));
    EXPECT_EQ(text.m_nSelects, selects);
    EXPECT_TRUE(text.m_aTexts.empty());
}

TEST_F(Diagram, SingleSampleHasNoTicksButFrameAndTitles) {
    FillSamples(1);
    ASSERT_TRUE(Render(1));
    ExpectFrame(62, 8, 738, 452);
    EXPECT_EQ(text.m_aTexts.size(), 3u);  // titles only
    EXPECT_NE(text.Find("Time [s]"), nullptr);
    EXPECT_EQ(Count(wnd.m_style.crXMarker), 0);  // no point can be placed
}

namespace {
// Characteristic function f(d) = 0.02 d nm^2 for d = 1 .. n (t0 = 2 s).
void FillCharFunc(CA1TimeSeries& s, int n, int stride = 1) {
    s.m_dImagePeriod = 2.0;
    s.m_aCharFunc.clear();
    for (int d = 1; d <= n; d += stride) s.m_aCharFunc.push_back(A1SAMPLE{d, 0.01 * d, 0.01 * d, 0, 0});
    s.CharFuncValid = 1;
}
}  // namespace

TEST_F(Diagram, CharacteristicFunctionWithDirectLifetimeGuide) {
    FillSamples(10);
    FillCharFunc(series, 400, 20);  // d = 1, 21, ..., 381: t up to 762 s, f up to 7.62 nm^2
    series.Tolerance = 2.0;         // a^2 = 4 is first reached at d = 201
    series.LifetimeState = 1;
    series.DirectLifetime = 402.0;
    ASSERT_TRUE(Render(3));
    ExpectFrame(62, 8, 792, 452);
    ASSERT_NE(text.Find("Timespan t [min]"), nullptr);
    ASSERT_NE(text.Find("f(t) [A\u00B2]"), nullptr);  // 7.8 nm^2 = 781 A^2, the blank trimmed

    const double xTop = 1.025 * 762.0;
    const double yTop = 1.025 * 7.62;
    const int X = 62 + static_cast<int>(std::trunc(402.0 / xTop * 730 + 0.5));
    const int Y = 452 - static_cast<int>(std::trunc(4.0 / yTop * 444 + 0.5));
    for (int x = 63; x < X - 8; ++x) EXPECT_EQ(At(x, Y), kGuide) << x;
    for (int y = Y + 8; y < 452; ++y) EXPECT_EQ(At(X, y), kGuide) << y;
    EXPECT_EQ(At(X + 1, Y + 20), kWhite);
    EXPECT_EQ(At(62, Y), kFrame);  // the frame lies over the guide's start

    // One disc per point (at least five fully covered pixels each).
    EXPECT_GE(Count(wnd.m_style.crCFMarker), 20 * 5);

    // Without a direct lifetime: no guide.
    series.LifetimeState = -2;
    ASSERT_TRUE(Render(3));
    EXPECT_EQ(Count(kGuide), 0);
}

namespace {
// A fitted model and a characteristic function that follows it.
void FillModel(CA1TimeSeries& s, double tolerance) {
    s.m_dImagePeriod = 2.0;
    s.FitDi = 0.05;
    s.FitDa = 0.2;
    s.FitTc = 30.0;
    s.FitS = 0.01;
    s.ModelValid = 1;
    s.CharFuncValid = 1;
    s.Tolerance = tolerance;
    const MODELPARAMS m = ModelParameters(s);
    s.m_aCharFunc.clear();
    for (int d = 1; d <= 300; ++d) {
        const double f = ModelFunction(m, d);
        s.m_aCharFunc.push_back(A1SAMPLE{d, 0.5 * f, 0.5 * f, 0, 0});
    }
}
}  // namespace

TEST_F(Diagram, FittedModelWithBandsAndLifetimeBeyondTheData) {
    FillSamples(10);
    FillModel(series, 4.0);
    const MODELPARAMS m = ModelParameters(series);
    // The lifetime: f(tau) = a^2 = 16, beyond the 300 images of the data.
    double lo = 0, hi = 1e6;
    for (int i = 0; i < 200; ++i) {
        const double mid = (lo + hi) / 2;
        (ModelFunction(m, mid) < 16.0 ? lo : hi) = mid;
    }
    ASSERT_GT(lo, 300.0);
    series.ModelLifetime = lo * 2.0;
    ASSERT_TRUE(Render(4));
    ExpectFrame(62, 8, 792, 452);

    // The x axis reaches 1.025 * 1.15 * lifetime: the guide's column tells.
    const double xTop = 1.025 * 1.15 * series.ModelLifetime;
    const double yTop = 1.025 * ModelFunction(m, 1.15 * lo);
    const int X = 62 + static_cast<int>(std::trunc(series.ModelLifetime / xTop * 730 + 0.5));
    const int Y = 452 - static_cast<int>(std::trunc(16.0 / yTop * 444 + 0.5));
    EXPECT_EQ(X, 62 + static_cast<int>(std::trunc(730 / (1.025 * 1.15) + 0.5)));
    // The band curves cross the guide in a pixel or two.
    EXPECT_GE(CountIn(wnd.Image(), kGuide, 63, Y, X - 10, Y), X - 10 - 63 - 4);
    EXPECT_GE(CountIn(wnd.Image(), kGuide, X, Y + 10, X, 451), 451 - Y - 10 - 4);

    EXPECT_GT(CountTint(wnd.Image(), kBand), 300);     // two band curves
    EXPECT_GT(Count(wnd.m_style.crYMarker), 500);      // the model, two pixels wide
    EXPECT_GE(Count(wnd.m_style.crCFMarker), 9 * 30);  // discs
    // The model curve ends where it leaves the top of the axes.
    EXPECT_EQ(CountIn(wnd.Image(), wnd.m_style.crYMarker, 0, 0, 799, 6), 0);
}

TEST_F(Diagram, ModelPointsAreThinnedToAboutTwoDiameters) {
    FillSamples(10);
    FillModel(series, 1.0);
    series.ModelLifetime = 10.0;  // shorter than the data: the data set the range
    const MODELPARAMS m = ModelParameters(series);
    const COLOR disc = RGBColor(7, 7, 7);
    wnd.m_style.crCFMarker = disc;
    wnd.m_style.nCFMarkerSize = 12;
    ASSERT_TRUE(Render(4));
    // x span 1.025 * 600 s over 730 pixels: k = trunc(2 * 615 * 12 / (730 * 2)) = 10.
    const double yTop = 1.025 * ModelFunction(m, 300);
    auto centre = [&](int index) {
        const int d = index + 1;
        const double px = 62 + 730 * (2.0 * d) / 615.0;
        const double py = 452 - 444 * ModelFunction(m, d) / yTop;
        return At(static_cast<int>(px + 0.5), static_cast<int>(py + 0.5));
    };
    EXPECT_EQ(centre(0), disc);
    EXPECT_EQ(centre(10), disc);
    EXPECT_EQ(centre(20), disc);
    EXPECT_NE(centre(5), disc);
    EXPECT_NE(centre(15), disc);
}

TEST_F(Diagram, ProbabilityPlotFromOneToTwentyPercent) {
    FillSamples(10);
    FillModel(series, 2.0);
    const MODELPARAMS m = ModelParameters(series);
    const double t20 = 2.0 * InverseStayProbability(m, 4.0, 0.2);
    const double t50 = 2.0 * InverseStayProbability(m, 4.0, 0.5);
    ASSERT_FALSE(IsNoResult(t20));
    ASSERT_GT(t20, t50);
    ASSERT_TRUE(Render(5));
    ExpectFrame(62, 8, 792, 452);
    const FAKETEXT* title = text.Find("P(a,t)");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->vertical);
    // Labels of 27 pixels ("0.0") need more room than the 18 the layout gives:
    // the title moves left to 3 pixels before them.
    EXPECT_EQ(title->x, 62 - 5 - 27 - 3 - 18);
    EXPECT_EQ(title->y, (452 + 8 + 54) / 2);

    const int X = 62 + static_cast<int>(std::trunc(t50 / (1.025 * t20) * 730 + 0.5));
    const int Y = 452 - static_cast<int>(std::trunc(0.5 / 1.025 * 444 + 0.5));
    for (int x = 63; x < X - 10; ++x) EXPECT_EQ(At(x, Y), kGuide) << x;
    for (int y = Y + 10; y < 452; ++y) EXPECT_EQ(At(X, y), kGuide) << y;
    // P = 1 at t = 0.
    const int yOne = 452 - static_cast<int>(std::trunc(444 / 1.025 + 0.5));
    EXPECT_EQ(At(63, yOne), wnd.m_style.crYMarker);
    EXPECT_GT(Count(wnd.m_style.crYMarker), 700);
    // Labels "0.0" .. "1.0" on the probability axis (step 0.2).
    EXPECT_NE(text.Find("1.0"), nullptr);
    EXPECT_NE(text.Find("0.2"), nullptr);
}

TEST_F(Diagram, InfiniteToleranceDrawsWhatCanBeDrawn) {
    FillSamples(10);
    FillModel(series, std::numeric_limits<double>::infinity());
    series.ModelLifetime = std::numeric_limits<double>::infinity();
    ASSERT_TRUE(Render(5));
    // P stays 1 over the measured time spans; no guide at P = 0.5.
    ExpectFrame(62, 8, 792, 452);
    EXPECT_EQ(Count(kGuide), 0);
    const int yOne = 452 - static_cast<int>(std::trunc(444 / 1.025 + 0.5));
    EXPECT_GT(CountIn(wnd.Image(), wnd.m_style.crYMarker, 63, yOne, 791, yOne), 700);

    ASSERT_TRUE(Render(4));
    ExpectFrame(62, 8, 792, 452);
    EXPECT_EQ(Count(kGuide), 0);  // neither lifetime nor level can be placed
    EXPECT_GT(Count(wnd.m_style.crYMarker), 300);

    series.ModelLifetime = kNoResult;
    series.Tolerance = 2.0;
    ASSERT_TRUE(Render(4));
    EXPECT_EQ(Count(kGuide), 0);
    EXPECT_GT(CountTint(wnd.Image(), kBand), 100);
}

TEST_F(Diagram, ZeroToleranceAndDegenerateModelDrawPAtZeroAndOne) {
    FillSamples(10);
    FillModel(series, 0.0);
    // a = 0: P is 1 at t = 0 and 0 for every t > 0, so the curve leaves the
    // level P = 1 at once and runs along the time axis.
    const int yOne = 452 - static_cast<int>(std::trunc(444 / 1.025 + 0.5));
    ASSERT_TRUE(Render(5));
    ExpectFrame(62, 8, 792, 452);
    EXPECT_EQ(CountIn(wnd.Image(), wnd.m_style.crYMarker, 66, 9, 791, 440), 0);
    EXPECT_GT(CountTint(wnd.Image(), wnd.m_style.crYMarker, 0.2), 700);
    ASSERT_TRUE(Render(4));
    ExpectFrame(62, 8, 792, 452);
    // All parameters zero: nothing moves, P stays 1 all the way.
    series.FitDi = series.FitDa = series.FitS = 0.0;
    series.Tolerance = 1.0;
    ASSERT_TRUE(Render(5));
    ExpectFrame(62, 8, 792, 452);
    EXPECT_GT(CountIn(wnd.Image(), wnd.m_style.crYMarker, 63, yOne, 791, yOne), 700);
    ASSERT_TRUE(Render(4));
    ExpectFrame(62, 8, 792, 452);
}
