// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/LogFolder.h"

#include "import/LogLoader.h"
#include "log/LogFile.h"
#include "platform/FileReader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

class CFolderWalk {
public:
    CFolderWalk(int importType, CLogFile* log, IFileSystem& files)
        : m_nImportType(importType), m_pLog(log), m_files(files) {}

    // Logs and failures of the folder and every folder below it, in path order.
    void Walk(const fs::path& folder, std::vector<LogFolderEntry>& entries) {
        std::error_code ec;
        std::vector<fs::path> names;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            names.push_back(it->path().filename());
        if (ec) {
            entries.push_back({folder.string(), "Failed to read the folder: " + ec.message()});
            return;
        }
        std::sort(names.begin(), names.end());
        for (const fs::path& name : names) {
            const fs::path path = folder / name;
            const fs::file_status status = fs::symlink_status(path, ec);
            if (ec) {
                entries.push_back({path.string(), "Failed to open the file: " + ec.message()});
            } else if (fs::is_symlink(status)) {
                Skip(path, "a symbolic link, not followed.");
            } else if (fs::is_directory(status)) {
                Walk(path, entries);
            } else if (!fs::is_regular_file(status)) {
                Skip(path, "not a regular file.");
            } else {
                File(path, entries);
            }
        }
    }

private:
    void File(const fs::path& path, std::vector<LogFolderEntry>& entries) {
        LoadedLog loaded;
        switch (LoadLogFile(m_files, path.string(), m_nImportType, LogLoadGoal::Recognise, loaded)) {
        case LogLoadStatus::OpenFailed:
            entries.push_back({path.string(), "Failed to open the file: " + loaded.strError});
            break;
        case LogLoadStatus::ReadFailed:
            entries.push_back({path.string(), "Failed to read the file: " + loaded.strError});
            break;
        case LogLoadStatus::NotALog: Skip(path, loaded.strReason); break;
        case LogLoadStatus::Log: entries.push_back({path.string(), {}}); break;
        }
    }

    void Skip(const fs::path& path, const std::string& reason) {
        LogIfAttached(m_pLog, "Skipped [" + path.string() + "]: " + reason);
    }

    int m_nImportType;
    CLogFile* m_pLog;
    IFileSystem& m_files;
};

}  // namespace

std::vector<LogFolderEntry> FindLogsInFolder(const std::string& folder, int importType, CLogFile* log,
                                             IFileSystem* files) {
    std::vector<LogFolderEntry> entries;
    CFolderWalk(importType, log, files ? *files : LocalFileSystem()).Walk(fs::path(folder), entries);
    return entries;
}
