#pragma once
// Text for the diagrams with Qt: QPainter draws straight into the pixels of
// the CImage32 (a QImage of format RGB32 over the same buffer, no copy).
// Needs a QGuiApplication; without one SelectFonts fails and the diagrams
// are drawn without text. A "Times" face that the system lacks is replaced
// by a metric-compatible one (Liberation Serif, ...), else any serif face.

#include "plot/PlotPlatform.h"

#include <memory>
#include <string>

class QFont;

class CQtTextRenderer : public ITextRenderer {
public:
    CQtTextRenderer();
    ~CQtTextRenderer() override;

    CQtTextRenderer(const CQtTextRenderer&) = delete;
    CQtTextRenderer& operator=(const CQtTextRenderer&) = delete;

    bool SelectFonts(const std::string& face, int pixelHeight) override;
    void TextExtent(const std::string& text, bool vertical, int& cx, int& cy) override;
    void DrawText(CImage32& image, int x, int y, const std::string& text, COLOR color, bool vertical) override;

private:
    std::unique_ptr<QFont> m_font;
};
