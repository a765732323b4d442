#include "plot/Image32.h"

#include <cstddef>
#include <new>

namespace {
inline std::uint32_t Pack(COLOR c) {
    return 0xFF000000u | (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | std::uint32_t(c.b);
}
}  // namespace

bool CImage32::Create(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (count / static_cast<std::size_t>(width) != static_cast<std::size_t>(height) || count > (std::size_t(1) << 30))
        return false;
    if (count <= m_pixels.capacity()) {
        // The buffer holds the new size already (a re-render at the same or
        // a smaller size): no allocation, nothing that can fail.
        m_pixels.assign(count, 0u);
    } else {
        std::vector<std::uint32_t> pixels;
        try {
            pixels.assign(count, 0u);
        } catch (const std::bad_alloc&) {
            return false;
        }
        m_pixels.swap(pixels);
    }
    m_width = width;
    m_height = height;
    return true;
}

COLOR CImage32::GetPixel(int x, int y) const {
    if (!Contains(x, y)) return COLOR{};
    const std::uint32_t p =
        m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x)];
    return RGBColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void CImage32::SetPixel(int x, int y, COLOR c) {
    if (!Contains(x, y)) return;
    m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x)] = Pack(c);
}

void CImage32::FillRect(int left, int top, int right, int bottom, COLOR c) {
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > m_width) right = m_width;
    if (bottom > m_height) bottom = m_height;
    if (left >= right || top >= bottom) return;
    const std::uint32_t v = Pack(c);
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
        for (int x = left; x < right; ++x) row[x] = v;
    }
}
