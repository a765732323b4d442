#include "import/C1A1Import.h"

#include "import/ImportHelpers.h"
#include "log/LogFile.h"
#include "text/Format.h"
#include "text/TextFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

using namespace import_detail;

namespace {

constexpr std::string_view kStartMarker = "C1A1 series successfully started.";
constexpr std::string_view kStopMarker = "C1A1 series stopped by user.";
constexpr std::string_view kStopPrefix = "C1A1 series stopped";
constexpr std::string_view kTimeTag = "dTime:";
constexpr std::size_t npos = std::string_view::npos;

// The time stamp text of a line: from "dTime:" up to and including the first
// "s" after it; empty when the line has none.
std::string_view FindTimeStamp(std::string_view line) {
    const std::size_t p = line.find(kTimeTag);
    if (p == npos) return {};
    const std::size_t q = line.find('s', p);
    if (q == npos || q <= p) return {};
    return line.substr(p, q - p + 1);
}

// The seconds of a stamp text: the integer between "dTime:" and the "s"
// (fractions cut off). False when there is no number or it does not fit.
bool StampSeconds(std::string_view stamp, int& seconds) {
    const std::string_view digits = stamp.substr(kTimeTag.size(), stamp.size() - 1 - kTimeTag.size());
    return ReadCheckedInt(digits, seconds);
}

// The text of a data line that the series keeps: from the last "#" up to and
// including "cnts". The length follows the stored-file rule: with "cnts"
// missing (k = -1) only a few characters, or none, remain.
std::string_view DataText(std::string_view line, std::size_t h, std::size_t cnts) {
    const long long k = cnts == npos ? -1 : static_cast<long long>(cnts);
    const long long length = k - static_cast<long long>(h) + 4;
    if (length <= 0) return {};
    return line.substr(h, static_cast<std::size_t>(length));
}

class CC1A1Reader {
public:
    CC1A1Reader(const ImportRequest& request, std::vector<CA1TimeSeries>& list)
        : m_request(request), m_list(list), m_scratch(request.pLog), m_log(request.pLog) {}

    ImportResult Read(std::string_view content);
    // No warning about a series still open at the end of the text.
    void QuietAboutOpenSeries() { m_bReportOpen = false; }

    // Reading the lines as they arrive: Lines takes lines that follow those
    // read before (the line count goes on); Outcome is what Read returns.
    void Lines(std::string_view text);
    ImportResult Outcome() const;
    // The series that has started but not stopped, when the reader is past
    // its start time stamp: its lines so far (null otherwise).
    const CA1TimeSeries* OpenSeries() const {
        return (m_nState == 2 || m_nState == 3) && m_bStartStampValid ? &m_scratch : nullptr;
    }
    int LineCount() const { return m_nLine; }
    int DataCount() const { return m_nData; }

private:
    void Line(std::string_view line);
    void StartSeries();
    void FinishSeries(std::string_view stamp);
    bool TimeStampsValid(bool stopStampValid);

    const ImportRequest& m_request;
    std::vector<CA1TimeSeries>& m_list;
    CA1TimeSeries m_scratch;
    CLogFile* m_log;
    int m_nLine = 0;
    int m_nState = 0;
    int m_nData = 0;
    int m_nAdded = 0;
    bool m_bStartStampValid = false;
    bool m_bReportOpen = true;  // the warning about a series open at the end
};

void CC1A1Reader::Lines(std::string_view text) {
    CLineSplitter lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        ++m_nLine;
        Line(line);
    }
}

ImportResult CC1A1Reader::Outcome() const {
    ImportResult result;
    result.bOpened = true;
    result.nImportType = IMPORT_C1A1;
    result.nSeriesAdded = m_nAdded;
    if (m_nAdded == 0) result.strError = "The file holds no complete C1A1 series.";
    return result;
}

ImportResult CC1A1Reader::Read(std::string_view content) {
    LogDebugIfAttached(m_log, 3, "Reading log file lines ...");
    Lines(StripByteOrderMark(content));
    LogDebugIfAttached(m_log, 3, "Finished reading log file lines.");
    if (m_nState != 0 && m_bReportOpen)
        LogIfAttached(m_log,
                      FormatText("Warning: The series that starts in line %d is incomplete and was not imported.",
                                 m_scratch.m_nFirstLine));
    LogDebugIfAttached(m_log, 2, "Successfully loaded log data from file [" + m_request.strPath + "].");
    LogIfAttached(m_log, FormatText("Added %d new A1-time series to the data list.", m_nAdded));
    return Outcome();
}

void CC1A1Reader::StartSeries() {
    if (DebugOn(m_log, 4)) m_log->WriteDebug(4, "Found C1A1 log start.");
    m_scratch.Reset();
    m_scratch.m_strSourceFile = m_request.strPath;
    m_scratch.m_astrLines.emplace_back(kStartMarker);
    m_scratch.m_nFirstLine = m_nLine;
    // A series whose stop marker comes before its start time stamp must not
    // inherit the data-line count of the previous series.
    m_nData = 0;
    m_bStartStampValid = false;
    m_nState = 1;
}

void CC1A1Reader::Line(std::string_view line) {
    switch (m_nState) {
    case 0:
        if (line.find(kStartMarker) != npos) StartSeries();
        break;
    case 1: {
        const std::string_view stamp = FindTimeStamp(line);
        if (!stamp.empty()) {
            if (DebugOn(m_log, 4)) m_log->WriteDebug(4, "Found C1A1 log start timestamp.");
            m_nState = 2;
            m_scratch.m_astrLines.emplace_back(stamp);
            m_bStartStampValid = StampSeconds(stamp, m_scratch.m_nStartTime);
            m_nData = 0;
        }
        if (line.find(kStopMarker) != npos) {
            if (DebugOn(m_log, 4)) m_log->WriteDebug(4, "Found C1A1 log stop.");
            m_scratch.m_astrLines.emplace_back(kStopMarker);
            m_nState = 3;
        }
        break;
    }
    case 2: {
        if (line.find(kStopPrefix) != npos) {
            if (DebugOn(m_log, 4)) m_log->WriteDebug(4, "Found C1A1 log stop.");
            m_scratch.m_astrLines.emplace_back(kStopMarker);
            m_nState = 3;
            break;
        }
        const std::size_t c = line.find("C1:");
        if (c == npos) break;
        const std::size_t h = line.rfind('#');
        const std::size_t a = line.find("A1:", c);
        if (h == npos || a == npos || a <= c) break;
        const std::size_t s = line.find(" / ", a);
        if (s == npos || s <= a) break;
        const std::size_t k = line.find("cnts", s);
        ++m_nData;
        if (DebugOn(m_log, 4)) m_log->WriteDebug(4, FormatText("Found C1A1 log data line #%d.", m_nData));
        m_scratch.m_astrLines.emplace_back(DataText(line, h, k));
        break;
    }
    case 3: {
        const std::string_view stamp = FindTimeStamp(line);
        if (!stamp.empty()) FinishSeries(stamp);
        break;
    }
    default: break;
    }
}

bool CC1A1Reader::TimeStampsValid(bool stopStampValid) {
    const CA1TimeSeries& s = m_scratch;
    const std::string range = FormatText("lines %d to %d", s.m_nFirstLine, s.m_nLastLine);
    if (!m_bStartStampValid || !stopStampValid) {
        LogIfAttached(m_log, "ERROR: The series in " + range + " of file [" + m_request.strPath +
                                 "] has a time stamp that is not a valid number; the series was not imported.");
        return false;
    }
    const long long span = static_cast<long long>(s.m_nStopTime) - s.m_nStartTime;
    if (span <= 0 || span > INT_MAX) {
        LogIfAttached(m_log,
                      "ERROR: The series in " + range + " of file [" + m_request.strPath +
                          FormatText("] stops at %d s, not after its start at %d s; the series was not imported.",
                                     s.m_nStopTime, s.m_nStartTime));
        return false;
    }
    return true;
}

void CC1A1Reader::FinishSeries(std::string_view stamp) {
    if (DebugOn(m_log, 4)) m_log->WriteDebug(4, "Found C1A1 log stop timestamp.");
    m_nState = 0;
    CA1TimeSeries& s = m_scratch;
    s.m_nLastLine = m_nLine;
    s.m_astrLines.emplace_back(stamp);
    const bool stopStampValid = StampSeconds(stamp, s.m_nStopTime);
    s.m_nDataLines = m_nData;
    s.m_nImportType = IMPORT_C1A1;
    if (m_nData == 0) return;  // a series without data lines is dropped
    if (!TimeStampsValid(stopStampValid)) return;
    s.ExtractC1A1(m_request.nMirror, m_request.dRotationDeg);
    const int dataLines = s.m_nDataLines, span = s.m_nStopTime - s.m_nStartTime;
    // The finished series moves into the list; the next one starts from a
    // fresh scratch series (a moved-from one has lost its unit tables).
    m_list.push_back(std::move(s));
    m_scratch = CA1TimeSeries(m_log);
    ++m_nAdded;
    LogDebugIfAttached(m_log, 3,
                       FormatText("Added A1-time series log (#%d) with %d data sets, total timespan %d s.",
                                  static_cast<int>(m_list.size()), dataLines, span));
}

}  // namespace

bool LooksLikeC1A1Log(std::string_view content) { return content.find(kStartMarker) != npos; }

ImportResult ReadC1A1Log(std::string_view content, const ImportRequest& request, std::vector<CA1TimeSeries>& list) {
    LogIfAttached(request.pLog, "Importing CEOS C1A1 log from file [" + request.strPath + "].");
    return CC1A1Reader(request, list).Read(content);
}

ImportResult ImportC1A1Log(const ImportRequest& request, std::vector<CA1TimeSeries>& list) {
    LogIfAttached(request.pLog, "Importing CEOS C1A1 log from file [" + request.strPath + "].");
    ImportResult result;
    result.nImportType = IMPORT_C1A1;
    std::string content;
    if (!ReadLogFileContent(request, content, result)) return result;
    return CC1A1Reader(request, list).Read(content);
}

// ---------------------------------------------------------------------------
// Extraction of the samples from the stored data texts
// ("#<image>: ... A1: <magnitude><unit> / <direction> deg ... cnts").

namespace {

bool ExtractC1A1Sample(const CA1TimeSeries& series, std::string_view text, double rotationRad, int mirror,
                       A1SAMPLE& sample) {
    if (text.empty()) return false;
    const std::size_t k = text.find(':');
    if (k == npos || k < 1) return false;
    const std::size_t v = text.find(" A1: ", k);
    if (v == npos || v < 1) return false;
    const std::size_t s = text.find(" / ", v);
    if (s == npos || s < 1) return false;
    if (text.find("deg", s) == npos) return false;

    int image = 0;
    if (!ReadCheckedInt(text.substr(1, k - 1), image) || image <= 0) return false;

    const std::string_view magnitudeText = text.substr(v + 4);
    double magnitude = 0.0;
    std::size_t used = 0;
    if (!ReadCheckedDouble(magnitudeText, magnitude, &used)) return false;
    const std::string unit(magnitudeText.substr(used, 2));
    magnitude *= series.LookupLengthFactor(unit);

    double direction = 0.0;
    if (!ReadCheckedDouble(text.substr(s + 3), direction)) return false;
    const double phi = direction * kRadPerDeg + rotationRad;

    sample.nIndex = image;
    sample.dX = std::cos(phi) * magnitude;
    sample.dY = mirror * std::sin(phi) * magnitude;
    sample.dErrX = sample.dErrY = 0.0;
    return std::isfinite(sample.dX) && std::isfinite(sample.dY);
}

}  // namespace

void CA1TimeSeries::ExtractC1A1(int mirror, double rotationDeg) {
    if (!BeginExtraction(IMPORT_C1A1, mirror, rotationDeg)) return;
    const double rotationRad = rotationDeg * kRadPerDeg;
    // Data texts stand at indexes 2 ... m_nDataLines + 1; never read beyond
    // the lines that are really there.
    const std::size_t last = std::min<std::size_t>(static_cast<std::size_t>(m_nDataLines) + 1,
                                                   m_astrLines.empty() ? 0 : m_astrLines.size() - 1);
    m_aSamples.reserve(static_cast<std::size_t>(m_nDataLines));
    int skipped = 0;
    for (std::size_t i = 2; i <= last; ++i) {
        A1SAMPLE sample;
        if (ExtractC1A1Sample(*this, m_astrLines[i], rotationRad, mirror, sample)) m_aSamples.push_back(sample);
        else ++skipped;
    }
    if (skipped > 0)
        LogIfAttached(m_pLog,
                      FormatText("Warning: %d of %d data lines held no readable astigmatism value and were skipped.",
                                 skipped, m_nDataLines));
    FinishExtraction(mirror, rotationDeg);
}

// ---------------------------------------------------------------------------
// The same reading, as the lines arrive.

struct CC1A1LineReader::STATE {
    explicit STATE(const ImportRequest& r) : request(r), reader(request, finished) {}
    ImportRequest request;
    std::vector<CA1TimeSeries> finished;  // the reader's list; handed on after each Add
    CC1A1Reader reader;
    bool bStarted = false;
    // The copy of the open series: its lines, and the data texts whose
    // samples are taken.
    CA1TimeSeries open;
    std::size_t nOpenLines = 0;
    std::size_t nOpenExtracted = 0;
};

CC1A1LineReader::CC1A1LineReader(const ImportRequest& request) {
    ImportRequest quiet = request;
    quiet.pLog = nullptr;
    m_p = std::make_unique<STATE>(quiet);
    m_p->reader.QuietAboutOpenSeries();
}

CC1A1LineReader::~CC1A1LineReader() = default;

void CC1A1LineReader::Add(std::string_view lines, std::vector<CA1TimeSeries>& finished) {
    if (!m_p->bStarted) lines = StripByteOrderMark(lines);
    m_p->bStarted = true;
    m_p->reader.Lines(lines);
    for (CA1TimeSeries& s : m_p->finished) finished.push_back(std::move(s));
    m_p->finished.clear();
}

ImportResult CC1A1LineReader::Result() const { return m_p->reader.Outcome(); }

CA1TimeSeries& CC1A1LineReader::OpenSlot() { return m_p->open; }

CA1TimeSeries* CC1A1LineReader::UpdateOpenSeries() {
    const CA1TimeSeries* scratch = m_p->reader.OpenSeries();
    if (!scratch) return nullptr;
    CA1TimeSeries& open = m_p->open;
    if (open.m_nFirstLine != scratch->m_nFirstLine || open.m_astrLines.empty()) {
        open = CA1TimeSeries(static_cast<CLogFile*>(nullptr));
        open.m_strSourceFile = scratch->m_strSourceFile;
        open.m_nFirstLine = scratch->m_nFirstLine;
        open.m_nStartTime = scratch->m_nStartTime;
        m_p->nOpenLines = 0;
        m_p->nOpenExtracted = 0;
    }
    for (std::size_t i = m_p->nOpenLines; i < scratch->m_astrLines.size(); ++i)
        open.m_astrLines.push_back(scratch->m_astrLines[i]);
    m_p->nOpenLines = scratch->m_astrLines.size();
    open.m_nLastLine = m_p->reader.LineCount();
    open.m_nStopTime = open.m_nStartTime;
    open.m_nDataLines = m_p->reader.DataCount();
    open.m_nImportType = IMPORT_C1A1;
    return &open;
}

void CC1A1LineReader::ExtractOpenSeries() {
    CA1TimeSeries& s = m_p->open;
    const int mirror = m_p->request.nMirror;
    const double rotationDeg = m_p->request.dRotationDeg;
    if (s.m_nDataLines < 2) return;
    const std::uint32_t span = static_cast<std::uint32_t>(s.m_nStopTime) - static_cast<std::uint32_t>(s.m_nStartTime);
    s.m_dImagePeriod = static_cast<double>(span) / s.m_nDataLines;
    // Data texts stand at indexes 2 ... m_nDataLines + 1; each sample depends
    // on its own text only, so those taken before stay.
    const std::size_t last = std::min<std::size_t>(static_cast<std::size_t>(s.m_nDataLines) + 1,
                                                   s.m_astrLines.empty() ? 0 : s.m_astrLines.size() - 1);
    const double rotationRad = rotationDeg * kRadPerDeg;
    for (std::size_t i = std::max<std::size_t>(2, m_p->nOpenExtracted + 2); i <= last; ++i) {
        A1SAMPLE sample;
        if (ExtractC1A1Sample(s, s.m_astrLines[i], rotationRad, mirror, sample)) s.m_aSamples.push_back(sample);
    }
    if (last >= 2) m_p->nOpenExtracted = std::max(m_p->nOpenExtracted, last - 1);
    s.m_nMirror = mirror;
    s.m_dRotation = rotationDeg;
}
