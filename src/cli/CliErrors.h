// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The batch tool's error stream: every message is one line
// "driftwise-cli: ..." written after the progress display is cleared, so a
// message never shares a line with it. It also remembers that the run failed.

#include <cstdio>
#include <string>

class CCliProgress;

class CCliErrors {
public:
    explicit CCliErrors(std::FILE* stream) : m_stream(stream) {}

    // The progress display to clear before a message (not owned; nullptr: none).
    void SetProgress(CCliProgress* progress) { m_pProgress = progress; }

    // Writes "driftwise-cli: " + message and a line feed; the run has failed.
    void Fail(const std::string& message);
    // The same without failing the run.
    void Write(const std::string& message);

    bool Failed() const { return m_bFailed; }
    std::FILE* Stream() const { return m_stream; }

private:
    std::FILE* m_stream;
    CCliProgress* m_pProgress = nullptr;
    bool m_bFailed = false;
};
