#pragma once
// The plotting surface: an off-screen image that the diagram content is
// drawn into, the drawing primitives (anti-aliased wide lines, point markers,
// curves through a data-to-pixel mapping, axis ticks with labels, 1-pixel pen
// lines, text) and saving the image. A window that shows the image on screen
// only copies m_image; it never draws.
//
// Every primitive is clipped to the image: pixels outside it are neither read
// nor written. Without an image ("no drawing context") nothing is drawn.

#include "plot/Image32.h"

#include <cstddef>
#include <memory>
#include <string>

class CA1TimeSeries;
class ITextRenderer;
struct DIAGRAMBAND;
class IImageEncoder;

// A pixel rectangle: left, top, right, bottom.
struct PLOTRECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The five diagrams (DIAGRAMSTYLE::nDisplayType). The A22-time page offers
// the first two; the program parameter DataDisplayType stores that choice as
// the display type minus one.
enum DisplayType {
    DISPLAY_A22_TIME = 1,     // A22-x and A22-y against time
    DISPLAY_A22_2D = 2,       // A22-y against A22-x
    DISPLAY_CHAR_FUNC = 3,    // characteristic function
    DISPLAY_MODEL = 4,        // fitted model with its bands
    DISPLAY_PROBABILITY = 5,  // stay probability P(a,t)
};

// What to draw and how. Only nDisplayType, the size, the scale and the plot
// rectangle change after construction. The lengths of the layout (font
// height, margin, marker sizes, and the gaps, tick marks and line widths the
// drawing uses) are logical pixels; the image has dScale image pixels per
// logical pixel, and ScaledPixels turns the one into the other.
struct DIAGRAMSTYLE {
    int nDisplayType = DISPLAY_A22_TIME;  // a DisplayType
    std::string strFontFace = "Times";
    int nFontSize = 18;  // pixel height of both fonts
    int nWidth = 0;      // image size, set by Create
    int nHeight = 0;
    int nMargin = 8;  // blank border around the drawing area
    PLOTRECT rcPlot;  // margin in image pixels on each side of the image
    COLOR crBackground = RGBColor(255, 255, 255);
    COLOR crFrame = RGBColor(0, 0, 0);
    COLOR crScatterMarker = RGBColor(0, 0, 0);
    COLOR crXMarker = RGBColor(200, 0, 0);
    COLOR crYMarker = RGBColor(0, 0, 200);
    COLOR crCFMarker = RGBColor(0, 0, 0);
    COLOR crScatterLine = RGBColor(180, 180, 180);
    COLOR crXLine = RGBColor(255, 128, 128);
    COLOR crYLine = RGBColor(128, 128, 255);
    COLOR crLifetimeMarker = RGBColor(0, 0, 0);
    unsigned int nCFMarkerSize = 4;  // disc diameter of characteristic-function points
    double dScale = 1.0;             // image pixels per logical pixel (the device-pixel ratio)
    // The model and probability diagrams draw this band under their curves
    // (none: the diagram as it always was).
    std::shared_ptr<const DIAGRAMBAND> pBand;
};

// A length of the layout given in logical pixels, in image pixels at the
// scale: rounded to the nearest pixel, and at least 1 for a positive length
// (a line never vanishes). At scale 1 every length is itself.
int ScaledPixels(double logical, double scale);

// One data series on screen. A data point (x, y) maps to the image position
//   px = left + (right - left) * (x - (dCenterX - dSpanX / 2)) / dSpanX
//   py = bottom + (top - bottom) * (y - (dCenterY - dSpanY / 2)) / dSpanY
// kept as doubles, so y grows upwards on screen.
struct CURVESPEC {
    double dCenterX = 0.0;
    double dCenterY = 0.0;
    double dSpanX = 1.0;
    double dSpanY = 1.0;
    PLOTRECT rcPlot;
    unsigned int nMarkerType = 0;  // 1 pixel, 2 cross, 3 square, 4 disc
    unsigned int nMarkerSize = 0;  // 0 draws no markers
    unsigned int nLineWidth = 0;   // 0 draws no connecting line
    COLOR crMarker;
    COLOR crLine;
};

enum MarkerType : unsigned int {
    MARKER_NONE = 0,
    MARKER_PIXEL = 1,
    MARKER_CROSS = 2,
    MARKER_SQUARE = 3,
    MARKER_DISC = 4
};

class CA1DiagramWnd {
public:
    // Both interfaces may be null (no text, no saving); they are not owned.
    explicit CA1DiagramWnd(ITextRenderer* text = nullptr, IImageEncoder* encoder = nullptr);

    void SetTextRenderer(ITextRenderer* text) { m_pText = text; }
    void SetImageEncoder(IImageEncoder* encoder) { m_pEncoder = encoder; }

    // Builds the image (all bytes 0, black) of the given client size in image
    // pixels, replacing any earlier one, and sets nWidth, nHeight, dScale and
    // rcPlot (the margin scaled). False when the image cannot be made or the
    // scale is not a positive finite number; the style then keeps its earlier
    // size and scale.
    bool Create(int width, int height, double scale = 1.0);
    // A logical length of the layout in image pixels at the style's scale.
    int Px(double logical) const { return ScaledPixels(logical, m_style.dScale); }
    bool IsCreated() const { return m_image.IsValid(); }

    // Draws the whole diagram of the series (display type m_style.nDisplayType).
    // False without an image or series, or when the series has nothing to show
    // for the display type (the image is then plain background).
    bool Render(const CA1TimeSeries* series);

    // Saves m_image in the format that the file name's extension names.
    bool SaveImage(const std::string& path);

    // --- drawing primitives (image pixels as doubles) ---

    // Anti-aliased line of the given width with round ends from the current
    // point (m_dCurX, m_dCurY) to (x, y); the current point moves to (x, y).
    void LineToAA(double x, double y, double width, COLOR color);
    void MoveToAA(double x, double y) {
        m_dCurX = x;
        m_dCurY = y;
    }
    void DrawMarker(double x, double y, unsigned int type, unsigned int size, COLOR color);
    // n points given in data coordinates; lines first, then the markers on top.
    void DrawCurve(const CURVESPEC* curve, std::size_t n, const double* xs, const double* ys);
    // Ticks and labels of the axes; integer pixel ends, span and centre in
    // display units. Ticks use the current pen, labels the current font and
    // text colour; without fonts only the tick marks are drawn. Tick lengths,
    // label gaps and the tick spacing follow the style's scale.
    void DrawXTicks(int left, int bottom, int right, double span, double centre);
    void DrawLeftTicks(int left, int bottom, int top, double span, double centre);
    void DrawRightTicks(int right, int bottom, int top, double span, double centre);
    // The widest label that DrawLeftTicks / DrawRightTicks would write on a y
    // axis from bottom to top; 0 without labels or fonts.
    int TickLabelsWidth(int bottom, int top, double span, double centre);

    // --- solid pen of one logical pixel (integer pixels, the end point is not
    // drawn). At a scale above 1 the pen is Px(1) image pixels wide: every
    // pixel of the 1-pixel line becomes a square of that side reaching right
    // and down from it, and the line stops one square short of its end, so a
    // figure drawn with offsets in multiples of Px(1) is the 1-pixel figure
    // magnified. ---
    // Selects the pen colour and returns the previous one.
    COLOR SelectPen(COLOR color);
    COLOR PenColor() const { return m_crPen; }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    // --- text through the text renderer ---
    // Makes both fonts from m_style (face, size scaled to image pixels); false
    // when there is no renderer, the face is empty, the size 0 or the
    // renderer refuses.
    bool SelectFonts();
    void ReleaseFonts() { m_bFonts = false; }
    bool HasFonts() const { return m_bFonts; }
    COLOR SetTextColor(COLOR color);
    // Extent in the horizontal or the upward-reading font; 0, 0 without fonts.
    void TextExtent(const std::string& text, bool vertical, int& cx, int& cy);
    // Horizontal text by its top-left corner, vertical text by its reference
    // corner (reading upwards from there); in the current text colour.
    void TextOut(int x, int y, const std::string& text, bool vertical);

    // Fills [left, right) x [top, bottom) (clipped).
    void FillRect(const PLOTRECT& rc, COLOR color);

    double m_dCurX = 0.0;
    double m_dCurY = 0.0;
    CImage32 m_image;
    DIAGRAMSTYLE m_style;

private:
    void BlendPixel(int x, int y, double alpha, COLOR color);
    void WideLineTo(int x0, int y0, int x1, int y1, int width);
    void DrawTicks(int axis, int origin, int start, int end, double span, double centre);

    ITextRenderer* m_pText = nullptr;
    IImageEncoder* m_pEncoder = nullptr;
    COLOR m_crPen = RGBColor(0, 0, 0);
    COLOR m_crText = RGBColor(0, 0, 0);
    int m_nPenX = 0;
    int m_nPenY = 0;
    bool m_bFonts = false;
};

// The tick step that puts ticks about 80 logical pixels apart on an axis of
// the given length (image pixels, either sign; scale image pixels per logical
// pixel) for a span in display units. Returns 0 when the span is outside
// [1, 1000) (no ticks).
double ChooseTickStep(double span, int axisLength, double scale = 1.0);
// The label of a tick value for the chosen step ("%d" or "%.1f").
std::string TickLabel(double value, double step);
