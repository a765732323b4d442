// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// --intervals in the batch tool: the parametric bootstrap of every series
// with a model, and where its results go: the JSON "intervals" object, the
// summary columns appended after the others, the STEM_sNNN_intervals.txt
// export and the "Uncertainty" block after the report.

#include "boot/Intervals.h"

#include <cstdint>
#include <optional>
#include <string>

class CJsonWriter;
struct CliOptions;

// The intervals of a series with a model at its tolerance, with
// --replicates (or the default) on all cores and the run's seed; none
// without a model.
std::optional<INTERVALSET> CliComputeIntervals(const CA1TimeSeries& series, const CliOptions& options,
                                               std::uint32_t seed);

// The value of the "intervals" key: null without intervals.
void WriteCliIntervalsJson(CJsonWriter& json, const std::optional<INTERVALSET>& intervals);

// The summary columns of --intervals, each preceded by a comma: the header
// names, and the cells of a series (empty cells without intervals and for
// open ends).
std::string CliIntervalsSummaryHeader();
std::string CliIntervalsSummaryCells(const std::optional<INTERVALSET>& intervals);
