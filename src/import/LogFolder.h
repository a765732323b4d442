// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder rule shared by the desktop program's drops and the batch tool:
// a folder stands for the logs in it and in every folder below it, found by
// content, in sorted path order; symbolic links are not followed.

#include <string>
#include <vector>

class CLogFile;
class IFileSystem;

// A log that a folder walk found, or a file or folder in it that could not
// be read.
struct LogFolderEntry {
    std::string strPath;   // the folder argument joined with the path inside it
    std::string strError;  // not empty: why it could not be read ("Failed to open the file: ...")
};

// Walks the folder. Each regular file is recognised by the loader's rule
// (LogLoader.h, importType IMPORT_NONE for either format): a binary file
// costs at most its first 64 KiB, a text is read only as far as the line
// that decides. Files that are no logs, special files and symbolic links are
// named in the log ("Skipped [path]: reason"). files nullptr: LocalFileSystem().
std::vector<LogFolderEntry> FindLogsInFolder(const std::string& folder, int importType, CLogFile* log,
                                             IFileSystem* files = nullptr);
