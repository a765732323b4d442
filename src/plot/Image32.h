#pragma once
// An off-screen 32-bit top-down image. Each pixel is 0xFFRRGGBB, so a
// QImage of format RGB32 can wrap the buffer without a copy.

#include <cstdint>
#include <vector>

struct COLOR {
    std::uint8_t r = 0, g = 0, b = 0;
};
inline constexpr COLOR RGBColor(int r, int g, int b) {
    return COLOR{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
}

class CImage32 {
public:
    CImage32() = default;
    // Makes the image width x height pixels, every byte 0 (black), reusing the
    // buffer when it is large enough. False for a size of 0 or below or one
    // that cannot be allocated; the image is then unchanged.
    bool Create(int width, int height);
    bool IsValid() const { return m_width > 0 && m_height > 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::uint32_t* Data() { return m_pixels.data(); }
    const std::uint32_t* Data() const { return m_pixels.data(); }
    int BytesPerLine() const { return m_width * 4; }

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    // Reads outside the image give black; writes outside are dropped.
    COLOR GetPixel(int x, int y) const;
    void SetPixel(int x, int y, COLOR c);
    void FillRect(int left, int top, int right, int bottom, COLOR c);

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};
