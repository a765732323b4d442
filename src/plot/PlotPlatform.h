#pragma once
// What the diagrams need from the platform: text (fonts, extents, text
// rotated to read upwards) and the image encoders. The desktop program and
// the batch tool install Qt implementations; tests install fakes.

#include "plot/Image32.h"

#include <string>

class ITextRenderer {
public:
    virtual ~ITextRenderer() = default;
    // Prepares the horizontal and the upward-reading font; false when either
    // cannot be made (the diagram then has no text).
    virtual bool SelectFonts(const std::string& face, int pixelHeight) = 0;
    // Extent (cx, cy) of the text in the horizontal font or, with vertical,
    // in the rotated font measured along its own baseline.
    virtual void TextExtent(const std::string& text, bool vertical, int& cx, int& cy) = 0;
    // Horizontal text with its top-left corner at (x, y); vertical text with
    // its reference corner at (x, y), reading upwards from there.
    virtual void DrawText(CImage32& image, int x, int y, const std::string& text, COLOR color, bool vertical) = 0;
};

class IImageEncoder {
public:
    virtual ~IImageEncoder() = default;
    // Writes the image in the format that the extension names (compared
    // without regard to case). False when no encoder knows it or writing fails.
    virtual bool Save(const CImage32& image, const std::string& path, const std::string& extension) = 0;
};
