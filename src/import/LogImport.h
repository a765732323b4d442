#pragma once
// Reading corrector logs into the series list.
//
// The readers take the file content as text, so tests can feed them
// literals; the Import* functions read the file once through the loader
// (LogLoader.h: recognised from its first bytes, kept only from the line that
// decides its format on) and call the text reader. Each complete series found is extracted with the given
// mirror factor and rotation and appended to the caller's list; the caller
// refreshes its list display and selects the last series afterwards. Every
// message goes to the log of the request (nothing is written without one).
//
// A series is either appended complete or not at all.

#include "import/LogLoader.h"
#include "series/A1TimeSeries.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CLogFile;
class IFileSystem;

struct ImportRequest {
    std::string strPath;            // full path: stored as m_strSourceFile, named in the messages
    int nMirror = 1;                // mirror factor of the extraction (ImportMirrorY): +1, or -1 for y mirrored
    double dRotationDeg = 0.0;      // x-y rotation of the extraction in degrees (ImportRotDeg)
    CLogFile* pLog = nullptr;       // where the import reports; not owned
    IFileSystem* pFiles = nullptr;  // where the file is read; nullptr: LocalFileSystem()
};

struct ImportResult {
    bool bOpened = false;           // the file was opened and read (always true for the text readers)
    int nImportType = IMPORT_NONE;  // format that was read: IMPORT_C1A1 or IMPORT_ATLAS
    int nSeriesAdded = 0;           // series appended to the list
    std::string strError;           // one-line reason when nothing was added, else empty
    bool Ok() const { return bOpened && nSeriesAdded > 0; }
};

// One log format: how to recognise its content and how to read it.
struct LogFormatEntry {
    int nImportType;      // IMPORT_C1A1 or IMPORT_ATLAS
    const char* szKey;    // "c1a1" or "atlas"
    const char* szTitle;  // "CEOS C1A1 log" or "ATLASStab log"
    bool (*Recognise)(std::string_view content);
    ImportResult (*Read)(std::string_view content, const ImportRequest& request, std::vector<CA1TimeSeries>& list);
    // The same for a loaded file; the reader may take over its text for the
    // series' lines (the text is then left changed or empty).
    ImportResult (*ReadLoaded)(LoadedLog& loaded, const ImportRequest& request, std::vector<CA1TimeSeries>& list);
};

// The known formats, in the order in which content is tested.
std::span<const LogFormatEntry> LogFormats();
// The entry of an import type, or nullptr.
const LogFormatEntry* FindLogFormat(int importType);

// Decides the format by content (the loader's rule): IMPORT_C1A1,
// IMPORT_ATLAS, or IMPORT_NONE with a one-line reason (empty file, not a text
// file, no known format).
int SniffLogFormat(std::string_view content, std::string* reason = nullptr);

// Loads the file of the request for import (IMPORT_NONE decides by content
// and refuses what is no log; a given format is read as that format). On a
// failure to open or read writes "ERROR: Failed to open file [path]." (or a
// read-error line) to the log and fills result.strError; result.bOpened
// tells whether the file was read. False unless the file holds a log.
bool LoadLogForImport(const ImportRequest& request, int importType, LoadedLog& loaded, ImportResult& result);

// Reads a file in the given format (IMPORT_C1A1, IMPORT_ATLAS), or decides
// the format by content when importType is IMPORT_NONE.
ImportResult ImportLogFile(const ImportRequest& request, int importType, std::vector<CA1TimeSeries>& list);

// Removes a UTF-8 byte order mark at the start of a text.
std::string_view StripByteOrderMark(std::string_view content);
