#pragma once
// A text renderer with fixed extents (9 pixels per character, 18 high, for
// the 18-pixel font; in proportion for other font heights) that records what
// it is asked to draw, so layouts can be checked exactly.

#include "plot/PlotPlatform.h"

#include <cmath>
#include <string>
#include <vector>

struct FAKETEXT {
    int x = 0;
    int y = 0;
    std::string text;
    COLOR color;
    bool vertical = false;
};

class CFakeTextRenderer : public ITextRenderer {
public:
    static constexpr int kCharWidth = 9;
    static constexpr int kHeight = 18;

    bool SelectFonts(const std::string& face, int pixelHeight) override {
        m_face = face;
        m_size = pixelHeight;
        ++m_nSelects;
        return m_bFontsAvailable;
    }
    void TextExtent(const std::string& text, bool, int& cx, int& cy) override {
        const double scale = m_size > 0 ? m_size / static_cast<double>(kHeight) : 1.0;
        cx = static_cast<int>(std::lround(kCharWidth * Characters(text) * scale));
        cy = static_cast<int>(std::lround(kHeight * scale));
    }
    void DrawText(CImage32&, int x, int y, const std::string& text, COLOR color, bool vertical) override {
        m_aTexts.push_back(FAKETEXT{x, y, text, color, vertical});
    }

    // Characters of a UTF-8 text (continuation bytes not counted).
    static int Characters(const std::string& text) {
        int n = 0;
        for (unsigned char c : text)
            if ((c & 0xC0) != 0x80) ++n;
        return n;
    }
    const FAKETEXT* Find(const std::string& text) const {
        for (const FAKETEXT& t : m_aTexts)
            if (t.text == text) return &t;
        return nullptr;
    }

    bool m_bFontsAvailable = true;
    std::string m_face;
    int m_size = 0;
    int m_nSelects = 0;
    std::vector<FAKETEXT> m_aTexts;
};
