// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What following a log needs of the file system and of a clock, as small
// interfaces: the platform layer answers them for real files, tests answer
// them with a file held in memory and a clock they set.
//
// A follower only ever asks for the state of a path and for a range of its
// bytes; every read opens the file, reads and closes it again. Nothing is
// held open and nothing is locked, so the writer may append to the file,
// rename it or replace it at any time.

#include <cstddef>
#include <cstdint>
#include <string>

// Which file a path names: the same identity means the same file, even
// after a rename; another one means the path was given a new file.
struct FOLLOWFILEID {
    std::uint64_t nDevice = 0;
    std::uint64_t nInode = 0;
    friend bool operator==(const FOLLOWFILEID&, const FOLLOWFILEID&) = default;
};

struct FOLLOWFILESTAT {
    bool bExists = false;          // false also when the state could not be asked
    std::uint64_t nSize = 0;       // bytes
    std::int64_t nModifiedNs = 0;  // modification time, nanoseconds since 1970
    FOLLOWFILEID id;
};

struct FOLLOWREAD {
    bool bOk = false;
    FOLLOWFILEID id;       // the identity of the file that was read
    std::string strError;  // the platform's description when !bOk
};

class IFollowFileSystem {
public:
    virtual ~IFollowFileSystem() = default;
    virtual FOLLOWFILESTAT Stat(const std::string& path) = 0;
    // Opens the file, reads at most maxBytes from offset into out (replacing
    // its content; fewer bytes at the end of the file) and closes it.
    virtual FOLLOWREAD ReadRange(const std::string& path, std::uint64_t offset, std::size_t maxBytes,
                                 std::string& out) = 0;
};

class IFollowClock {
public:
    virtual ~IFollowClock() = default;
    // Seconds on a clock that never goes back (its zero is of no meaning).
    virtual double Now() = 0;
};

// The steady clock of the standard library.
class CSteadyFollowClock : public IFollowClock {
public:
    double Now() override;
};
