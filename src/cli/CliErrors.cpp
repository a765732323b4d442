// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliErrors.h"

#include "cli/CliProgress.h"

void CCliErrors::Write(const std::string& message) {
    if (m_pProgress) m_pProgress->Clear();
    std::fprintf(m_stream, "driftwise-cli: %s\n", message.c_str());
    std::fflush(m_stream);
}

void CCliErrors::Fail(const std::string& message) {
    Write(message);
    m_bFailed = true;
}
