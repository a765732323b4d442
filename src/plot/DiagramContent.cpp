#include "plot/DiagramContent.h"

#include "plot/DiagramWnd.h"

bool DrawDiagram(const CA1TimeSeries*, CA1DiagramWnd& wnd, const DIAGRAMSTYLE& style) {
    wnd.FillRect(PLOTRECT{0, 0, style.nWidth, style.nHeight}, style.crBackground);
    return false;
}
