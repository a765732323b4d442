// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileReader.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

class CLocalFileReader : public IFileReader {
public:
    explicit CLocalFileReader(std::FILE* file) : m_file(file) {}
    ~CLocalFileReader() override { CloseExclusive(m_file); }
    CLocalFileReader(const CLocalFileReader&) = delete;
    CLocalFileReader& operator=(const CLocalFileReader&) = delete;

    bool Read(char* buffer, std::size_t size, std::size_t& got, std::string& errorText) override {
        got = std::fread(buffer, 1, size, m_file);
        if (got < size && std::ferror(m_file)) {
            errorText = std::strerror(errno ? errno : EIO);
            return false;
        }
        return true;
    }

    std::size_t SizeHint() const override {
        struct stat st {};
        if (::fstat(::fileno(m_file), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return 0;
        return static_cast<std::size_t>(st.st_size);
    }

private:
    std::FILE* m_file;
};

class CLocalFileSystem : public IFileSystem {
public:
    std::unique_ptr<IFileReader> OpenRead(const std::string& path, std::string& errorText) override {
        std::FILE* file = OpenExclusive(path, FileOpenMode::Read, &errorText);
        if (!file) return nullptr;
        return std::make_unique<CLocalFileReader>(file);
    }
};

}  // namespace

IFileSystem& LocalFileSystem() {
    static CLocalFileSystem files;
    return files;
}
