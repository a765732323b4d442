#include "fit/FitModule.h"

#include "fit/Tuple.h"
#include "log/LogFile.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;  // double-precision machine epsilon
constexpr double kStepTolerance = 4.0 * kEpsilon;
constexpr double kArmijo = 1.0e-4;
constexpr int kMaxIterations = 2000;

bool ArraysConsistent(const FITMODULE& m) {
    const auto p = static_cast<std::size_t>(m.nParams > 0 ? m.nParams : 0);
    const auto d = static_cast<std::size_t>(m.nData > 0 ? m.nData : 0);
    return m.adParams.size() == p && m.adRanges.size() == 2 * p && m.anRangeFlags.size() == p && m.adX.size() == d &&
           m.adY.size() == d && m.adW.size() == d;
}

void FreeParameters(FITMODULE& m) {
    std::vector<double>().swap(m.adParams);
    std::vector<double>().swap(m.adRanges);
    std::vector<int>().swap(m.anRangeFlags);
}

void FreeData(FITMODULE& m) {
    std::vector<double>().swap(m.adX);
    std::vector<double>().swap(m.adY);
    std::vector<double>().swap(m.adW);
}

double SSquare(const FITMODULE& m, const CTuple& p) {
    double s = 0.0;
    ComputeSSquare(m, p.Data(), s);
    return s;
}

// Backtracking along xi from pOld (Armijo condition), with a quadratic
// and then cubic model of the s-square along the line. On success pNew and
// fNew hold the accepted point and its s-square.
int LineSearch(const FITMODULE& m, const CTuple& pOld, double fOld, const CTuple& g, CTuple& xi, double stpmax,
               CTuple& pNew, double& fNew) {
    const double norm = xi.Norm();
    if (norm > stpmax) xi = xi.Scaled(stpmax / norm);
    const double slope = g.Dot(xi);
    if (slope > 0.0) return FIT_ROUND_OFF;
    const double test = (xi.Abs() / pOld.Abs().MaxWith(1.0)).MaxElement();
    const double lambdaMin = kEpsilon / test;
    double lambda = 1.0, lambda2 = 0.0, f2 = 0.0;
    bool first = true;
    for (;;) {
        pNew = pOld + xi.Scaled(lambda);
        const double f = SSquare(m, pNew);
        // The step became too small to change the point: stay where we are.
        // (Written so that a not-a-number lambda also ends here.)
        if (!(lambda >= lambdaMin) || lambda <= 0.0) {
            pNew = pOld;
            fNew = fOld;
            return FIT_SUCCESS;
        }
        if (f <= fOld + kArmijo * lambda * slope) {
            fNew = f;
            return FIT_SUCCESS;
        }
        double tmp;
        if (first) {
            tmp = -slope / (2.0 * (f - fOld - slope));
            first = false;
        } else {
            const double r1 = f - fOld - lambda * slope;
            const double r2 = f2 - fOld - lambda2 * slope;
            const double a = (r1 / (lambda * lambda) - r2 / (lambda2 * lambda2)) / (lambda - lambda2);
            const double b =
                (-lambda2 * r1 / (lambda * lambda) + lambda * r2 / (lambda2 * lambda2)) / (lambda - lambda2);
            if (a == 0.0) {
                tmp = -slope / (2.0 * b);
            } else {
                const double disc = b * b - 3.0 * a * slope;
                if (disc < 0.0) tmp = 0.5 * lambda;
                else if (b <= 0.0) tmp = (-b + std::sqrt(disc)) / (3.0 * a);
                else tmp = -slope / (b + std::sqrt(disc));
            }
            tmp = std::fmin(tmp, 0.5 * lambda);  // fmin/fmax: a NaN estimate falls back
        }
        lambda2 = lambda;
        f2 = f;
        lambda = std::fmax(tmp, 0.1 * lambda);
    }
}

// BFGS quasi-Newton minimisation of the s-square from p; p holds the last
// point on return.
int QuasiNewton(FITMODULE& m, CTuple& p, int* iterations, double gtol) {
    const int n = p.Count();
    if (n <= 0) return FIT_NO_PARAMETERS;

    double fp = SSquare(m, p);
    m.dSSquare = fp;
    CTuple g(n);
    if (g.Count() != n) return FIT_NO_PARAMETERS;
    ComputeGradient(m, g.Data(), p.Data());
    std::vector<double> h(static_cast<std::size_t>(n) * n, 0.0);
    for (int i = 0; i < n; ++i) h[static_cast<std::size_t>(i) * n + i] = 1.0;
    CTuple xi = -g;
    const double stpmax = 100.0 * std::fmax(p.Norm(), static_cast<double>(n));

    CTuple pNew;
    for (int k = 0; k < kMaxIterations; ++k) {
        if (iterations) *iterations = k;
        double fNew = fp;
        const int rc = LineSearch(m, p, fp, g, xi, stpmax, pNew, fNew);
        if (rc != FIT_SUCCESS) return rc;
        fp = fNew;
        m.dSSquare = fp;
        xi = pNew - p;
        p = pNew;

        if ((xi.Abs() / p.Abs().MaxWith(1.0)).MaxElement() < kStepTolerance) return FIT_SUCCESS;

        CTuple dg = g;
        ComputeGradient(m, g.Data(), p.Data());
        if ((g.Abs() * p.Abs().MaxWith(1.0)).MaxElement() / std::fmax(fp, 1.0) < gtol) return FIT_SUCCESS;

        for (int j = 0; j < n; ++j) {
            if (!m.anRangeFlags[j]) continue;
            if (p[j] < m.adRanges[2 * j] || p[j] > m.adRanges[2 * j + 1]) return FIT_RANGE_VIOLATION;
        }

        dg = g - dg;
        const CTuple hdg = CTuple::MatrixProduct(h.data(), dg);
        double fac = dg.Dot(xi);
        const double fae = dg.Dot(hdg);
        const double sumdg = dg.Dot(dg);
        const double sumxi = xi.Dot(xi);
        if (fac > std::sqrt(kEpsilon * sumdg * sumxi)) {
            fac = 1.0 / fac;
            const double fad = 1.0 / fae;
            const CTuple u = xi.Scaled(fac) - hdg.Scaled(fad);
            for (int i = 0; i < n; ++i) {
                double* row = h.data() + static_cast<std::size_t>(i) * n;
                for (int j = 0; j < n; ++j) row[j] += fac * xi[i] * xi[j] - fad * hdg[i] * hdg[j] + fae * u[i] * u[j];
            }
        }
        xi = -CTuple::MatrixProduct(h.data(), g);
    }
    return FIT_SUCCESS;
}

}  // namespace

int RegisterFunction(FITMODULE& m, FitFunction function, FitGradient gradient, int nParams) {
    FreeParameters(m);
    m.dSSquare = -1.0;
    m.pFunction = function;
    m.pGradient = gradient;
    m.pFunctionGradient = nullptr;
    m.pDataEvaluator = nullptr;
    if (nParams < 1) {
        LogIfAttached(m.pLog, "ERROR: Failed to register function, invalid parameters.");
        m.nParams = 0;
        m.pFunction = nullptr;
        m.pGradient = nullptr;
        return 0;
    }
    try {
        const auto count = static_cast<std::size_t>(nParams);
        m.adParams.assign(count, 0.0);
        m.adRanges.assign(2 * count, 0.0);
        m.anRangeFlags.assign(count, 0);
    } catch (const std::bad_alloc&) {
        LogIfAttached(m.pLog, "ERROR: Failed to register function, allocation error.");
        FreeParameters(m);
        m.nParams = 0;
        m.dSSquare = -1.0;
        m.pFunction = nullptr;
        m.pGradient = nullptr;
        return 0;
    }
    m.nParams = nParams;
    return m.nParams;
}

int RegisterData(FITMODULE& m, int count, const double* x, const double* y, const double* w) {
    if (count < 1) {
        LogIfAttached(m.pLog, "ERROR: Failed to register data, invalid parameters.");
        FreeData(m);
        m.nData = 0;
        return m.nParams;
    }
    FreeData(m);
    m.dSSquare = -1.0;
    m.nData = 0;
    try {
        const auto n = static_cast<std::size_t>(count);
        m.adX.assign(n, 0.0);
        m.adY.assign(n, 0.0);
        m.adW.assign(n, 0.0);
    } catch (const std::bad_alloc&) {
        LogIfAttached(m.pLog, "ERROR: Failed to register data, allocation error.");
        FreeData(m);
        return m.nParams;
    }
    m.nData = count;
    if (x) std::copy(x, x + count, m.adX.begin());
    if (y) std::copy(y, y + count, m.adY.begin());
    if (w) std::copy(w, w + count, m.adW.begin());
    return m.nParams;
}

int ComputeSSquare(const FITMODULE& m, const double* params, double& sSquare) {
    if (!CheckModule(m) || !ArraysConsistent(m)) return 0;
    const double* p = params ? params : m.adParams.data();
    if (m.pDataEvaluator) {
        sSquare = m.pDataEvaluator(m, p, nullptr);
        return 1;
    }
    const FitFunction f = m.pFunction;
    if (m.nWeighted) {
        double sum = 0.0, weights = 0.0;
        for (int i = 0; i < m.nData; ++i) {
            const double r = f(m.adX[i], p) - m.adY[i];
            sum += m.adW[i] * r * r;
            weights += m.adW[i];
        }
        sSquare = sum / weights;
    } else {
        double sum = 0.0;
        for (int i = 0; i < m.nData; ++i) {
            const double r = f(m.adX[i], p) - m.adY[i];
            sum += r * r;
        }
        sSquare = sum;
    }
    return 1;
}

int ComputeGradient(const FITMODULE& m, double* gradient, const double* params) {
    if (!CheckModule(m) || !ArraysConsistent(m) || !m.pGradient || !gradient) return 0;
    const double* p = params ? params : m.adParams.data();
    if (m.pDataEvaluator) {
        m.pDataEvaluator(m, p, gradient);
        return 1;
    }
    const int np = m.nParams;
    // The usual few parameters need no allocation per call.
    constexpr int kLocal = 8;
    double local[kLocal] = {};
    std::vector<double> heap;
    if (np > kLocal) {
        try {
            heap.assign(static_cast<std::size_t>(np), 0.0);
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    double* partial = np > kLocal ? heap.data() : local;
    for (int j = 0; j < np; ++j) gradient[j] = 0.0;
    double weights = 0.0;
    for (int i = 0; i < m.nData; ++i) {
        const double x = m.adX[i];
        double f = 0.0;
        if (m.pFunctionGradient) {
            f = m.pFunctionGradient(x, p, partial);
        } else {
            f = m.pFunction(x, p);
            m.pGradient(x, p, partial);
        }
        const double r = 2.0 * (f - m.adY[i]);
        const double wr = m.nWeighted ? m.adW[i] * r : r;
        for (int j = 0; j < np; ++j) gradient[j] += wr * partial[j];
        weights += m.adW[i];
    }
    if (m.nWeighted)
        for (int j = 0; j < np; ++j) gradient[j] /= weights;
    return 1;
}

void CopyParametersOut(const FITMODULE& m, double* params) {
    if (!params) return;
    for (std::size_t j = 0; j < m.adParams.size(); ++j) params[j] = m.adParams[j];
}

int CopyParametersIn(FITMODULE& m, const double* params) {
    if (m.nParams <= 0 || !params) return 0;
    for (std::size_t j = 0; j < m.adParams.size(); ++j) m.adParams[j] = params[j];
    return 1;
}

int SetParameterRange(FITMODULE& m, int j, double lower, double upper, int enforce) {
    if (j < 0 || j >= m.nParams || !ArraysConsistent(m)) return 0;
    m.adRanges[2 * static_cast<std::size_t>(j)] = lower;
    m.adRanges[2 * static_cast<std::size_t>(j) + 1] = upper;
    m.anRangeFlags[j] = enforce;
    return 1;
}

bool CheckModule(const FITMODULE& m) { return m.nParams > 0 && m.nData > 0 && m.pFunction != nullptr; }

int MinimizeSSquare(FITMODULE& m, int* iterations, double gtol) {
    if (!CheckModule(m)) {
        LogIfAttached(m.pLog, FitResultMessage(FIT_NOT_SET_UP));
        return FIT_NOT_SET_UP;
    }
    int code = FIT_INCONSISTENT_ARRAYS;
    if (ArraysConsistent(m)) {
        CTuple p(m.adParams.data(), m.nParams);
        code = p.Count() == m.nParams ? QuasiNewton(m, p, iterations, gtol) : FIT_NO_PARAMETERS;
        if (p.Count() == m.nParams) CopyParametersIn(m, p.Data());
    }
    if (code != FIT_SUCCESS) LogIfAttached(m.pLog, FitResultMessage(code));
    return code;
}

void ResetModule(FITMODULE& m) {
    FreeParameters(m);
    FreeData(m);
    m.dSSquare = -1.0;
    m.nParams = 0;
    m.nData = 0;
    m.nWeighted = 0;
    m.pFunction = nullptr;
    m.pGradient = nullptr;
    m.pFunctionGradient = nullptr;
    m.pDataEvaluator = nullptr;
}

const char* FitResultMessage(int code) {
    switch (code) {
    case FIT_NOT_SET_UP: return "ERROR: s-square minimization failed because the module is not properly set up.";
    case FIT_SUCCESS: return "";
    case FIT_NO_PARAMETERS: return "ERROR: Minimization routine called with invalid parameter.";
    case FIT_INVALID_METHOD: return "ERROR: Invalid minimization method.";
    case FIT_INCONSISTENT_ARRAYS: return "ERROR: Parameter arrays have inconsitent sizes.";
    case FIT_ROUND_OFF: return "ERROR: Round-off problem in the line-search algorithm.";
    case FIT_RANGE_VIOLATION: return "ERROR: Range violation during s-square minimization.";
    default: return "ERROR: s-square minimization failed with an unspecified cause.";
    }
}
