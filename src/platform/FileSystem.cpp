#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::string LastErrorText() { return std::strerror(errno); }

std::FILE* OpenExclusive(const std::string& path, FileOpenMode mode, std::string* errorText) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case FileOpenMode::Read: flags |= O_RDONLY; break;
    case FileOpenMode::WriteTruncate:
        // Truncation waits until the lock is held, so a locked file is left intact.
        flags |= O_WRONLY | O_CREAT;
        break;
    case FileOpenMode::WriteNoTruncate: flags |= O_WRONLY | O_CREAT; break;
    }
    if (path.empty()) {
        if (errorText) *errorText = std::strerror(ENOENT);
        return nullptr;
    }
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        if (errorText) *errorText = LastErrorText();
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (errorText) *errorText = std::strerror(EISDIR);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (errorText) *errorText = err == EWOULDBLOCK ? "The file is in use by another program." : std::strerror(err);
        return nullptr;
    }
    if (mode == FileOpenMode::WriteTruncate && ::ftruncate(fd, 0) != 0 && S_ISREG(st.st_mode)) {
        const int err = errno;
        ::close(fd);
        if (errorText) *errorText = std::strerror(err);
        return nullptr;
    }
    // fdopen never truncates: "wb" only makes a write stream on the descriptor.
    std::FILE* f = ::fdopen(fd, mode == FileOpenMode::Read ? "rb" : "wb");
    if (!f) {
        if (errorText) *errorText = LastErrorText();
        ::close(fd);
        return nullptr;
    }
    return f;
}

bool CloseExclusive(std::FILE* file, std::string* errorText) {
    if (!file) return true;
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    int err = ok ? 0 : errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok && errorText) *errorText = std::strerror(err ? err : EIO);
    return ok;
}

std::string AbsoluteFilePath(const std::string& path) {
    std::error_code ec;
    auto p = std::filesystem::absolute(path, ec);
    if (ec) return path;
    return p.lexically_normal().string();
}

bool DeleteFilePath(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool CreateFolderPath(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return !ec && std::filesystem::is_directory(path, ec);
}
