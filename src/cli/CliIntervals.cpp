// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliIntervals.h"

#include "cli/CliEval.h"
#include "cli/CliOptions.h"
#include "cli/JsonWriter.h"
#include "log/LogFile.h"
#include "series/A1TimeSeries.h"

#include <cmath>

namespace {

// The quantities of the summary columns, in their order.
constexpr int kSummaryOrder[] = {IQ_DI, IQ_DA, IQ_TC, IQ_S, IQ_MODEL_LIFETIME, IQ_P84, IQ_P50, IQ_P16};

void End(CJsonWriter& j, const char* key, const INTERVALEND& e) {
    j.Key(key);
    if (e.bOpen) j.Null();
    else j.Number(e.dValue);
}

std::string Cell(const INTERVALEND& e) {
    return e.bOpen || !std::isfinite(e.dValue) ? std::string() : CJsonWriter::FormatNumber(e.dValue);
}

}  // namespace

std::optional<INTERVALSET> CliComputeIntervals(const CA1TimeSeries& series, const CliOptions& options,
                                               std::uint32_t seed) {
    if (series.CharFuncValid < 1 || series.ModelValid < 1) return std::nullopt;
    BOOTSTRAPOPTIONS o;
    o.nReplicates = options.nReplicates > 0 ? options.nReplicates : kDefaultReplicates;
    o.nSeed = seed;
    const BOOTSTRAPRUN run = RunBootstrap(series, CliEvalInputs(options), o);
    if (run.status == BootstrapStatus::Failed)
        LogIfAttached(series.m_pLog, "ERROR: Not enough memory to compute the intervals.");
    if (run.status != BootstrapStatus::Done) return std::nullopt;
    return ComputeIntervals(run, series, series.Tolerance);
}

void WriteCliIntervalsJson(CJsonWriter& j, const std::optional<INTERVALSET>& intervals) {
    if (!intervals || !intervals->bValid) {
        j.Null();
        return;
    }
    const INTERVALSET& set = *intervals;
    j.BeginObject();
    j.Key("replicates");
    j.Integer(set.nReplicates);
    j.Key("seed");
    j.Integer(set.nSeed);
    j.Key("method");
    j.String(IntervalMethodText(set.method));
    j.Key("goodness_of_fit_p");
    j.Number(set.dGoodnessP);
    for (int q = 0; q < IQ_COUNT; ++q) {
        const INTERVAL& iv = set.q[q];
        j.Key(IntervalQuantityInfo(q).pszKey);
        j.BeginObject();
        End(j, "lo95", iv.lo95);
        End(j, "lo68", iv.lo68);
        End(j, "hi68", iv.hi68);
        End(j, "hi95", iv.hi95);
        j.EndObject();
    }
    j.EndObject();
}

std::string CliIntervalsSummaryHeader() {
    std::string text = ",gof_p";
    for (int q : kSummaryOrder) {
        const std::string key = IntervalQuantityInfo(q).pszKey;
        text += "," + key + "_lo95," + key + "_hi95";
    }
    return text + ",replicates";
}

std::string CliIntervalsSummaryCells(const std::optional<INTERVALSET>& intervals) {
    const bool have = intervals && intervals->bValid;
    std::string text = ",";
    if (have && std::isfinite(intervals->dGoodnessP)) text += CJsonWriter::FormatNumber(intervals->dGoodnessP);
    for (int q : kSummaryOrder) {
        text += ",";
        if (have) text += Cell(intervals->q[q].lo95);
        text += ",";
        if (have) text += Cell(intervals->q[q].hi95);
    }
    text += ",";
    if (have) text += std::to_string(intervals->nReplicates);
    return text;
}
