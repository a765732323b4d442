// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sizes both programs' diagrams share, and the one rule for turning a
// position that may lie far outside the image into an integer pixel.

#include <cmath>

// The diagram image of the desktop program's pages (its view less the
// one-pixel edge) and of the batch tool's exports, in pixels.
inline constexpr int kDefaultDiagramWidth = 720;
inline constexpr int kDefaultDiagramHeight = 440;

// Tick marks run from kTickMarkStart to kTickMarkEndX (x axis) or
// kTickMarkEndY (y axes) logical pixels off the frame; their labels, and the
// y titles' room beside them, start kTickLabelGap logical pixels off it.
inline constexpr int kTickMarkStart = 1;
inline constexpr int kTickMarkEndX = 5;
inline constexpr int kTickMarkEndY = 6;
inline constexpr int kTickLabelGap = 5;

// Pixel positions beyond this are as good as infinitely far outside; keeping
// them small leaves room for the offsets added to them.
inline constexpr double kFarPixel = 268435456.0;  // 2^28

// An integer pixel clamped to +-kFarPixel (not a number: -kFarPixel).
inline int ClampFarPixel(double r) {
    if (!(r > -kFarPixel)) return static_cast<int>(-kFarPixel);
    if (!(r < kFarPixel)) return static_cast<int>(kFarPixel);
    return static_cast<int>(r);
}

// trunc(v + 0.5) as an int, for positions that may lie far outside the image.
inline int RoundPixel(double v) { return ClampFarPixel(std::trunc(v + 0.5)); }
