// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliProgress.h"

#include "platform/Terminal.h"

namespace {

constexpr int kDefaultColumns = 80;

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t CodePoints(const std::string& text) {
    std::size_t n = 0;
    for (char c : text)
        if (!IsContinuation(c)) ++n;
    return n;
}

}  // namespace

bool CliProgressWanted(std::FILE* stream, int files) { return files > 1 && IsTerminal(stream); }

CCliProgress::CCliProgress(std::FILE* stream, bool enabled, int total, int columns)
    : m_stream(stream), m_bEnabled(enabled && stream), m_nTotal(total),
      m_nColumns(columns > 0 ? columns : kDefaultColumns) {}

std::string CCliProgress::LineText(int number, int total, const std::string& path, int columns) {
    const std::string head = "[" + std::to_string(number) + "/" + std::to_string(total) + "] ";
    // One column stays free: a line that fills the last one wraps on some terminals.
    const std::size_t room = columns > 1 ? static_cast<std::size_t>(columns) - 1 : 0;
    std::string line = head + path;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';  // no control characters on the terminal
    if (CodePoints(line) <= room) return line;
    const std::string ellipsis = "...";
    if (room <= head.size() + ellipsis.size()) return head.substr(0, room);
    std::string tail = line.substr(head.size());
    std::size_t keep = CodePoints(tail);
    const std::size_t want = room - head.size() - ellipsis.size();
    std::size_t cut = 0;
    while (keep > want && cut < tail.size()) {
        ++cut;
        while (cut < tail.size() && IsContinuation(tail[cut])) ++cut;
        --keep;
    }
    return head + ellipsis + tail.substr(cut);
}

void CCliProgress::Show(int number, const std::string& path) {
    if (!m_bEnabled) return;
    const std::string line = LineText(number, m_nTotal, path, m_nColumns);
    const std::size_t shown = CodePoints(line);
    std::string text = "\r" + line;
    if (shown < m_nShown) text.append(m_nShown - shown, ' ').append("\r" + line);
    std::fputs(text.c_str(), m_stream);
    std::fflush(m_stream);
    m_nShown = shown;
}

void CCliProgress::Clear() {
    if (!m_bEnabled || m_nShown == 0) return;
    std::fputs(("\r" + std::string(m_nShown, ' ') + "\r").c_str(), m_stream);
    std::fflush(m_stream);
    m_nShown = 0;
}
