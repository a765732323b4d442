// SPDX-License-Identifier: GPL-3.0-or-later
#include "eval/EvalInputs.h"

#include "text/Format.h"

#include <cmath>

std::string FormatInputNumber(double value) { return FormatText("%g", value); }

std::string ExpandInputText(const EvalInputSpec& entry, const char* text) {
    std::string out = text;
    const std::pair<const char*, double> fields[] = {
        {"{min}", entry.dMin}, {"{max}", entry.dMax}, {"{default}", entry.dDefault}};
    for (const auto& [name, value] : fields) {
        const std::string key = name;
        for (std::size_t at = out.find(key); at != std::string::npos; at = out.find(key, at))
            out.replace(at, key.size(), FormatInputNumber(value));
    }
    return out;
}

bool InputInRange(const EvalInputSpec& entry, double value) {
    if (!std::isfinite(value)) return false;
    if (entry.bMinExclusive ? !(value > entry.dMin) : !(value >= entry.dMin)) return false;
    return value <= entry.dMax;
}
