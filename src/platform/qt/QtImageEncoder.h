#pragma once
// Saves diagram images with QImageWriter: the format follows the extension
// (jpg/jpeg, png, tif/tiff, bmp and any other format Qt can write), the image
// is written as opaque RGB with the encoder's default settings.

#include "plot/PlotPlatform.h"

#include <string>

class CQtImageEncoder : public IImageEncoder {
public:
    // extension: with or without the leading ".", compared without regard to case.
    bool Save(const CImage32& image, const std::string& path, const std::string& extension) override;
};
