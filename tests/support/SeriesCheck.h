// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Field-by-field comparison of two series' samples and evaluation results.

class CA1TimeSeries;

// Every sample, every characteristic-function point and every evaluation
// field of `actual` equals that of `expected` (doubles bit for bit, NaN
// equal to NaN); failures name the field.
void ExpectSameEvaluation(const CA1TimeSeries& expected, const CA1TimeSeries& actual);
