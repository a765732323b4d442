// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSummary.h"

#include "cli/CliIntervals.h"
#include "cli/CliRun.h"
#include "cli/JsonWriter.h"
#include "eval/Lifetime.h"
#include "import/LogImport.h"

#include <cmath>
#include <string>

namespace {

// The columns, in their order (no name needs quoting).
constexpr const char* kHeader =
    "file,series,format,first_line,last_line,start_time,stop_time,samples,image_period_s,meas_err_nm,energy_kev,"
    "resolution_angstrom,phase,tolerance_nm,lifetime_state,direct_lifetime_s,di_nm,da_nm,tc_s,s_nm,ssqr,"
    "model_lifetime_s,p84_s,p50_s,p16_s,rw_mean_lifetime_s,rw_p84_s,rw_p50_s,rw_p16_s";

class CRow {
public:
    void Text(std::string_view text) { Next() += CsvField(text); }
    void Integer(long long value) { Next() += std::to_string(value); }
    // A number as the JSON writes it; empty when it does not exist or is not finite.
    void Number(bool exists, double value) {
        std::string& row = Next();
        if (exists && std::isfinite(value)) row += CJsonWriter::FormatNumber(value);
    }
    void IntegerIf(bool exists, long long value) {
        std::string& row = Next();
        if (exists) row += std::to_string(value);
    }
    std::string Line(const std::string& tail) const { return m_text + tail + '\n'; }

private:
    std::string& Next() {
        if (m_bAny) m_text += ',';
        m_bAny = true;
        return m_text;
    }
    std::string m_text;
    bool m_bAny = false;
};

// The evaluation of the outcome's i-th series (none kept: nothing worked out).
CliEvaluation EvaluationOf(const CliFileOutcome& o, std::size_t i) {
    return i < o.aEval.size() ? o.aEval[i] : CliEvaluation{};
}

}  // namespace

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CliSummaryHeader(bool withIntervals) {
    // The columns of --intervals follow the others, only when asked for.
    return kHeader + (withIntervals ? CliIntervalsSummaryHeader() : std::string()) + '\n';
}

std::string CliSummaryRows(const CliFileOutcome& o, bool withIntervals) {
    std::string text;
    const LogFormatEntry* format = FindLogFormat(o.import.nImportType);
    for (std::size_t i = 0; i < o.aSeries.size() && i < o.anIndex.size(); ++i) {
        const CA1TimeSeries& s = o.aSeries[i];
        const bool cf = s.CharFuncValid > 0;
        const bool model = cf && s.ModelValid > 0;
        CRow row;
        row.Text(CJsonWriter::Utf8Text(o.strPath));  // the table is UTF-8 whatever the file names hold
        row.Integer(o.anIndex[i]);
        row.Text(format ? format->szKey : "");
        row.Integer(s.m_nFirstLine);
        row.Integer(s.m_nLastLine);
        row.Integer(s.m_nStartTime);
        row.Integer(s.m_nStopTime);
        row.Integer(static_cast<long long>(s.m_aSamples.size()));
        row.Number(true, s.m_dImagePeriod);
        row.Number(cf, s.MeasErr);
        row.Number(cf, s.UsedElEnergykV);
        row.Number(cf, s.UsedTargetResAng);
        row.Number(cf, s.UsedLimitPhase);
        row.Number(cf, s.Tolerance);
        row.IntegerIf(cf, s.LifetimeState);
        row.Number(cf, s.DirectLifetime);
        row.Number(model, s.FitDi);
        row.Number(model, s.FitDa);
        row.Number(model, s.FitTc * s.m_dImagePeriod);
        row.Number(model, s.FitS);
        row.Number(model, s.FitSSqr);
        row.Number(model, s.ModelLifetime);
        const LIFETIMELIMITS l = model ? CliLifetimeLimits(s, EvaluationOf(o, i)) : LIFETIMELIMITS{};
        for (double v : {l.p84, l.p50, l.p16, l.rwMean, l.rwP84, l.rwP50, l.rwP16}) row.Number(model, v);
        text += row.Line(withIntervals ? CliIntervalsSummaryCells(EvaluationOf(o, i).intervals) : std::string());
    }
    return text;
}

std::string CliSummaryTable(const std::vector<CliFileOutcome>& outcomes, bool withIntervals) {
    std::string text = CliSummaryHeader(withIntervals);
    for (const CliFileOutcome& o : outcomes) text += CliSummaryRows(o, withIntervals);
    return text;
}
