#include "plot/DiagramWnd.h"

#include "FakeTextRenderer.h"
#include "PlotTestUtil.h"

#include <gtest/gtest.h>

TEST(TickStep, AboutEightyPixelsApartAtAFixedStep) {
    // Step 10 gives 100 pixels (distance 20), step 5 would give 50 (distance 30).
    EXPECT_EQ(ChooseTickStep(60, 600), 10);
    EXPECT_EQ(ChooseTickStep(2.5, 400), 0.5);   // exactly 80 pixels
    EXPECT_EQ(ChooseTickStep(2.5, -400), 0.5);  // y axes run upwards: negative length
    EXPECT_EQ(ChooseTickStep(1.75, 500), 0.2);  // 57 pixels
    EXPECT_EQ(ChooseTickStep(999, 800), 100);
    // 0.1 gives 60 pixels (distance 20), 0.2 gives 120 (40): the smaller distance wins.
    EXPECT_EQ(ChooseTickStep(1, 600), 0.1);
    // No candidate comes closer to 80 than the axis is long: step 1.
    EXPECT_EQ(ChooseTickStep(5, 10), 1);
}

TEST(TickStep, SpansOutsideOneToThousandGetNoTicks) {
    EXPECT_EQ(ChooseTickStep(0.5, 600), 0);
    EXPECT_EQ(ChooseTickStep(1000, 600), 0);
    EXPECT_EQ(ChooseTickStep(0, 600), 0);
    EXPECT_EQ(ChooseTickStep(-5, 600), 0);
    EXPECT_EQ(ChooseTickStep(std::nan(""), 600), 0);
}

TEST(TickStep, LabelsUseOneDecimalBelowStepOne) {
    EXPECT_EQ(TickLabel(20, 10), "20");
    EXPECT_EQ(TickLabel(-20, 10), "-20");
    EXPECT_EQ(TickLabel(2.5, 1), "3");  // rounded half away from zero
    EXPECT_EQ(TickLabel(-2.5, 1), "-3");
    // Beyond the int range the whole number stays whole and exact.
    EXPECT_EQ(TickLabel(2147483648.0, 1), "2147483648");
    EXPECT_EQ(TickLabel(-2147483658.0, 10), "-2147483658");
    EXPECT_EQ(TickLabel(999999999500.0, 500), "999999999500");
    EXPECT_EQ(TickLabel(-0.4, 1), "0");
    EXPECT_EQ(TickLabel(1.5, 0.5), "1.5");
    EXPECT_EQ(TickLabel(3 * 0.1, 0.1), "0.3");
    EXPECT_EQ(TickLabel(0, 0.2), "0.0");
}

namespace {
class Ticks : public ::testing::Test {
protected:
    void SetUp() override {
        wnd.SetTextRenderer(&text);
        ASSERT_TRUE(wnd.Create(800, 500));
        wnd.m_image.FillRect(0, 0, 800, 500, kWhite);
        ASSERT_TRUE(wnd.SelectFonts("Times", 18));
        wnd.SelectPen(RGBColor(1, 2, 3));
    }
    CFakeTextRenderer text;
    CA1DiagramWnd wnd;
};
}  // namespace

TEST_F(Ticks, XAxisMarksAndCentredLabels) {
    wnd.DrawXTicks(100, 400, 700, 60, 30);
    ASSERT_EQ(text.m_aTexts.size(), 7u);
    for (int i = 0; i <= 6; ++i) {
        const int x = 100 + 100 * i;
        for (int y = 401; y <= 404; ++y) EXPECT_EQ(wnd.m_image.GetPixel(x, y), RGBColor(1, 2, 3)) << x << "," << y;
        EXPECT_EQ(wnd.m_image.GetPixel(x, 405), kWhite);
        EXPECT_EQ(wnd.m_image.GetPixel(x, 400), kWhite);
    }
    EXPECT_EQ(CountPixels(wnd.m_image, RGBColor(1, 2, 3)), 7 * 4);
    EXPECT_EQ(text.m_aTexts[0].text, "0");
    EXPECT_EQ(text.m_aTexts[0].x, 100 - 5);  // trunc(9 / 2 + 0.5)
    EXPECT_EQ(text.m_aTexts[0].y, 405);
    EXPECT_EQ(text.m_aTexts[1].text, "10");
    EXPECT_EQ(text.m_aTexts[1].x, 200 - 9);
    EXPECT_EQ(text.m_aTexts[6].text, "60");
    EXPECT_FALSE(text.m_aTexts[6].vertical);
}

TEST_F(Ticks, ValuesAreMultiplesOfTheStepInsideTheSpan) {
    wnd.DrawXTicks(0, 400, 600, 60, 101);  // 71 .. 131
    ASSERT_EQ(text.m_aTexts.size(), 6u);
    EXPECT_EQ(text.m_aTexts.front().text, "80");
    EXPECT_EQ(text.m_aTexts.back().text, "130");
    // 80 sits at (80 - 71) / 60 * 600 = 90 pixels.
    EXPECT_EQ(wnd.m_image.GetPixel(90, 402), RGBColor(1, 2, 3));
}

TEST_F(Ticks, LeftAxisWithDecimalLabels) {
    wnd.DrawLeftTicks(50, 450, 50, 2.5, 1.25);
    ASSERT_EQ(text.m_aTexts.size(), 6u);
    for (int i = 0; i <= 5; ++i) {
        const int y = 450 - 80 * i;
        for (int x = 45; x <= 49; ++x) EXPECT_EQ(wnd.m_image.GetPixel(x, y), RGBColor(1, 2, 3)) << i;
        EXPECT_EQ(wnd.m_image.GetPixel(44, y), kWhite);
        EXPECT_EQ(wnd.m_image.GetPixel(50, y), kWhite);
        EXPECT_EQ(text.m_aTexts[i].x, 50 - 27 - 5);
        EXPECT_EQ(text.m_aTexts[i].y, y - 9);
    }
    EXPECT_EQ(text.m_aTexts[3].text, "1.5");
}

TEST_F(Ticks, RightAxisLabelsStartFivePixelsRightOfTheFrame) {
    wnd.DrawRightTicks(700, 450, 50, 10.5, -0.25);  // -5.5 .. 5: step 2 (76 px)
    ASSERT_EQ(text.m_aTexts.size(), 5u);
    EXPECT_EQ(text.m_aTexts[0].text, "-4");
    EXPECT_EQ(text.m_aTexts[0].x, 705);
    // -4 sits at round(1.5 / 10.5 * -400) = -57.
    EXPECT_EQ(text.m_aTexts[0].y, 450 - 57 - 9);
    for (int x = 701; x <= 705; ++x) EXPECT_EQ(wnd.m_image.GetPixel(x, 393), RGBColor(1, 2, 3));
    EXPECT_EQ(wnd.m_image.GetPixel(706, 393), kWhite);
}

TEST_F(Ticks, SpansOutsideTheRangeDrawNothing) {
    wnd.DrawXTicks(100, 400, 700, 0.5, 3);
    wnd.DrawLeftTicks(50, 450, 50, 1000, 0);
    wnd.DrawRightTicks(700, 450, 50, 0, 0);
    EXPECT_TRUE(text.m_aTexts.empty());
    EXPECT_EQ(CountNot(wnd.m_image, kWhite), 0);
}

TEST_F(Ticks, WithoutFontsOnlyTheMarks) {
    wnd.ReleaseFonts();
    wnd.DrawXTicks(100, 400, 700, 60, 30);
    EXPECT_TRUE(text.m_aTexts.empty());
    EXPECT_EQ(CountPixels(wnd.m_image, RGBColor(1, 2, 3)), 7 * 4);
}
