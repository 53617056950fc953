// The drop shadow: settings ranges and the computed bitmap.
#include "ui/wnd_shadow.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(WndShadowTest, SettingsOutOfRangeAreRefusedAndKept) {
    CWndShadow s;
    EXPECT_TRUE(s.SetSize(6));
    EXPECT_FALSE(s.SetSize(21));
    EXPECT_FALSE(s.SetSize(-21));
    EXPECT_EQ(s.Size, 6);
    EXPECT_TRUE(s.SetPosition(1, 1));
    EXPECT_FALSE(s.SetPosition(0, -21));
    EXPECT_EQ(s.OffsetX, 1);
    EXPECT_EQ(s.OffsetY, 1);
    EXPECT_FALSE(s.SetSharpness(21));
    EXPECT_FALSE(s.SetDarkness(256));
    EXPECT_TRUE(s.SetDarkness(255));
}

TEST(WndShadowTest, KernelFadesOverTheSharpness) {
    // Size 6, sharpness 10: radius 10, centre radius 0, opacity = (1 − d / 11) × darkness.
    EXPECT_EQ(ShadowKernelOpacity(0.0, 6, 10, 20), 20);
    EXPECT_EQ(ShadowKernelOpacity(5.5, 6, 10, 20), 10);
    EXPECT_EQ(ShadowKernelOpacity(10.0, 6, 10, 20), 1);
    EXPECT_EQ(ShadowKernelOpacity(10.01, 6, 10, 20), 0);
    // Size above sharpness: full darkness inside the centre radius.
    EXPECT_EQ(ShadowKernelOpacity(3.0, 10, 5, 200), 200);
}

TEST(WndShadowTest, MainWindowShadowBitmap) {
    CWndShadow s;
    ASSERT_TRUE(s.SetSize(6));
    ASSERT_TRUE(s.SetSharpness(10));
    ASSERT_TRUE(s.SetDarkness(20));
    ASSERT_TRUE(s.SetPosition(1, 1));
    s.SetColor(0x26003B76);  // red 0x76, green 0x3B, blue 0x00
    const ShadowBitmap bmp = s.Compute(600, 400, RoundRectAnchors(600, 400, 2, 2));
    ASSERT_EQ(bmp.width, 612);
    ASSERT_EQ(bmp.height, 412);
    // Under the parent (shifted by the offset): transparent.
    EXPECT_EQ(bmp.At(306, 206), 0u);
    EXPECT_EQ(bmp.At(6 - 1 + 10, 6 - 1 + 10), 0u);
    // Just outside the parent's right edge, mid-height: shadow, never above the darkness.
    const uint32_t edge = bmp.At(6 - 1 + 600 + 1, 206);
    EXPECT_GT(ShadowBitmap::Alpha(edge), 0);
    EXPECT_LE(ShadowBitmap::Alpha(edge), 20);
    // Premultiplied colour: red channel ≤ alpha, blue 0.
    EXPECT_LE((edge >> 16) & 0xFF, ShadowBitmap::Alpha(edge));
    EXPECT_EQ(edge & 0xFF, 0u);
    // The outermost corner is transparent; the shadow fades outwards.
    EXPECT_EQ(bmp.At(0, 0), 0u);
    EXPECT_GE(ShadowBitmap::Alpha(bmp.At(611 - 3, 206)), ShadowBitmap::Alpha(bmp.At(611, 206)));
}

TEST(WndShadowTest, RoundedCornersLeaveTheCornerPixelOutside) {
    const RowAnchors rows = RoundRectAnchors(100, 50, 4, 4);
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_GT(rows[0].first, 0);
    EXPECT_EQ(rows[25].first, 0);
    EXPECT_EQ(rows[25].second, 100);
    EXPECT_EQ(rows[0].first, rows[49].first);
}

}  // namespace
