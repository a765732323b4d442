#include "plot/DiagramContent.h"

#include "FakeTextRenderer.h"
#include "PlotTestUtil.h"
#include "series/A1TimeSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace {

// The line coverage written out plainly, pixel by pixel through the clipped
// accessors: what the fast path must reproduce exactly.
void ReferenceLine(CImage32& image, double x0, double y0, double x1, double y1, double w, COLOR col) {
    if (w <= 0) return;
    const double h = w / 2;
    const int l = static_cast<int>(std::trunc(h + 0.5)) + 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0) return;
    auto pixel = [&](int X, int Y) {
        if (!image.Contains(X, Y)) return;
        // Distance to the segment: to the line beside it, to an end beyond it.
        const double along = (X - x0) * dx + (Y - y0) * dy;
        double d;
        if (along <= 0) {
            d = std::hypot(X - x0, Y - y0);
        } else if (along >= len2) {
            d = std::hypot(X - (x0 + dx), Y - (y0 + dy));
        } else {
            d = std::fabs((X - x0) * dy - (Y - y0) * dx) / std::sqrt(len2);
        }
        const double c = 0.5 - (d - h);
        if (c <= 0) return;
        if (c >= 1) {
            image.SetPixel(X, Y, col);
            return;
        }
        const COLOR old = image.GetPixel(X, Y);
        auto mix = [c](int o, int n) { return (o + static_cast<int>(std::trunc(c * (n - o) + 0.5))) & 0xFF; };
        image.SetPixel(X, Y, RGBColor(mix(old.r, col.r), mix(old.g, col.g), mix(old.b, col.b)));
    };
    if (std::fabs(dy) <= std::fabs(dx)) {
        const int from = static_cast<int>(std::floor(std::min(x0, x1))) - l;
        const int to = static_cast<int>(std::ceil(std::max(x0, x1))) + l;
        for (int X = from; X <= to; ++X) {
            const int yc = static_cast<int>(std::trunc(y0 + dy * (X - x0) / dx + 0.5));
            for (int Y = yc - l; Y <= yc + l; ++Y) pixel(X, Y);
        }
    } else {
        const int from = static_cast<int>(std::floor(std::min(y0, y1))) - l;
        const int to = static_cast<int>(std::ceil(std::max(y0, y1))) + l;
        for (int Y = from; Y <= to; ++Y) {
            const int xc = static_cast<int>(std::trunc(x0 + dx * (Y - y0) / dy + 0.5));
            for (int X = xc - l; X <= xc + l; ++X) pixel(X, Y);
        }
    }
}

class Primitives : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wnd.Create(60, 40));
        wnd.m_image.FillRect(0, 0, 60, 40, kWhite);
    }
    COLOR At(int x, int y) const { return wnd.m_image.GetPixel(x, y); }
    CA1DiagramWnd wnd;
};

constexpr COLOR kRed = RGBColor(200, 0, 0);

}  // namespace

TEST(DiagramCreate, SetsSizeAndPlotRectangleAndStartsBlack) {
    CA1Diagram wnd;
    EXPECT_EQ(wnd.m_style.nDisplayType, 1);
    EXPECT_EQ(wnd.m_style.strFontFace, "Times");
    EXPECT_EQ(wnd.m_style.nFontSize, 18);
    EXPECT_EQ(wnd.m_style.nCFMarkerSize, 4u);
    EXPECT_FALSE(wnd.Render(nullptr));
    EXPECT_FALSE(wnd.Create(0, 100));
    EXPECT_EQ(wnd.m_style.nWidth, 0);
    ASSERT_TRUE(wnd.Create(720, 440));
    EXPECT_EQ(wnd.m_style.nWidth, 720);
    EXPECT_EQ(wnd.m_style.nHeight, 440);
    EXPECT_EQ(wnd.m_style.rcPlot.left, 8);
    EXPECT_EQ(wnd.m_style.rcPlot.top, 8);
    EXPECT_EQ(wnd.m_style.rcPlot.right, 712);
    EXPECT_EQ(wnd.m_style.rcPlot.bottom, 432);
    EXPECT_EQ(CountPixels(wnd.Image(), kBlack), 720 * 440);
    EXPECT_FALSE(wnd.Render(nullptr));
    EXPECT_FALSE(wnd.SaveImage("/tmp/x.png"));  // no encoder installed
}

TEST_F(Primitives, WidthOneLineAlongARowSetsExactlyThatRow) {
    wnd.MoveToAA(10, 20);
    wnd.LineToAA(50, 20, 1, kRed);
    for (int x = 10; x <= 50; ++x) EXPECT_EQ(At(x, 20), kRed) << x;
    EXPECT_EQ(CountPixels(wnd.m_image, kRed), 41);
    EXPECT_EQ(CountNot(wnd.m_image, kWhite), 41);  // neighbours and ends untouched
    EXPECT_EQ(wnd.m_dCurX, 50);
    EXPECT_EQ(wnd.m_dCurY, 20);
}

TEST_F(Primitives, RowAndColumnLinesAreExactWhereverTheyStart) {
    // Pixels on the line get full coverage however the line's ends lie.
    wnd.MoveToAA(-6, 10);
    wnd.LineToAA(167, 10, 1, kRed);
    EXPECT_EQ(CountPixels(wnd.m_image, kRed), 60);
    wnd.MoveToAA(33, 38.0);
    wnd.LineToAA(33, -1.7, 1, kBlack);
    EXPECT_EQ(CountPixels(wnd.m_image, kBlack), 39);
    EXPECT_EQ(CountNot(wnd.m_image, kWhite), 60 + 39 - 1);
}

TEST_F(Primitives, DiagonalLineBlendsPixelsOnBothSides) {
    wnd.MoveToAA(0, 0);
    wnd.LineToAA(20, 10, 1, kBlack);
    EXPECT_EQ(At(10, 5), kBlack);
    // 2/sqrt(5) = 0.894 from the line: coverage 0.106, 255 - 26 (rounded toward zero).
    EXPECT_EQ(At(10, 6), RGBColor(229, 229, 229));
    EXPECT_EQ(At(10, 4), RGBColor(229, 229, 229));
    EXPECT_EQ(At(10, 7), kWhite);
    EXPECT_EQ(At(10, 3), kWhite);
}

TEST_F(Primitives, WidthZeroAndZeroLengthDrawNothingButMove) {
    wnd.MoveToAA(5, 5);
    wnd.LineToAA(30, 25, 0, kRed);
    EXPECT_EQ(wnd.m_dCurX, 30);
    EXPECT_EQ(wnd.m_dCurY, 25);
    wnd.LineToAA(30, 25, 3, kRed);
    wnd.LineToAA(std::nan(""), 3, 1, kRed);  // a point that cannot be placed
    EXPECT_TRUE(std::isnan(wnd.m_dCurX));
    wnd.LineToAA(10, 10, 1, kRed);
    EXPECT_EQ(CountNot(wnd.m_image, kWhite), 0);
}

TEST_F(Primitives, LinesMatchThePlainCoverageEverywhereIncludingTheEdges) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> near(-15.0, 75.0);
    std::uniform_real_distribution<double> far(-3000.0, 3000.0);
    std::uniform_real_distribution<double> width(0.2, 6.0);
    const COLOR colors[] = {kRed, RGBColor(10, 200, 90), kBlack, RGBColor(250, 250, 250)};
    CImage32 expected = wnd.m_image;
    for (int i = 0; i < 400; ++i) {
        auto& dist = i % 4 == 3 ? far : near;
        const double x0 = dist(rng), y0 = dist(rng), x1 = dist(rng), y1 = dist(rng);
        const double w = i % 5 == 0 ? 1.0 : width(rng);
        const COLOR c = colors[i % 4];
        wnd.MoveToAA(x0, y0);
        wnd.LineToAA(x1, y1, w, c);
        ReferenceLine(expected, x0, y0, x1, y1, w, c);
    }
    int differ = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            if (wnd.m_image.GetPixel(x, y) != expected.GetPixel(x, y)) ++differ;
    EXPECT_EQ(differ, 0);
}

TEST_F(Primitives, LineFarOutsideIsClippedAndFinishes) {
    // Runs across the image from a billion pixels away: the visible part only.
    // The pixel centres of row 20 lie on the line (distance 0, coverage
    // 0.5 - (0 - 0.5) = 1), so the row is set to the pen colour exactly; a
    // coverage a hair below 1 would blend white to (201, 1, 1).
    wnd.MoveToAA(-1e9, 20);
    wnd.LineToAA(1e9, 20, 1, kRed);
    EXPECT_EQ(CountIn(wnd.m_image, kRed, 0, 20, 59, 20), 60);
    EXPECT_EQ(CountNot(wnd.m_image, kWhite), 60);
    wnd.m_image.FillRect(0, 0, 60, 40, kWhite);
    wnd.MoveToAA(30, -1e12);
    wnd.LineToAA(30, 1e12, 1, kBlack);
    EXPECT_EQ(CountIn(wnd.m_image, kWhite, 30, 0, 30, 39), 0);
    EXPECT_EQ(CountNot(wnd.m_image, kWhite), 40);
    // Entirely outside: nothing, not a single pixel changes.
    const CImage32 before = wnd.m_image;
    wnd.MoveToAA(-50, -50);
    wnd.LineToAA(-10, 100, 4, kRed);
    wnd.MoveToAA(1e300, -1e300);
    wnd.LineToAA(-1e300, 1e300, 3, kRed);  // through the image, but nothing is left of its precision
    wnd.MoveToAA(0, 0);
    wnd.LineToAA(std::numeric_limits<double>::infinity(), 10, 3, kRed);
    EXPECT_EQ(CountPixels(wnd.m_image, kRed), 0);
    int changed = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            if (wnd.m_image.GetPixel(x, y) != before.GetPixel(x, y)) ++changed;
    EXPECT_EQ(changed, 0);
}

TEST_F(Primitives, DiscOfSizeFourAtAPixelCentre) {
    wnd.DrawMarker(20, 20, MARKER_DISC, 4, kBlack);
    // Distances 0, 1 and sqrt 2 are fully inside.
    EXPECT_EQ(CountIn(wnd.m_image, kBlack, 19, 19, 21, 21), 9);
    EXPECT_EQ(CountPixels(wnd.m_image, kBlack), 9);
    // Distance 2: coverage 0.5, 255 + trunc(-127.5 + 0.5) = 128.
    EXPECT_EQ(At(22, 20), RGBColor(128, 128, 128));
    EXPECT_EQ(At(18, 20), RGBColor(128, 128, 128));
    EXPECT_EQ(At(20, 22), RGBColor(128, 128, 128));
    // Distance sqrt 5: coverage 0.264 gives 189.
    EXPECT_EQ(At(22, 21), RGBColor(189, 189, 189));
    EXPECT_EQ(At(22, 22), kWhite);
    EXPECT_EQ(At(23, 20), kWhite);
    EXPECT_EQ(CountNot(wnd.m_image, kWhite), 9 + 4 + 8);
}

TEST_F(Primitives, DiscAtAFractionalCentreIsNotRounded) {
    wnd.DrawMarker(10.3, 20, MARKER_DISC, 4, kBlack);
    EXPECT_EQ(At(8, 20), RGBColor(205, 205, 205));  // distance 2.3: coverage 0.2
    EXPECT_EQ(At(12, 20), RGBColor(52, 52, 52));    // distance 1.7: coverage 0.8
    EXPECT_EQ(At(13, 20), kWhite);                  // distance 2.7
}

TEST_F(Primitives, BlendingTowardsALighterColourRoundsUp) {
    wnd.m_image.FillRect(0, 0, 60, 40, kBlack);
    wnd.DrawMarker(20, 20, MARKER_DISC, 4, kWhite);
    EXPECT_EQ(At(22, 20), RGBColor(128, 128, 128));  // 0 + trunc(127.5 + 0.5)
    EXPECT_EQ(At(22, 21), RGBColor(67, 67, 67));
}

TEST_F(Primitives, CrossOfSizeFiveIsFivePixelsEachWay) {
    wnd.DrawMarker(10.2, 9.8, MARKER_CROSS, 5, kRed);
    for (int d = -2; d <= 2; ++d) {
        EXPECT_EQ(At(10 + d, 10), kRed) << d;
        EXPECT_EQ(At(10, 10 + d), kRed) << d;
    }
    EXPECT_EQ(CountPixels(wnd.m_image, kRed), 9);
    EXPECT_EQ(wnd.PenColor(), kBlack);  // the previous pen is back
}

TEST_F(Primitives, PixelAndSquareMarkers) {
    wnd.DrawMarker(3.49, 4.5, MARKER_PIXEL, 1, kRed);
    EXPECT_EQ(At(3, 5), kRed);
    wnd.DrawMarker(30, 20, MARKER_SQUARE, 3, kBlack);
    // Edges at 1.5: the 3x3 block fully, the next ring not at all.
    EXPECT_EQ(CountIn(wnd.m_image, kBlack, 29, 19, 31, 21), 9);
    EXPECT_EQ(CountNot(wnd.m_image, kWhite), 10);
    wnd.DrawMarker(45.5, 20, MARKER_SQUARE, 2, kBlack);
    // Edges at 44.5 and 46.5 across, 19 and 21 down: the rows 19 and 21 half covered.
    EXPECT_EQ(At(45, 20), kBlack);
    EXPECT_EQ(At(46, 20), kBlack);
    EXPECT_EQ(At(45, 19), RGBColor(128, 128, 128));
    EXPECT_EQ(At(46, 21), RGBColor(128, 128, 128));
    EXPECT_EQ(At(44, 20), kWhite);
    EXPECT_EQ(At(47, 20), kWhite);
    EXPECT_EQ(At(45, 18), kWhite);
}

TEST_F(Primitives, MarkersOfNoTypeOrSizeDrawNothingAndClipAtTheEdges) {
    wnd.DrawMarker(10, 10, MARKER_NONE, 5, kRed);
    wnd.DrawMarker(10, 10, 5, 5, kRed);
    wnd.DrawMarker(10, 10, MARKER_DISC, 0, kRed);
    EXPECT_EQ(CountNot(wnd.m_image, kWhite), 0);
    wnd.DrawMarker(0, 0, MARKER_DISC, 6, kRed);
    wnd.DrawMarker(59.6, 39.6, MARKER_SQUARE, 6, kRed);
    wnd.DrawMarker(-2, 20, MARKER_CROSS, 9, kRed);
    EXPECT_GT(CountPixels(wnd.m_image, kRed), 0);
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(59, 39), kRed);
    EXPECT_EQ(At(2, 20), kRed);
}

TEST_F(Primitives, PenLinesExcludeTheirEndPoint) {
    wnd.SelectPen(kRed);
    wnd.MoveTo(5, 5);
    wnd.LineTo(10, 5);
    EXPECT_EQ(CountPixels(wnd.m_image, kRed), 5);
    EXPECT_EQ(At(5, 5), kRed);
    EXPECT_EQ(At(10, 5), kWhite);
    wnd.LineTo(10, 1);  // upwards from (10, 5): 5, 4, 3, 2
    EXPECT_EQ(At(10, 5), kRed);
    EXPECT_EQ(At(10, 1), kWhite);
    EXPECT_EQ(CountPixels(wnd.m_image, kRed), 9);
    wnd.LineTo(6, 1);  // leftwards: 10..7
    EXPECT_EQ(At(7, 1), kRed);
    EXPECT_EQ(At(6, 1), kWhite);
    wnd.SelectPen(kBlack);
    wnd.MoveTo(20, 20);
    wnd.LineTo(26, 23);  // shallow diagonal: one pixel per column, six columns
    EXPECT_EQ(CountIn(wnd.m_image, kBlack, 20, 18, 26, 25), 6);
    EXPECT_EQ(At(20, 20), kBlack);
    EXPECT_EQ(At(26, 23), kWhite);
    for (int x = 20; x < 26; ++x) EXPECT_EQ(CountIn(wnd.m_image, kBlack, x, 0, x, 39), 1) << x;
}

TEST_F(Primitives, PenLinesClipFarOutside) {
    wnd.SelectPen(kRed);
    wnd.MoveTo(-200000000, 7);
    wnd.LineTo(200000000, 7);
    EXPECT_EQ(CountPixels(wnd.m_image, kRed), 60);
    wnd.MoveTo(-100000, -100000);
    wnd.LineTo(100000, 100000);  // the diagonal through the image
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(39, 39), kRed);
    EXPECT_EQ(CountPixels(wnd.m_image, kRed), 60 + 40 - 1);
}

TEST_F(Primitives, CurveDrawsMarkersOverItsLines) {
    CURVESPEC curve;
    curve.dCenterX = 5;
    curve.dSpanX = 10;
    curve.dCenterY = 0.5;
    curve.dSpanY = 1;
    curve.rcPlot = {10, 10, 50, 30};
    curve.nMarkerType = MARKER_CROSS;
    curve.nMarkerSize = 5;
    curve.nLineWidth = 1;
    curve.crMarker = kRed;
    curve.crLine = RGBColor(0, 0, 255);
    const double xs[] = {0, 5, 10};
    const double ys[] = {0, 1, 0};
    wnd.DrawCurve(&curve, 3, xs, ys);
    // (0, 0) is the bottom-left corner, (5, 1) the top centre.
    EXPECT_EQ(At(10, 30), kRed);
    EXPECT_EQ(At(30, 10), kRed);
    EXPECT_EQ(At(50, 30), kRed);
    EXPECT_EQ(At(31, 10), kRed);  // the cross, over the line
    EXPECT_EQ(At(20, 20), RGBColor(0, 0, 255));
    EXPECT_EQ(wnd.m_dCurX, 50);
    EXPECT_EQ(wnd.m_dCurY, 30);

    // One point: no line, the marker only.
    curve.nMarkerType = MARKER_PIXEL;
    curve.nMarkerSize = 1;
    curve.crMarker = RGBColor(1, 1, 1);
    wnd.DrawCurve(&curve, 1, xs + 1, ys + 1);
    EXPECT_EQ(At(30, 10), RGBColor(1, 1, 1));
    EXPECT_EQ(wnd.m_dCurX, 50);
    wnd.DrawCurve(nullptr, 3, xs, ys);
    wnd.DrawCurve(&curve, 3, nullptr, ys);
}

TEST(DiagramWnd, NothingIsDrawnRenderedOrSavedWithoutAnImage) {
    struct CountingEncoder : IImageEncoder {
        bool Save(const CImage32&, const std::string&, const std::string&) override { return ++saved > 0; }
        int saved = 0;
    };
    CFakeTextRenderer text;
    CountingEncoder encoder;
    CA1DiagramWnd wnd(&text, &encoder);
    wnd.MoveToAA(0, 0);
    wnd.LineToAA(10, 10, 2, kBlack);
    EXPECT_EQ(wnd.m_dCurX, 10);
    wnd.DrawMarker(1, 1, MARKER_DISC, 4, kBlack);
    wnd.MoveTo(0, 0);
    wnd.LineTo(5, 5);
    EXPECT_TRUE(wnd.SelectFonts("Times", 18));
    wnd.DrawXTicks(0, 10, 100, 10, 5);  // ticks 0, 2, 4, 6, 8 and 10 would have labels
    wnd.TextOut(3, 3, "text", false);
    CA1TimeSeries series;
    series.m_aSamples.resize(3);
    CA1Diagram diagram(&text, &encoder);
    EXPECT_FALSE(diagram.Render(&series));
    EXPECT_FALSE(wnd.SaveImage("unused/diagram.png"));
    EXPECT_FALSE(diagram.SaveImage("unused/diagram.png"));
    EXPECT_TRUE(text.m_aTexts.empty());
    EXPECT_EQ(encoder.saved, 0);
    EXPECT_FALSE(wnd.m_image.IsValid());
}
