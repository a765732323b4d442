#include "import/LogImport.h"

#include "files/FileErrorReporter.h"
#include "import/ATLASStabImport.h"
#include "import/C1A1Import.h"
#include "import/ImportHelpers.h"
#include "log/LogFile.h"
#include "platform/FileSystem.h"
#include "text/TextFile.h"

#include <array>

namespace {

ImportResult ReadC1A1OwnedText(std::string& content, const ImportRequest& request, std::vector<CA1TimeSeries>& list) {
    return ReadC1A1Log(content, request, list);
}

const std::array<LogFormatEntry, 2> kFormats = {{
    {IMPORT_C1A1, "c1a1", "CEOS C1A1 log", &LooksLikeC1A1Log, &ReadC1A1Log, &ReadC1A1OwnedText},
    {IMPORT_ATLAS, "atlas", "ATLASStab log", &LooksLikeATLASStabLog, &ReadATLASStabLog, &ReadATLASStabOwnedText},
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
    content = StripByteOrderMark(content);
    if (content.empty()) {
        if (reason) *reason = "The file is empty.";
        return IMPORT_NONE;
    }
    for (const LogFormatEntry& e : kFormats)
        if (e.Recognise(content)) return e.nImportType;
    if (reason) {
        // Text logs never hold zero bytes; binary files and UTF-16 texts do.
        if (content.find('\0') != std::string_view::npos) *reason = "The file is not a text file.";
        else *reason = "The file is neither a CEOS C1A1 log nor an ATLASStab log.";
    }
    return IMPORT_NONE;
}

bool ReadLogFileContent(const ImportRequest& request, std::string& content, ImportResult& result) {
    content.clear();
    CLogFile* log = request.pLog;
    LogDebugIfAttached(log, 3, "Opening file [" + request.strPath + "] for import.");
    std::string error;
    std::FILE* file = OpenExclusive(request.strPath, FileOpenMode::Read, &error);
    if (!file) {
        LogIfAttached(log, "ERROR: Failed to open file [" + request.strPath + "].");
        result.bOpened = false;
        result.strError = "Failed to open the file: " + error;
        return false;
    }
    const bool ok = ReadAll(file, content, &error);
    CloseExclusive(file);
    if (!ok) {
        content.clear();
        ReportFileError(request.strPath, error);
        LogIfAttached(log, "ERROR: Failed to read file [" + request.strPath + "].");
        result.bOpened = false;
        result.strError = "Failed to read the file: " + error;
        return false;
    }
    result.bOpened = true;
    return true;
}

ImportResult ImportLogFile(const ImportRequest& request, int importType, std::vector<CA1TimeSeries>& list) {
    if (importType == IMPORT_C1A1) return ImportC1A1Log(request, list);
    if (importType == IMPORT_ATLAS) return ImportATLASStabLog(request, list);

    ImportResult result;
    std::string content;
    if (!ReadLogFileContent(request, content, result)) return result;
    std::string reason;
    const LogFormatEntry* format = FindLogFormat(SniffLogFormat(content, &reason));
    if (!format) {
        LogIfAttached(request.pLog, "ERROR: Refused to import file [" + request.strPath + "]: " + reason);
        result.strError = reason;
        return result;
    }
    return format->ReadOwned(content, request, list);
}
