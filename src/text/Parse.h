#pragma once
// Leading-number readers used for every number the program takes from text.
//
// Both skip leading white space, accept an optional sign and stop at the
// first character that does not fit; without a number they give 0. Only
// decimal notation is read: no hexadecimal, no "inf", no "nan". An integer
// that does not fit saturates at INT_MIN / INT_MAX; a floating-point value
// beyond the double range gives +-infinity (and one below it 0), as strtod.

#include <cstddef>
#include <string_view>

int ReadLeadingInt(std::string_view text, std::size_t* consumed = nullptr);
double ReadLeadingDouble(std::string_view text, std::size_t* consumed = nullptr);

// True when the text holds at least one digit of a number at its start
// (after white space and an optional sign).
bool HasLeadingNumber(std::string_view text);
