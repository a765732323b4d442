// SPDX-License-Identifier: GPL-3.0-or-later
#include "eval/EvalInputs.h"

#include "text/Format.h"

#include <cmath>

std::string FormatInputNumber(double value) { return FormatText("%g", value); }

std::string ExpandInputText(const EvalInputSpec& spec, const char* text) {
    std::string out = text;
    const std::pair<const char*, double> fields[] = {
        {"{min}", spec.dMin}, {"{max}", spec.dMax}, {"{default}", spec.dDefault}};
    for (const auto& [name, value] : fields) {
        const std::string key = name;
        for (std::size_t at = out.find(key); at != std::string::npos; at = out.find(key, at))
            out.replace(at, key.size(), FormatInputNumber(value));
    }
    return out;
}

bool InputInRange(const EvalInputSpec& spec, double value) {
    if (!std::isfinite(value)) return false;
    if (spec.bMinExclusive ? !(value > spec.dMin) : !(value >= spec.dMin)) return false;
    return value <= spec.dMax;
}
