#pragma once
// Copies the log's collected text into the read-only "Message Log" field:
// each update appends only the tail that the field does not show yet, keeps
// the end in view and scrolls back to the first column.

#include <cstddef>
#include <string>

class QPlainTextEdit;

class CLogMirror {
public:
    // Returns true when text was appended.
    bool Update(QPlainTextEdit& field, const std::string& collectedText);
    // Bytes of the collected text shown so far.
    std::size_t Mirrored() const { return m_nMirrored; }

private:
    std::size_t m_nMirrored = 0;
};
