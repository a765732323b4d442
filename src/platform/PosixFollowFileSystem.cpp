// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PosixFollowFileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FOLLOWFILEID IdentityOf(const struct stat& st) {
    FOLLOWFILEID id;
    id.nDevice = static_cast<std::uint64_t>(st.st_dev);
    id.nInode = static_cast<std::uint64_t>(st.st_ino);
    return id;
}

}  // namespace

FOLLOWFILESTAT CPosixFollowFileSystem::Stat(const std::string& path) {
    FOLLOWFILESTAT result;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return result;
    result.bExists = true;
    result.nSize = static_cast<std::uint64_t>(st.st_size);
    result.nModifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    result.id = IdentityOf(st);
    return result;
}

FOLLOWREAD CPosixFollowFileSystem::ReadRange(const std::string& path, std::uint64_t offset, std::size_t maxBytes,
                                             std::string& out) {
    FOLLOWREAD result;
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.strError = std::strerror(errno);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.strError = std::strerror(errno);
        ::close(fd);
        return result;
    }
    result.id = IdentityOf(st);
    out.resize(maxBytes);
    std::size_t got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::pread(fd, out.data() + got, maxBytes - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            result.strError = std::strerror(errno);
            ::close(fd);
            out.clear();
            return result;
        }
        if (n == 0) break;  // the end of the file
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    ::close(fd);
    result.bOk = true;
    return result;
}
