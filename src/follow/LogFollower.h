// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Following a log while the corrector writes it.
//
// Each Poll asks the file's size, modification time and identity; when the
// file has grown it reads only the bytes after those already read (opening
// and closing the file for it) and keeps the complete lines. A last line
// without its line end waits for its end. The followed series are always
// what an import of the complete lines read so far gives, byte for byte,
// plus, in a CEOS C1A1 log, the series that has started but not stopped yet,
// shown as provisional until its stop time stamp arrives.
//
// A file that shrank or was replaced (another identity, or its first bytes,
// or the bytes before the read position, differ) is read again from the
// start; a file that is gone pauses following until it is back. Each of
// these writes one message to the log.

#include "follow/FollowFileSystem.h"
#include "import/LogImport.h"
#include "series/A1TimeSeries.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CATLASStabLineReader;
class CC1A1LineReader;
class CLogFile;

struct FOLLOWSETTINGS {
    std::string strPath;            // as stored in the series and named in the messages
    int nImportType = IMPORT_NONE;  // IMPORT_NONE: decided by content once the complete lines tell
    int nMirror = 1;                // extraction as in ImportRequest
    double dRotationDeg = 0.0;
};

// What one Poll found.
struct FOLLOWPOLL {
    bool bGrew = false;           // bytes were read
    bool bSeriesChanged = false;  // the followed series differ from before the poll
    bool bRestarted = false;      // the file was read again from the start
    bool bGone = false;           // the file has just gone
    bool bBack = false;           // the file has just come back
    int nLinesAdded = 0;          // complete lines taken in
};

class CLogFollower {
public:
    // The file system and the clock must outlive the follower; the log may
    // be null.
    CLogFollower(FOLLOWSETTINGS settings, IFollowFileSystem& files, IFollowClock& clock, CLogFile* log);
    ~CLogFollower();
    CLogFollower(const CLogFollower&) = delete;
    CLogFollower& operator=(const CLogFollower&) = delete;

    FOLLOWPOLL Poll();
    // Ends following: reads what is left and takes a last line without its
    // line end as complete, so the series then equal an import of the file
    // as it stands. Later polls change nothing.
    FOLLOWPOLL Finish();

    const FOLLOWSETTINGS& Settings() const { return m_settings; }
    // The followed series, in file order; only the last can be provisional.
    const std::vector<CA1TimeSeries>& Series() const { return m_aSeries; }
    bool IsProvisional(std::size_t index) const { return m_bProvisional && index + 1 == m_aSeries.size(); }
    // The format in use (IMPORT_NONE while the content does not tell yet).
    int ImportType() const { return m_nFormat; }
    // What the last import of the complete lines reported.
    const ImportResult& LastImport() const { return m_lastImport; }
    long long CompleteLines() const { return m_nLines; }
    std::uint64_t BytesRead() const { return m_nOffset; }
    bool Gone() const { return m_bGone; }
    bool Finished() const { return m_bFinished; }
    // Clock time of the last poll that read bytes (of the start when none has).
    double LastGrowth() const { return m_dLastGrowth; }

private:
    FOLLOWPOLL Read(bool finishing);
    void Restart();
    bool TakeBytes(const std::string& bytes, bool finishing, FOLLOWPOLL& poll);
    // Imports the complete lines again; chunkStart is where the new ones begin.
    void Reimport(std::size_t chunkStart);
    std::string LastBytesRead(std::size_t n) const;
    void EstimateProvisionalSpan(CA1TimeSeries& open);
    void Log(const std::string& message);

    FOLLOWSETTINGS m_settings;
    IFollowFileSystem& m_files;
    IFollowClock& m_clock;
    CLogFile* m_pLog;

    // What has been read of the file.
    bool m_bKnown = false;  // m_id, m_nModifiedNs are of a file read before
    FOLLOWFILEID m_id;
    std::int64_t m_nModifiedNs = 0;
    std::uint64_t m_nOffset = 0;  // bytes read
    std::string m_strComplete;    // the complete lines read, line ends included
    std::string m_strPending;     // a last line still without its end
    std::string m_strHead;        // the file's first bytes (up to kCheckBytes)
    long long m_nLines = 0;

    int m_nFormat = IMPORT_NONE;
    ImportResult m_lastImport;
    std::vector<CA1TimeSeries> m_aSeries;
    bool m_bProvisional = false;
    // The log is read on line by line instead of again from the start.
    std::unique_ptr<CATLASStabLineReader> m_pAtlas;
    std::unique_ptr<CC1A1LineReader> m_pC1A1;

    // The series that has started but not stopped: its first line and, when
    // it was first seen, the clock time and its data lines then.
    int m_nOpenFirstLine = 0;
    double m_dOpenSeenAt = 0.0;
    int m_nOpenSeenLines = 0;

    bool m_bGone = false;
    bool m_bReadFailed = false;
    bool m_bFinished = false;
    double m_dLastGrowth = 0.0;
};

// The series list's line of a series in progress, such as
// "#004 (recording): 120 samples, 240 s" (number 1-based).
std::string ProvisionalSeriesListLine(int number, const CA1TimeSeries& series);
