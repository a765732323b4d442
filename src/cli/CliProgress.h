// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one-line progress display of a run over several files: "[12/240] path"
// redrawn in place on a terminal, and cleared before any other message
// reaches the same stream and at the end.

#include <cstdio>
#include <string>

class CCliProgress {
public:
    // Shows nothing unless enabled. columns: the terminal's width (0 unknown);
    // the line is kept shorter, so a carriage return always reaches its start.
    CCliProgress(std::FILE* stream, bool enabled, int total, int columns);
    ~CCliProgress() { Clear(); }
    CCliProgress(const CCliProgress&) = delete;
    CCliProgress& operator=(const CCliProgress&) = delete;

    // Draws "[number/total] path" over the previous line.
    void Show(int number, const std::string& path);
    // Removes the line (before a message, and at the end). Show draws it again.
    void Clear();

    // The text of a line: the path loses its start ("...") when the whole
    // would not fit in the given width; characters are UTF-8 code points.
    static std::string LineText(int number, int total, const std::string& path, int columns);

private:
    std::FILE* m_stream;
    bool m_bEnabled;
    int m_nTotal;
    int m_nColumns;
    std::size_t m_nShown = 0;  // code points on the line now
};

// Whether a run of this many files shows a progress display on the stream.
bool CliProgressWanted(std::FILE* stream, int files);
