#include "plot/DiagramWnd.h"

#include "plot/DiagramContent.h"
#include "plot/PlotPlatform.h"

CA1DiagramWnd::CA1DiagramWnd(ITextRenderer* text, IImageEncoder* encoder) : m_pText(text), m_pEncoder(encoder) {}

bool CA1DiagramWnd::Create(int width, int height) {
    if (!m_image.Create(width, height)) return false;
    m_style.nWidth = width;
    m_style.nHeight = height;
    m_style.rcPlot = {m_style.nMargin, m_style.nMargin, width - m_style.nMargin, height - m_style.nMargin};
    return true;
}

bool CA1DiagramWnd::Render(const CA1TimeSeries* series) {
    if (!IsCreated() || !series) return false;
    return DrawDiagram(series, *this, m_style);
}

bool CA1DiagramWnd::SaveImage(const std::string&) { return false; }
void CA1DiagramWnd::LineToAA(double x, double y, double, COLOR) { m_dCurX = x; m_dCurY = y; }
void CA1DiagramWnd::DrawMarker(double, double, unsigned int, unsigned int, COLOR) {}
void CA1DiagramWnd::DrawCurve(const CURVESPEC*, std::size_t, const double*, const double*) {}
void CA1DiagramWnd::DrawXTicks(int, int, int, double, double) {}
void CA1DiagramWnd::DrawLeftTicks(int, int, int, double, double) {}
void CA1DiagramWnd::DrawRightTicks(int, int, int, double, double) {}
COLOR CA1DiagramWnd::SelectPen(COLOR color) { COLOR old = m_crPen; m_crPen = color; return old; }
void CA1DiagramWnd::MoveTo(int x, int y) { m_nPenX = x; m_nPenY = y; }
void CA1DiagramWnd::LineTo(int x, int y) { m_nPenX = x; m_nPenY = y; }
bool CA1DiagramWnd::SelectFonts() { return false; }
COLOR CA1DiagramWnd::SetTextColor(COLOR color) { COLOR old = m_crText; m_crText = color; return old; }
void CA1DiagramWnd::TextExtent(const std::string&, bool, int& cx, int& cy) { cx = cy = 0; }
void CA1DiagramWnd::TextOut(int, int, const std::string&, bool) {}
void CA1DiagramWnd::FillRect(const PLOTRECT& rc, COLOR color) { m_image.FillRect(rc.left, rc.top, rc.right, rc.bottom, color); }
void CA1DiagramWnd::BlendPixel(int, int, double, COLOR) {}
void CA1DiagramWnd::DrawTicks(int, int, int, int, double, double) {}
double ChooseTickStep(double, int) { return 0.0; }
std::string TickLabel(double, double) { return std::string(); }
