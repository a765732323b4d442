#include "import/ATLASStabImport.h"

#include "import/ImportHelpers.h"
#include "log/LogFile.h"
#include "text/Format.h"
#include "text/TextFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

using namespace import_detail;

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Seconds of a time-stamp column: the integer after the last blank of the
// line (the whole line when it has none).
bool LastColumnSeconds(std::string_view line, int& seconds) {
    const std::size_t blank = line.rfind(' ');
    return ReadCheckedInt(blank == npos ? line : line.substr(blank + 1), seconds);
}

// The stored lines of a series: copied from the text, or, when the reader
// owns the text, moved down inside it (each line lies at or after the end of
// the lines before it), so a large log needs no second block of its size.
class CLineSink {
public:
    CLineSink(CLineArray& lines, std::string* owned) : m_lines(lines), m_pOwned(owned) {}
    void Clear() {
        m_lines.clear();
        m_nUsed = 0;
        m_aEnds.clear();
    }
    void Reserve(std::size_t characters) {
        if (!m_pOwned) m_lines.reserve(0, characters);
    }
    void Add(std::string_view line) {
        if (!m_pOwned) {
            m_lines.push_back(line);
            return;
        }
        char* const base = m_pOwned->data();
        if (!line.empty()) std::memmove(base + m_nUsed, line.data(), line.size());
        m_nUsed += line.size();
        m_aEnds.push_back(m_nUsed);
    }
    // Hands the lines to the array (after this, Add must not be used).
    void Finish() {
        if (!m_pOwned) return;
        m_pOwned->resize(m_nUsed);
        m_lines.Assign(std::move(*m_pOwned), std::move(m_aEnds));
    }

private:
    CLineArray& m_lines;
    std::string* m_pOwned;
    std::size_t m_nUsed = 0;
    std::vector<std::size_t> m_aEnds;
};

// Reads the series of the text; owned is the text itself when the reader may
// take over its memory, else nullptr.
ImportResult ReadATLASStabText(std::string_view content, std::string* owned, const ImportRequest& request,
                               std::vector<CA1TimeSeries>& list) {
    CLogFile* log = request.pLog;
    const std::string& path = request.strPath;
    ImportResult result;
    result.bOpened = true;
    result.nImportType = IMPORT_ATLAS;

    CA1TimeSeries series(log);
    CLineSink store(series.m_astrLines, owned);
    LogDebugIfAttached(log, 3, "Reading log file lines ...");
    const std::string_view text = StripByteOrderMark(content);
    CLineSplitter lines(text);
    std::string_view line;
    int lineNo = 0;
    int state = 0;
    int data = 0;
    bool ended = false;
    // Blank lines at the end of the table are no data lines: they would make
    // the last line's time stamp 0. Only blank lines that are followed by a
    // non-blank data line count.
    int lastFilledData = 0;
    int lastFilledLineNo = 0;
    while (lines.Next(line)) {
        ++lineNo;
        if (state == 0) {
            if (!IsATLASStabHeader(line)) continue;
            if (DebugOn(log, 4)) log->WriteDebug(4, "Found ATLASStab log start.");
            series.Reset();
            store.Clear();
            series.m_strSourceFile = path;
            series.m_nFirstLine = lineNo;
            // The table's lines take at most the rest of the text.
            store.Reserve(text.size() - static_cast<std::size_t>(line.data() - text.data()));
            store.Add(line);
            state = 1;
            continue;
        }
        if (line.starts_with('#')) {
            if (DebugOn(log, 4)) log->WriteDebug(4, "Found ATLASStab log stop.");
            ended = true;
            series.m_nLastLine = lineNo;
            break;
        }
        ++data;
        if (DebugOn(log, 4)) log->WriteDebug(4, FormatText("Found ATLASStab log data line #%d.", data));
        // Tested before the line is stored: storing may move the text.
        const bool filled = !IsBlankLine(line);
        store.Add(TrimBlanks(line));
        if (filled) {
            lastFilledData = data;
            lastFilledLineNo = lineNo;
        }
    }
    store.Finish();
    LogDebugIfAttached(log, 3, "Finished reading log file lines.");

    if (lastFilledData < data) {
        series.m_astrLines.resize(static_cast<std::size_t>(lastFilledData) + 1);
        data = lastFilledData;
    }
    if (!ended) series.m_nLastLine = lastFilledLineNo;
    if (ended) series.m_astrLines.emplace_back("#");
    series.m_nDataLines = data;

    if (data == 0) {
        LogIfAttached(log, "ERROR: Failed to load log data from file [" + path + "].");
        result.strError = state == 0 ? "The file holds no ATLASStab header line."
                                     : "The file holds no data lines after the ATLASStab header.";
        return result;
    }

    // The time stamps come from the first and the last data line that is not
    // blank: a blank line right after the header holds no time (it still
    // counts as a data line). The table ends in a filled line (see above).
    std::size_t first = 1;
    while (IsBlankLine(series.m_astrLines[first])) ++first;
    const bool startValid = LastColumnSeconds(series.m_astrLines[first], series.m_nStartTime);
    const bool stopValid = LastColumnSeconds(series.m_astrLines[static_cast<std::size_t>(data)], series.m_nStopTime);
    series.m_nImportType = IMPORT_ATLAS;
    const std::string range = FormatText("lines %d to %d", series.m_nFirstLine, series.m_nLastLine);
    if (!startValid || !stopValid) {
        LogIfAttached(log, "ERROR: The series in " + range + " of file [" + path +
                               "] has a time stamp that is not a valid number; the series was not imported.");
        result.strError = "The filetime column of the first or last data line is not a valid number.";
        return result;
    }
    const long long span = static_cast<long long>(series.m_nStopTime) - series.m_nStartTime;
    if (span <= 0 || span > INT_MAX) {
        LogIfAttached(log, "ERROR: The series in " + range + " of file [" + path +
                               FormatText("] stops at %d s, not after its start at %d s; the series was not imported.",
                                          series.m_nStopTime, series.m_nStartTime));
        result.strError = "The last data line's time stamp is not after the first one's.";
        return result;
    }

    series.ExtractATLASStab(request.nMirror, request.dRotationDeg);
    list.push_back(std::move(series));
    LogDebugIfAttached(log, 3,
                       FormatText("Added A1-time series log (#%d) with %d data sets, total timespan %d s.",
                                  static_cast<int>(list.size()), data, static_cast<int>(span)));
    LogDebugIfAttached(log, 2, "Successfully loaded log data from file [" + path + "].");
    LogIfAttached(log, FormatText("Added %d new A1-time series to the data list.", 1));
    result.nSeriesAdded = 1;
    return result;
}

}  // namespace

bool IsATLASStabHeader(std::string_view line) {
    if (!line.starts_with("img")) return false;
    const std::size_t columns = line.find("a22x err(a22x)  a22y err(a22y)");
    const std::size_t time = line.find("filetime");
    return columns != npos && columns > 1 && time != npos && time > 1;
}

bool LooksLikeATLASStabLog(std::string_view content) {
    CLineSplitter lines(StripByteOrderMark(content));
    std::string_view line;
    while (lines.Next(line))
        if (IsATLASStabHeader(line)) return true;
    return false;
}

namespace {

void LogImportStart(const ImportRequest& request) {
    LogIfAttached(request.pLog, "Importing ATLAS Stability log from file [" + request.strPath + "].");
}

}  // namespace

ImportResult ReadATLASStabLog(std::string_view content, const ImportRequest& request,
                              std::vector<CA1TimeSeries>& list) {
    LogImportStart(request);
    return ReadATLASStabText(content, nullptr, request, list);
}

ImportResult ReadATLASStabOwnedText(std::string& content, const ImportRequest& request,
                                    std::vector<CA1TimeSeries>& list) {
    LogImportStart(request);
    return ReadATLASStabText(content, &content, request, list);
}

ImportResult ImportATLASStabLog(const ImportRequest& request, std::vector<CA1TimeSeries>& list) {
    LogImportStart(request);
    ImportResult result;
    result.nImportType = IMPORT_ATLAS;
    std::string content;
    if (!ReadLogFileContent(request, content, result)) return result;
    return ReadATLASStabText(content, &content, request, list);
}

// ---------------------------------------------------------------------------
// Extraction: the header names the columns; "img" first, then the four
// astigmatism columns anywhere among the others.

namespace {

// Takes the next blank-separated token off the front of rest (runs of blanks
// separate like one; tabs are part of a token).
std::string_view NextToken(std::string_view& rest) {
    const char* p = rest.data();
    const char* const end = p + rest.size();
    while (p != end && *p == ' ') ++p;
    const char* const begin = p;
    while (p != end && *p != ' ') ++p;
    rest = std::string_view(p, static_cast<std::size_t>(end - p));
    return std::string_view(begin, static_cast<std::size_t>(p - begin));
}

// What a header column holds.
enum ColumnRole : unsigned char { COLUMN_OTHER, COLUMN_X, COLUMN_ERR_X, COLUMN_Y, COLUMN_ERR_Y };

// The header read once for all data lines: whether it starts with "img", and
// the role of each column after it, up to the last astigmatism column (the
// columns after that one never change a sample).
struct HEADERCOLUMNS {
    bool bImgFirst = false;
    std::vector<ColumnRole> aRoles;
};

HEADERCOLUMNS ReadHeaderColumns(std::string_view header) {
    HEADERCOLUMNS columns;
    if (NextToken(header) != "img") return columns;
    columns.bImgFirst = true;
    std::size_t used = 0;
    while (!header.empty()) {
        const std::string_view h = NextToken(header);
        const ColumnRole role = h == "a22x"        ? COLUMN_X
                                : h == "err(a22x)" ? COLUMN_ERR_X
                                : h == "a22y"      ? COLUMN_Y
                                : h == "err(a22y)" ? COLUMN_ERR_Y
                                                   : COLUMN_OTHER;
        columns.aRoles.push_back(role);
        if (role != COLUMN_OTHER) used = columns.aRoles.size();
    }
    columns.aRoles.resize(used);
    return columns;
}

// The line's tokens are taken in step with the header's columns; each
// astigmatism column counts as a match and its token must be a number. A
// sample needs exactly four matches, all of them readable.
bool ExtractATLASSample(const HEADERCOLUMNS& columns, std::string_view line, A1SAMPLE& sample, double& x, double& y,
                        double& ex, double& ey) {
    if (!columns.bImgFirst) return false;
    int image = 0;
    if (!ReadCheckedInt(NextToken(line), image) || image <= 0) return false;
    double* const targets[] = {nullptr, &x, &ex, &y, &ey};
    int matches = 0;
    for (const ColumnRole role : columns.aRoles) {
        const std::string_view v = NextToken(line);
        // A line without a token left matches no later column.
        if (v.empty()) break;
        if (role == COLUMN_OTHER) continue;
        // A fifth match (a repeated column) can never give a sample.
        if (++matches > 4 || !ReadCheckedDouble(v, *targets[role])) return false;
    }
    if (matches != 4) return false;
    sample.nIndex = image;
    return true;
}

// The samples of the stored lines first to last (indexes into the lines).
struct EXTRACTION {
    const CLineArray* pLines = nullptr;
    const HEADERCOLUMNS* pColumns = nullptr;
    int nMirror = 1;
    bool bRotate = false;
    double dCos = 1.0, dSin = 0.0;
};

// Writes the samples of lines first to last to out (room for one per line)
// and returns their number; skipped counts the lines that held none.
std::size_t ExtractLineRange(const EXTRACTION& e, std::size_t first, std::size_t last, A1SAMPLE* out, int& skipped) {
    const double c = e.dCos, s = e.dSin;
    std::size_t count = 0;
    skipped = 0;
    for (std::size_t i = first; i <= last; ++i) {
        const std::string_view line = (*e.pLines)[i];
        if (line.empty() || line.find("not used") != npos) continue;
        A1SAMPLE sample;
        double x = 0, y = 0, ex = 0, ey = 0;
        if (!ExtractATLASSample(*e.pColumns, line, sample, x, y, ex, ey)) {
            ++skipped;
            continue;
        }
        if (e.bRotate) {
            const double xr = c * x - s * y, yr = c * y + s * x;
            const double exr = std::sqrt(c * c * ex * ex + s * s * ey * ey);
            const double eyr = std::sqrt(c * c * ey * ey + s * s * ex * ex);
            x = xr;
            y = yr;
            ex = exr;
            ey = eyr;
        }
        sample.dX = x;
        sample.dY = e.nMirror * y;
        sample.dErrX = ex;
        sample.dErrY = ey;
        if (!std::isfinite(sample.dX) || !std::isfinite(sample.dY) || !std::isfinite(ex) || !std::isfinite(ey)) {
            ++skipped;
            continue;
        }
        out[count++] = sample;
    }
    return count;
}

// Below this many lines a second thread costs more than it saves.
constexpr std::size_t kParallelLines = 100000;

}  // namespace

void CA1TimeSeries::ExtractATLASStab(int mirror, double rotationDeg) {
    if (!BeginExtraction(IMPORT_ATLAS, mirror, rotationDeg)) return;
    const double rr = rotationDeg * kRadPerDeg;
    const HEADERCOLUMNS columns = ReadHeaderColumns(m_astrLines.empty() ? std::string_view() : m_astrLines[0]);
    EXTRACTION e;
    e.pLines = &m_astrLines;
    e.pColumns = &columns;
    e.nMirror = mirror;
    e.bRotate = std::fabs(rotationDeg) > 1e-8;
    e.dCos = std::cos(rr);
    e.dSin = std::sin(rr);
    const std::size_t last =
        std::min<std::size_t>(static_cast<std::size_t>(m_nDataLines), m_astrLines.empty() ? 0 : m_astrLines.size() - 1);
    // At most one sample per line: the samples are written in place and the
    // array is cut to what was found.
    m_aSamples.resize(last);
    int skipped = 0;
    std::size_t found = 0;
    // A long table is read in two halves at once; the second half's samples
    // are moved up behind the first half's, so the result is the same as
    // from one pass.
    const std::size_t middle = last / 2;
    std::size_t foundSecond = 0;
    int skippedSecond = 0;
    std::exception_ptr error;
    std::thread helper;
    if (last >= kParallelLines && std::thread::hardware_concurrency() >= 2) {
        try {
            helper = std::thread([&] {
                try {
                    foundSecond = ExtractLineRange(e, middle + 1, last, m_aSamples.data() + middle, skippedSecond);
                } catch (...) {
                    error = std::current_exception();
                }
            });
        } catch (const std::exception&) {
            // No thread: this one reads the whole table.
        }
    }
    if (helper.joinable()) {
        try {
            found = ExtractLineRange(e, 1, middle, m_aSamples.data(), skipped);
        } catch (...) {
            helper.join();
            throw;
        }
        helper.join();
        if (error) std::rethrow_exception(error);
        std::copy(m_aSamples.begin() + static_cast<std::ptrdiff_t>(middle),
                  m_aSamples.begin() + static_cast<std::ptrdiff_t>(middle + foundSecond),
                  m_aSamples.begin() + static_cast<std::ptrdiff_t>(found));
        found += foundSecond;
        skipped += skippedSecond;
    } else {
        found = ExtractLineRange(e, 1, last, m_aSamples.data(), skipped);
    }
    m_aSamples.resize(found);
    if (skipped > 0)
        LogIfAttached(m_pLog,
                      FormatText("Warning: %d of %d data lines held no readable astigmatism value and were skipped.",
                                 skipped, m_nDataLines));
    FinishExtraction(mirror, rotationDeg);
}

// ---------------------------------------------------------------------------
// The same reading, line by line as the lines arrive.

struct CATLASStabLineReader::STATE {
    ImportRequest request;
    ImportResult result;
    CA1TimeSeries series;
    HEADERCOLUMNS columns;
    bool bStarted = false;  // the first text was added (a byte order mark is only there)
    bool bHeader = false;
    bool bEnded = false;
    int nLineNo = 0;
    int nData = 0;            // data lines, blank ones at the end included
    int nLastFilledData = 0;  // data lines up to the last one that is not blank
    int nLastFilledLineNo = 0;
    std::size_t nFirstFilled = 0;     // index of the first stored line that is not blank
    std::vector<std::string> aBlank;  // blank lines after the last filled one, as they would be stored
    std::size_t nExtracted = 0;       // stored data lines whose samples are taken

    void Line(std::string_view line);
    void Conclude();
};

CATLASStabLineReader::CATLASStabLineReader(const ImportRequest& request) : m_p(std::make_unique<STATE>()) {
    m_p->request = request;
    m_p->request.pLog = nullptr;
    m_p->series = CA1TimeSeries(nullptr);
    m_p->Conclude();
}

CATLASStabLineReader::~CATLASStabLineReader() = default;

const ImportResult& CATLASStabLineReader::Result() const { return m_p->result; }

CA1TimeSeries& CATLASStabLineReader::Series() { return m_p->series; }

void CATLASStabLineReader::Add(std::string_view lines) {
    if (!m_p->bStarted) lines = StripByteOrderMark(lines);
    m_p->bStarted = true;
    CLineSplitter splitter(lines);
    std::string_view line;
    while (splitter.Next(line)) m_p->Line(line);
    m_p->Conclude();
}

void CATLASStabLineReader::STATE::Line(std::string_view line) {
    ++nLineNo;
    if (!bHeader) {
        if (!IsATLASStabHeader(line)) return;
        bHeader = true;
        series.Reset();
        series.m_strSourceFile = request.strPath;
        series.m_nFirstLine = nLineNo;
        series.m_astrLines.push_back(line);
        columns = ReadHeaderColumns(line);
        return;
    }
    if (bEnded) return;
    if (line.starts_with('#')) {
        bEnded = true;
        series.m_nLastLine = nLineNo;
        aBlank.clear();
        series.m_astrLines.push_back("#");
        return;
    }
    ++nData;
    if (IsBlankLine(line)) {
        aBlank.emplace_back(TrimBlanks(line));
        return;
    }
    for (const std::string& blank : aBlank) series.m_astrLines.push_back(blank);
    aBlank.clear();
    series.m_astrLines.push_back(TrimBlanks(line));
    if (nLastFilledData == 0) nFirstFilled = static_cast<std::size_t>(nData);
    nLastFilledData = nData;
    nLastFilledLineNo = nLineNo;
}

void CATLASStabLineReader::STATE::Conclude() {
    result = ImportResult{};
    result.bOpened = true;
    result.nImportType = IMPORT_ATLAS;
    if (!bEnded) series.m_nLastLine = nLastFilledLineNo;
    series.m_nDataLines = nLastFilledData;
    if (nLastFilledData == 0) {
        result.strError = bHeader ? "The file holds no data lines after the ATLASStab header."
                                  : "The file holds no ATLASStab header line.";
        return;
    }
    CA1TimeSeries& s = series;
    const bool startValid = LastColumnSeconds(s.m_astrLines[nFirstFilled], s.m_nStartTime);
    const bool stopValid = LastColumnSeconds(s.m_astrLines[static_cast<std::size_t>(nLastFilledData)], s.m_nStopTime);
    s.m_nImportType = IMPORT_ATLAS;
    if (!startValid || !stopValid) {
        result.strError = "The filetime column of the first or last data line is not a valid number.";
        return;
    }
    const long long span = static_cast<long long>(s.m_nStopTime) - s.m_nStartTime;
    if (span <= 0 || span > INT_MAX) {
        result.strError = "The last data line's time stamp is not after the first one's.";
        return;
    }
    // The shared first steps of an extraction, without clearing the samples
    // of the lines read before: a line's sample depends on nothing else.
    s.m_aCharFunc.clear();
    s.CharFuncValid = s.ModelValid = s.LifetimeState = 0;
    if (s.m_nCurrentTab >= TAB_CHAR_FUNC) s.m_nCurrentTab = TAB_A22_TIME;
    s.Tolerance = s.DirectLifetime = 0.0;
    s.FitDi = s.FitDa = s.FitTc = s.FitS = 0.0;
    s.ModelLifetime = s.FitSSqr = 0.0;
    const std::uint32_t span32 = static_cast<std::uint32_t>(s.m_nStopTime) - static_cast<std::uint32_t>(s.m_nStartTime);
    s.m_dImagePeriod = static_cast<double>(span32) / s.m_nDataLines;
    const std::size_t last = static_cast<std::size_t>(nLastFilledData);
    if (last > nExtracted) {
        const double rr = request.dRotationDeg * kRadPerDeg;
        EXTRACTION e;
        e.pLines = &s.m_astrLines;
        e.pColumns = &columns;
        e.nMirror = request.nMirror;
        e.bRotate = std::fabs(request.dRotationDeg) > 1e-8;
        e.dCos = std::cos(rr);
        e.dSin = std::sin(rr);
        const std::size_t before = s.m_aSamples.size();
        s.m_aSamples.resize(before + (last - nExtracted));
        int skipped = 0;
        const std::size_t found = ExtractLineRange(e, nExtracted + 1, last, s.m_aSamples.data() + before, skipped);
        s.m_aSamples.resize(before + found);
        nExtracted = last;
    }
    s.m_nMirror = request.nMirror;
    s.m_dRotation = request.dRotationDeg;
    result.nSeriesAdded = 1;
}
