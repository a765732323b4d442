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

// A 64-bit generator (SplitMix64) with uniform and normal variates, for the
// simulations behind the intervals: the same seed gives the same numbers on
// every platform and standard library.
class CRandomStream {
public:
    explicit CRandomStream(std::uint64_t seed = 0) : m_state(seed) {}
    std::uint64_t Next64() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // [0, 1)
    double Uniform() { return static_cast<double>(Next64() >> 11) * 0x1.0p-53; }
    // Standard normal (Box-Muller, the second value of a pair kept).
    double Gauss();

private:
    std::uint64_t m_state;
    bool m_bSpare = false;
    double m_dSpare = 0.0;
};

// The seed of stream `index` of a run seeded with `seed`: two rounds of the
// SplitMix64 finaliser, so neighbouring indices give unrelated streams.
std::uint64_t DeriveStreamSeed(std::uint32_t seed, std::uint64_t index);
