#pragma once
// The program's pseudo-random generator: a seedable linear congruential
// generator with integers 0 ... 32767, so fits are reproducible for a seed.

#include <cstdint>

class CRandom {
public:
    static constexpr int kMax = 32767;
    explicit CRandom(std::uint32_t seed = 1) : m_state(seed) {}
    void Seed(std::uint32_t seed) { m_state = seed; }
    int Next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7fffu);
    }

private:
    std::uint32_t m_state;
};
