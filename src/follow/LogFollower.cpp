// SPDX-License-Identifier: GPL-3.0-or-later
#include "follow/LogFollower.h"

#include "import/ATLASStabImport.h"
#include "import/C1A1Import.h"
#include "log/LogFile.h"
#include "text/Format.h"
#include "text/TextFile.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <tuple>
#include <utility>

namespace {

// How many bytes at the start of the file, and just before the read
// position, must be unchanged for the file to count as the one read before.
constexpr std::size_t kCheckBytes = 64;

// What tells whether the followed series changed.
using SeriesKey = std::tuple<int, int, int, int, int, std::size_t>;

std::vector<SeriesKey> KeysOf(const std::vector<CA1TimeSeries>& list) {
    std::vector<SeriesKey> keys;
    keys.reserve(list.size());
    for (const CA1TimeSeries& s : list)
        keys.emplace_back(s.m_nFirstLine, s.m_nLastLine, s.m_nStartTime, s.m_nStopTime, s.m_nDataLines,
                          s.m_aSamples.size());
    return keys;
}

// A header line of an ATLASStab log among the lines of a text (whose start
// is a line start inside the file, so no byte order mark is removed).
bool HoldsATLASStabHeader(std::string_view text) {
    CLineSplitter lines(text);
    std::string_view line;
    while (lines.Next(line))
        if (IsATLASStabHeader(line)) return true;
    return false;
}

}  // namespace

double CSteadyFollowClock::Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

CLogFollower::CLogFollower(FOLLOWSETTINGS settings, IFollowFileSystem& files, IFollowClock& clock, CLogFile* log)
    : m_settings(std::move(settings)), m_files(files), m_clock(clock), m_pLog(log) {
    m_nFormat = m_settings.nImportType;
    m_dLastGrowth = m_clock.Now();
    Log("Following file [" + m_settings.strPath + "].");
}

CLogFollower::~CLogFollower() = default;

void CLogFollower::Log(const std::string& message) { LogIfAttached(m_pLog, message); }

FOLLOWPOLL CLogFollower::Poll() { return Read(false); }

FOLLOWPOLL CLogFollower::Finish() {
    FOLLOWPOLL poll = Read(true);
    if (!m_bFinished) {
        m_bFinished = true;
        Log("Stopped following file [" + m_settings.strPath + "].");
    }
    return poll;
}

void CLogFollower::Restart() {
    m_bKnown = false;
    m_nOffset = 0;
    m_strComplete.clear();
    m_strPending.clear();
    m_strHead.clear();
    m_nLines = 0;
    m_nFormat = m_settings.nImportType;
    m_lastImport = ImportResult{};
    m_aSeries.clear();
    m_bProvisional = false;
    m_nOpenFirstLine = 0;
    m_pAtlas.reset();
    m_pC1A1.reset();
}

FOLLOWPOLL CLogFollower::Read(bool finishing) {
    FOLLOWPOLL poll;
    if (m_bFinished) return poll;
    const std::vector<SeriesKey> before = KeysOf(m_aSeries);
    const bool provisionalBefore = m_bProvisional;
    const std::string& path = m_settings.strPath;

    const FOLLOWFILESTAT st = m_files.Stat(path);
    if (!st.bExists) {
        if (!m_bGone) {
            m_bGone = true;
            poll.bGone = true;
            Log("The followed file [" + path + "] is gone; following paused until it is back.");
        }
        return poll;
    }
    if (m_bGone) {
        m_bGone = false;
        poll.bBack = true;
        Log("The followed file [" + path + "] is back; following resumed.");
    }
    bool restart = m_bKnown && (st.id != m_id || st.nSize < m_nOffset);
    if (!restart && m_bKnown && st.nSize == m_nOffset && st.nModifiedNs == m_nModifiedNs && !finishing) return poll;

    std::string bytes;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!restart && m_nOffset > kCheckBytes) {
            // The first bytes must be those read before.
            const FOLLOWREAD head = m_files.ReadRange(path, 0, m_strHead.size(), bytes);
            if (head.bOk && head.id == st.id && bytes != m_strHead) restart = true;
        }
        if (restart) {
            Restart();
            poll.bRestarted = true;
            Log("The followed file [" + path + "] shrank or was replaced; reading it again from the start.");
        }
        // Read from a little before the read position: those bytes, too,
        // must be the ones read before.
        const std::uint64_t back = std::min<std::uint64_t>(m_nOffset, kCheckBytes);
        const std::uint64_t from = m_nOffset - back;
        const std::uint64_t want = std::max<std::uint64_t>(st.nSize, m_nOffset) - from;
        const FOLLOWREAD r = m_files.ReadRange(path, from, static_cast<std::size_t>(want), bytes);
        if (!r.bOk) {
            if (!m_bReadFailed) Log("ERROR: Failed to read file [" + path + "] while following it: " + r.strError);
            m_bReadFailed = true;
            break;
        }
        m_bReadFailed = false;
        // Replaced between the two looks: the next poll reads it again.
        if (r.id != st.id) break;
        const std::size_t n = static_cast<std::size_t>(back);
        if (bytes.size() < n || bytes.compare(0, n, LastBytesRead(n)) != 0) {
            restart = true;
            continue;
        }
        m_bKnown = true;
        m_id = st.id;
        m_nModifiedNs = st.nModifiedNs;
        bytes.erase(0, n);
        const std::size_t chunkStart = m_strComplete.size();
        if (TakeBytes(bytes, finishing, poll) || poll.bRestarted) Reimport(chunkStart);
        break;
    }
    poll.bSeriesChanged = before != KeysOf(m_aSeries) || provisionalBefore != m_bProvisional;
    return poll;
}

std::string CLogFollower::LastBytesRead(std::size_t n) const {
    const std::size_t fromPending = std::min(n, m_strPending.size());
    const std::size_t fromComplete = std::min(n - fromPending, m_strComplete.size());
    return m_strComplete.substr(m_strComplete.size() - fromComplete) +
           m_strPending.substr(m_strPending.size() - fromPending);
}

bool CLogFollower::TakeBytes(const std::string& bytes, bool finishing, FOLLOWPOLL& poll) {
    m_nOffset += bytes.size();
    if (!bytes.empty()) {
        poll.bGrew = true;
        m_dLastGrowth = m_clock.Now();
    }
    // Until kCheckBytes are read, every byte read belongs to the head.
    if (m_strHead.size() < kCheckBytes) m_strHead += bytes.substr(0, kCheckBytes - m_strHead.size());
    m_strPending += bytes;
    std::size_t cut = m_strPending.size();
    if (!finishing) {
        const std::size_t lf = m_strPending.rfind('\n');
        cut = lf == std::string::npos ? 0 : lf + 1;
    }
    if (cut == 0) return false;
    const std::string_view chunk(m_strPending.data(), cut);
    int lines = static_cast<int>(std::count(chunk.begin(), chunk.end(), '\n'));
    if (chunk.back() != '\n') ++lines;
    m_strComplete.append(chunk);
    m_strPending.erase(0, cut);
    m_nLines += lines;
    poll.nLinesAdded += lines;
    return true;
}

void CLogFollower::Reimport(std::size_t chunkStart) {
    // The format by content, as an import of the complete lines decides it:
    // a C1A1 start marker anywhere wins, else an ATLASStab header line.
    std::string reason = "The file holds no complete line yet.";
    if (m_settings.nImportType == IMPORT_NONE && m_nFormat != IMPORT_C1A1) {
        if (chunkStart == 0) {
            m_nFormat = SniffLogFormat(m_strComplete, &reason);
        } else {
            const std::string_view chunk = std::string_view(m_strComplete).substr(chunkStart);
            if (LooksLikeC1A1Log(chunk)) m_nFormat = IMPORT_C1A1;
            else if (m_nFormat == IMPORT_NONE && HoldsATLASStabHeader(chunk)) m_nFormat = IMPORT_ATLAS;
            else reason = "The file is neither a CEOS C1A1 log nor an ATLASStab log.";
        }
    }

    ImportRequest request;
    request.strPath = m_settings.strPath;
    request.nMirror = m_settings.nMirror;
    request.dRotationDeg = m_settings.dRotationDeg;
    if (m_nFormat == IMPORT_ATLAS) {
        // The one series grows line by line: only the new lines are read.
        std::string_view lines = std::string_view(m_strComplete).substr(chunkStart);
        if (!m_pAtlas) {
            m_pAtlas = std::make_unique<CATLASStabLineReader>(request);
            lines = m_strComplete;
        } else if (!m_aSeries.empty()) {
            m_pAtlas->Series() = std::move(m_aSeries.front());
        }
        m_aSeries.clear();
        m_pAtlas->Add(lines);
        m_lastImport = m_pAtlas->Result();
        if (m_lastImport.nSeriesAdded == 1) {
            m_aSeries.push_back(std::move(m_pAtlas->Series()));
            m_aSeries.back().m_pLog = m_pLog;
        }
        m_bProvisional = false;
        return;
    }
    m_pAtlas.reset();
    if (m_nFormat == IMPORT_C1A1) {
        // Series are cut out as their lines arrive; the open one is kept apart.
        std::string_view lines = std::string_view(m_strComplete).substr(chunkStart);
        if (!m_pC1A1) {
            m_pC1A1 = std::make_unique<CC1A1LineReader>(request);
            lines = m_strComplete;
            m_aSeries.clear();
        } else if (m_bProvisional) {
            m_pC1A1->OpenSlot() = std::move(m_aSeries.back());
            m_aSeries.pop_back();
        }
        m_bProvisional = false;
        const std::size_t before = m_aSeries.size();
        m_pC1A1->Add(lines, m_aSeries);
        for (std::size_t i = before; i < m_aSeries.size(); ++i) m_aSeries[i].m_pLog = m_pLog;
        m_lastImport = m_pC1A1->Result();
        CA1TimeSeries* open = m_pC1A1->UpdateOpenSeries();
        if (!open) {
            m_nOpenFirstLine = 0;
            return;
        }
        EstimateProvisionalSpan(*open);
        // Evaluated like the others: it needs the two data lines and the
        // span an extraction needs.
        if (open->m_nDataLines >= 2 && open->m_nStopTime > open->m_nStartTime) {
            m_pC1A1->ExtractOpenSeries();
            m_aSeries.push_back(std::move(*open));
            m_aSeries.back().m_pLog = m_pLog;
            m_bProvisional = true;
        }
        return;
    }
    m_pC1A1.reset();
    m_aSeries.clear();
    m_bProvisional = false;
    m_lastImport = ImportResult{};
    m_lastImport.bOpened = true;
    m_lastImport.strError = reason;
}

void CLogFollower::EstimateProvisionalSpan(CA1TimeSeries& open) {
    // The log holds no time stamp between start and stop: the span so far
    // comes from the time the follower has watched the series grow.
    const double now = m_clock.Now();
    if (open.m_nFirstLine != m_nOpenFirstLine) {
        m_nOpenFirstLine = open.m_nFirstLine;
        m_dOpenSeenAt = now;
        m_nOpenSeenLines = open.m_nDataLines;
    }
    const double watched = now - m_dOpenSeenAt;
    const int lines = open.m_nDataLines, seenLines = m_nOpenSeenLines;
    double span = 0.0;
    if (seenLines == 0) span = watched;  // watched from its start
    else if (lines > seenLines && watched > 0) span = watched * lines / (lines - seenLines);
    const double seconds = std::floor(span + 0.5);
    if (seconds >= 1 && seconds <= static_cast<double>(INT_MAX) - open.m_nStartTime)
        open.m_nStopTime = open.m_nStartTime + static_cast<int>(seconds);
}

std::string ProvisionalSeriesListLine(int number, const CA1TimeSeries& series) {
    const long long span = static_cast<long long>(series.m_nStopTime) - series.m_nStartTime;
    return FormatText("#%.3d (recording): %d samples, %lld s", number, series.m_nDataLines, span);
}
