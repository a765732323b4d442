// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliInputs.h"

#include "import/LogFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

std::vector<CliInput> ExpandCliArgument(const std::string& argument, int importType, CLogFile* log) {
    std::error_code ec;
    if (argument.empty() || !fs::is_directory(argument, ec)) return {{argument, {}}};
    std::vector<CliInput> inputs;
    for (LogFolderEntry& entry : FindLogsInFolder(argument, importType, log))
        inputs.push_back({std::move(entry.strPath), std::move(entry.strError)});
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
