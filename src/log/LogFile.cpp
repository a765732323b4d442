#include "log/LogFile.h"

#include "platform/FileSystem.h"

#include <ctime>

CLogFile::~CLogFile() { Close(); }

int CLogFile::Open(const std::string& path) {
    const std::string& p = path.empty() ? m_strPath : path;
    if (p.empty()) return 0;
    if (m_bOpen) Close();
    std::FILE* f = OpenExclusive(p, FileOpenMode::WriteNoTruncate);
    if (!f) return 0;
    m_file = f;
    m_bOpen = 1;
    m_strPath = AbsoluteFilePath(p);
    return 1;
}

void CLogFile::Close() {
    if (!m_bOpen) return;
    CloseExclusive(m_file);
    m_file = nullptr;
    m_bOpen = 0;
}

std::uint64_t CLogFile::GetLength() {
    const bool wasOpen = m_bOpen != 0;
    if (!wasOpen && !Open(std::string())) return 0;
    std::uint64_t len = 0;
    if (std::fseek(m_file, 0, SEEK_END) == 0) {
        const long pos = std::ftell(m_file);
        if (pos > 0) len = static_cast<std::uint64_t>(pos);
    }
    if (!wasOpen) Close();
    return len;
}

std::string CLogFile::TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm* t = std::localtime(&now)) local = *t;
    char buf[64];
    const std::size_t n = std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &local);
    return std::string(buf, n);
}

int CLogFile::Write(const std::string& message) {
    const bool wasOpen = m_bOpen != 0;
    if (!wasOpen) Open(std::string());
    int result = 0;
    if (m_bOpen) {
        std::fseek(m_file, 0, SEEK_END);
        const std::string line = TimeStamp() + ": " + message;
        const std::string out = "\r\n" + line;
        // A failed write (disk full, I/O error) is not reported as written;
        // the line still reaches the screen.
        const bool written = std::fwrite(out.data(), 1, out.size(), m_file) == out.size();
        if (m_bCollectText) m_strCollectedText += out;
        if (m_echo) m_echo(line);
        result = written ? 1 : 0;
    }
    if (!wasOpen && m_bOpen) {
        if (std::fflush(m_file) != 0) result = 0;
        Close();
    }
    return result;
}

int CLogFile::WriteDebug(unsigned level, const std::string& message) {
    if (level == 0 || level > m_nDebugLevel) return 0;
    std::string text = "DEBUG>";
    for (unsigned i = 0; i < level; ++i) text += "  ";
    return Write(text + message);
}

void CLogFile::ApplySizeCap() {
    if (GetLength() <= kMaxLogLength) return;
    Close();
    if (DeleteFilePath(m_strPath)) {
        Open(std::string());
        Close();
    }
    Write(std::string());
    Write("The previous content of the log file was erased in order to prevent too large log files (max. 2MB).");
    Write(std::string());
}
