// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Series drawn from the drift model: per component the astigmatism changes
// by a stationary Gaussian sequence of increments whose sums have the
// variance g(tau) = tau (Di^2 + Da^2 exp(-tau/Tc)) over tau images, so that
// f(tau) = fx + fy = 2 g(tau) + s^2 tau^2 with the drift s tau along x. The
// increments have the autocovariance r(0) = g(1),
// r(j) = (g(j+1) - 2 g(j) + g(j-1)) / 2, and are drawn by circulant
// embedding with one FFT per component.
//
// The embedding is exact while its spectrum is non-negative. The model's
// transient term is not always a valid covariance (with Di small against Da
// the spectrum dips below zero at frequencies near 1/Tc whatever the
// embedding size); then the embedding is tried at twice and four times the
// size, the negative part of the best one is set to zero, and
// ClippedShare() and RealisedVariogram() say what the draws have instead.

#include "eval/Lifetime.h"
#include "eval/Random.h"
#include "series/A1TimeSeries.h"

#include <memory>
#include <vector>

class CRealFft;

class CModelSimulator {
public:
    // model: Di, Da [nm], Tc [images], s [nm per image]; span: image steps
    // covered (last minus first image number), at least 0. Throws
    // std::bad_alloc when the embedding does not fit into memory.
    CModelSimulator(const MODELPARAMS& model, int span);
    ~CModelSimulator();
    CModelSimulator(const CModelSimulator&) = delete;
    CModelSimulator& operator=(const CModelSimulator&) = delete;

    const MODELPARAMS& Model() const { return m_model; }
    int Span() const { return m_nSpan; }
    int EmbeddingSize() const { return m_nSize; }
    // Negative part of the embedded spectrum against its total magnitude
    // (0 when the draws follow the model exactly).
    double ClippedShare() const { return m_dClipped; }

    // Target autocovariance r(j) of the increments, j = 0 ... Span() - 1.
    std::vector<double> TargetAutocovariance() const;
    // The autocovariance the draws have (the target where nothing was clipped).
    std::vector<double> RealisedAutocovariance() const;
    // The variance of a component's change over tau = 0 ... Span() images
    // that the draws have (the model's g(tau) where nothing was clipped).
    std::vector<double> RealisedVariogram() const;

    // One component's path at image offsets 0 ... Span(), starting at 0.
    // May run on several threads at once, each with its own generator.
    void DrawPath(CRandomStream& random, double* out) const;

private:
    MODELPARAMS m_model;
    int m_nSpan = 0;
    int m_nSize = 2;
    double m_dClipped = 0.0;
    std::vector<double> m_aAmplitude;  // sqrt(lambda_f / M), f = 0 ... M/2
    std::vector<double> m_aLambda;     // the clipped spectrum
    std::unique_ptr<CRealFft> m_pFft;
};

// The per-component variance g(tau) of the model's random part.
double ModelVariogram(const MODELPARAMS& model, double tau);

// Measurement noise per component [nm], the standard deviation of one value.
struct SIMNOISE {
    double dX = 0.0;
    double dY = 0.0;
};

// The noise a series' extraction implies: the noise adds 2 sigma^2 per
// component to the raw characteristic function, so sigma = MeasErrX / sqrt(2)
// (0 where the extracted error is not a number).
SIMNOISE NoiseOfSeries(const CA1TimeSeries& series);

// Samples at the image numbers of `layout`, in its order (gaps and repeats
// as there; a repeated image gets the same astigmatism, new noise): the
// model's paths, the drift along x, white noise on top. The errors are
// copied from layout. The simulator's span must cover the image numbers.
std::vector<A1SAMPLE> SimulateSamples(const CModelSimulator& simulator, const SIMNOISE& noise,
                                      const std::vector<A1SAMPLE>& layout, CRandomStream& random);

// The span (last minus first image number) of samples; 0 when empty.
int ImageSpan(const std::vector<A1SAMPLE>& samples);
