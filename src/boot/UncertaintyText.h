// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the intervals, shared by the batch tool, the PDF report and
// the Summary page: the "Uncertainty" block that follows the stability
// report, the intervals table of the export, the one-line result field and
// the goodness-of-fit sentence.

#include "boot/Intervals.h"

#include <string>

// Below this goodness-of-fit p the series is not described by the model.
inline constexpr double kGoodnessWarningP = 0.01;

// One end as the texts show it: "%.1f s" for the lifetimes and tc, "%.3G nm"
// for Di, Da and s, without the unit; an open end as "> X" (above every
// finite replicate value) or "< X" (below), with the bound the replicates
// reached, or "open" without any.
std::string IntervalEndText(int quantity, const INTERVAL& interval, const INTERVALEND& end);

// "the model describes this series: p = 0.42", or below kGoodnessWarningP
// the warning that it does not.
std::string GoodnessOfFitText(double p);

// The block after the report (CR LF joins, one leading blank per line as
// the report has, ending with the report's separator line). Empty for an
// invalid set.
std::string BuildUncertaintyBlock(const INTERVALSET& set);

// The intervals table of the export (LF line ends; the writer makes them
// CR LF): a comment header, then per quantity
// quantity; unit; estimate; 95% low; 68% low; 68% high; 95% high
// with "open" for an open end and "no result" for a missing estimate.
std::string IntervalsTableText(const CA1TimeSeries& series, const INTERVALSET& set);

// "95 %: lifetime 700.0 – 1200.0 s; P50 650.0 – 1500.0 s; model fit p = 0.42"
std::string IntervalsFieldText(const INTERVALSET& set);
