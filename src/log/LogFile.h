#pragma once
// The program's single message log: every line is appended, time-stamped,
// to Log.txt and collected in memory for the on-screen "Message Log" field.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

class CLogFile {
public:
    CLogFile() = default;
    virtual ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Opens the log for appending (never truncates). An empty argument uses
    // m_strPath; with both empty the result is 0.
    int Open(const std::string& path);
    void Close();
    std::uint64_t GetLength();

    // Appends "\n" + "YYYY/MM/DD HH:MM:SS: " + message. 1 = written.
    virtual int Write(const std::string& message);
    // "DEBUG>" + two blanks per level + message, up to m_nDebugLevel.
    int WriteDebug(unsigned level, const std::string& message);

    // Erases a log larger than kMaxLogLength bytes and writes the cap notice.
    void ApplySizeCap();
    static constexpr std::uint64_t kMaxLogLength = 2097152;

    // Optional observer of every line that was written (with its stamp).
    void SetEcho(std::function<void(const std::string&)> echo) { m_echo = std::move(echo); }

    int m_bOpen = 0;
    std::string m_strPath;
    unsigned m_nDebugLevel = 0;
    int m_bCollectText = 0;
    std::string m_strCollectedText;

protected:
    static std::string TimeStamp();

private:
    std::FILE* m_file = nullptr;
    std::function<void(const std::string&)> m_echo;
};

// Writes through the log only when one is attached.
inline int LogIfAttached(CLogFile* log, const std::string& message) { return log ? log->Write(message) : 0; }
inline int LogDebugIfAttached(CLogFile* log, unsigned level, const std::string& message) {
    return log ? log->WriteDebug(level, message) : 0;
}
