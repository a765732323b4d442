#include "platform/qt/QtTextRenderer.h"

#include <QFont>

CQtTextRenderer::CQtTextRenderer() = default;
CQtTextRenderer::~CQtTextRenderer() = default;

bool CQtTextRenderer::SelectFonts(const std::string&, int) { return false; }

void CQtTextRenderer::TextExtent(const std::string&, bool, int& cx, int& cy) {
    cx = 0;
    cy = 0;
}

void CQtTextRenderer::DrawText(CImage32&, int, int, const std::string&, COLOR, bool) {}
