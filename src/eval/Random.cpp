// SPDX-License-Identifier: GPL-3.0-or-later
#include "eval/Random.h"

#include <cmath>

double CRandomStream::Gauss() {
    if (m_bSpare) {
        m_bSpare = false;
        return m_dSpare;
    }
    double u1 = Uniform();
    while (u1 <= 0.0) u1 = Uniform();
    const double u2 = Uniform();
    const double r = std::sqrt(-2.0 * std::log(u1));
    constexpr double kTwoPi = 6.283185307179586476925;
    m_dSpare = r * std::sin(kTwoPi * u2);
    m_bSpare = true;
    return r * std::cos(kTwoPi * u2);
}

std::uint64_t DeriveStreamSeed(std::uint32_t seed, std::uint64_t index) {
    CRandomStream first((static_cast<std::uint64_t>(seed) << 32) ^ 0x5DEECE66Dull);
    CRandomStream second(first.Next64() + index * 0xD1B54A32D192ED03ull);
    return second.Next64();
}
