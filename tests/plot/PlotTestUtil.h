#pragma once
// Small helpers of the plot tests.

#include "plot/Image32.h"

#include <cmath>
#include <cstdlib>
#include <ostream>

inline bool operator==(COLOR a, COLOR b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline bool operator!=(COLOR a, COLOR b) { return !(a == b); }
inline std::ostream& operator<<(std::ostream& os, COLOR c) {
    return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

inline constexpr COLOR kWhite = RGBColor(255, 255, 255);
inline constexpr COLOR kBlack = RGBColor(0, 0, 0);

inline int CountPixels(const CImage32& image, COLOR c) {
    int n = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.GetPixel(x, y) == c) ++n;
    return n;
}

inline int CountNot(const CImage32& image, COLOR c) { return image.Width() * image.Height() - CountPixels(image, c); }

// Pixels of the given colour inside [x0, x1] x [y0, y1].
inline int CountIn(const CImage32& image, COLOR c, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (image.GetPixel(x, y) == c) ++n;
    return n;
}

// Pixels that are a blend of white towards c with at least minAlpha
// (anti-aliased line pixels count, other colours do not).
inline int CountTint(const CImage32& image, COLOR c, double minAlpha = 0.4) {
    const int d[3] = {255 - c.r, 255 - c.g, 255 - c.b};
    int k = 0;
    for (int i = 1; i < 3; ++i)
        if (d[i] > d[k]) k = i;
    if (d[k] == 0) return 0;
    int n = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const COLOR p = image.GetPixel(x, y);
            const int v[3] = {255 - p.r, 255 - p.g, 255 - p.b};
            const double alpha = static_cast<double>(v[k]) / d[k];
            if (alpha < minAlpha || alpha > 1.01) continue;
            bool same = true;
            for (int i = 0; i < 3; ++i)
                if (std::abs(v[i] - alpha * d[i]) > 3.0) same = false;
            n += same;
        }
    return n;
}
