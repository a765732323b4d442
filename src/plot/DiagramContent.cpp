#include "plot/DiagramContent.h"

#include "eval/Lifetime.h"
#include "plot/DiagramBand.h"
#include "plot/DiagramWnd.h"
#include "plot/FillBetween.h"
#include "plot/PlotMetrics.h"
#include "series/A1TimeSeries.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr COLOR kBlack = RGBColor(0, 0, 0);
constexpr COLOR kBandColor = RGBColor(80, 110, 220);

// Centre and span of one axis in data units.
struct AXIS {
    double centre = 0.0;
    double span = 0.0;
    double Low() const { return centre - span / 2.0; }
    double High() const { return centre + span / 2.0; }
};

AXIS AxisFromRange(double low, double high) { return AXIS{(low + high) / 2.0, 1.05 * (high - low)}; }

// The axis starts at zero: it keeps its upper end.
AXIS FromZero(const AXIS& a) {
    const double top = a.centre + a.span / 2.0;
    return AXIS{top / 2.0, top};
}

std::string Trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    const std::size_t last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

const UNIT* UnitAt(const std::vector<UNIT>& table, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return nullptr;
    return &table[static_cast<std::size_t>(index)];
}

std::string Title(const char* name, const UNIT* unit) {
    return std::string(name) + (unit ? Trimmed(unit->strName) : std::string()) + "]";
}

double Factor(const UNIT* unit) { return unit && unit->dFactor != 0.0 ? unit->dFactor : 1.0; }

// A time that the model searches returned and that can be placed on an axis.
bool UsableTime(double t) { return std::isfinite(t) && t >= 0.0 && t < 1e300; }

class CDiagramBuilder {
public:
    CDiagramBuilder(const CA1TimeSeries& series, CA1DiagramWnd& wnd, const DIAGRAMSTYLE& style)
        : m_s(series), m_wnd(wnd), m_style(style), m_t0(series.m_dImagePeriod) {}

    bool Draw();

private:
    bool HasSomethingToShow() const;
    void ComputeRanges();
    void ChooseUnitsAndTitles();
    void Layout();
    void DrawCurves();
    void DrawA22Time();
    void DrawA22Scatter();
    void DrawCharFunc();
    void DrawModel();
    void DrawProbability();
    void DrawGuide(double t, double v);
    void DrawBandFill(const DIAGRAMBAND& band);
    // A curve sampled every two pixels from t = 0 up to the right end of the
    // x axis; stops at a value above the top of the y axis when asked to.
    template <class F>
    void DrawSampledCurve(F value, bool stopAboveTop, unsigned int width, COLOR color);
    void DrawFrame();
    void DrawText();
    CURVESPEC CurveFor(const AXIS& y) const;
    // The samples' curve on the y axis: crosses joined by a thin line.
    CURVESPEC SampleCurve(COLOR marker, COLOR line) const;
    // A logical length of the layout in image pixels.
    int Px(double logical) const { return m_wnd.Px(logical); }
    unsigned int PxSize(unsigned int logical) const { return static_cast<unsigned int>(Px(logical)); }

    const CA1TimeSeries& m_s;
    CA1DiagramWnd& m_wnd;
    const DIAGRAMSTYLE& m_style;
    const double m_t0;
    int m_nType = 0;
    MODELPARAMS m_model;
    double m_dA2 = 0.0;         // squared tolerance
    double m_dT50 = kNoResult;  // guide time of the probability diagram [s]
    AXIS m_x, m_y, m_y2;        // m_y2: A22-y axis of the A22-time diagram
    PLOTRECT m_rc;
    bool m_bFonts = false;
    double m_fx = 1.0, m_fy = 1.0;
    std::string m_strXTitle, m_strYTitle, m_strY2Title;
    int m_nXTitleCx = 0, m_nXTitleCy = 0;
};

bool CDiagramBuilder::HasSomethingToShow() const {
    if (m_nType < DISPLAY_A22_TIME || m_nType > DISPLAY_PROBABILITY) return false;
    if (m_s.m_aSamples.empty()) return false;
    if (m_nType >= DISPLAY_CHAR_FUNC && m_s.m_aCharFunc.empty()) return false;
    if (m_nType >= DISPLAY_MODEL && m_s.ModelValid < 1) return false;
    return true;
}

bool CDiagramBuilder::Draw() {
    m_nType = m_style.nDisplayType;
    m_wnd.FillRect(PLOTRECT{0, 0, m_style.nWidth, m_style.nHeight}, m_style.crBackground);
    if (!HasSomethingToShow()) return false;
    m_model = ModelParameters(m_s);
    m_dA2 = m_s.Tolerance * m_s.Tolerance;

    ComputeRanges();
    m_rc = m_style.rcPlot;
    m_bFonts = !m_style.strFontFace.empty() && m_style.nFontSize != 0 &&
               m_wnd.SelectFonts(m_style.strFontFace, m_style.nFontSize);
    if (m_bFonts) {
        ChooseUnitsAndTitles();
        Layout();
    }
    const COLOR oldPen = m_wnd.PenColor();
    DrawCurves();
    DrawFrame();
    if (m_bFonts) DrawText();
    m_wnd.SelectPen(oldPen);
    m_wnd.ReleaseFonts();
    return true;
}

void CDiagramBuilder::ComputeRanges() {
    if (m_nType <= DISPLAY_A22_2D) {
        double tMin = 0, tMax = 0, xMin = 0, xMax = 0, yMin = 0, yMax = 0;
        m_s.GetSampleRanges(tMin, tMax, xMin, xMax, yMin, yMax);
        const AXIS ax = AxisFromRange(xMin, xMax);
        const AXIS ay = AxisFromRange(yMin, yMax);
        const double common = std::max(ax.span, ay.span);
        if (m_nType == DISPLAY_A22_TIME) {
            m_x = AxisFromRange(tMin, tMax);
            m_y = AXIS{ax.centre, common};
            m_y2 = AXIS{ay.centre, common};
        } else {
            m_x = AXIS{ax.centre, common};
            m_y = AXIS{ay.centre, common};
        }
        return;
    }

    double tMax = 0.0;
    double fMax = 0.0;
    for (const A1SAMPLE& p : m_s.m_aCharFunc) {
        tMax = std::max(tMax, p.nIndex * m_t0);
        fMax = std::max(fMax, p.dX + p.dY);
    }
    if (m_nType == DISPLAY_CHAR_FUNC) {
        m_x = FromZero(AxisFromRange(0.0, tMax));
        m_y = FromZero(AxisFromRange(0.0, fMax));
    } else if (m_nType == DISPLAY_MODEL) {
        // Widen to show the model lifetime and the model up to there; a
        // lifetime the search could not find leaves the measured range.
        if (UsableTime(m_s.ModelLifetime)) tMax = std::max(tMax, 1.15 * m_s.ModelLifetime);
        const double fEnd = ModelFunction(m_model, tMax / m_t0);
        if (std::isfinite(fEnd)) fMax = std::max(fMax, fEnd);
        m_x = FromZero(AxisFromRange(0.0, tMax));
        m_y = FromZero(AxisFromRange(0.0, fMax));
    } else {
        // Up to where P falls to 0.2. When P never gets there (an infinite
        // tolerance) or falls at once (a zero tolerance), or the search found
        // nothing, the axis shows the measured time spans instead.
        const double t20 = m_t0 * InverseStayProbability(m_model, m_dA2, 0.2);
        if (UsableTime(t20) && t20 > 0.0) tMax = t20;
        m_dT50 = m_t0 * InverseStayProbability(m_model, m_dA2, kP50);
        m_x = FromZero(AxisFromRange(0.0, tMax));
        m_y = FromZero(AxisFromRange(0.0, 1.0));
    }
}

void CDiagramBuilder::ChooseUnitsAndTitles() {
    const UNIT* xUnit = nullptr;
    const UNIT* yUnit = nullptr;
    switch (m_nType) {
    case DISPLAY_A22_TIME:
        xUnit = UnitAt(m_s.m_aTimeUnits, m_s.ChooseTimeUnit(m_x.span));
        yUnit = UnitAt(m_s.m_aLengthUnits, m_s.ChooseLengthUnit(m_y.span));
        m_strXTitle = Title("Time [", xUnit);
        m_strYTitle = Title("A22-x [", yUnit);
        m_strY2Title = Title("A22-y [", yUnit);
        break;
    case DISPLAY_A22_2D:
        xUnit = yUnit = UnitAt(m_s.m_aLengthUnits, m_s.ChooseLengthUnit(m_x.span));
        m_strXTitle = Title("A22-x [", xUnit);
        m_strYTitle = Title("A22-y [", yUnit);
        break;
    case DISPLAY_CHAR_FUNC:
    case DISPLAY_MODEL:
        xUnit = UnitAt(m_s.m_aTimeUnits, m_s.ChooseTimeUnit(m_x.span));
        yUnit = UnitAt(m_s.m_aAreaUnits, m_s.ChooseAreaUnit(m_y.span));
        m_strXTitle = Title("Timespan t [", xUnit);
        m_strYTitle = Title("f(t) [", yUnit);
        break;
    default:
        xUnit = UnitAt(m_s.m_aTimeUnits, m_s.ChooseTimeUnit(m_x.span));
        m_strXTitle = Title("Timespan t [", xUnit);
        m_strYTitle = "P(a,t)";
        break;
    }
    m_fx = Factor(xUnit);
    m_fy = m_nType == DISPLAY_PROBABILITY ? 1.0 : Factor(yUnit);
}

void CDiagramBuilder::Layout() {
    m_wnd.TextExtent(m_strXTitle, false, m_nXTitleCx, m_nXTitleCy);
    const int cy = m_nXTitleCy;
    m_rc.left += 3 * cy;
    m_rc.bottom -= 2 * cy + Px(4);
    if (m_nType == DISPLAY_A22_TIME) m_rc.right -= 3 * cy;
    if (m_nType == DISPLAY_A22_2D) {
        const int width = m_rc.right - m_rc.left;
        const int height = m_rc.bottom - m_rc.top;
        m_rc.left += (width - height) / 2;
        m_rc.right = m_rc.left + height;
    }
}

CURVESPEC CDiagramBuilder::CurveFor(const AXIS& y) const {
    CURVESPEC curve;
    curve.dCenterX = m_x.centre;
    curve.dSpanX = m_x.span;
    curve.dCenterY = y.centre;
    curve.dSpanY = y.span;
    curve.rcPlot = m_rc;
    return curve;
}

void CDiagramBuilder::DrawCurves() {
    switch (m_nType) {
    case DISPLAY_A22_TIME: DrawA22Time(); break;
    case DISPLAY_A22_2D: DrawA22Scatter(); break;
    case DISPLAY_CHAR_FUNC: DrawCharFunc(); break;
    case DISPLAY_MODEL: DrawModel(); break;
    default: DrawProbability(); break;
    }
}

CURVESPEC CDiagramBuilder::SampleCurve(COLOR marker, COLOR line) const {
    CURVESPEC curve = CurveFor(m_y);
    curve.nMarkerType = MARKER_CROSS;
    curve.nMarkerSize = PxSize(5);
    curve.nLineWidth = PxSize(1);
    curve.crMarker = marker;
    curve.crLine = line;
    return curve;
}

void CDiagramBuilder::DrawA22Time() {
    const std::size_t n = m_s.m_aSamples.size();
    std::vector<double> ts(n), values(n);
    for (std::size_t i = 0; i < n; ++i) ts[i] = m_s.m_aSamples[i].nIndex * m_t0;

    CURVESPEC curve = SampleCurve(m_style.crXMarker, m_style.crXLine);
    for (std::size_t i = 0; i < n; ++i) values[i] = m_s.m_aSamples[i].dX;
    m_wnd.DrawCurve(&curve, n, ts.data(), values.data());

    curve.dCenterY = m_y2.centre;
    curve.crMarker = m_style.crYMarker;
    curve.crLine = m_style.crYLine;
    for (std::size_t i = 0; i < n; ++i) values[i] = m_s.m_aSamples[i].dY;
    m_wnd.DrawCurve(&curve, n, ts.data(), values.data());
}

void CDiagramBuilder::DrawA22Scatter() {
    const std::size_t n = m_s.m_aSamples.size();
    std::vector<double> xs(n), ys(n);
    for (std::size_t i = 0; i < n; ++i) {
        xs[i] = m_s.m_aSamples[i].dX;
        ys[i] = m_s.m_aSamples[i].dY;
    }
    const CURVESPEC curve = SampleCurve(m_style.crScatterMarker, m_style.crScatterLine);
    m_wnd.DrawCurve(&curve, n, xs.data(), ys.data());
}

void CDiagramBuilder::DrawCharFunc() {
    if (m_s.LifetimeState == LIFETIME_FOUND) DrawGuide(m_s.DirectLifetime, m_dA2);
    const std::size_t n = m_s.m_aCharFunc.size();
    std::vector<double> ts(n), fs(n);
    for (std::size_t i = 0; i < n; ++i) {
        ts[i] = m_s.m_aCharFunc[i].nIndex * m_t0;
        fs[i] = m_s.m_aCharFunc[i].dX + m_s.m_aCharFunc[i].dY;
    }
    CURVESPEC curve = CurveFor(m_y);
    curve.nMarkerType = MARKER_DISC;
    curve.nMarkerSize = PxSize(m_style.nCFMarkerSize);
    curve.crMarker = m_style.crCFMarker;
    m_wnd.DrawCurve(&curve, n, ts.data(), fs.data());
}

template <class F>
void CDiagramBuilder::DrawSampledCurve(F value, bool stopAboveTop, unsigned int width, COLOR color) {
    const int W = m_rc.right - m_rc.left;
    if (W <= 0 || !(m_x.span > 0.0) || !(m_t0 > 0.0)) return;
    const double dt = 2.0 * m_x.span / W;
    const double tEnd = m_x.High();
    const double yTop = m_y.High();
    const int maxPoints = W + 10;
    std::vector<double> ts, vs;
    ts.reserve(static_cast<std::size_t>(maxPoints));
    vs.reserve(static_cast<std::size_t>(maxPoints));
    for (int i = 0; i < maxPoints; ++i) {
        const double tau = i * dt / m_t0;
        if (tau * m_t0 > tEnd) break;
        const double v = value(tau);
        if (stopAboveTop && v > yTop) break;
        if (std::isnan(v)) continue;  // a point the model gave no value for is left out
        ts.push_back(tau * m_t0);
        vs.push_back(v);
    }
    CURVESPEC curve = CurveFor(m_y);
    curve.nLineWidth = width;
    curve.crLine = color;
    m_wnd.DrawCurve(&curve, ts.size(), ts.data(), vs.data());
}

void CDiagramBuilder::DrawModel() {
    if (m_style.pBand) DrawBandFill(*m_style.pBand);
    DrawGuide(m_s.ModelLifetime, m_dA2);
    const MODELPARAMS& m = m_model;
    DrawSampledCurve([&m](double tau) { return ModelBand(m, tau, kP16); }, true, PxSize(1), kBandColor);
    DrawSampledCurve([&m](double tau) { return ModelBand(m, tau, kP84); }, true, PxSize(1), kBandColor);
    DrawSampledCurve([&m](double tau) { return ModelFunction(m, tau); }, true, PxSize(2), m_style.crYMarker);

    // Every k-th point, so that the discs stay about two diameters apart.
    const int W = m_rc.right - m_rc.left;
    const std::size_t n = m_s.m_aCharFunc.size();
    double every = 1.0;
    if (W > 0 && m_t0 > 0.0) every = std::trunc(2.0 * m_x.span * PxSize(m_style.nCFMarkerSize) / (W * m_t0));
    std::size_t k = 1;
    if (every > 1.0) k = every < static_cast<double>(n) ? static_cast<std::size_t>(every) : n;
    std::vector<double> ts, fs;
    ts.reserve(n / k + 1);
    fs.reserve(n / k + 1);
    for (std::size_t i = 0; i < n; i += k) {
        ts.push_back(m_s.m_aCharFunc[i].nIndex * m_t0);
        fs.push_back(m_s.m_aCharFunc[i].dX + m_s.m_aCharFunc[i].dY);
    }
    CURVESPEC curve = CurveFor(m_y);
    curve.nMarkerType = MARKER_DISC;
    curve.nMarkerSize = PxSize(m_style.nCFMarkerSize);
    curve.crMarker = m_style.crCFMarker;
    m_wnd.DrawCurve(&curve, ts.size(), ts.data(), fs.data());
}

void CDiagramBuilder::DrawProbability() {
    if (m_style.pBand) DrawBandFill(*m_style.pBand);
    DrawGuide(m_dT50, 0.5);
    const MODELPARAMS& m = m_model;
    const double a2 = m_dA2;
    DrawSampledCurve([&m, a2](double tau) { return tau == 0.0 ? 1.0 : StayProbability(m, tau, a2); }, false, PxSize(2),
                     m_style.crYMarker);
}

// The band of f(t) or P(a,t) across the time axis, filled under everything else.
void CDiagramBuilder::DrawBandFill(const DIAGRAMBAND& band) {
    if (!(m_x.span > 0.0) || !(m_t0 > 0.0) || !band.evaluate) return;
    const double tEnd = m_x.High();
    const double a = m_s.Tolerance;
    const bool probability = m_nType == DISPLAY_PROBABILITY;
    DIAGRAMBANDCACHE& c = band.cache[probability ? 1 : 0];
    if (c.times.empty() || c.dTolerance != a || c.dTEnd != tEnd) {
        c.dTolerance = a;
        c.dTEnd = tEnd;
        c.times.resize(kBandPoints + 1);
        for (int i = 0; i <= kBandPoints; ++i) c.times[static_cast<std::size_t>(i)] = tEnd * i / kBandPoints;
        c.lows.clear();
        c.highs.clear();
        band.evaluate(probability, a, c.times, c.lows, c.highs);
        c.lows.resize(c.times.size(), std::nan(""));
        c.highs.resize(c.times.size(), std::nan(""));
    }
    FillBetweenCurves(m_wnd.m_image, CurveFor(m_y), c.times.size(), c.times.data(), c.lows.data(), c.highs.data(),
                      probability ? band.crFillP : band.crFill);
}

// From the y axis across at level v to time t, then down to the x axis.
void CDiagramBuilder::DrawGuide(double t, double v) {
    const double fx = (t - m_x.Low()) / m_x.span * (m_rc.right - m_rc.left);
    const double fy = (v - m_y.Low()) / m_y.span * (m_rc.bottom - m_rc.top);
    if (!std::isfinite(fx) || !std::isfinite(fy)) return;  // no time, no level or a zero span
    const int X = m_rc.left + RoundPixel(fx);
    const int Y = m_rc.bottom - RoundPixel(fy);
    const COLOR old = m_wnd.SelectPen(m_style.crLifetimeMarker);
    m_wnd.MoveTo(m_rc.left, Y);
    m_wnd.LineTo(X, Y);
    m_wnd.LineTo(X, m_rc.bottom);
    m_wnd.SelectPen(old);
}

// Two rings of the pen: the inner one on the plot rectangle, the outer one a
// pen width outside it.
void CDiagramBuilder::DrawFrame() {
    const int l = m_rc.left, t = m_rc.top, r = m_rc.right, b = m_rc.bottom;
    const int p = Px(1);
    m_wnd.SelectPen(m_style.crFrame);
    m_wnd.MoveTo(l, b);
    m_wnd.LineTo(r, b);
    m_wnd.LineTo(r, t);
    m_wnd.LineTo(l, t);
    m_wnd.LineTo(l, b + p);
    m_wnd.LineTo(r + p, b + p);
    m_wnd.LineTo(r + p, t - p);
    m_wnd.LineTo(l - p, t - p);
    m_wnd.LineTo(l - p, b + 2 * p);
}

void CDiagramBuilder::DrawText() {
    const int l = m_rc.left, t = m_rc.top, r = m_rc.right, b = m_rc.bottom;
    m_wnd.SetTextColor(kBlack);
    const int cy = m_nXTitleCy;
    m_wnd.TextOut(RoundPixel((l + r - m_nXTitleCx) / 2.0), b + cy + Px(4), m_strXTitle, false);

    m_wnd.DrawXTicks(l, b, r, m_x.span / m_fx, m_x.centre / m_fx);
    m_wnd.DrawLeftTicks(l, b, t, m_y.span / m_fy, m_y.centre / m_fy);
    if (m_nType == DISPLAY_A22_TIME) m_wnd.DrawRightTicks(r, b, t, m_y2.span / m_fy, m_y2.centre / m_fy);

    // The y titles sit one text height beside the tick labels. Labels wider
    // than that room (a face wider than the layout allows for, such as "-0.5")
    // would run into the title: it then moves out just far enough, at most to
    // the image edge.
    const int titleGap = Px(3);
    const int labelGap = Px(kTickLabelGap);
    const int titleOffset = Px(9);
    int cx = 0, vcy = 0;
    m_wnd.TextExtent(m_strYTitle, true, cx, vcy);
    int x = l - 2 * vcy - titleOffset;
    const int leftLabels = m_wnd.TickLabelsWidth(b, t, m_y.span / m_fy, m_y.centre / m_fy);
    const int leftClear = l - labelGap - leftLabels - titleGap - vcy;
    if (leftLabels > 0 && leftClear < x) x = std::max(leftClear, 0);
    if (m_nType == DISPLAY_A22_TIME) m_wnd.SetTextColor(m_style.crXMarker);
    m_wnd.TextOut(x, RoundPixel((b + t + cx) / 2.0), m_strYTitle, true);
    if (!m_strY2Title.empty()) {
        m_wnd.TextExtent(m_strY2Title, true, cx, vcy);
        x = r + vcy + titleOffset;
        const int rightLabels = m_wnd.TickLabelsWidth(b, t, m_y2.span / m_fy, m_y2.centre / m_fy);
        const int rightClear = r + labelGap + rightLabels + titleGap;
        if (rightLabels > 0 && rightClear > x) x = std::min(rightClear, m_style.nWidth - vcy);
        m_wnd.SetTextColor(m_style.crYMarker);
        m_wnd.TextOut(x, RoundPixel((b + t + cx) / 2.0), m_strY2Title, true);
    }
    m_wnd.SetTextColor(kBlack);
}

}  // namespace

bool CA1Diagram::Create(int width, int height, double scale) {
    if (!m_surface.Create(width, height, scale)) return false;
    m_style.nWidth = width;
    m_style.nHeight = height;
    m_style.dScale = scale;
    const int margin = m_surface.Px(m_style.nMargin);
    m_style.rcPlot = {margin, margin, width - margin, height - margin};
    return true;
}

bool CA1Diagram::Render(const CA1TimeSeries* series) {
    if (!IsCreated() || !series) return false;
    CDiagramBuilder builder(*series, m_surface, m_style);
    const bool drawn = builder.Draw();
    m_surface.ReleaseFonts();
    return drawn;
}

void CA1Diagram::Clear() { m_surface.FillRect(PLOTRECT{0, 0, m_style.nWidth, m_style.nHeight}, m_style.crBackground); }
