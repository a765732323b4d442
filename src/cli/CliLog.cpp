#include "cli/CliLog.h"

CCliLog::CCliLog(const std::string& path, std::FILE* echo) : m_echo(echo) {
    m_bCollectText = 0;
    m_nDebugLevel = 0;
    if (!path.empty()) {
        m_bFileUsable = Open(path) != 0;
        if (m_bFileUsable) Close();
        else m_strPath = path;
    }
}

int CCliLog::Write(const std::string& message) {
    bool echoed = false;
    if (m_echo) {
        // The echo receives the line with the very stamp the file gets.
        SetEcho([this, &echoed](const std::string& stamped) {
            if (m_beforeEcho) m_beforeEcho();
            std::fprintf(m_echo, "%s\n", stamped.c_str());
            echoed = true;
        });
    }
    const int written = m_strPath.empty() ? 0 : CLogFile::Write(message);
    SetEcho(nullptr);
    if (m_echo && !echoed && m_beforeEcho) m_beforeEcho();
    if (m_echo && !echoed) std::fprintf(m_echo, "%s: %s\n", TimeStamp().c_str(), message.c_str());
    return (written != 0 || m_echo != nullptr) ? 1 : 0;
}
