#include "import/LogImport.h"

#include "files/FileErrorReporter.h"
#include "import/ATLASStabImport.h"
#include "import/C1A1Import.h"
#include "import/ImportHelpers.h"
#include "log/LogFile.h"
#include "platform/FileReader.h"

#include <array>

namespace {

const std::array<LogFormatEntry, 2> kFormats = {{
    {IMPORT_C1A1, "c1a1", "CEOS C1A1 log", &LooksLikeC1A1Log, &ReadC1A1Log, &ReadC1A1Loaded},
    {IMPORT_ATLAS, "atlas", "ATLASStab log", &LooksLikeATLASStabLog, &ReadATLASStabLog, &ReadATLASStabLoaded},
}};

}  // namespace

std::span<const LogFormatEntry> LogFormats() { return kFormats; }

const LogFormatEntry* FindLogFormat(int importType) {
    for (const LogFormatEntry& e : kFormats)
        if (e.nImportType == importType) return &e;
    return nullptr;
}

std::string_view StripByteOrderMark(std::string_view content) {
    if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    return content;
}

int SniffLogFormat(std::string_view content, std::string* reason) {
    LoadedLog loaded;
    if (LoadLogText(content, IMPORT_NONE, LogLoadGoal::Import, loaded) == LogLoadStatus::Log) return loaded.nImportType;
    if (reason) *reason = loaded.strReason;
    return IMPORT_NONE;
}

bool LoadLogForImport(const ImportRequest& request, int importType, LoadedLog& loaded, ImportResult& result) {
    CLogFile* log = request.pLog;
    LogDebugIfAttached(log, 3, "Opening file [" + request.strPath + "] for import.");
    IFileSystem& files = request.pFiles ? *request.pFiles : LocalFileSystem();
    const LogLoadGoal goal = importType == IMPORT_NONE ? LogLoadGoal::Import : LogLoadGoal::ImportAs;
    switch (LoadLogFile(files, request.strPath, importType, goal, loaded)) {
    case LogLoadStatus::OpenFailed:
        LogIfAttached(log, "ERROR: Failed to open file [" + request.strPath + "].");
        result.bOpened = false;
        result.strError = "Failed to open the file: " + loaded.strError;
        return false;
    case LogLoadStatus::ReadFailed:
        ReportFileError(request.strPath, loaded.strError);
        LogIfAttached(log, "ERROR: Failed to read file [" + request.strPath + "].");
        result.bOpened = false;
        result.strError = "Failed to read the file: " + loaded.strError;
        return false;
    case LogLoadStatus::NotALog:
        result.bOpened = true;
        LogIfAttached(log, "ERROR: Refused to import file [" + request.strPath + "]: " + loaded.strReason);
        result.strError = loaded.strReason;
        return false;
    case LogLoadStatus::Log: break;
    }
    result.bOpened = true;
    return true;
}

ImportResult ImportLogFile(const ImportRequest& request, int importType, std::vector<CA1TimeSeries>& list) {
    if (importType == IMPORT_C1A1) return ImportC1A1Log(request, list);
    if (importType == IMPORT_ATLAS) return ImportATLASStabLog(request, list);

    ImportResult result;
    LoadedLog loaded;
    if (!LoadLogForImport(request, IMPORT_NONE, loaded, result)) return result;
    return FindLogFormat(loaded.nImportType)->ReadLoaded(loaded, request, list);
}
