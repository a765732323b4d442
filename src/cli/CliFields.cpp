// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliFields.h"

#include "cli/CliIntervals.h"
#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/JsonWriter.h"
#include "import/LogImport.h"

#include <array>
#include <limits>

namespace {

CliFieldValue Int(long long value) {
    CliFieldValue v;
    v.nInteger = value;
    return v;
}
CliFieldValue Num(double value) {
    CliFieldValue v;
    v.dNumber = value;
    return v;
}
CliFieldValue Bool(bool value) {
    CliFieldValue v;
    v.bBool = value;
    return v;
}
CliFieldValue Text(std::string value) {
    CliFieldValue v;
    v.strText = std::move(value);
    return v;
}
CliFieldValue Samples(const std::vector<A1SAMPLE>& value) {
    CliFieldValue v;
    v.pSamples = &value;
    return v;
}

// --intervals: the columns appended to the summary only when asked for; an
// end that the replicates leave open is an empty cell.
bool IntervalsAsked(const CliOptions& options) { return options.bIntervals; }
template <int Q, bool High>
CliFieldValue End95(const CliFieldContext& c) {
    const INTERVAL& interval = c.evaluation.intervals->q[Q];
    const INTERVALEND& end = High ? interval.hi95 : interval.lo95;
    return Num(end.bOpen ? std::numeric_limits<double>::quiet_NaN() : end.dValue);
}
void IntervalsJson(CJsonWriter& json, const CliFieldContext& c) { WriteCliIntervalsJson(json, c.evaluation.intervals); }

using E = CliFieldExists;
using K = CliFieldKind;
using C = CliFieldContext;

// clang-format off
const std::array kFields = {
    // JSON key, JSON object, summary column, unit, exists, kind, value
    CliField{nullptr, nullptr, "file", "", E::Always, K::Text,
             [](const C& c) { return Text(CJsonWriter::Utf8Text(c.outcome.strPath)); }},
    CliField{"index", nullptr, "series", "", E::Always, K::Integer,
             [](const C& c) { return Int(c.outcome.anIndex[c.nSeries]); }},
    CliField{nullptr, nullptr, "format", "", E::Always, K::Text, [](const C& c) {
                 const LogFormatEntry* format = FindLogFormat(c.outcome.import.nImportType);
                 return Text(format ? format->szKey : "");
             }},
    CliField{"provisional", nullptr, nullptr, "", E::Provisional, K::Bool, [](const C&) { return Bool(true); }},
    CliField{"first_line", nullptr, "first_line", "", E::Always, K::Integer,
             [](const C& c) { return Int(c.series.m_nFirstLine); }},
    CliField{"last_line", nullptr, "last_line", "", E::Always, K::Integer,
             [](const C& c) { return Int(c.series.m_nLastLine); }},
    CliField{"start_time", nullptr, "start_time", "", E::Always, K::Integer,
             [](const C& c) { return Int(c.series.m_nStartTime); }},
    CliField{"stop_time", nullptr, "stop_time", "", E::Always, K::Integer,
             [](const C& c) { return Int(c.series.m_nStopTime); }},
    CliField{"data_lines", nullptr, nullptr, "", E::Always, K::Integer,
             [](const C& c) { return Int(c.series.m_nDataLines); }},
    CliField{nullptr, nullptr, "samples", "", E::Always, K::Integer,
             [](const C& c) { return Int(static_cast<long long>(c.series.m_aSamples.size())); }},
    CliField{"image_period_s", nullptr, "image_period_s", "s", E::Always, K::Number,
             [](const C& c) { return Num(c.series.m_dImagePeriod); }},
    CliField{"mirror", nullptr, nullptr, "", E::Always, K::Integer, [](const C& c) { return Int(c.series.m_nMirror); }},
    CliField{"rotation_deg", nullptr, nullptr, "deg", E::Always, K::Number,
             [](const C& c) { return Num(c.series.m_dRotation); }},
    CliField{"samples", nullptr, nullptr, "nm", E::Always, K::Samples,
             [](const C& c) { return Samples(c.series.m_aSamples); }},
    // Characteristic function and direct evaluation.
    CliField{"char_func_valid", nullptr, nullptr, "", E::Always, K::Bool,
             [](const C& c) { return Bool(HasCharFunc(c.series)); }},
    CliField{"used_min_diversity", nullptr, nullptr, "", E::CharFunc, K::Integer,
             [](const C& c) { return Int(c.series.UsedMinDiversity); }},
    CliField{"char_func", nullptr, nullptr, "nm2", E::CharFunc, K::Samples,
             [](const C& c) { return Samples(c.series.m_aCharFunc); }},
    CliField{"meas_err_nm", nullptr, "meas_err_nm", "nm", E::CharFunc, K::Number,
             [](const C& c) { return Num(c.series.MeasErr); }},
    CliField{"meas_err_x_nm", nullptr, nullptr, "nm", E::CharFunc, K::Number,
             [](const C& c) { return Num(c.series.MeasErrX); }},
    CliField{"meas_err_y_nm", nullptr, nullptr, "nm", E::CharFunc, K::Number,
             [](const C& c) { return Num(c.series.MeasErrY); }},
    CliField{"slope_sum", nullptr, nullptr, "", E::CharFunc, K::Number, [](const C& c) { return Num(c.series.SlopeSum); }},
    CliField{"energy_kev", nullptr, "energy_kev", "keV", E::CharFunc, K::Number,
             [](const C& c) { return Num(c.series.UsedElEnergykV); }},
    CliField{"resolution_angstrom", nullptr, "resolution_angstrom", "A", E::CharFunc, K::Number,
             [](const C& c) { return Num(c.series.UsedTargetResAng); }},
    CliField{"phase", nullptr, "phase", "pi", E::CharFunc, K::Number,
             [](const C& c) { return Num(c.series.UsedLimitPhase); }},
    CliField{"tolerance_nm", nullptr, "tolerance_nm", "nm", E::CharFunc, K::Number,
             [](const C& c) { return Num(c.series.Tolerance); }},
    CliField{"lifetime_state", nullptr, "lifetime_state", "", E::CharFunc, K::Integer,
             [](const C& c) { return Int(c.series.LifetimeState); }},
    CliField{"direct_lifetime_s", nullptr, "direct_lifetime_s", "s", E::CharFunc, K::Number,
             [](const C& c) { return Num(c.series.DirectLifetime); }},
    // Model and the lifetimes derived from it.
    CliField{"model_valid", nullptr, nullptr, "", E::Always, K::Bool, [](const C& c) { return Bool(HasModel(c.series)); }},
    CliField{"di_nm", "fit", "di_nm", "nm", E::Model, K::Number, [](const C& c) { return Num(c.series.FitDi); }},
    CliField{"da_nm", "fit", "da_nm", "nm", E::Model, K::Number, [](const C& c) { return Num(c.series.FitDa); }},
    CliField{"tc_images", "fit", nullptr, "", E::Model, K::Number, [](const C& c) { return Num(c.series.FitTc); }},
    CliField{"tc_s", "fit", "tc_s", "s", E::Model, K::Number, [](const C& c) { return Num(TcSeconds(c.series)); }},
    CliField{"s_nm", "fit", "s_nm", "nm", E::Model, K::Number, [](const C& c) { return Num(c.series.FitS); }},
    CliField{"ssqr", "fit", "ssqr", "", E::Model, K::Number, [](const C& c) { return Num(c.series.FitSSqr); }},
    CliField{"seed", "fit", nullptr, "", E::FitRun, K::Integer, [](const C& c) { return Int(c.evaluation.nSeed); }},
    CliField{"model_lifetime_s", nullptr, "model_lifetime_s", "s", E::Model, K::Number,
             [](const C& c) { return Num(c.series.ModelLifetime); }},
    CliField{"p84", "probability_lifetimes_s", "p84_s", "s", E::Model, K::Number, [](const C& c) { return Num(c.limits.p84); }},
    CliField{"p50", "probability_lifetimes_s", "p50_s", "s", E::Model, K::Number, [](const C& c) { return Num(c.limits.p50); }},
    CliField{"p16", "probability_lifetimes_s", "p16_s", "s", E::Model, K::Number, [](const C& c) { return Num(c.limits.p16); }},
    CliField{"mean_lifetime_s", "random_walk", "rw_mean_lifetime_s", "s", E::Model, K::Number,
             [](const C& c) { return Num(c.limits.rwMean); }},
    CliField{"p84", "random_walk", "rw_p84_s", "s", E::Model, K::Number, [](const C& c) { return Num(c.limits.rwP84); }},
    CliField{"p50", "random_walk", "rw_p50_s", "s", E::Model, K::Number, [](const C& c) { return Num(c.limits.rwP50); }},
    CliField{"p16", "random_walk", "rw_p16_s", "s", E::Model, K::Number, [](const C& c) { return Num(c.limits.rwP16); }},
    CliField{"intervals", nullptr, nullptr, "", E::Always, K::Number, [](const C&) { return Num(0.0); }, nullptr,
             IntervalsJson},
    CliField{nullptr, nullptr, "gof_p", "", E::Intervals, K::Number,
             [](const C& c) { return Num(c.evaluation.intervals->dGoodnessP); }, IntervalsAsked},
    CliField{nullptr, nullptr, "di_nm_lo95", "nm", E::Intervals, K::Number, End95<IQ_DI, false>, IntervalsAsked},
    CliField{nullptr, nullptr, "di_nm_hi95", "nm", E::Intervals, K::Number, End95<IQ_DI, true>, IntervalsAsked},
    CliField{nullptr, nullptr, "da_nm_lo95", "nm", E::Intervals, K::Number, End95<IQ_DA, false>, IntervalsAsked},
    CliField{nullptr, nullptr, "da_nm_hi95", "nm", E::Intervals, K::Number, End95<IQ_DA, true>, IntervalsAsked},
    CliField{nullptr, nullptr, "tc_s_lo95", "s", E::Intervals, K::Number, End95<IQ_TC, false>, IntervalsAsked},
    CliField{nullptr, nullptr, "tc_s_hi95", "s", E::Intervals, K::Number, End95<IQ_TC, true>, IntervalsAsked},
    CliField{nullptr, nullptr, "s_nm_lo95", "nm", E::Intervals, K::Number, End95<IQ_S, false>, IntervalsAsked},
    CliField{nullptr, nullptr, "s_nm_hi95", "nm", E::Intervals, K::Number, End95<IQ_S, true>, IntervalsAsked},
    CliField{nullptr, nullptr, "model_lifetime_s_lo95", "s", E::Intervals, K::Number, End95<IQ_MODEL_LIFETIME, false>,
             IntervalsAsked},
    CliField{nullptr, nullptr, "model_lifetime_s_hi95", "s", E::Intervals, K::Number, End95<IQ_MODEL_LIFETIME, true>,
             IntervalsAsked},
    CliField{nullptr, nullptr, "p84_s_lo95", "s", E::Intervals, K::Number, End95<IQ_P84, false>, IntervalsAsked},
    CliField{nullptr, nullptr, "p84_s_hi95", "s", E::Intervals, K::Number, End95<IQ_P84, true>, IntervalsAsked},
    CliField{nullptr, nullptr, "p50_s_lo95", "s", E::Intervals, K::Number, End95<IQ_P50, false>, IntervalsAsked},
    CliField{nullptr, nullptr, "p50_s_hi95", "s", E::Intervals, K::Number, End95<IQ_P50, true>, IntervalsAsked},
    CliField{nullptr, nullptr, "p16_s_lo95", "s", E::Intervals, K::Number, End95<IQ_P16, false>, IntervalsAsked},
    CliField{nullptr, nullptr, "p16_s_hi95", "s", E::Intervals, K::Number, End95<IQ_P16, true>, IntervalsAsked},
    CliField{nullptr, nullptr, "replicates", "", E::Intervals, K::Integer,
             [](const C& c) { return Int(c.evaluation.intervals->nReplicates); }, IntervalsAsked},
};
// clang-format on

}  // namespace

std::span<const CliField> CliFields() { return kFields; }

bool CliFieldExistsFor(const CliField& field, const CliFieldContext& context) {
    switch (field.exists) {
    case CliFieldExists::Always: return true;
    case CliFieldExists::CharFunc: return HasCharFunc(context.series);
    case CliFieldExists::Model: return HasModel(context.series);
    case CliFieldExists::FitRun: return context.evaluation.bFitRun;
    case CliFieldExists::Intervals: return context.evaluation.intervals && context.evaluation.intervals->bValid;
    case CliFieldExists::Provisional:
        return context.nSeries < context.outcome.abProvisional.size() && context.outcome.abProvisional[context.nSeries];
    }
    return false;
}

void ForEachCliSeries(const CliFileOutcome& outcome, const std::function<void(const CliFieldContext&)>& visit) {
    for (std::size_t i = 0; i < outcome.aSeries.size() && i < outcome.anIndex.size(); ++i) {
        const CA1TimeSeries& series = outcome.aSeries[i];
        const CliEvaluation evaluation = i < outcome.aEval.size() ? outcome.aEval[i] : CliEvaluation{};
        const LIFETIMELIMITS limits = HasModel(series) ? CliLifetimeLimits(series, evaluation) : LIFETIMELIMITS{};
        visit(CliFieldContext{outcome, i, series, evaluation, limits});
    }
}
