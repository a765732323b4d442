#pragma once
// A message log for tests: records every message instead of writing a file.

#include "log/LogFile.h"

#include <clocale>
#include <string>
#include <vector>

class CRecordingLog : public CLogFile {
public:
    explicit CRecordingLog(unsigned debugLevel = 0) { m_nDebugLevel = debugLevel; }
    int Write(const std::string& message) override {
        m_astrMessages.push_back(message);
        return 1;
    }
    std::vector<std::string> m_astrMessages;
};

// Numbers are compared in the "C" locale; the readers and formatters must
// not depend on it, but a test run should not depend on the caller's either.
inline void PinNumericLocale() { std::setlocale(LC_ALL, "C"); }
