#include "plot/DiagramWnd.h"

#include "plot/PlotMetrics.h"
#include "plot/PlotPlatform.h"
#include "text/Format.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

inline std::uint32_t Pack(COLOR c) {
    return 0xFF000000u | (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | std::uint32_t(c.b);
}

// floor and ceil for values well inside the range of long long.
inline long long FloorToInt(double v) {
    const long long i = static_cast<long long>(v);
    return i - (static_cast<double>(i) > v);
}
inline long long CeilToInt(double v) {
    const long long i = static_cast<long long>(v);
    return i + (static_cast<double>(i) < v);
}

// Blends one channel: old + trunc(alpha * (new - old) + 0.5), modulo 256.
inline std::uint32_t BlendChannel(std::uint32_t old, double target, double alpha) {
    const int delta = static_cast<int>(alpha * (target - static_cast<double>(static_cast<int>(old))) + 0.5);
    return static_cast<std::uint32_t>(static_cast<int>(old) + delta) & 0xFFu;
}

// A colour's channels as doubles, ready for blending.
struct BLENDTARGET {
    double r, g, b;
    explicit BLENDTARGET(COLOR c) : r(c.r), g(c.g), b(c.b) {}
};

inline std::uint32_t BlendPacked(std::uint32_t old, const BLENDTARGET& c, double alpha) {
    const std::uint32_t r = BlendChannel((old >> 16) & 0xFF, c.r, alpha);
    const std::uint32_t g = BlendChannel((old >> 8) & 0xFF, c.g, alpha);
    const std::uint32_t b = BlendChannel(old & 0xFF, c.b, alpha);
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Coverage of pixels by a round-capped line of half width h from (x0, y0)
// along (dx, dy): 0.5 - (d - h), d the distance to the nearest point of the
// segment. Beside the segment that is the distance to the line itself, found
// without a root and exact for pixels on a row or column line (projecting
// onto the segment first would leave rounding noise that keeps such pixels
// just short of full coverage); only the round ends need the full distance.
struct SegmentPainter {
    double x0, y0, dx, dy, len2, len, h;
    std::uint32_t packed;
    BLENDTARGET color;

    inline double Coverage(double X, double Y) const {
        const double rx = X - x0;
        const double ry = Y - y0;
        const double along = rx * dx + ry * dy;
        double d;
        if (along > 0.0 && along < len2) {
            d = std::fabs(rx * dy - ry * dx) / len;
        } else {
            const double ex = along <= 0.0 ? rx : X - (x0 + dx);
            const double ey = along <= 0.0 ? ry : Y - (y0 + dy);
            d = std::sqrt(ex * ex + ey * ey);
        }
        return 0.5 - (d - h);
    }
    // Chooses between keeping, setting and blending without a branch: which
    // one a pixel gets is hard to predict.
    inline void Apply(std::uint32_t* p, double c) const {
        const std::uint32_t old = *p;
        const double alpha = std::min(std::max(c, 0.0), 1.0);
        const std::uint32_t blended = BlendPacked(old, color, alpha);
        const std::uint32_t full = c >= 1.0 ? packed : blended;
        *p = c <= 0.0 ? old : full;
    }
};

// The steps of a Bresenham line from (x0, y0) towards (x1, y1), the end point
// excluded: step i moves i pixels along the major axis and round(i * dMinor /
// dMajor) (ties toward the start) along the minor one.
struct MAJORWALK {
    bool xMajor = true;
    long long steps = 0;
    long long dMajor = 1;
    long long dMinor = 0;
    long long majorStart = 0;
    long long minorStart = 0;
    int majorStep = 1;
    int minorStep = 1;

    MAJORWALK(int x0, int y0, int x1, int y1) {
        const long long ddx = std::llabs(static_cast<long long>(x1) - x0);
        const long long ddy = std::llabs(static_cast<long long>(y1) - y0);
        const int sx = x1 > x0 ? 1 : -1;
        const int sy = y1 > y0 ? 1 : -1;
        xMajor = ddx >= ddy;
        steps = xMajor ? ddx : ddy;
        dMajor = xMajor ? ddx : ddy;
        dMinor = xMajor ? ddy : ddx;
        majorStart = xMajor ? x0 : y0;
        minorStart = xMajor ? y0 : x0;
        majorStep = xMajor ? sx : sy;
        minorStep = xMajor ? sy : sx;
    }
    long long Major(long long i) const { return majorStart + majorStep * i; }
    long long Minor(long long i) const {
        return minorStart + minorStep * ((2 * i * dMinor + dMajor - 1) / (2 * dMajor));
    }
    // The steps whose major coordinate, or one up to reach pixels before it,
    // lies in [0, limit): first > last when there are none.
    void Range(long long limit, long long reach, long long& first, long long& last) const {
        first = 0;
        last = steps - 1;
        if (majorStep > 0) {
            first = std::max(first, -reach - majorStart);
            last = std::min(last, limit - 1 - majorStart);
        } else {
            first = std::max(first, majorStart - (limit - 1));
            last = std::min(last, majorStart + reach);
        }
    }
};

}  // namespace

CA1DiagramWnd::CA1DiagramWnd(ITextRenderer* text, IImageEncoder* encoder) : m_pText(text), m_pEncoder(encoder) {}

int ScaledPixels(double logical, double scale) {
    const double v = std::round(logical * scale);
    if (v > -kFarPixel && v < kFarPixel && logical > 0.0 && v < 1.0) return 1;
    return ClampFarPixel(v);
}

bool CA1DiagramWnd::Create(int width, int height, double scale) {
    if (!(scale > 0.0 && scale < 64.0)) return false;
    if (!m_image.Create(width, height)) return false;
    m_dScale = scale;
    return true;
}

bool CA1DiagramWnd::SaveImage(const std::string& path) {
    if (!IsCreated() || !m_pEncoder) return false;
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return false;
    return m_pEncoder->Save(m_image, path, path.substr(dot));
}

void CA1DiagramWnd::FillRect(const PLOTRECT& rc, COLOR color) {
    m_image.FillRect(rc.left, rc.top, rc.right, rc.bottom, color);
}

void CA1DiagramWnd::BlendPixel(int x, int y, double alpha, COLOR color) {
    if (!m_image.Contains(x, y)) return;
    std::uint32_t* p = m_image.Data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_image.Width()) + x;
    *p = BlendPacked(*p, BLENDTARGET(color), alpha);
}

// The wide lines of dense curves spend much of their time rounding the
// line's position on every step; SSE4.1 does that in one instruction. Both
// versions compute exactly the same pixels (no contraction of operations).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__GLIBC__) &&                           \
    !defined(__SANITIZE_ADDRESS__)
#define DW_LINE_CLONES __attribute__((target_clones("sse4.1", "default")))
#else
#define DW_LINE_CLONES
#endif

DW_LINE_CLONES void CA1DiagramWnd::LineToAA(double x1, double y1, double width, COLOR color) {
    const double x0 = m_dCurX;
    const double y0 = m_dCurY;
    m_dCurX = x1;
    m_dCurY = y1;
    if (!IsCreated() || !(width > 0.0)) return;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(width))
        return;
    const double h = width / 2.0;
    const double l = std::trunc(h + 0.5) + 1.0;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0.0 || !std::isfinite(len2)) return;

    const int W = m_image.Width();
    const int H = m_image.Height();
    std::uint32_t* const pixels = m_image.Data();
    const SegmentPainter painter{x0, y0, dx, dy, len2, std::sqrt(len2), h, Pack(color), BLENDTARGET(color)};

    // The line runs along the major axis A; across it (B) each step covers
    // the 2l + 1 pixels around the line's position. Only pixels closer than
    // h + 0.5 to the segment get any coverage, which bounds both ranges
    // further: steps more than h + 0.5 beyond the ends, and pixels farther
    // across than (h + 0.5) / cos(angle) from the line, are skipped. The small
    // margins keep these pure shortcuts that never change a pixel.
    constexpr double kMargin = 1e-6;
    const bool horizontal = std::fabs(dy) <= std::fabs(dx);
    const double a0 = horizontal ? x0 : y0;
    const double a1 = horizontal ? x1 : y1;
    const double b0 = horizontal ? y0 : x0;
    const double major = horizontal ? dx : dy;
    const double db = horizontal ? dy : dx;
    const double reach = (h + 0.5) * std::sqrt(len2) / std::fabs(major) + kMargin;
    const int majorLimit = horizontal ? W : H;
    const int minorLimit = horizontal ? H : W;

    const double aMin = std::min(a0, a1);
    const double aMax = std::max(a0, a1);
    double first = std::max(std::floor(aMin) - l, std::ceil(aMin - (h + 0.5) - kMargin));
    double last = std::min(std::ceil(aMax) + l, std::floor(aMax + (h + 0.5) + kMargin));
    if (first < 0.0) first = 0.0;
    if (last > majorLimit - 1) last = majorLimit - 1;
    if (first > last) return;

    // When every pixel within reach lies inside the 2l + 1 around the rounded
    // line position anyway, that position is not needed and the line's place
    // can be stepped with a multiplication (its tiny rounding error is far
    // inside the margin for lines of sensible size).
    const bool quick = reach <= l - 0.5 - kMargin && std::fabs(b0) < 1e7 && std::fabs(db) < 1e7 &&
                       std::fabs(a0) < 1e7 && std::fabs(a1) < 1e7;
    const double slope = db / major;
    const std::ptrdiff_t stride = horizontal ? W : 1;

    for (int A = static_cast<int>(first); A <= static_cast<int>(last); ++A) {
        long long bLo, bHi;
        if (quick) {
            const double line = b0 + slope * (A - a0);
            bLo = CeilToInt(line - reach);
            bHi = FloorToInt(line + reach);
        } else {
            const double line = b0 + db * (A - a0) / major;
            if (!(line > -4e18 && line < 4e18)) continue;
            const double center = std::trunc(line + 0.5);
            bLo = static_cast<long long>(std::max(center - l, std::ceil(line - reach)));
            bHi = static_cast<long long>(std::min(center + l, std::floor(line + reach)));
        }
        if (bLo < 0) bLo = 0;
        if (bHi > minorLimit - 1) bHi = minorLimit - 1;
        if (bLo > bHi) continue;
        std::uint32_t* p = horizontal ? pixels + static_cast<std::size_t>(bLo) * W + A
                                      : pixels + static_cast<std::size_t>(A) * W + bLo;
        // A pixel that already has the line's colour keeps it whatever its
        // coverage (kept, set, or blended toward itself): dense curves touch
        // such pixels many times, so they are passed over first.
        for (long long B = bLo; B <= bHi; ++B, p += stride) {
            if (*p == painter.packed) continue;
            const double Bd = static_cast<double>(B);
            painter.Apply(p, horizontal ? painter.Coverage(A, Bd) : painter.Coverage(Bd, A));
        }
    }
}

void CA1DiagramWnd::DrawMarker(double x, double y, unsigned int type, unsigned int size, COLOR color) {
    if (!IsCreated() || type == MARKER_NONE || type > MARKER_DISC || size == 0) return;
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    const int xi = RoundPixel(x);
    const int yi = RoundPixel(y);
    const double s = size;

    if (type == MARKER_PIXEL) {
        m_image.SetPixel(xi, yi, color);
        return;
    }
    if (type == MARKER_CROSS) {
        const COLOR oldPen = SelectPen(color);
        const double hl = (s - 1.0) / 2.0;
        MoveTo(RoundPixel(x - hl), yi);
        LineTo(RoundPixel(x + hl) + 1, yi);
        MoveTo(xi, RoundPixel(y - hl));
        LineTo(xi, RoundPixel(y + hl) + 1);
        SelectPen(oldPen);
        return;
    }

    const int R = static_cast<int>(std::trunc(s / 2.0 + 0.5));
    const double half = s / 2.0;
    const int W = m_image.Width();
    const int xFirst = std::max(xi - (R + 1), 0);
    const int xLast = std::min(xi + R + 1, W - 1);
    const int yFirst = std::max(yi - (R + 1), 0);
    const int yLast = std::min(yi + R + 1, m_image.Height() - 1);
    const std::uint32_t packed = Pack(color);
    const BLENDTARGET target(color);
    for (int Y = yFirst; Y <= yLast; ++Y) {
        std::uint32_t* row = m_image.Data() + static_cast<std::size_t>(Y) * W;
        for (int X = xFirst; X <= xLast; ++X) {
            double c;
            if (type == MARKER_SQUARE) {
                const double ex = std::fabs(X - x) - half;
                const double ey = std::fabs(Y - y) - half;
                if (ex >= 0.5 || ey >= 0.5) continue;
                c = std::clamp(0.5 - ex, 0.0, 1.0) * std::clamp(0.5 - ey, 0.0, 1.0);
                if (c == 1.0) {
                    row[X] = packed;
                    continue;
                }
            } else {
                const double e = std::sqrt((X - x) * (X - x) + (Y - y) * (Y - y)) - half;
                if (e >= 0.5) continue;
                if (e < -0.5) {
                    row[X] = packed;
                    continue;
                }
                c = 0.5 - e;
            }
            row[X] = BlendPacked(row[X], target, c);
        }
    }
}

void CA1DiagramWnd::DrawCurve(const CURVESPEC* curve, std::size_t n, const double* xs, const double* ys) {
    if (!IsCreated() || !curve || !xs || !ys || n == 0) return;
    const double left = curve->rcPlot.left;
    const double right = curve->rcPlot.right;
    const double top = curve->rcPlot.top;
    const double bottom = curve->rcPlot.bottom;
    const double x0 = curve->dCenterX - curve->dSpanX / 2.0;
    const double y0 = curve->dCenterY - curve->dSpanY / 2.0;
    auto px = [&](double x) { return left + (right - left) * (x - x0) / curve->dSpanX; };
    auto py = [&](double y) { return bottom + (top - bottom) * (y - y0) / curve->dSpanY; };

    if (curve->nLineWidth > 0 && n > 1) {
        const double width = curve->nLineWidth;
        m_dCurX = px(xs[0]);
        m_dCurY = py(ys[0]);
        for (std::size_t i = 1; i < n; ++i) LineToAA(px(xs[i]), py(ys[i]), width, curve->crLine);
    }
    if (curve->nMarkerSize > 0) {
        for (std::size_t i = 0; i < n; ++i)
            DrawMarker(px(xs[i]), py(ys[i]), curve->nMarkerType, curve->nMarkerSize, curve->crMarker);
    }
}

// --- 1-pixel pen ---

COLOR CA1DiagramWnd::SelectPen(COLOR color) {
    const COLOR old = m_crPen;
    m_crPen = color;
    return old;
}

void CA1DiagramWnd::MoveTo(int x, int y) {
    m_nPenX = x;
    m_nPenY = y;
}

void CA1DiagramWnd::LineTo(int x1, int y1) {
    const int x0 = m_nPenX;
    const int y0 = m_nPenY;
    m_nPenX = x1;
    m_nPenY = y1;
    if (!IsCreated()) return;
    const int pen = Px(1);
    if (pen > 1) {
        WideLineTo(x0, y0, x1, y1, pen);
        return;
    }
    const int W = m_image.Width();
    const int H = m_image.Height();
    std::uint32_t* const pixels = m_image.Data();
    const std::uint32_t packed = Pack(m_crPen);

    if (y0 == y1) {  // along a row: [x0, x1) or (x1, x0]
        if (y0 < 0 || y0 >= H || x0 == x1) return;
        long long a = x0 < x1 ? x0 : static_cast<long long>(x1) + 1;
        long long b = x0 < x1 ? static_cast<long long>(x1) - 1 : x0;
        a = std::max(a, 0LL);
        b = std::min(b, static_cast<long long>(W - 1));
        std::uint32_t* row = pixels + static_cast<std::size_t>(y0) * W;
        for (long long x = a; x <= b; ++x) row[x] = packed;
        return;
    }
    if (x0 == x1) {  // along a column
        if (x0 < 0 || x0 >= W) return;
        long long a = y0 < y1 ? y0 : static_cast<long long>(y1) + 1;
        long long b = y0 < y1 ? static_cast<long long>(y1) - 1 : y0;
        a = std::max(a, 0LL);
        b = std::min(b, static_cast<long long>(H - 1));
        for (long long y = a; y <= b; ++y) pixels[static_cast<std::size_t>(y) * W + x0] = packed;
        return;
    }

    // Bresenham along the major axis, the end point excluded. Steps outside
    // the image are skipped in one go.
    const MAJORWALK walk(x0, y0, x1, y1);
    long long iFirst = 0;
    long long iLast = 0;
    walk.Range(walk.xMajor ? W : H, 0, iFirst, iLast);
    const long long minorLimit = walk.xMajor ? H : W;
    const bool xMajor = walk.xMajor;
    const int minorStep = walk.minorStep;
    for (long long i = iFirst; i <= iLast; ++i) {
        const long long a = walk.Major(i);
        const long long b = walk.Minor(i);
        if (b < 0 || b >= minorLimit) {
            // Once the minor coordinate has left the image in its own direction it never returns.
            if ((minorStep > 0) == (b >= minorLimit)) break;
            continue;
        }
        const long long x = xMajor ? a : b;
        const long long y = xMajor ? b : a;
        pixels[static_cast<std::size_t>(y) * W + static_cast<std::size_t>(x)] = packed;
    }
}

// The pen of width w > 1: the 1-pixel line with every pixel grown into a w x w
// square reaching right and down, stepping w pixels per pixel of the
// magnified figure. Along a row or column the line covers [start, end) going
// right or down and [end + w, start + w) going left or up, so the square at
// the end point stays out as the end pixel does at width 1.
void CA1DiagramWnd::WideLineTo(int x0, int y0, int x1, int y1, int w) {
    const COLOR c = m_crPen;
    const long long W = m_image.Width();
    const long long H = m_image.Height();
    auto fill = [&](long long left, long long top, long long right, long long bottom) {
        left = std::max(left, 0LL);
        top = std::max(top, 0LL);
        right = std::min(right, W);
        bottom = std::min(bottom, H);
        if (left < right && top < bottom)
            m_image.FillRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                             static_cast<int>(bottom), c);
    };
    if (x0 == x1 && y0 == y1) return;
    if (y0 == y1) {
        if (x0 < x1) fill(x0, y0, x1, static_cast<long long>(y0) + w);
        else fill(static_cast<long long>(x1) + w, y0, static_cast<long long>(x0) + w, static_cast<long long>(y0) + w);
        return;
    }
    if (x0 == x1) {
        if (y0 < y1) fill(x0, y0, static_cast<long long>(x0) + w, y1);
        else fill(x0, static_cast<long long>(y1) + w, static_cast<long long>(x0) + w, static_cast<long long>(y0) + w);
        return;
    }
    // Any other direction: the squares on the Bresenham pixels of the line,
    // only those along the image's extent (a square reaches w - 1 pixels back).
    const MAJORWALK walk(x0, y0, x1, y1);
    long long iFirst = 0;
    long long iLast = 0;
    walk.Range(walk.xMajor ? W : H, w - 1, iFirst, iLast);
    for (long long i = iFirst; i <= iLast; ++i) {
        const long long a = walk.Major(i);
        const long long b = walk.Minor(i);
        const long long x = walk.xMajor ? a : b;
        const long long y = walk.xMajor ? b : a;
        fill(x, y, x + w, y + w);
    }
}

// --- text ---

bool CA1DiagramWnd::SelectFonts(const std::string& face, int size) {
    m_bFonts = false;
    if (!m_pText || face.empty() || size == 0) return false;
    m_bFonts = m_pText->SelectFonts(face, Px(size));
    return m_bFonts;
}

COLOR CA1DiagramWnd::SetTextColor(COLOR color) {
    const COLOR old = m_crText;
    m_crText = color;
    return old;
}

void CA1DiagramWnd::TextExtent(const std::string& text, bool vertical, int& cx, int& cy) {
    cx = 0;
    cy = 0;
    if (m_bFonts && m_pText) m_pText->TextExtent(text, vertical, cx, cy);
}

void CA1DiagramWnd::TextOut(int x, int y, const std::string& text, bool vertical) {
    if (m_bFonts && m_pText && IsCreated()) m_pText->DrawText(m_image, x, y, text, m_crText, vertical);
}

// --- ticks ---

double ChooseTickStep(double span, int axisLength, double scale) {
    if (!(span >= 1.0 && span < 1000.0)) return 0.0;
    static constexpr double kSteps[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500};
    // In logical pixels, so the ticks sit as far apart at every scale.
    const double length = std::fabs(static_cast<double>(axisLength)) / (scale > 0.0 ? scale : 1.0);
    double chosen = 1.0;
    double best = length;  // qualifying distances lie below the axis length
    for (double step : kSteps) {
        const double spacing = std::trunc(step / span * length + 0.5);
        const double distance = std::fabs(spacing - 80.0);
        if (distance < best) {
            best = distance;
            chosen = step;
        }
    }
    return chosen;
}

std::string TickLabel(double value, double step) {
    // Whole numbers as "%d" would print them, without the int range: an
    // image number near 10^9 times a step of 500 is far beyond it. Adding
    // 0.0 turns a rounded -0 into 0.
    if (step >= 1.0) return FormatText("%.0f", std::round(value) + 0.0);
    return FormatText("%.1f", value);
}

void CA1DiagramWnd::DrawXTicks(int left, int bottom, int right, double span, double centre) {
    DrawTicks(0, bottom, left, right, span, centre);
}

void CA1DiagramWnd::DrawLeftTicks(int left, int bottom, int top, double span, double centre) {
    DrawTicks(1, left, bottom, top, span, centre);
}

void CA1DiagramWnd::DrawRightTicks(int right, int bottom, int top, double span, double centre) {
    DrawTicks(2, right, bottom, top, span, centre);
}

namespace {
struct TICK {
    int q;  // pixel offset from the axis start
    std::string label;
};

// The ticks of an axis of the given length (x axis: offsets truncated after
// adding 0.5; y axes: rounded half away from zero).
std::vector<TICK> ComputeTicks(bool xAxis, int length, double span, double centre, double scale) {
    std::vector<TICK> ticks;
    if (!std::isfinite(centre)) return ticks;
    const double step = ChooseTickStep(span, length, scale);
    if (step == 0.0) return ticks;
    const double e = span;
    const double f = centre;
    const double k0 = std::ceil((f - e / 2.0) / step);
    const double k1 = std::floor((f + e / 2.0) / step);
    if (!(k0 > -1e15 && k1 < 1e15) || k1 < k0) return ticks;
    for (long long k = static_cast<long long>(k0); k <= static_cast<long long>(k1); ++k) {
        const double v = static_cast<double>(k) * step;
        const double t = (v - f + e / 2.0) / e * length;
        ticks.push_back(TICK{xAxis ? RoundPixel(t) : static_cast<int>(std::round(t)), TickLabel(v, step)});
    }
    return ticks;
}
}  // namespace

int CA1DiagramWnd::TickLabelsWidth(int bottom, int top, double span, double centre) {
    int widest = 0;
    if (!m_bFonts) return 0;
    for (const TICK& tick : ComputeTicks(false, top - bottom, span, centre, m_dScale)) {
        int cx = 0;
        int cy = 0;
        TextExtent(tick.label, false, cx, cy);
        widest = std::max(widest, cx);
    }
    return widest;
}

// axis 0: x axis at row `origin` from column start to end; 1 / 2: left / right
// axis at column `origin` from row start (bottom) to end (top).
void CA1DiagramWnd::DrawTicks(int axis, int origin, int start, int end, double span, double centre) {
    if (!IsCreated()) return;
    const int markStart = Px(kTickMarkStart);
    const int markEndX = Px(kTickMarkEndX);
    const int markEndY = Px(kTickMarkEndY);
    const int labelGap = Px(kTickLabelGap);
    for (const TICK& tick : ComputeTicks(axis == 0, end - start, span, centre, m_dScale)) {
        const int q = tick.q;
        int cx = 0;
        int cy = 0;
        TextExtent(tick.label, false, cx, cy);
        const int halfWidth = RoundPixel(cx / 2.0);
        const int halfHeight = RoundPixel(cy / 2.0);
        if (axis == 0) {
            MoveTo(start + q, origin + markStart);
            LineTo(start + q, origin + markEndX);
            TextOut(start + q - halfWidth, origin + labelGap, tick.label, false);
        } else if (axis == 1) {
            MoveTo(origin - markStart, start + q);
            LineTo(origin - markEndY, start + q);
            TextOut(origin - cx - labelGap, start + q - halfHeight, tick.label, false);
        } else {
            MoveTo(origin + markStart, start + q);
            LineTo(origin + markEndY, start + q);
            TextOut(origin + labelGap, start + q - halfHeight, tick.label, false);
        }
    }
}
