// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files opened for reading as a stream of bytes. The import reads through
// this interface, so a test can count what it reads or hand it a file that
// does not exist on disk.

#include <cstddef>
#include <memory>
#include <string>

// One file open for reading.
class IFileReader {
public:
    virtual ~IFileReader() = default;
    // Reads up to size bytes into buffer; got receives how many (0 at the end
    // of the file). False on a read error, with the reason in errorText.
    virtual bool Read(char* buffer, std::size_t size, std::size_t& got, std::string& errorText) = 0;
    // The file's size in bytes when known, else 0 (only a hint: the file may
    // change while it is read).
    virtual std::size_t SizeHint() const { return 0; }
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // Opens the file for reading; nullptr with the reason in errorText.
    virtual std::unique_ptr<IFileReader> OpenRead(const std::string& path, std::string& errorText) = 0;
};

// The files on disk, opened exclusively (OpenExclusive) for as long as the
// reader lives.
IFileSystem& LocalFileSystem();
