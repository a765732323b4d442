// SPDX-License-Identifier: GPL-3.0-or-later
#include "eval/RealFft.h"

#include <fftw3.h>

#include <cstring>
#include <mutex>
#include <new>

namespace {

// The library's planner keeps global state: one plan at a time.
std::mutex& PlannerMutex() {
    static std::mutex m;
    return m;
}

}  // namespace

CRealFft::CRealFft(int size) : m_nSize(size) {
    if (size < 2 || size % 2 != 0) throw std::bad_alloc();
    // Planning in estimate mode does not touch the arrays; they only fix the
    // alignment every later buffer (from CFftBuffer) shares.
    CFftBuffer in(static_cast<std::size_t>(size) + 2);
    CFftBuffer out(static_cast<std::size_t>(size) + 2);
    std::lock_guard<std::mutex> lock(PlannerMutex());
    m_pForward = fftw_plan_dft_r2c_1d(size, in.Real(), reinterpret_cast<fftw_complex*>(out.Real()), FFTW_ESTIMATE);
    m_pInverse = fftw_plan_dft_c2r_1d(size, reinterpret_cast<fftw_complex*>(out.Real()), in.Real(), FFTW_ESTIMATE);
    if (!m_pForward || !m_pInverse) {
        if (m_pForward) fftw_destroy_plan(static_cast<fftw_plan>(m_pForward));
        if (m_pInverse) fftw_destroy_plan(static_cast<fftw_plan>(m_pInverse));
        throw std::bad_alloc();
    }
}

CRealFft::~CRealFft() {
    std::lock_guard<std::mutex> lock(PlannerMutex());
    fftw_destroy_plan(static_cast<fftw_plan>(m_pForward));
    fftw_destroy_plan(static_cast<fftw_plan>(m_pInverse));
}

void CRealFft::Forward(const double* in, std::complex<double>* out) const {
    // A real-to-complex transform keeps its input in the library's default mode.
    fftw_execute_dft_r2c(static_cast<fftw_plan>(m_pForward), const_cast<double*>(in),
                         reinterpret_cast<fftw_complex*>(out));
}

void CRealFft::Inverse(std::complex<double>* in, double* out) const {
    fftw_execute_dft_c2r(static_cast<fftw_plan>(m_pInverse), reinterpret_cast<fftw_complex*>(in), out);
}

CFftBuffer::CFftBuffer(std::size_t doubles) : m_n(doubles) {
    m_p = static_cast<double*>(fftw_malloc(sizeof(double) * (doubles > 0 ? doubles : 1)));
    if (!m_p) throw std::bad_alloc();
    std::memset(m_p, 0, sizeof(double) * doubles);
}

CFftBuffer::~CFftBuffer() {
    if (m_p) fftw_free(m_p);
}

CFftBuffer& CFftBuffer::operator=(CFftBuffer&& other) noexcept {
    if (this != &other) {
        if (m_p) fftw_free(m_p);
        m_p = other.m_p;
        m_n = other.m_n;
        other.m_p = nullptr;
        other.m_n = 0;
    }
    return *this;
}
