#pragma once
// Small helpers shared by the two log readers (not part of the interface).

#include "log/LogFile.h"
#include "text/Parse.h"

#include <climits>
#include <cmath>
#include <string_view>

namespace import_detail {

// True when a debug line of this level would be written, so the readers
// format per-line texts only when someone reads them.
inline bool DebugOn(CLogFile* log, unsigned level) { return log && level != 0 && level <= log->m_nDebugLevel; }

inline std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

inline bool IsBlankLine(std::string_view s) {
    for (char c : s)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// An integer at the start of the text that really is one: digits present and
// inside the int range (the reader saturates at INT_MIN / INT_MAX).
inline bool ReadCheckedInt(std::string_view text, int& value) {
    std::size_t used = 0;
    value = ReadLeadingInt(text, &used);
    return used > 0 && value != INT_MAX && value != INT_MIN;
}

// A finite floating-point number at the start of the text; used receives
// the number of characters read (leading blanks included).
inline bool ReadCheckedDouble(std::string_view text, double& value, std::size_t* used = nullptr) {
    std::size_t n = 0;
    value = ReadLeadingDouble(text, &n);
    if (used) *used = n;
    return n > 0 && std::isfinite(value);
}

}  // namespace import_detail
