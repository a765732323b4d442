#include "eval/Report.h"

#include "Version.h"
#include "eval/Lifetime.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"

namespace {

// A blank and 78 hyphens on a line of their own.
const char* const kSeparator = "\r\n ------------------------------------------------------------------------------";

// "%.1f s", or "no result" for a lifetime that could not be determined.
std::string Seconds(double seconds) {
    return IsNoResult(seconds) ? std::string("no result") : FormatText("%.1f s", seconds);
}

class CReportText {
public:
    // Every printed line starts on a new line with one extra blank.
    void Line(const std::string& text) {
        m_str += "\r\n ";
        m_str += text;
    }
    void Empty() { m_str += "\r\n "; }
    void Raw(const std::string& text) { m_str += text; }

    void LimitLines(double p84, double p50, double p16) {
        Line("  - lower limit  (84% stability): " + Seconds(p84));
        Line("  - median limit (50% stability): " + Seconds(p50));
        Line("  - upper limit  (16% stability): " + Seconds(p16));
    }

    std::string m_str = " ";
};

}  // namespace

std::string BuildStabilityReport(const CA1TimeSeries& s) {
    CReportText r;
    if (!HasCharFunc(s)) return r.m_str;

    const double t0 = s.m_dImagePeriod;
    const double tmax = s.m_aCharFunc.empty() ? 0.0 : s.m_aCharFunc.back().nIndex * t0;
    const double a = s.Tolerance;

    r.Raw(kSeparator);
    r.Raw(std::string("\r\n  Driftwise v") + kVersionText + " - Astigmatism Stability Report");
    r.Raw(kSeparator);
    r.Empty();

    if (s.ModelValid < 1) {
        r.Line(" Estimated lifetime: " + Seconds(s.DirectLifetime) + " (direct method)");
        if (tmax <= s.DirectLifetime) r.Raw("\r\n  Warning: Lifetime exceeds maximum extracted timespan.");
    } else {
        if (s.DirectLifetime < tmax)
            r.Line(" Estimated lifetime: " + Seconds(s.ModelLifetime) +
                   FormatText(" (direct method: %.1f s)", s.DirectLifetime));
        else r.Line(" Estimated lifetime: " + Seconds(s.ModelLifetime));
        r.Empty();
        const LIFETIMELIMITS limits = ModelLifetimeLimits(s, a);
        r.Raw("\r\n  Probability related lifetimes:");
        r.LimitLines(limits.p84, limits.p50, limits.p16);
        r.Empty();
        r.Raw("\r\n  Lifetime estimation based on the random-walk component only:");
        r.Line("  - mean life time              : " + Seconds(limits.rwMean));
        r.LimitLines(limits.rwP84, limits.rwP50, limits.rwP16);
    }

    r.Empty();
    r.Raw("\r\n  Input log file: " + s.m_strSourceFile);
    r.Empty();
    r.Raw("\r\n  Evaluation parameters:");
    r.Line(
        FormatText("  - electron energy: %.1f keV, target resolution: %.2f A", s.UsedElEnergykV, s.UsedTargetResAng));
    r.Line(FormatText("  - astigmatism tolerance: %.3f nm, phase tolerance: %.3f Pi", a, s.UsedLimitPhase));
    r.Line(FormatText("  - image series length: %d", static_cast<int>(s.m_aSamples.size())));
    r.Line(FormatText("  - image recording period: %.2f s", t0));
    r.Empty();
    r.Raw("\r\n  Characteristic function:");
    r.Line(FormatText("  - maximum extracted timespan: %.1f s (min. diversity: %d)", tmax, s.UsedMinDiversity));
    r.Line(FormatText("  - estimated astigmatism measurement error: %.3f nm", s.MeasErr));
    r.Empty();

    if (s.ModelValid > 0) {
        r.Raw("\r\n  Model fitted to the extracted characteristic function f(t):");
        r.Raw("\r\n     f(t) = 2 D(t)^2 * (t/t0) + s^2 * (t/t0)^2,");
        r.Raw("\r\n       with   D(t)^2 = Di^2 + Da^2 * Exp[ -(t/tc) ],");
        r.Line(FormatText("      and    t0 = %.2f s.", t0));
        r.Empty();
        r.Raw("\r\n  Best fitting model parameters:");
        r.Line(FormatText("  - Di : %.3G nm", s.FitDi));
        r.Line(FormatText("  - Da : %.3G nm", s.FitDa));
        r.Line(FormatText("  - tc : %.3G s", TcSeconds(s)));
        r.Line(FormatText("  - s  : %.3G nm", s.FitS));
        r.Line(FormatText(" Best fit s-square: %.3G", s.FitSSqr));
    }

    r.Empty();
    r.Raw(kSeparator);
    return r.m_str;
}

std::string TextPageSummaryLine(const CA1TimeSeries* series, int displayMode) {
    if (!series) return "No data.";
    if (displayMode == 1) {
        const long long count = static_cast<long long>(series->m_nLastLine) - series->m_nFirstLine + 1;
        return FormatText("Extracted from line #%d to line #%d (%lld lines).", series->m_nFirstLine,
                          series->m_nLastLine, count);
    }
    if (displayMode == 2) {
        if (HasModel(*series)) return "Results of the model-based evaluation method.";
        if (HasCharFunc(*series)) return "Results of the direct evaluation method.";
        return "No evaluation data present.";
    }
    return std::string();
}
