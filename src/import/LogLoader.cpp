// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/LogLoader.h"

#include "import/ATLASStabImport.h"
#include "import/C1A1Import.h"
#include "import/LogImport.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Bytes read at a time after the first 64 KiB.
constexpr std::size_t kChunkBytes = 64 * 1024;
// A line in progress longer than this is no longer kept whole unless it may
// be an ATLASStab header (those start with "img"): only its last bytes stay,
// enough to find a C1A1 start line that runs across two reads.
constexpr std::size_t kLongLineBytes = 64 * 1024;

// Follows the file's lines until one decides the format (see LogLoader.h).
class CLogScan {
public:
    CLogScan(int importType, LogLoadGoal goal, LoadedLog& loaded)
        : m_nType(importType), m_goal(goal), m_loaded(loaded) {}

    // Takes the first bytes of the file (up to kLogPrefixBytes, fewer only at
    // its end). False when no more bytes are needed.
    bool TakePrefix(std::string_view prefix) {
        if (prefix.starts_with(kByteOrderMark)) prefix.remove_prefix(kByteOrderMark.size());
        if (m_goal == LogLoadGoal::ImportAs) return Take(prefix);
        if (prefix.empty()) return Refuse("The file is empty.");
        const std::size_t nul = prefix.find('\0');
        if (nul == npos) return Take(prefix);
        // A NUL byte decides unless a line up to and including its own
        // already did (a log with a stray NUL byte stays a log).
        const std::size_t feed = prefix.find('\n', nul);
        const std::size_t end = feed == npos ? prefix.size() : feed + 1;
        if (!Take(prefix.substr(0, end))) return false;
        if (m_phase == Phase::Undecided && feed == npos && !m_bLong) Decide(0, m_line.size());
        if (m_phase == Phase::Undecided) return Refuse("The file is not a text file.");
        return Take(prefix.substr(end));
    }

    // Takes the next bytes. False when no more bytes are needed.
    bool Take(std::string_view bytes) {
        switch (m_phase) {
        case Phase::Kept: m_loaded.strText.append(bytes); return true;
        case Phase::Candidate:
            m_loaded.strText.append(bytes);
            SearchC1A1StartInKeptText();
            return true;
        case Phase::Done: return false;
        case Phase::Undecided: break;
        }
        m_nTextBytes += bytes.size();
        if (!m_bNul && bytes.find('\0') != npos) m_bNul = true;
        m_line.append(bytes);
        ScanLines();
        return m_phase != Phase::Done;
    }

    // The end of the file: the last line without a line feed, and the verdict.
    LogLoadStatus Finish() {
        if (m_phase == Phase::Undecided && (!m_line.empty() || m_bLong)) {
            if (!Decide(0, m_line.size())) ++m_nLines;
        }
        if (m_bRefused) return LogLoadStatus::NotALog;
        if (m_phase != Phase::Undecided) return LogLoadStatus::Log;
        if (m_goal == LogLoadGoal::ImportAs) {
            m_loaded.nImportType = m_nType;
            m_loaded.nLinesBefore = m_nLines;
            return LogLoadStatus::Log;
        }
        if (m_nTextBytes == 0) Refuse("The file is empty.");
        else if (m_bNul) Refuse("The file is not a text file.");
        else Refuse("The file is neither a CEOS C1A1 log nor an ATLASStab log.");
        return LogLoadStatus::NotALog;
    }

    // The size of the rest of the file, when known, so the kept text grows
    // once.
    void ExpectBytes(std::size_t bytes) { m_nExpected = bytes; }

private:
    enum class Phase {
        Undecided,  // no line has decided yet
        Candidate,  // an ATLASStab header was found; a later C1A1 start line still wins (text kept)
        Kept,       // decided: the rest of the file is kept
        Done        // decided, nothing more needed
    };

    bool Refuse(const std::string& reason) {
        if (m_nType != IMPORT_NONE) {
            const LogFormatEntry* format = FindLogFormat(m_nType);
            m_loaded.strReason = std::string("The file is not a ") + (format ? format->szTitle : "log") + ".";
        } else {
            m_loaded.strReason = reason;
        }
        m_bRefused = true;
        m_phase = Phase::Done;
        return false;
    }

    // Tests the complete lines of m_line; keeps the line in progress.
    void ScanLines() {
        std::size_t pos = 0;
        for (;;) {
            const std::size_t end = m_line.find('\n', pos);
            if (end == npos) break;
            if (Decide(pos, end)) return;
            ++m_nLines;
            m_bLong = false;
            pos = end + 1;
        }
        m_line.erase(0, pos);
        if (m_line.size() > kLongLineBytes) ShortenLongLine();
    }

    // Tests the line m_line[begin, end) (without its line feed). True when
    // it decided the format.
    bool Decide(std::size_t begin, std::size_t end) {
        std::string_view line(m_line.data() + begin, end - begin);
        if (m_nType != IMPORT_ATLAS) {
            if (const std::size_t p = line.find(kC1A1StartMarker); p != npos) {
                DecideC1A1(begin, p);
                return true;
            }
        }
        if (m_nType != IMPORT_C1A1 && !m_bLong) {
            if (line.ends_with('\r')) line.remove_suffix(1);
            if (IsATLASStabHeader(line)) {
                DecideATLASStab(begin, end);
                return true;
            }
        }
        return false;
    }

    // A C1A1 start line at m_line[begin], with the marker at begin + marker.
    void DecideC1A1(std::size_t begin, std::size_t marker) {
        m_loaded.nImportType = IMPORT_C1A1;
        m_loaded.nLinesBefore = m_nLines;
        if (m_goal == LogLoadGoal::Recognise) {
            m_phase = Phase::Done;
            return;
        }
        Reserve(m_line.size() - begin);
        if (m_bLong) {
            // Only the tail of this line is left; the reader needs no more of
            // a start line than the marker itself.
            m_loaded.strText.assign(kC1A1StartMarker);
            m_loaded.strText.append(std::string_view(m_line).substr(begin + marker + kC1A1StartMarker.size()));
        } else {
            m_loaded.strText.assign(std::string_view(m_line).substr(begin));
        }
        ReleaseLine();
        m_phase = Phase::Kept;
    }

    // An ATLASStab header line m_line[begin, end).
    void DecideATLASStab(std::size_t begin, std::size_t end) {
        m_loaded.nImportType = IMPORT_ATLAS;
        m_loaded.nLinesBefore = m_nLines;
        if (m_goal == LogLoadGoal::Recognise) {
            // A log either way: a later C1A1 start line only changes its format.
            m_phase = Phase::Done;
            return;
        }
        Reserve(m_line.size() - begin);
        m_loaded.strText.assign(std::string_view(m_line).substr(begin));
        ReleaseLine();
        if (m_nType == IMPORT_ATLAS) {
            m_phase = Phase::Kept;
            return;
        }
        m_phase = Phase::Candidate;
        m_nSearched = end - begin;
        SearchC1A1StartInKeptText();
    }

    // Candidate: a C1A1 start line in the kept text makes the file a C1A1
    // log from that line on.
    void SearchC1A1StartInKeptText() {
        std::string& text = m_loaded.strText;
        const std::size_t overlap = kC1A1StartMarker.size() - 1;
        const std::size_t from = m_nSearched > overlap ? m_nSearched - overlap : 0;
        const std::size_t p = text.find(kC1A1StartMarker, from);
        if (p == npos) {
            m_nSearched = text.size();
            return;
        }
        const std::size_t feed = text.rfind('\n', p);
        const std::size_t begin = feed == npos ? 0 : feed + 1;
        m_loaded.nLinesBefore +=
            static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(begin), '\n'));
        text.erase(0, begin);
        m_loaded.nImportType = IMPORT_C1A1;
        m_phase = Phase::Kept;
    }

    // The line in progress has grown long.
    void ShortenLongLine() {
        if (!m_bLong && m_nType != IMPORT_C1A1 && m_line.starts_with("img")) return;  // may be a header
        if (m_nType != IMPORT_ATLAS) {
            if (const std::size_t p = m_line.find(kC1A1StartMarker); p != npos) {
                m_bLong = true;
                DecideC1A1(0, p);
                return;
            }
        }
        m_line.erase(0, m_line.size() - (kC1A1StartMarker.size() - 1));
        m_bLong = true;
    }

    void Reserve(std::size_t now) {
        if (m_goal == LogLoadGoal::Recognise) return;
        m_loaded.strText.reserve(now + m_nExpected);
    }

    void ReleaseLine() {
        m_line.clear();
        m_line.shrink_to_fit();
    }

    int m_nType;
    LogLoadGoal m_goal;
    LoadedLog& m_loaded;
    Phase m_phase = Phase::Undecided;
    std::string m_line;    // undecided: the line in progress (only its tail when m_bLong)
    bool m_bLong = false;  // m_line holds the tail of a long line that is no header
    int m_nLines = 0;      // complete lines before m_line
    std::size_t m_nTextBytes = 0;
    bool m_bNul = false;
    bool m_bRefused = false;
    std::size_t m_nSearched = 0;  // candidate: kept bytes already searched for a C1A1 start line
    std::size_t m_nExpected = 0;  // bytes of the file not yet read, when known
};

// Reads up to size bytes, fewer only at the end of the file.
bool ReadFull(IFileReader& reader, char* buffer, std::size_t size, std::size_t& got, std::string& error) {
    got = 0;
    while (got < size) {
        std::size_t n = 0;
        if (!reader.Read(buffer + got, size - got, n, error)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

}  // namespace

LogLoadStatus LoadLogFile(IFileSystem& files, const std::string& path, int importType, LogLoadGoal goal,
                          LoadedLog& loaded) {
    loaded = LoadedLog();
    const std::unique_ptr<IFileReader> reader = files.OpenRead(path, loaded.strError);
    if (!reader) return LogLoadStatus::OpenFailed;
    CLogScan scan(importType, goal, loaded);
    std::vector<char> buffer(std::max(kLogPrefixBytes, kChunkBytes));
    std::size_t got = 0;
    if (!ReadFull(*reader, buffer.data(), kLogPrefixBytes, got, loaded.strError)) return LogLoadStatus::ReadFailed;
    loaded.nBytesRead = got;
    const std::size_t size = reader->SizeHint();
    bool more = got == kLogPrefixBytes;
    scan.ExpectBytes(size > got ? size - got : 0);
    if (!scan.TakePrefix(std::string_view(buffer.data(), got))) more = false;
    while (more) {
        if (!ReadFull(*reader, buffer.data(), kChunkBytes, got, loaded.strError)) {
            loaded.strText.clear();
            return LogLoadStatus::ReadFailed;
        }
        loaded.nBytesRead += got;
        scan.ExpectBytes(size > loaded.nBytesRead ? size - loaded.nBytesRead : 0);
        if (!scan.Take(std::string_view(buffer.data(), got))) break;
        more = got == kChunkBytes;
    }
    return scan.Finish();
}

LogLoadStatus LoadLogText(std::string_view content, int importType, LogLoadGoal goal, LoadedLog& loaded) {
    loaded = LoadedLog();
    CLogScan scan(importType, goal, loaded);
    const std::string_view prefix = content.substr(0, kLogPrefixBytes);
    if (scan.TakePrefix(prefix)) scan.Take(content.substr(prefix.size()));
    loaded.nBytesRead = content.size();
    return scan.Finish();
}
