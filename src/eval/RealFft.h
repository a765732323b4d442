// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Real-input discrete Fourier transforms of one size: the program's only
// window on the FFT library (which stays inside RealFft.cpp).
//
// Plans are made with the library's estimate mode: no measurements, no
// wisdom files, the same plan on every run. Making and dropping plans is
// serialised; the transforms of one object may run on several threads at
// once, each with its own buffers.

#include <complex>
#include <cstddef>

class CRealFft {
public:
    // size: the number of real points, even and at least 2. Throws
    // std::bad_alloc when the library cannot make the plans.
    explicit CRealFft(int size);
    ~CRealFft();
    CRealFft(const CRealFft&) = delete;
    CRealFft& operator=(const CRealFft&) = delete;

    int Size() const { return m_nSize; }
    int Bins() const { return m_nSize / 2 + 1; }

    // out[f] = sum_j in[j] exp(-2 pi i f j / Size()), f = 0 ... Bins() - 1.
    // in is kept. Both arrays must come from CFftBuffer.
    void Forward(const double* in, std::complex<double>* out) const;
    // out[j] = sum over all Size() frequencies of in[f] exp(+2 pi i f j / Size())
    // (Size() times the inverse transform). in is overwritten.
    void Inverse(std::complex<double>* in, double* out) const;

private:
    int m_nSize = 0;
    void* m_pForward = nullptr;
    void* m_pInverse = nullptr;
};

// A block of doubles with the alignment the transforms expect, zeroed.
class CFftBuffer {
public:
    CFftBuffer() = default;
    explicit CFftBuffer(std::size_t doubles);  // throws std::bad_alloc
    ~CFftBuffer();
    CFftBuffer(CFftBuffer&& other) noexcept : m_p(other.m_p), m_n(other.m_n) {
        other.m_p = nullptr;
        other.m_n = 0;
    }
    CFftBuffer& operator=(CFftBuffer&& other) noexcept;
    CFftBuffer(const CFftBuffer&) = delete;
    CFftBuffer& operator=(const CFftBuffer&) = delete;

    double* Real() { return m_p; }
    const double* Real() const { return m_p; }
    std::complex<double>* Complex() { return reinterpret_cast<std::complex<double>*>(m_p); }
    std::size_t Doubles() const { return m_n; }

private:
    double* m_p = nullptr;
    std::size_t m_n = 0;
};
