#pragma once
// printf-style formatting that never depends on the process locale.
//
// Supports the conversions the program uses: d i u x X c s f F e E g G and
// "%%", with the flags "-+ #0", a width and a precision (both may be "*").
// Floating-point output always uses a full stop, and every exponent carries
// at least three digits ("1e+006", "1.23457E-005"), as the stored files have
// them. Non-finite values print as "inf", "-inf" or "nan" ("INF", "NAN" for
// the upper-case conversions).

#include <cstdarg>
#include <string>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatTextV(const char* format, va_list args);
