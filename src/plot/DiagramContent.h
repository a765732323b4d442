#pragma once
// The content of the five diagram types, drawn into the image of a
// CA1DiagramWnd:
//   1  A22-x and A22-y over time, each with its own y axis
//   2  A22-y over A22-x, square plot with equal scales
//   3  characteristic-function points with the direct-lifetime guide
//   4  thinned characteristic-function points, model curve, 16 % and 84 %
//      band curves and the model-lifetime guide
//   5  the stay probability P(a,t) with the guide at P = 0.5

class CA1DiagramWnd;
class CA1TimeSeries;
struct DIAGRAMSTYLE;

// Clears the image to the background and draws the diagram of the series.
// False when the series has nothing to show for the display type (the image
// is then plain background).
bool DrawDiagram(const CA1TimeSeries* series, CA1DiagramWnd& wnd, const DIAGRAMSTYLE& style);
