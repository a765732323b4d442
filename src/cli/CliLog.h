#pragma once
// The batch tool's message log: the same time-stamped lines as Log.txt,
// appended to the --log file when one is given and printed to standard
// error with --verbose. Without either, messages go nowhere.

#include "log/LogFile.h"

#include <cstdio>
#include <functional>
#include <utility>

class CCliLog : public CLogFile {
public:
    // path: the --log file or empty; echo: stream for --verbose or nullptr.
    CCliLog(const std::string& path, std::FILE* echo);
    int Write(const std::string& message) override;

    // False when a log file was given but could not be opened.
    bool FileUsable() const { return m_bFileUsable; }

    // Called before a line is printed to the --verbose stream (the run's
    // progress display clears its line there).
    void SetBeforeEcho(std::function<void()> before) { m_beforeEcho = std::move(before); }

private:
    std::FILE* m_echo;
    bool m_bFileUsable = true;
    std::function<void()> m_beforeEcho;
};
