// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ModelSimulator.h"

#include "eval/RealFft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <new>

namespace {

// Largest embedding tried (doubles per buffer; about 1 GB would be silly).
constexpr int kMaxEmbedding = 1 << 26;
// Spectrum values below this share of the largest count as rounding.
constexpr double kRoundingShare = 1.0e-12;

int EmbeddingFor(int span) {
    int m = 2;
    while (m < 2 * span) {
        if (m > kMaxEmbedding / 2) throw std::bad_alloc();
        m *= 2;
    }
    return m;
}

// Increment autocovariance at lag j >= 0.
double IncrementCovariance(const MODELPARAMS& model, int j) {
    if (j == 0) return ModelVariogram(model, 1.0);
    return 0.5 * (ModelVariogram(model, j + 1.0) - 2.0 * ModelVariogram(model, j) + ModelVariogram(model, j - 1.0));
}

struct Spectrum {
    std::vector<double> lambda;
    double negative = 0.0;  // share of the magnitude below zero
};

Spectrum EmbeddedSpectrum(const MODELPARAMS& model, const CRealFft& fft) {
    const int m = fft.Size();
    CFftBuffer in(static_cast<std::size_t>(m) + 2), out(static_cast<std::size_t>(m) + 2);
    double* c = in.Real();
    for (int k = 0; k <= m / 2; ++k) c[k] = IncrementCovariance(model, k);
    for (int k = m / 2 + 1; k < m; ++k) c[k] = c[m - k];
    fft.Forward(c, out.Complex());
    Spectrum s;
    s.lambda.resize(static_cast<std::size_t>(m / 2 + 1));
    double largest = 0.0;
    for (int f = 0; f <= m / 2; ++f) largest = std::max(largest, std::fabs(out.Complex()[f].real()));
    double total = 0.0, negative = 0.0;
    for (int f = 0; f <= m / 2; ++f) {
        double v = out.Complex()[f].real();
        // Bins 1 ... M/2 - 1 stand for two frequencies each.
        const double weight = (f == 0 || f == m / 2) ? 1.0 : 2.0;
        total += weight * std::fabs(v);
        if (v < -kRoundingShare * largest) negative += weight * -v;
        if (v < 0.0) v = 0.0;
        s.lambda[static_cast<std::size_t>(f)] = v;
    }
    s.negative = total > 0.0 ? negative / total : 0.0;
    return s;
}

}  // namespace

double ModelVariogram(const MODELPARAMS& model, double tau) {
    if (tau <= 0.0) return 0.0;
    const double transient = model.Tc > 0.0 ? std::exp(-tau / model.Tc) : 0.0;
    return tau * (model.Di * model.Di + model.Da * model.Da * transient);
}

CModelSimulator::CModelSimulator(const MODELPARAMS& model, int span) : m_model(model), m_nSpan(std::max(span, 0)) {
    int m = EmbeddingFor(m_nSpan);
    auto fft = std::make_unique<CRealFft>(m);
    Spectrum best = EmbeddedSpectrum(model, *fft);
    // A larger embedding can only help where the dip comes from the
    // truncation of the autocovariance; two doublings are tried.
    for (int k = 0; k < 2 && best.negative > 0.0 && m <= kMaxEmbedding / 2; ++k) {
        auto larger = std::make_unique<CRealFft>(2 * m);
        Spectrum s = EmbeddedSpectrum(model, *larger);
        if (s.negative < best.negative) {
            best = std::move(s);
            fft = std::move(larger);
            m *= 2;
        }
    }
    m_nSize = m;
    m_dClipped = best.negative;
    m_aLambda = std::move(best.lambda);
    m_aAmplitude.resize(m_aLambda.size());
    for (std::size_t f = 0; f < m_aLambda.size(); ++f) m_aAmplitude[f] = std::sqrt(m_aLambda[f] / m);
    m_pFft = std::move(fft);
}

CModelSimulator::~CModelSimulator() = default;

std::vector<double> CModelSimulator::TargetAutocovariance() const {
    std::vector<double> r(static_cast<std::size_t>(m_nSpan));
    for (int j = 0; j < m_nSpan; ++j) r[static_cast<std::size_t>(j)] = IncrementCovariance(m_model, j);
    return r;
}

std::vector<double> CModelSimulator::RealisedAutocovariance() const {
    const int m = m_nSize;
    CFftBuffer spec(static_cast<std::size_t>(m) + 2), out(static_cast<std::size_t>(m) + 2);
    for (int f = 0; f <= m / 2; ++f) spec.Complex()[f] = m_aLambda[static_cast<std::size_t>(f)] / m;
    m_pFft->Inverse(spec.Complex(), out.Real());
    return std::vector<double>(out.Real(), out.Real() + m_nSpan);
}

std::vector<double> CModelSimulator::RealisedVariogram() const {
    const std::vector<double> r = RealisedAutocovariance();
    std::vector<double> g(static_cast<std::size_t>(m_nSpan) + 1, 0.0);
    // g(tau) - g(tau - 1) = r(0) + 2 (r(1) + ... + r(tau - 1)).
    double tail = 0.0;
    for (int tau = 1; tau <= m_nSpan; ++tau) {
        if (tau >= 2) tail += r[static_cast<std::size_t>(tau - 1)];
        g[static_cast<std::size_t>(tau)] = g[static_cast<std::size_t>(tau - 1)] + r[0] + 2.0 * tail;
    }
    return g;
}

void CModelSimulator::DrawPath(CRandomStream& random, double* out) const {
    out[0] = 0.0;
    if (m_nSpan == 0) return;
    const int m = m_nSize;
    CFftBuffer spec(static_cast<std::size_t>(m) + 2), inc(static_cast<std::size_t>(m) + 2);
    std::complex<double>* a = spec.Complex();
    // x_j = sum_f a_f exp(2 pi i f j / M) with a_(M-f) = conj(a_f) has the
    // covariance (1/M) sum_f lambda_f exp(2 pi i f (j - k) / M) when a_0 and
    // a_(M/2) are real with variance lambda / M and the other a_f complex
    // with variance lambda_f / (2 M) in each part.
    constexpr double kHalf = 0.70710678118654752440;
    a[0] = m_aAmplitude[0] * random.Gauss();
    for (int f = 1; f < m / 2; ++f) {
        const double amp = m_aAmplitude[static_cast<std::size_t>(f)] * kHalf;
        const double re = random.Gauss();
        const double im = random.Gauss();
        a[f] = std::complex<double>(amp * re, amp * im);
    }
    a[m / 2] = m_aAmplitude[static_cast<std::size_t>(m / 2)] * random.Gauss();
    m_pFft->Inverse(a, inc.Real());
    const double* x = inc.Real();
    double sum = 0.0;
    for (int j = 0; j < m_nSpan; ++j) {
        sum += x[j];
        out[j + 1] = sum;
    }
}

SIMNOISE NoiseOfSeries(const CA1TimeSeries& series) {
    constexpr double kRootHalf = 0.70710678118654752440;
    SIMNOISE n;
    n.dX = std::isfinite(series.MeasErrX) ? series.MeasErrX * kRootHalf : 0.0;
    n.dY = std::isfinite(series.MeasErrY) ? series.MeasErrY * kRootHalf : 0.0;
    return n;
}

int ImageSpan(const std::vector<A1SAMPLE>& samples) {
    if (samples.empty()) return 0;
    int lo = samples[0].nIndex, hi = samples[0].nIndex;
    for (const A1SAMPLE& s : samples) {
        lo = std::min(lo, s.nIndex);
        hi = std::max(hi, s.nIndex);
    }
    return hi - lo;
}

std::vector<A1SAMPLE> SimulateSamples(const CModelSimulator& simulator, const SIMNOISE& noise,
                                      const std::vector<A1SAMPLE>& layout, CRandomStream& random) {
    std::vector<A1SAMPLE> out(layout);
    if (layout.empty()) return out;
    int first = layout[0].nIndex;
    for (const A1SAMPLE& s : layout) first = std::min(first, s.nIndex);
    const int span = simulator.Span();
    std::vector<double> px(static_cast<std::size_t>(span) + 1), py(static_cast<std::size_t>(span) + 1);
    simulator.DrawPath(random, px.data());
    simulator.DrawPath(random, py.data());
    const double s = simulator.Model().s;
    for (A1SAMPLE& sample : out) {
        const int k = std::min(sample.nIndex - first, span);
        sample.dX = px[static_cast<std::size_t>(k)] + s * k + noise.dX * random.Gauss();
        sample.dY = py[static_cast<std::size_t>(k)] + noise.dY * random.Gauss();
    }
    return out;
}
