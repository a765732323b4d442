// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a file for import: its format is recognised from its first bytes
// and the file is read once, as a stream, keeping only what a reader needs.
//
// The rule: the first 64 KiB decide at once when they are empty or hold a NUL
// byte before a line that decides (binary files and UTF-16 texts do; logs
// never). Then the text is streamed line by line. A line holding "C1A1 series successfully started."
// makes it a CEOS C1A1 log; otherwise a line that the ATLASStab reader takes
// for its header makes it an ATLASStab log, unless a C1A1 start line follows
// somewhere later. Lines before the first line that decides are counted and
// dropped (both readers skip them), so a text that never decides is streamed
// through once in constant memory; a log is kept from that line to its end.

#include "platform/FileReader.h"

#include <cstddef>
#include <string>
#include <string_view>

// What a load is for.
enum class LogLoadGoal {
    Recognise,  // decide whether the file is a log and stop there (nothing kept)
    Import,     // decide, and keep the log's text for its reader
    ImportAs    // read in the given format without deciding (a file that never
                // matches gives an empty text: the reader then finds nothing)
};

enum class LogLoadStatus { Log, NotALog, OpenFailed, ReadFailed };

// The part of a file that its reader needs.
struct LoadedLog {
    int nImportType = 0;         // IMPORT_C1A1 or IMPORT_ATLAS; IMPORT_NONE when not a log
    std::string strText;         // the file from the first line that decides on (Import goals)
    int nLinesBefore = 0;        // lines of the file before strText
    std::string strReason;       // why the file is no log (NotALog)
    std::string strError;        // the platform's reason (OpenFailed, ReadFailed)
    std::size_t nBytesRead = 0;  // bytes read from the file
};

// Bytes of the file's start that decide "not a text file" by a NUL byte.
inline constexpr std::size_t kLogPrefixBytes = 64 * 1024;

// Loads a file for the goal. importType IMPORT_NONE decides by content;
// IMPORT_C1A1 or IMPORT_ATLAS takes only that format.
LogLoadStatus LoadLogFile(IFileSystem& files, const std::string& path, int importType, LogLoadGoal goal,
                          LoadedLog& loaded);

// The same rule for a text already in memory.
LogLoadStatus LoadLogText(std::string_view content, int importType, LogLoadGoal goal, LoadedLog& loaded);
