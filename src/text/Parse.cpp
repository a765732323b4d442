#include "text/Parse.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipSpace(std::string_view t, std::size_t i) {
    while (i < t.size() && IsSpace(t[i])) ++i;
    return i;
}

}  // namespace

int ReadLeadingInt(std::string_view t, std::size_t* consumed) {
    std::size_t i = SkipSpace(t, 0);
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        neg = t[i] == '-';
        ++i;
    }
    const std::size_t digits = i;
    long long v = 0;
    bool saturated = false;
    while (i < t.size() && IsDigit(t[i])) {
        if (!saturated) {
            v = v * 10 + (t[i] - '0');
            if (v > static_cast<long long>(INT_MAX) + 1) saturated = true;
        }
        ++i;
    }
    if (i == digits) {
        if (consumed) *consumed = 0;
        return 0;
    }
    if (consumed) *consumed = i;
    if (neg) {
        v = -v;
        if (saturated || v < INT_MIN) return INT_MIN;
        return static_cast<int>(v);
    }
    if (saturated || v > INT_MAX) return INT_MAX;
    return static_cast<int>(v);
}

double ReadLeadingDouble(std::string_view t, std::size_t* consumed) {
    std::size_t i = SkipSpace(t, 0);
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        neg = t[i] == '-';
        ++i;
    }
    const std::size_t numStart = i;
    // The digits are gathered as an integer on the way (it wraps beyond 19
    // digits, but is then not used).
    std::uint64_t mantissa = 0;
    std::size_t intDigits = 0, fracDigits = 0;
    while (i < t.size() && IsDigit(t[i])) mantissa = mantissa * 10 + static_cast<std::uint64_t>(t[i++] - '0');
    intDigits = i - numStart;
    if (i < t.size() && t[i] == '.') {
        std::size_t j = i + 1;
        while (j < t.size() && IsDigit(t[j])) mantissa = mantissa * 10 + static_cast<std::uint64_t>(t[j++] - '0');
        fracDigits = j - i - 1;
        if (intDigits + fracDigits > 0) i = j;
    }
    if (intDigits + fracDigits == 0) {
        if (consumed) *consumed = 0;
        return 0.0;
    }
    long long scale = -static_cast<long long>(fracDigits);
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        bool negExp = false;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) negExp = t[j++] == '-';
        if (j < t.size() && IsDigit(t[j])) {
            long long e = 0;
            while (j < t.size() && IsDigit(t[j])) {
                if (e < 1000000) e = e * 10 + (t[j] - '0');
                ++j;
            }
            scale += negExp ? -e : e;
            i = j;
        }
    }
    // Fast route: the digits (up to 19 fit a 64-bit integer) as an integer
    // up to 2^53 and a power of ten up to 10^22 are both exact doubles, so
    // one multiplication or division rounds the true value correctly, which
    // is exactly what from_chars gives.
    constexpr std::uint64_t kExactInteger = std::uint64_t{1} << 53;
    if (intDigits + fracDigits <= 19 && mantissa <= kExactInteger && scale >= -22 && scale <= 22) {
        static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        if (consumed) *consumed = i;
        const double m = static_cast<double>(mantissa);
        const double v = scale < 0 ? m / kPow10[-scale] : m * kPow10[scale];
        return neg ? -v : v;
    }
    if (consumed) *consumed = i;
    double v = 0.0;
    const char* first = t.data() + numStart;
    const char* last = t.data() + i;
    auto res = std::from_chars(first, last, v, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Overflow or underflow: the decimal magnitude tells which.
        long long magnitude = 0;  // position of the first significant digit
        std::size_t k = numStart;
        long long intLen = 0;
        bool seenNonZero = false;
        long long leadingFracZeros = 0;
        for (; k < i && IsDigit(t[k]); ++k) {
            if (t[k] != '0') seenNonZero = true;
            if (seenNonZero) ++intLen;
        }
        if (k < i && t[k] == '.') {
            for (++k; k < i && IsDigit(t[k]); ++k) {
                if (seenNonZero) break;
                if (t[k] == '0') ++leadingFracZeros;
                else seenNonZero = true;
            }
        }
        magnitude = intLen > 0 ? intLen : -leadingFracZeros;
        const std::size_t e = std::string_view(first, static_cast<std::size_t>(last - first)).find_first_of("eE");
        if (e != std::string_view::npos) {
            const int expValue =
                ReadLeadingInt(std::string_view(first + e + 1, static_cast<std::size_t>(last - first) - e - 1));
            magnitude += expValue;
        }
        v = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return neg ? -v : v;
}

bool HasLeadingNumber(std::string_view t) {
    std::size_t n = 0;
    ReadLeadingDouble(t, &n);
    return n > 0;
}
