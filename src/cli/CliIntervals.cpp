// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliIntervals.h"

#include "cli/CliEval.h"
#include "cli/CliOptions.h"
#include "cli/JsonWriter.h"
#include "log/LogFile.h"
#include "series/A1TimeSeries.h"

#include <cmath>

namespace {

void End(CJsonWriter& j, const char* key, const INTERVALEND& e) {
    j.Key(key);
    if (e.bOpen) j.Null();
    else j.Number(e.dValue);
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
    j.String(IntervalMethodText(set));
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
