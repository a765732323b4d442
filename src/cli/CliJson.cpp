#include "cli/CliRun.h"

#include "Version.h"
#include "cli/JsonWriter.h"
#include "eval/Lifetime.h"

namespace {

void Row(CJsonWriter& j, const A1SAMPLE& a) {
    j.BeginArray(true);
    j.Integer(a.nIndex);
    j.Number(a.dX);
    j.Number(a.dY);
    j.Number(a.dErrX);
    j.Number(a.dErrY);
    j.EndArray();
}

// A number that exists only when the condition holds.
void NumberIf(CJsonWriter& j, const char* key, bool exists, double value) {
    j.Key(key);
    if (exists) j.Number(value);
    else j.Null();
}

void IntegerIf(CJsonWriter& j, const char* key, bool exists, long long value) {
    j.Key(key);
    if (exists) j.Integer(value);
    else j.Null();
}

// The three lifetimes at the 84 %, 50 % and 16 % levels.
void Levels(CJsonWriter& j, double p84, double p50, double p16) {
    j.Key("p84");
    j.Number(p84);
    j.Key("p50");
    j.Number(p50);
    j.Key("p16");
    j.Number(p16);
}

void WriteSeries(CJsonWriter& j, int index, const CA1TimeSeries& s, const CliEvaluation& evaluation, bool provisional) {
    j.BeginObject();
    j.Key("index");
    j.Integer(index);
    if (provisional) {
        j.Key("provisional");
        j.Bool(true);
    }
    j.Key("first_line");
    j.Integer(s.m_nFirstLine);
    j.Key("last_line");
    j.Integer(s.m_nLastLine);
    j.Key("start_time");
    j.Integer(s.m_nStartTime);
    j.Key("stop_time");
    j.Integer(s.m_nStopTime);
    j.Key("data_lines");
    j.Integer(s.m_nDataLines);
    j.Key("image_period_s");
    j.Number(s.m_dImagePeriod);
    j.Key("mirror");
    j.Integer(s.m_nMirror);
    j.Key("rotation_deg");
    j.Number(s.m_dRotation);
    j.Key("samples");
    j.BeginArray();
    for (const A1SAMPLE& a : s.m_aSamples) Row(j, a);
    j.EndArray();

    // Characteristic function and direct evaluation.
    const bool cf = s.CharFuncValid > 0;
    j.Key("char_func_valid");
    j.Bool(cf);
    IntegerIf(j, "used_min_diversity", cf, s.UsedMinDiversity);
    j.Key("char_func");
    if (cf) {
        j.BeginArray();
        for (const A1SAMPLE& a : s.m_aCharFunc) Row(j, a);
        j.EndArray();
    } else {
        j.Null();
    }
    NumberIf(j, "meas_err_nm", cf, s.MeasErr);
    NumberIf(j, "meas_err_x_nm", cf, s.MeasErrX);
    NumberIf(j, "meas_err_y_nm", cf, s.MeasErrY);
    NumberIf(j, "slope_sum", cf, s.SlopeSum);
    NumberIf(j, "energy_kev", cf, s.UsedElEnergykV);
    NumberIf(j, "resolution_angstrom", cf, s.UsedTargetResAng);
    NumberIf(j, "phase", cf, s.UsedLimitPhase);
    NumberIf(j, "tolerance_nm", cf, s.Tolerance);
    IntegerIf(j, "lifetime_state", cf, s.LifetimeState);
    NumberIf(j, "direct_lifetime_s", cf, s.DirectLifetime);

    // Model and the lifetimes derived from it.
    const bool model = cf && s.ModelValid > 0;
    j.Key("model_valid");
    j.Bool(model);
    j.Key("fit");
    if (model) {
        j.BeginObject();
        j.Key("di_nm");
        j.Number(s.FitDi);
        j.Key("da_nm");
        j.Number(s.FitDa);
        j.Key("tc_images");
        j.Number(s.FitTc);
        j.Key("tc_s");
        j.Number(s.FitTc * s.m_dImagePeriod);
        j.Key("s_nm");
        j.Number(s.FitS);
        j.Key("ssqr");
        j.Number(s.FitSSqr);
        j.Key("seed");
        if (evaluation.bFitRun) j.Integer(evaluation.nSeed);
        else j.Null();
        j.EndObject();
    } else {
        j.Null();
    }
    NumberIf(j, "model_lifetime_s", model, s.ModelLifetime);
    const LIFETIMELIMITS l = model ? CliLifetimeLimits(s, evaluation) : LIFETIMELIMITS{};
    j.Key("probability_lifetimes_s");
    if (model) {
        j.BeginObject();
        Levels(j, l.p84, l.p50, l.p16);
        j.EndObject();
    } else {
        j.Null();
    }
    j.Key("random_walk");
    if (model) {
        j.BeginObject();
        j.Key("mean_lifetime_s");
        j.Number(l.rwMean);
        Levels(j, l.rwP84, l.rwP50, l.rwP16);
        j.EndObject();
    } else {
        j.Null();
    }
    j.EndObject();
}

}  // namespace

std::string CliJsonDocument(const std::vector<CliFileOutcome>& outcomes) {
    CJsonWriter j;
    j.BeginObject();
    j.Key("version");
    j.String(kVersionText);
    j.Key("files");
    j.BeginArray();
    for (const CliFileOutcome& o : outcomes) {
        j.BeginObject();
        j.Key("path");
        j.String(o.strPath);
        j.Key("format");
        if (const LogFormatEntry* f = FindLogFormat(o.import.nImportType)) j.String(f->szKey);
        else j.Null();
        j.Key("error");
        if (o.strError.empty()) j.Null();
        else j.String(o.strError);
        j.Key("series");
        j.BeginArray();
        for (std::size_t i = 0; i < o.aSeries.size(); ++i)
            WriteSeries(j, o.anIndex[i], o.aSeries[i], i < o.aEval.size() ? o.aEval[i] : CliEvaluation{},
                        i < o.abProvisional.size() && o.abProvisional[i]);
        j.EndArray();
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
    return j.Text();
}
