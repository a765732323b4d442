#include "text/Format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

struct FormatFlags {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
};

void Pad(std::string& out, const std::string& sign, const std::string& body, const FormatFlags& flags,
         bool allowZeroPad) {
    const size_t len = sign.size() + body.size();
    const size_t width = flags.width > 0 ? static_cast<size_t>(flags.width) : 0;
    if (len >= width) {
        out += sign;
        out += body;
    } else if (flags.left) {
        out += sign;
        out += body;
        out.append(width - len, ' ');
    } else if (flags.zero && allowZeroPad) {
        out += sign;
        out.append(width - len, '0');
        out += body;
    } else {
        out.append(width - len, ' ');
        out += sign;
        out += body;
    }
}

// Widens the exponent of a to_chars result ("1e+06") to at least three digits.
std::string WidenExponent(std::string s, char expChar) {
    const size_t e = s.find(expChar);
    if (e == std::string::npos || e + 1 >= s.size()) return s;
    size_t digits = e + 1;
    if (s[digits] == '+' || s[digits] == '-') ++digits;
    const size_t n = s.size() - digits;
    if (n < 3) s.insert(digits, 3 - n, '0');
    return s;
}

std::string ToChars(double v, std::chars_format fmt, int precision) {
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, v, fmt, precision);
    if (res.ec != std::errc()) {
        // Only reachable for absurd precisions; fall back to the shortest form.
        res = std::to_chars(buf, buf + sizeof buf, v, fmt);
    }
    return std::string(buf, res.ptr);
}

// Removes trailing zeros of the fraction (and a bare point) from a %g body.
std::string TrimZeros(const std::string& s, char expChar) {
    const size_t e = s.find(expChar);
    std::string mant = e == std::string::npos ? s : s.substr(0, e);
    const std::string exp = e == std::string::npos ? std::string() : s.substr(e);
    if (mant.find('.') != std::string::npos) {
        while (!mant.empty() && mant.back() == '0') mant.pop_back();
        if (!mant.empty() && mant.back() == '.') mant.pop_back();
    }
    return mant + exp;
}

void FormatFloat(std::string& out, double v, char conv, FormatFlags flags) {
    const bool upper = conv == 'E' || conv == 'G' || conv == 'F';
    std::string sign;
    if (std::signbit(v) && !std::isnan(v)) sign = "-";
    else if (flags.plus) sign = "+";
    else if (flags.space) sign = " ";
    const double a = std::fabs(v);
    if (!std::isfinite(v)) {
        std::string body = std::isnan(v) ? "nan" : "inf";
        if (upper)
            for (char& c : body) c = static_cast<char>(c - 'a' + 'A');
        Pad(out, sign, body, flags, false);
        return;
    }
    const int prec = flags.precision < 0 ? 6 : flags.precision;
    std::string body;
    const char expChar = 'e';
    switch (conv) {
    case 'f':
    case 'F':
        body = ToChars(a, std::chars_format::fixed, prec);
        if (flags.alt && prec == 0) body += '.';
        break;
    case 'e':
    case 'E':
        body = WidenExponent(ToChars(a, std::chars_format::scientific, prec), expChar);
        if (flags.alt && prec == 0) body.insert(1, ".");
        break;
    default: {  // g, G
        const int p = prec == 0 ? 1 : prec;
        // Decide between fixed and exponent form exactly as printf does:
        // X = exponent of the value rounded to p significant digits.
        int x = 0;
        if (a != 0.0) {
            const std::string sci = ToChars(a, std::chars_format::scientific, p - 1);
            x = std::atoi(sci.c_str() + sci.find('e') + 1);
        }
        if (p > x && x >= -4) body = ToChars(a, std::chars_format::fixed, p - 1 - x);
        else body = WidenExponent(ToChars(a, std::chars_format::scientific, p - 1), expChar);
        if (!flags.alt) body = TrimZeros(body, expChar);
        break;
    }
    }
    if (upper) {
        for (char& c : body)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    Pad(out, sign, body, flags, true);
}

void FormatInteger(std::string& out, long long sv, unsigned long long uv, bool isSigned, char conv, FormatFlags flags) {
    std::string sign;
    unsigned long long mag = uv;
    if (isSigned) {
        if (sv < 0) {
            sign = "-";
            mag = static_cast<unsigned long long>(-(sv + 1)) + 1u;
        } else {
            mag = static_cast<unsigned long long>(sv);
            if (flags.plus) sign = "+";
            else if (flags.space) sign = " ";
        }
    }
    const int base = (conv == 'x' || conv == 'X') ? 16 : 10;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, mag, base);
    std::string body(buf, res.ptr);
    if (conv == 'X')
        for (char& c : body)
            if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    if (flags.precision >= 0) {
        if (flags.precision == 0 && mag == 0) body.clear();
        if (static_cast<int>(body.size()) < flags.precision)
            body.insert(0, static_cast<size_t>(flags.precision) - body.size(), '0');
    }
    if (flags.alt && base == 16 && mag != 0) sign += conv == 'X' ? "0X" : "0x";
    Pad(out, sign, body, flags, flags.precision < 0);
}

}  // namespace

std::string FormatTextV(const char* format, va_list args) {
    std::string out;
    if (!format) return out;
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            const char* q = std::strchr(p, '%');
            if (!q) {
                out.append(p);
                break;
            }
            out.append(p, q);
            p = q;
            continue;
        }
        ++p;  // past '%'
        if (*p == '%') {
            out += '%';
            ++p;
            continue;
        }
        FormatFlags flags;
        for (;; ++p) {
            if (*p == '-') flags.left = true;
            else if (*p == '+') flags.plus = true;
            else if (*p == ' ') flags.space = true;
            else if (*p == '#') flags.alt = true;
            else if (*p == '0') flags.zero = true;
            else break;
        }
        if (*p == '*') {
            int w = va_arg(args, int);
            if (w < 0) {
                flags.left = true;
                w = -w;
            }
            flags.width = w;
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') flags.width = flags.width * 10 + (*p++ - '0');
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                flags.precision = va_arg(args, int);
                if (flags.precision < 0) flags.precision = -1;
                ++p;
            } else {
                flags.precision = 0;
                while (*p >= '0' && *p <= '9') flags.precision = flags.precision * 10 + (*p++ - '0');
            }
        }
        int lengthMod = 0;  // 1 = l, 2 = ll, 3 = z, 4 = h
        if (*p == 'l') {
            ++p;
            lengthMod = 1;
            if (*p == 'l') {
                ++p;
                lengthMod = 2;
            }
        } else if (*p == 'z') {
            ++p;
            lengthMod = 3;
        } else if (*p == 'h') {
            ++p;
            lengthMod = 4;
            if (*p == 'h') ++p;
        }
        const char conv = *p;
        if (!conv) break;
        ++p;
        switch (conv) {
        case 'd':
        case 'i': {
            long long v = lengthMod == 1   ? va_arg(args, long)
                          : lengthMod == 2 ? va_arg(args, long long)
                          : lengthMod == 3 ? static_cast<long long>(va_arg(args, size_t))
                                           : va_arg(args, int);
            FormatInteger(out, v, 0, true, conv, flags);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned long long v = lengthMod == 1   ? va_arg(args, unsigned long)
                                   : lengthMod == 2 ? va_arg(args, unsigned long long)
                                   : lengthMod == 3 ? va_arg(args, size_t)
                                                    : va_arg(args, unsigned int);
            FormatInteger(out, 0, v, false, conv, flags);
            break;
        }
        case 'c': {
            const char c = static_cast<char>(va_arg(args, int));
            Pad(out, "", std::string(1, c), flags, false);
            break;
        }
        case 's': {
            const char* s = va_arg(args, const char*);
            std::string body = s ? s : "(null)";
            if (flags.precision >= 0 && body.size() > static_cast<size_t>(flags.precision))
                body.resize(static_cast<size_t>(flags.precision));
            Pad(out, "", body, flags, false);
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G': FormatFloat(out, va_arg(args, double), conv, flags); break;
        default:
            // Unknown conversion: print it literally.
            out += '%';
            out += conv;
            break;
        }
    }
    return out;
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = FormatTextV(format, args);
    va_end(args);
    return s;
}
