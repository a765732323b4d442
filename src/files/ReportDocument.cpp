// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ReportDocument.h"

#include "Version.h"
#include "eval/Report.h"
#include "files/Sha256.h"
#include "plot/DiagramContent.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {

// The captions of the five diagrams, in page order.
const REPORTDIAGRAM kDiagrams[] = {
    {DISPLAY_A22_TIME, "A22-x (red) and A22-y (blue) over time"},
    {DISPLAY_A22_2D, "A22-y over A22-x"},
    {DISPLAY_CHAR_FUNC, "Characteristic function f(t) with the direct lifetime at the tolerance"},
    {DISPLAY_MODEL, "Model fitted to the characteristic function with its 16 % and 84 % bands and the model lifetime"},
    {DISPLAY_PROBABILITY, "Stay probability P(a,t) with the time at which it falls to 0.5"},
};

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string FingerprintOf(const std::string& path) {
    if (path.empty()) return "not available (no log file)";
    std::string hex, error;
    if (!Sha256OfFile(path, hex, &error)) return "not available (" + error + ")";
    return hex;
}

// Days since 1970-01-01 to year, month, day (proleptic Gregorian calendar).
void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
}

}  // namespace

std::vector<std::string> SplitReportLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

std::string FormatUtcTime(long long t) {
    long long days = t / 86400;
    long long rest = t % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    long long y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    return FormatText("%04lld-%02u-%02u %02lld:%02lld:%02lld UTC", y, m, d, rest / 3600, rest / 60 % 60, rest % 60);
}

std::optional<long long> SourceDateEpoch() {
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (!value || !*value) return std::nullopt;
    long long t = 0;
    for (const char* p = value; *p; ++p) {
        if (*p < '0' || *p > '9' || t > 922337203685477579LL) return std::nullopt;
        t = t * 10 + (*p - '0');
    }
    return t;
}

long long ReportClockTime() {
    if (const std::optional<long long> fixed = SourceDateEpoch()) return *fixed;
    return static_cast<long long>(std::time(nullptr));
}

std::string ReportPdfFileName(const std::string& logPath, int index) {
    return std::filesystem::path(logPath).stem().string() + FormatText("_s%03d", index) + "_report.pdf";
}

std::string ReportPdfPathBesideLog(const std::string& logPath, int index) {
    return (std::filesystem::path(logPath).parent_path() / ReportPdfFileName(logPath, index)).string();
}

REPORTDOCUMENT BuildReportDocument(const CA1TimeSeries& s, const REPORTINPUTS& in) {
    REPORTDOCUMENT doc;
    doc.strHeading = "Astigmatism Stability Report";
    doc.strCreator = std::string("Driftwise ") + kVersionText;
    doc.strDocumentTitle =
        doc.strHeading + " - " + FileNameOf(s.m_strSourceFile) + FormatText(" series %d", in.nSeriesNumber);
    const long long lines = static_cast<long long>(s.m_nLastLine) - s.m_nFirstLine + 1;
    doc.aTitleBlock = {
        {"Program", doc.strCreator},
        {"Log file", FileNameOf(s.m_strSourceFile)},
        {"SHA-256", FingerprintOf(s.m_strSourceFile)},
        {"Series", FormatText("%d", in.nSeriesNumber)},
        {"Log lines", FormatText("%d to %d (%lld lines)", s.m_nFirstLine, s.m_nLastLine, lines)},
        {"Time stamps", FormatText("start %d, stop %d", s.m_nStartTime, s.m_nStopTime)},
        {"Samples", FormatText("%d", static_cast<int>(s.m_aSamples.size()))},
        {"Image period", FormatText("%.2f s", s.m_dImagePeriod)},
        {"Minimum diversity", FormatText("%d", s.UsedMinDiversity)},
        {"Electron energy", FormatText("%.1f keV", s.UsedElEnergykV)},
        {"Target resolution", FormatText("%.2f A", s.UsedTargetResAng)},
        {"Phase tolerance", FormatText("%.3f Pi", s.UsedLimitPhase)},
        {"Rotation", FormatText("%.2f deg", s.m_dRotation)},
        {"Mirror A22-y", s.m_nMirror < 0 ? "yes (factor -1)" : "no (factor +1)"},
        {"Evaluated", FormatUtcTime(in.nEvaluationTime)},
    };
    doc.astrReport = SplitReportLines(BuildStabilityReport(s));
    if (!in.astrUncertainty.empty()) {
        doc.strUncertaintyHeading = "Uncertainty";
        doc.astrUncertainty = in.astrUncertainty;
    }
    doc.aDiagrams.assign(std::begin(kDiagrams), std::end(kDiagrams));
    return doc;
}

int SeriesNumberInLog(const std::vector<CA1TimeSeries>& list, std::size_t index) {
    if (index >= list.size()) return 1;
    const CA1TimeSeries& me = list[index];
    std::vector<int> earlier;
    for (const CA1TimeSeries& s : list)
        if (s.m_strSourceFile == me.m_strSourceFile && s.m_nFirstLine < me.m_nFirstLine)
            earlier.push_back(s.m_nFirstLine);
    std::sort(earlier.begin(), earlier.end());
    return 1 + static_cast<int>(std::unique(earlier.begin(), earlier.end()) - earlier.begin());
}
