#include "fit/Tuple.h"

#include <algorithm>
#include <cmath>
#include <new>

CTuple::CTuple(int count) {
    try {
        if (count > 0) m_aValues.assign(static_cast<std::size_t>(count), 0.0);
    } catch (const std::bad_alloc&) {
        m_aValues.clear();
    }
}

CTuple::CTuple(const double* values, int count) { Assign(values, count); }

void CTuple::Assign(const double* values, int count) {
    try {
        if (values && count > 0) m_aValues.assign(values, values + count);
        else m_aValues.clear();
    } catch (const std::bad_alloc&) {
        m_aValues.clear();
        m_aValues.shrink_to_fit();
    }
}

template <class Op>
CTuple CTuple::Combine(const CTuple& other, Op op) const {
    const int n = std::min(Count(), other.Count());
    CTuple r(n);
    for (int i = 0; i < r.Count(); ++i) r[i] = op((*this)[i], other[i]);
    return r;
}

template <class Op>
CTuple CTuple::Map(Op op) const {
    CTuple r(Count());
    for (int i = 0; i < r.Count(); ++i) r[i] = op((*this)[i]);
    return r;
}

double CTuple::Dot(const CTuple& other) const {
    const int n = std::min(Count(), other.Count());
    double s = 0.0;
    for (int i = 0; i < n; ++i) s += (*this)[i] * other[i];
    return s;
}

CTuple CTuple::Scaled(double factor) const {
    return Map([factor](double v) { return v * factor; });
}

CTuple CTuple::operator+(const CTuple& o) const {
    return Combine(o, [](double a, double b) { return a + b; });
}
CTuple CTuple::operator-(const CTuple& o) const {
    return Combine(o, [](double a, double b) { return a - b; });
}
CTuple CTuple::operator*(const CTuple& o) const {
    return Combine(o, [](double a, double b) { return a * b; });
}
CTuple CTuple::operator/(const CTuple& o) const {
    return Combine(o, [](double a, double b) { return a / b; });
}
CTuple CTuple::operator-() const {
    return Map([](double v) { return -v; });
}
CTuple CTuple::Abs() const {
    return Map([](double v) { return std::fabs(v); });
}
CTuple CTuple::MaxWith(double value) const {
    return Map([value](double v) { return v > value ? v : value; });
}

double CTuple::MaxElement() const {
    if (m_aValues.empty()) return 0.0;
    double m = m_aValues[0];
    for (double v : m_aValues)
        if (v > m || std::isnan(v)) m = v;
    return m;
}

double CTuple::Norm() const { return std::sqrt(Dot(*this)); }

CTuple CTuple::MatrixProduct(const double* matrix, const CTuple& vector) {
    const int n = vector.Count();
    CTuple r(n);
    if (!matrix) return r;
    for (int i = 0; i < r.Count(); ++i) {
        double s = 0.0;
        const double* row = matrix + static_cast<std::size_t>(i) * n;
        for (int j = 0; j < n; ++j) s += row[j] * vector[j];
        r[i] = s;
    }
    return r;
}
