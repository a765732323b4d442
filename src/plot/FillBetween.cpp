// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/FillBetween.h"

#include <algorithm>
#include <cmath>

namespace {

// A pixel row or column bound as an int, kept far inside the int range.
int ClampToInt(double v, int low, int high) {
    if (!(v > low)) return low;
    if (!(v < high)) return high;
    return static_cast<int>(v);
}

}  // namespace

void FillBetweenCurves(CImage32& image, const CURVESPEC& curve, std::size_t n, const double* xs, const double* lows,
                       const double* highs, COLOR color) {
    if (!image.IsValid() || !xs || !lows || !highs || n < 2 || !(curve.dSpanX != 0.0) || !(curve.dSpanY != 0.0)) return;
    const PLOTRECT& rc = curve.rcPlot;
    const double x0 = curve.dCenterX - curve.dSpanX / 2.0;
    const double y0 = curve.dCenterY - curve.dSpanY / 2.0;
    auto px = [&](double x) { return rc.left + (rc.right - rc.left) * (x - x0) / curve.dSpanX; };
    // Infinite ends are held far outside the image, so that they interpolate.
    auto py = [&](double y) {
        const double v = rc.bottom + (rc.top - rc.bottom) * (y - y0) / curve.dSpanY;
        return std::isnan(v) ? v : std::clamp(v, -1e7, 1e7);
    };
    // The inside of the plot rectangle, clipped to the image.
    const int colFirst = std::max({std::min(rc.left, rc.right), 0});
    const int colEnd = std::min(std::max(rc.left, rc.right), image.Width());
    const int rowFirst = std::max({std::min(rc.top, rc.bottom), 0});
    const int rowEnd = std::min(std::max(rc.top, rc.bottom), image.Height());
    if (colFirst >= colEnd || rowFirst >= rowEnd) return;

    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double xa = px(xs[i]), xb = px(xs[i + 1]);
        const double la = py(lows[i]), lb = py(lows[i + 1]);
        const double ha = py(highs[i]), hb = py(highs[i + 1]);
        if (!std::isfinite(xa) || !std::isfinite(xb) || std::isnan(la) || std::isnan(lb) || std::isnan(ha) ||
            std::isnan(hb) || xb <= xa)
            continue;
        // The pixel columns whose centres lie in [xa, xb) (the last segment
        // also takes the column at its end).
        const bool last = i + 2 == n;
        const int c0 = std::max(colFirst, ClampToInt(std::ceil(xa - 0.5), colFirst, colEnd));
        int c1 = ClampToInt(last ? std::floor(xb - 0.5) + 1.0 : std::ceil(xb - 0.5), colFirst, colEnd);
        c1 = std::min(c1, colEnd);
        for (int c = c0; c < c1; ++c) {
            const double f = (c + 0.5 - xa) / (xb - xa);
            const double yl = la + (lb - la) * f;
            const double yh = ha + (hb - ha) * f;
            // Rows whose centres lie between the two ends (screen y grows downwards).
            const double top = std::min(yl, yh), bottom = std::max(yl, yh);
            const int r0 = ClampToInt(std::ceil(top - 0.5), rowFirst, rowEnd);
            const int r1 = ClampToInt(std::floor(bottom - 0.5) + 1.0, rowFirst, rowEnd);
            if (r0 < r1) image.FillRect(c, r0, c + 1, r1, color);
        }
    }
}
