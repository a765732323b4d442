// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliInputs.h"

#include "import/LogImport.h"
#include "log/LogFile.h"
#include "platform/FileSystem.h"
#include "text/TextFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Why content is not a log under the import type.
std::string NotALogReason(const std::string& content, int importType) {
    if (importType == IMPORT_NONE) {
        std::string reason;
        SniffLogFormat(content, &reason);
        return reason;
    }
    const LogFormatEntry* format = FindLogFormat(importType);
    return std::string("The file is not a ") + (format ? format->szTitle : "log") + ".";
}

class CFolderWalk {
public:
    CFolderWalk(int importType, CLogFile* log) : m_nImportType(importType), m_pLog(log) {}

    // Files and failures of the folder and every folder below it, in path order.
    void Walk(const fs::path& folder, std::vector<CliInput>& inputs) {
        std::error_code ec;
        std::vector<fs::path> names;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            names.push_back(it->path().filename());
        if (ec) {
            inputs.push_back({folder.string(), "Failed to read the folder: " + ec.message()});
            return;
        }
        std::sort(names.begin(), names.end());
        for (const fs::path& name : names) {
            const fs::path path = folder / name;
            const fs::file_status status = fs::symlink_status(path, ec);
            if (ec) {
                inputs.push_back({path.string(), "Failed to open the file: " + ec.message()});
            } else if (fs::is_symlink(status)) {
                Skip(path, "a symbolic link, not followed.");
            } else if (fs::is_directory(status)) {
                Walk(path, inputs);
            } else if (!fs::is_regular_file(status)) {
                Skip(path, "not a regular file.");
            } else {
                File(path, inputs);
            }
        }
    }

private:
    void File(const fs::path& path, std::vector<CliInput>& inputs) {
        std::string error, content;
        std::FILE* file = OpenExclusive(path.string(), FileOpenMode::Read, &error);
        if (!file) {
            inputs.push_back({path.string(), "Failed to open the file: " + error});
            return;
        }
        const bool read = ReadAll(file, content, &error);
        CloseExclusive(file);
        if (!read) inputs.push_back({path.string(), "Failed to read the file: " + error});
        else if (IsCliLogContent(content, m_nImportType)) inputs.push_back({path.string(), {}});
        else Skip(path, NotALogReason(content, m_nImportType));
    }

    void Skip(const fs::path& path, const std::string& reason) {
        LogIfAttached(m_pLog, "Skipped [" + path.string() + "]: " + reason);
    }

    int m_nImportType;
    CLogFile* m_pLog;
};

}  // namespace

bool IsCliLogContent(const std::string& content, int importType) {
    if (importType == IMPORT_NONE) return SniffLogFormat(content) != IMPORT_NONE;
    const LogFormatEntry* format = FindLogFormat(importType);
    return format && format->Recognise(StripByteOrderMark(content));
}

std::vector<CliInput> ExpandCliArgument(const std::string& argument, int importType, CLogFile* log) {
    std::error_code ec;
    if (argument.empty() || !fs::is_directory(argument, ec)) return {{argument, {}}};
    std::vector<CliInput> inputs;
    CFolderWalk(importType, log).Walk(fs::path(argument), inputs);
    const bool anyLog =
        std::any_of(inputs.begin(), inputs.end(), [](const CliInput& input) { return input.strError.empty(); });
    if (!anyLog) inputs.push_back({argument, "The folder holds no log."});
    return inputs;
}

std::vector<CliInput> ExpandCliArguments(const std::vector<std::string>& arguments, int importType, CLogFile* log) {
    std::vector<CliInput> inputs;
    for (const std::string& argument : arguments) {
        std::vector<CliInput> more = ExpandCliArgument(argument, importType, log);
        inputs.insert(inputs.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    return inputs;
}

const CliInput* FindSameFile(const std::vector<CliInput>& inputs, const std::string& path) {
    for (const CliInput& input : inputs) {
        std::error_code ec;
        if (input.strError.empty() && fs::equivalent(input.strPath, path, ec) && !ec) return &input;
    }
    return nullptr;
}
