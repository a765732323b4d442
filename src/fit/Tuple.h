#pragma once
// A small numeric vector for the minimiser: element-wise arithmetic,
// products, norms and the matrix-vector product. Every operation returns a
// new vector; operations on two vectors of different lengths use the
// shorter length. None of them reports an error: when memory runs out the
// result is simply empty.

#include <vector>

class CTuple {
public:
    CTuple() = default;
    explicit CTuple(int count);  // count zeros
    CTuple(const double* values, int count);
    CTuple(const CTuple& other) = default;
    CTuple& operator=(const CTuple& other) = default;
    CTuple(CTuple&&) noexcept = default;
    CTuple& operator=(CTuple&&) noexcept = default;
    virtual ~CTuple() = default;

    // Replaces the contents by count values (resizing).
    void Assign(const double* values, int count);

    int Count() const { return static_cast<int>(m_aValues.size()); }
    double& operator[](int i) { return m_aValues[static_cast<std::size_t>(i)]; }
    double operator[](int i) const { return m_aValues[static_cast<std::size_t>(i)]; }
    const double* Data() const { return m_aValues.data(); }
    double* Data() { return m_aValues.data(); }

    double Dot(const CTuple& other) const;
    CTuple Scaled(double factor) const;
    CTuple operator+(const CTuple& other) const;
    CTuple operator-(const CTuple& other) const;
    CTuple operator*(const CTuple& other) const;  // element-wise
    CTuple operator/(const CTuple& other) const;  // element-wise
    CTuple operator-() const;
    CTuple Abs() const;
    CTuple MaxWith(double value) const;  // element-wise max(element, value)
    double MaxElement() const;           // 0 for an empty vector
    double Norm() const;                 // Euclidean

    // matrix (n x n, row-major) times vector, n = vector.Count().
    static CTuple MatrixProduct(const double* matrix, const CTuple& vector);

private:
    template <class Op>
    CTuple Combine(const CTuple& other, Op op) const;
    template <class Op>
    CTuple Map(Op op) const;

    std::vector<double> m_aValues;
};

inline CTuple operator*(double factor, const CTuple& t) { return t.Scaled(factor); }
