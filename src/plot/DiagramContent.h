#pragma once
// The diagrams: what to draw and how (DIAGRAMSTYLE), and CA1Diagram, which
// owns the style and a drawing surface and is the one entry that renders.
// The content of the five diagram types:
//   1  A22-x and A22-y over time, each with its own y axis
//   2  A22-y over A22-x, square plot with equal scales
//   3  characteristic-function points with the direct-lifetime guide
//   4  thinned characteristic-function points, model curve, 16 % and 84 %
//      band curves and the model-lifetime guide
//   5  the stay probability P(a,t) with the guide at P = 0.5

#include "plot/DiagramWnd.h"

#include <memory>
#include <string>

class CA1TimeSeries;
struct DIAGRAMBAND;

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
// drawing uses) are logical pixels; the surface turns them into image
// pixels at dScale image pixels per logical pixel.
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

class CA1Diagram {
public:
    // Both interfaces may be null (no text, no saving); they are not owned.
    explicit CA1Diagram(ITextRenderer* text = nullptr, IImageEncoder* encoder = nullptr) : m_surface(text, encoder) {}

    void SetTextRenderer(ITextRenderer* text) { m_surface.SetTextRenderer(text); }
    void SetImageEncoder(IImageEncoder* encoder) { m_surface.SetImageEncoder(encoder); }

    // Builds the image (all bytes 0, black) of the given client size in image
    // pixels, replacing any earlier one, and sets nWidth, nHeight, dScale and
    // rcPlot (the margin scaled). False when the image cannot be made or the
    // scale is not a positive finite number; the style then keeps its earlier
    // size and scale.
    bool Create(int width, int height, double scale = 1.0);
    bool IsCreated() const { return m_surface.IsCreated(); }

    // Draws the whole diagram of the series (display type m_style.nDisplayType).
    // False without an image or series, or when the series has nothing to show
    // for the display type (the image is then plain background).
    bool Render(const CA1TimeSeries* series);
    // Fills the image with the background.
    void Clear();

    // Saves the image in the format that the file name's extension names.
    bool SaveImage(const std::string& path) { return m_surface.SaveImage(path); }
    const CImage32& Image() const { return m_surface.m_image; }

    DIAGRAMSTYLE m_style;

private:
    CA1DiagramWnd m_surface;
};
