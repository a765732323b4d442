// SPDX-License-Identifier: GPL-3.0-or-later
// Diagrams drawn for a device-pixel ratio: the lengths of the layout scale
// with it, the pen grows into squares, and a diagram at ratio 2 is the one at
// ratio 1 at twice the resolution.

#include "plot/DiagramContent.h"
#include "plot/DiagramWnd.h"
#include "series/A1TimeSeries.h"

#include "FakeTextRenderer.h"
#include "PlotTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr COLOR kPen = RGBColor(0, 99, 0);

TEST(ScaledPixels, RoundsToWholePixelsAndKeepsLinesVisible) {
    EXPECT_EQ(ScaledPixels(5, 1.0), 5);
    EXPECT_EQ(ScaledPixels(5, 2.0), 10);
    EXPECT_EQ(ScaledPixels(18, 1.5), 27);
    EXPECT_EQ(ScaledPixels(1, 1.25), 1);
    EXPECT_EQ(ScaledPixels(1, 1.5), 2);  // 1.5 rounds up
    EXPECT_EQ(ScaledPixels(4, 1.25), 5);
    EXPECT_EQ(ScaledPixels(1, 0.4), 1);  // a line never vanishes
    EXPECT_EQ(ScaledPixels(0, 2.0), 0);
}

TEST(ScaledPixels, CreateScalesTheMarginAndRefusesABadScale) {
    CA1Diagram wnd;
    ASSERT_TRUE(wnd.Create(1440, 880, 2.0));
    EXPECT_EQ(wnd.m_style.dScale, 2.0);
    EXPECT_EQ(wnd.m_style.rcPlot.left, 16);
    EXPECT_EQ(wnd.m_style.rcPlot.top, 16);
    EXPECT_EQ(wnd.m_style.rcPlot.right, 1424);
    EXPECT_EQ(wnd.m_style.rcPlot.bottom, 864);
    EXPECT_FALSE(wnd.Create(100, 100, 0.0));
    EXPECT_FALSE(wnd.Create(100, 100, std::nan("")));
    EXPECT_EQ(wnd.m_style.nWidth, 1440);  // unchanged by the refused calls
    EXPECT_EQ(wnd.m_style.dScale, 2.0);
}

TEST(ScaledTicks, StepFollowsTheLogicalAxisLength) {
    // The 600-pixel axis at ratio 1 and the 1200-pixel one at ratio 2 are
    // the same 600 logical pixels: 100 logical pixels apart.
    EXPECT_EQ(ChooseTickStep(60, 600, 1.0), 10);
    EXPECT_EQ(ChooseTickStep(60, 1200, 2.0), 10);
    EXPECT_EQ(ChooseTickStep(60, 1200, 1.0), 5);  // 100 pixels at ratio 1
    EXPECT_EQ(ChooseTickStep(2.5, -800, 2.0), 0.5);
    EXPECT_EQ(ChooseTickStep(1.75, 750, 1.5), 0.2);
}

// Draws the same pen figure at ratio 1 and at ratio 2 (coordinates doubled).
void DrawPenFigure(CA1DiagramWnd& wnd, int k) {
    wnd.SelectPen(kPen);
    // The frame's two rings around (5, 4, 30, 25), as the diagrams draw it.
    wnd.MoveTo(5 * k, 25 * k);
    wnd.LineTo(30 * k, 25 * k);
    wnd.LineTo(30 * k, 4 * k);
    wnd.LineTo(5 * k, 4 * k);
    wnd.LineTo(5 * k, 26 * k);
    wnd.LineTo(31 * k, 26 * k);
    wnd.LineTo(31 * k, 3 * k);
    wnd.LineTo(4 * k, 3 * k);
    wnd.LineTo(4 * k, 27 * k);
    // Tick marks leaving the frame leftwards and downwards, a guide that runs
    // across and down, and a line that leaves the image.
    wnd.MoveTo(4 * k, 10 * k);
    wnd.LineTo(-1 * k, 10 * k);
    wnd.MoveTo(12 * k, 27 * k);
    wnd.LineTo(12 * k, 31 * k);
    wnd.MoveTo(5 * k, 15 * k);
    wnd.LineTo(20 * k, 15 * k);
    wnd.LineTo(20 * k, 25 * k);
    wnd.MoveTo(33 * k, 30 * k);
    wnd.LineTo(50 * k, 30 * k);
}

TEST(ScaledPen, LinesAtRatioTwoAreTheOnePixelFigureMagnified) {
    CA1DiagramWnd one, two;
    ASSERT_TRUE(one.Create(36, 34, 1.0));
    ASSERT_TRUE(two.Create(72, 68, 2.0));
    one.FillRect(PLOTRECT{0, 0, 36, 34}, kWhite);
    two.FillRect(PLOTRECT{0, 0, 72, 68}, kWhite);
    DrawPenFigure(one, 1);
    DrawPenFigure(two, 2);
    ASSERT_GT(CountPixels(one.m_image, kPen), 100);
    int wrong = 0;
    for (int y = 0; y < 68; ++y)
        for (int x = 0; x < 72; ++x) wrong += two.m_image.GetPixel(x, y) != one.m_image.GetPixel(x / 2, y / 2);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(CountPixels(two.m_image, kPen), 4 * CountPixels(one.m_image, kPen));
}

TEST(ScaledPen, SlantedLineIsDrawnWithSquaresAndClipped) {
    CA1DiagramWnd wnd;
    ASSERT_TRUE(wnd.Create(20, 20, 3.0));
    wnd.FillRect(PLOTRECT{0, 0, 20, 20}, kWhite);
    wnd.SelectPen(kPen);
    wnd.MoveTo(-10, -10);
    wnd.LineTo(30, 30);
    // Squares of side 3 on the diagonal: (x, y) for y - 2 <= x <= y + 2 ...
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool near = std::abs(x - y) <= 2;
            EXPECT_EQ(wnd.m_image.GetPixel(x, y) == kPen, near) << x << "," << y;
        }
}

// Samples 0 .. n-1 at t0 = 1 s, A22-x from -1 to 1 nm and A22-y from 20 to 30 nm.
void FillSamples(CA1TimeSeries& series, int n) {
    series.m_aSamples.clear();
    for (int i = 0; i < n; ++i) {
        const double u = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
        series.m_aSamples.push_back(A1SAMPLE{i, -1.0 + 2.0 * u * u, 20.0 + 10.0 * std::sqrt(u), 0, 0});
    }
}

class ScaledDiagram : public ::testing::Test {
protected:
    void Render(CA1Diagram& wnd, CFakeTextRenderer& text, int width, int height, double scale, int type) {
        wnd.SetTextRenderer(&text);
        ASSERT_TRUE(wnd.Create(width, height, scale));
        wnd.m_style.crFrame = kPen;
        wnd.m_style.nDisplayType = type;
        ASSERT_TRUE(wnd.Render(&series));
    }

    // Every pixel of both rings of the frame (pen width p) around the plot
    // rectangle (l, t, r, b) has the frame colour, and just inside and above
    // the frame there is none.
    static void ExpectFrame(const CImage32& image, int l, int t, int r, int b, int p) {
        int wrong = 0;
        for (int y = t - p; y < b + 2 * p; ++y)
            for (int x = l - p; x < r + 2 * p; ++x) {
                const bool inside = x >= l + p && x < r && y >= t + p && y < b;
                if (!inside) wrong += image.GetPixel(x, y) != kPen;
            }
        EXPECT_EQ(wrong, 0) << "frame " << l << "," << t << "," << r << "," << b << " width " << p;
        EXPECT_NE(image.GetPixel((l + r) / 2, t + p), kPen);
        EXPECT_NE(image.GetPixel((l + r) / 2, t - p - 1), kPen);
        EXPECT_NE(image.GetPixel(r - 1, (t + b) / 2), kPen);
    }

    // Columns that hold a frame-coloured pixel on the row.
    static std::vector<int> PenColumns(const CImage32& image, int y) {
        std::vector<int> columns;
        for (int x = 0; x < image.Width(); ++x)
            if (image.GetPixel(x, y) == kPen) columns.push_back(x);
        return columns;
    }

    CA1TimeSeries series;
};

TEST_F(ScaledDiagram, TimeGraphAtRatioTwoIsTheLayoutDoubled) {
    FillSamples(series, 101);
    CFakeTextRenderer text1, text2;
    CA1Diagram one, two;
    Render(one, text1, 800, 500, 1.0, 1);
    Render(two, text2, 1600, 1000, 2.0, 1);
    EXPECT_EQ(text1.m_size, 18);
    EXPECT_EQ(text2.m_size, 36);

    // Ratio 1: rcPlot (8, 8, 792, 492), left + 3 cy = 62, bottom - (2 cy + 4) = 452,
    // right - 3 cy = 738. Ratio 2: margin 16, cy 36, gap 8.
    ExpectFrame(one.Image(), 62, 8, 738, 452, 1);
    ExpectFrame(two.Image(), 124, 16, 1476, 904, 2);

    // Every text at twice its place, within one logical pixel: the tick labels
    // are placed by two roundings (tick offset and half the label's width).
    ASSERT_EQ(text1.m_aTexts.size(), text2.m_aTexts.size());
    ASSERT_GE(text1.m_aTexts.size(), 10u);
    for (std::size_t i = 0; i < text1.m_aTexts.size(); ++i) {
        const FAKETEXT& a = text1.m_aTexts[i];
        const FAKETEXT& b = text2.m_aTexts[i];
        EXPECT_EQ(a.text, b.text);
        EXPECT_EQ(a.vertical, b.vertical);
        EXPECT_EQ(a.color, b.color);
        EXPECT_LE(std::abs(b.x - 2 * a.x), 2) << a.text;
        EXPECT_LE(std::abs(b.y - 2 * a.y), 2) << a.text;
    }
    // The x title exactly: centred under the frame, a text height and 4 (8) below it.
    const FAKETEXT* title = text2.Find("Time [min]");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->x, (124 + 1476 - 180) / 2);
    EXPECT_EQ(title->y, 904 + 36 + 8);

    // Tick marks under the x axis: each a 2-pixel column at twice its place
    // (within a pixel), from 2 to 10 pixels below the frame's bottom row.
    const std::vector<int> ticks1 = PenColumns(one.Image(), 452 + 4);
    const std::vector<int> ticks2 = PenColumns(two.Image(), 904 + 9);
    ASSERT_GE(ticks1.size(), 5u);
    ASSERT_EQ(ticks2.size(), 2 * ticks1.size());
    for (std::size_t i = 0; i < ticks1.size(); ++i) {
        EXPECT_LE(std::abs(ticks2[2 * i] - 2 * ticks1[i]), 1);
        EXPECT_EQ(ticks2[2 * i + 1], ticks2[2 * i] + 1);
    }
    EXPECT_TRUE(PenColumns(two.Image(), 904 + 10).empty());

    // Markers and lines scale too: crosses of 10 pixels drawn 2 wide hold
    // four times the pixels of the 5-pixel crosses.
    const double markers1 = CountPixels(one.Image(), one.m_style.crXMarker);
    const double markers2 = CountPixels(two.Image(), two.m_style.crXMarker);
    ASSERT_GT(markers1, 100);
    EXPECT_GT(markers2 / markers1, 3.2);
    EXPECT_LT(markers2 / markers1, 4.8);
    const double lines1 = CountTint(one.Image(), one.m_style.crXLine, 0.9);
    const double lines2 = CountTint(two.Image(), two.m_style.crXLine, 0.9);
    ASSERT_GT(lines1, 10);
    EXPECT_GT(lines2 / lines1, 2.5);
}

TEST_F(ScaledDiagram, RatioOneAtAnySizeKeepsTheOnePixelLayout) {
    // Only the size changes: margins, gaps and pen stay one pixel thin.
    FillSamples(series, 50);
    CFakeTextRenderer text;
    CA1Diagram wnd;
    Render(wnd, text, 1200, 700, 1.0, 2);
    EXPECT_EQ(text.m_size, 18);
    // The square plot: rcPlot (8, 8, 1192, 692) less the titles: left 62,
    // bottom 652; the side 644 centred: left += (1130 - 644) / 2.
    ExpectFrame(wnd.Image(), 62 + 243, 8, 62 + 243 + 644, 652, 1);
}

}  // namespace
