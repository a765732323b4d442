// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A drawing primitive: the area between two curves given at the same x
// values in data coordinates (the mapping of a CURVESPEC), filled solid.
// Between two points the ends are joined straight; a point whose low or high
// value is not a number ends the area there and the next number starts it
// again; an infinite end reaches the plot's edge. Only pixels inside the curve's plot rectangle and the image are
// written, so a band is drawn before the curves and the frame that lie on it.

#include "plot/DiagramWnd.h"

#include <cstddef>

void FillBetweenCurves(CImage32& image, const CURVESPEC& curve, std::size_t n, const double* xs, const double* lows,
                       const double* highs, COLOR color);
