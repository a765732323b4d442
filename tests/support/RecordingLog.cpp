// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RecordingLog.h"

#include <algorithm>
#include <clocale>

bool CRecordingLog::Has(const std::string& line) const {
    return std::find(m_lines.begin(), m_lines.end(), line) != m_lines.end();
}

bool CRecordingLog::HasPrefix(const std::string& prefix) const {
    return std::any_of(m_lines.begin(), m_lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

int CRecordingLog::Count(const std::string& line) const {
    return static_cast<int>(std::count(m_lines.begin(), m_lines.end(), line));
}

void PinNumericLocale() { std::setlocale(LC_ALL, "C"); }
