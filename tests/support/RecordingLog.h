// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A message log for tests: keeps every line (without its time stamp) in
// memory instead of writing a file. Debug lines are kept up to the level
// given at construction.

#include "log/LogFile.h"

#include <string>
#include <vector>

class CRecordingLog : public CLogFile {
public:
    explicit CRecordingLog(unsigned debugLevel = 0) { m_nDebugLevel = debugLevel; }
    int Write(const std::string& message) override {
        m_lines.push_back(message);
        return 1;
    }
    // A line equal to `line`.
    bool Has(const std::string& line) const;
    // A line beginning with `prefix`.
    bool HasPrefix(const std::string& prefix) const;
    // The number of lines equal to `line`.
    int Count(const std::string& line) const;

    std::vector<std::string> m_lines;
};

// Numbers are compared in the "C" locale; the readers and formatters must
// not depend on it, but a test run should not depend on the caller's either.
void PinNumericLocale();
