// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ImportFileTypes.h"

#include "import/LogLoader.h"
#include "platform/FileReader.h"

#include <algorithm>

namespace {

struct IMPORTFILETYPE {
    int nImportType;
    FILEFILTER filter;
    const char* szLooksLike;  // said of a file of this format chosen with another type
};

const IMPORTFILETYPE kFileTypes[] = {
    {IMPORT_C1A1,
     {"CEOS C1A1 log file (*.html;*.txt;*.log)", "*.html; *.txt; *.log"},
     "The file looks like a CEOS C1A1 log: choose that file type, or drop the file onto the window."},
    {IMPORT_ATLAS,
     {"ATLASStab log file (*.dat;*.txt)", "*.dat; *.txt"},
     "The file looks like an ATLASStab log: choose that file type, or drop the file onto the window."},
};

const IMPORTFILETYPE* FileTypeOf(int importType) {
    for (const IMPORTFILETYPE& type : kFileTypes)
        if (type.nImportType == importType) return &type;
    return nullptr;
}

// The import types that have a file type, in the order of the log formats.
std::vector<int> DialogTypes() {
    std::vector<int> types;
    for (const LogFormatEntry& format : LogFormats())
        if (FileTypeOf(format.nImportType)) types.push_back(format.nImportType);
    return types;
}

}  // namespace

std::vector<FILEFILTER> ImportFilters() {
    std::vector<FILEFILTER> filters;
    for (int type : DialogTypes()) filters.push_back(FileTypeOf(type)->filter);
    return filters;
}

int ImportTypeOfFilter(int filterIndex) {
    const std::vector<int> types = DialogTypes();
    return filterIndex >= 1 && filterIndex <= static_cast<int>(types.size())
               ? types[static_cast<std::size_t>(filterIndex - 1)]
               : IMPORT_NONE;
}

int FilterOfImportType(int importType) {
    const std::vector<int> types = DialogTypes();
    const auto at = std::find(types.begin(), types.end(), importType);
    return at == types.end() ? 0 : static_cast<int>(at - types.begin()) + 1;
}

std::string ImportFailureReason(const ImportRequest& request, int chosenType, const ImportResult& result) {
    if (result.nSeriesAdded > 0) return std::string();
    if (!result.bOpened) return result.strError;
    // The file was read: look at its content the way a dropped file is
    // looked at (quietly; the reader has reported already).
    LoadedLog loaded;
    IFileSystem& files = request.pFiles != nullptr ? *request.pFiles : LocalFileSystem();
    switch (LoadLogFile(files, request.strPath, IMPORT_NONE, LogLoadGoal::Recognise, loaded)) {
    case LogLoadStatus::OpenFailed:
    case LogLoadStatus::ReadFailed: return loaded.strError;
    case LogLoadStatus::NotALog: return loaded.strReason;
    case LogLoadStatus::Log: break;
    }
    const int found = loaded.nImportType;
    if (found == chosenType) return std::string();
    const IMPORTFILETYPE* type = FileTypeOf(found);
    return type ? type->szLooksLike : std::string();
}
