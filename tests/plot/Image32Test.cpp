#include "plot/Image32.h"

#include "PlotTestUtil.h"

#include <gtest/gtest.h>

TEST(Image32, CreateGivesBlackImageAndRejectsBadSizes) {
    CImage32 image;
    EXPECT_FALSE(image.IsValid());
    EXPECT_FALSE(image.Create(0, 10));
    EXPECT_FALSE(image.Create(10, -1));
    EXPECT_FALSE(image.Create(1 << 20, 1 << 20));  // far too large: refused, not thrown
    EXPECT_FALSE(image.IsValid());
    ASSERT_TRUE(image.Create(7, 3));
    EXPECT_EQ(image.Width(), 7);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(image.BytesPerLine(), 28);
    for (int i = 0; i < 21; ++i) EXPECT_EQ(image.Data()[i], 0u);
}

TEST(Image32, PixelsOutsideAreBlackAndWritesThereAreDropped) {
    CImage32 image;
    ASSERT_TRUE(image.Create(4, 4));
    image.FillRect(0, 0, 4, 4, kWhite);
    image.SetPixel(-1, 0, kBlack);
    image.SetPixel(4, 0, kBlack);
    image.SetPixel(0, 4, kBlack);
    EXPECT_EQ(CountPixels(image, kWhite), 16);
    EXPECT_EQ(image.GetPixel(-1, 2), kBlack);
    image.SetPixel(2, 1, RGBColor(1, 2, 3));
    EXPECT_EQ(image.GetPixel(2, 1), RGBColor(1, 2, 3));
    EXPECT_EQ(image.Data()[1 * 4 + 2], 0xFF010203u);  // 0xFFRRGGBB, as RGB32 expects
}

TEST(Image32, FillRectExcludesRightAndBottomAndClips) {
    CImage32 image;
    ASSERT_TRUE(image.Create(10, 10));
    image.FillRect(2, 3, 5, 6, kWhite);
    EXPECT_EQ(CountPixels(image, kWhite), 9);
    EXPECT_EQ(image.GetPixel(4, 5), kWhite);
    EXPECT_EQ(image.GetPixel(5, 5), kBlack);
    EXPECT_EQ(image.GetPixel(4, 6), kBlack);
    image.FillRect(-100, -100, 100, 100, kWhite);
    EXPECT_EQ(CountPixels(image, kWhite), 100);
}

TEST(Image32, CreateAgainIsBlackAtTheNewSizeAndAFailureKeepsTheImage) {
    CImage32 image;
    ASSERT_TRUE(image.Create(6, 5));
    image.FillRect(0, 0, 6, 5, kWhite);
    ASSERT_TRUE(image.Create(4, 3));  // smaller: the buffer is reused, cleared
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(CountPixels(image, kBlack), 12);
    image.FillRect(0, 0, 4, 3, kWhite);
    ASSERT_TRUE(image.Create(8, 8));  // larger
    EXPECT_EQ(CountPixels(image, kBlack), 64);
    image.SetPixel(1, 1, kWhite);
    EXPECT_FALSE(image.Create(1 << 20, 1 << 20));
    EXPECT_EQ(image.Width(), 8);
    EXPECT_EQ(image.GetPixel(1, 1), kWhite);
}
