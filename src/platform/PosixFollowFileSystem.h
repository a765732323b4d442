// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file system of a log follower on POSIX systems: stat() for the state,
// and for each read an open, pread() and close, without any lock.

#include "follow/FollowFileSystem.h"

class CPosixFollowFileSystem : public IFollowFileSystem {
public:
    FOLLOWFILESTAT Stat(const std::string& path) override;
    FOLLOWREAD ReadRange(const std::string& path, std::uint64_t offset, std::size_t maxBytes,
                         std::string& out) override;
};
