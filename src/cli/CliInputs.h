// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line's LOGFILE and FOLDER arguments turned into the list of
// files to evaluate. A file argument stays as it is; a folder stands for the
// logs found in it by the folder rule of the import (LogFolder.h) under the
// --format rule.

#include <string>
#include <vector>

class CLogFile;

// One file to evaluate, or an argument that failed before any import.
struct CliInput {
    std::string strPath;   // as given, or the folder argument joined with the path inside it
    std::string strError;  // not empty: the argument gave nothing to import (message for standard error)
};

// Expands one argument. Files in a folder that are no logs are skipped and
// named in the log ("Skipped [path]: reason"); a folder without any log, and
// a folder or file inside one that cannot be read, give an entry with an error.
std::vector<CliInput> ExpandCliArgument(const std::string& argument, int importType, CLogFile* log);

// All arguments in their order.
std::vector<CliInput> ExpandCliArguments(const std::vector<std::string>& arguments, int importType, CLogFile* log);

// The input that is the same file as path (through any link or spelling),
// or nullptr.
const CliInput* FindSameFile(const std::vector<CliInput>& inputs, const std::string& path);
