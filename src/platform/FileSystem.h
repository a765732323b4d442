#pragma once
// The core's file-system layer (POSIX): exclusive file opens, paths, file
// and folder removal and creation, and the text of the last error.
// An exclusive open locks the file with an advisory lock for as long as it
// stays open, so a second Driftwise that tries to open the same file fails,
// as the program expects of a file opened without sharing.

#include <cstdio>
#include <string>

enum class FileOpenMode {
    Read,            // existing file, reading
    WriteTruncate,   // create or truncate, writing
    WriteNoTruncate  // create if missing, writing, existing content kept
};

// Opens the file in binary stream mode (line ends are handled by the
// callers). Returns nullptr on failure and, when errorText is given, the
// platform's description of the error.
std::FILE* OpenExclusive(const std::string& path, FileOpenMode mode, std::string* errorText = nullptr);

// Closes a stream from OpenExclusive (the lock goes with it). Returns false
// when the final flush or the close failed.
bool CloseExclusive(std::FILE* file, std::string* errorText = nullptr);

// Full path of an existing file or folder (the path unchanged if that fails).
std::string AbsoluteFilePath(const std::string& path);

bool DeleteFilePath(const std::string& path);
bool CreateFolderPath(const std::string& path);

// Description of the last error of the C library (errno).
std::string LastErrorText();
