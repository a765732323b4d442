// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/WriterSimulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

std::vector<WRITERWRITE> PlanWrites(std::string_view text, const WRITERPLAN& plan) {
    std::vector<WRITERWRITE> writes;
    const int perWrite = plan.nLinesPerWrite < 1 ? 1 : plan.nLinesPerWrite;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // The end of perWrite lines from pos (or the end of the text).
        std::size_t end = pos, lastStart = pos;
        for (int i = 0; i < perWrite && end < text.size(); ++i) {
            lastStart = end;
            const std::size_t lf = text.find('\n', end);
            end = lf == std::string_view::npos ? text.size() : lf + 1;
        }
        if (plan.bSplitLines && end - lastStart >= 2) {
            const std::size_t length = end - lastStart;
            const auto first = static_cast<std::size_t>(static_cast<double>(length) * plan.dSplitAt);
            const std::size_t middle = lastStart + std::clamp<std::size_t>(first, 1, length - 1);
            writes.push_back({std::string(text.substr(pos, middle - pos)), plan.dPauseS});
            writes.push_back({std::string(text.substr(middle, end - middle)), plan.dPauseS});
        } else {
            writes.push_back({std::string(text.substr(pos, end - pos)), plan.dPauseS});
        }
        pos = end;
    }
    return writes;
}

bool AppendWrites(const std::string& path, const std::vector<WRITERWRITE>& writes) {
    for (const WRITERWRITE& w : writes) {
        std::FILE* file = std::fopen(path.c_str(), "ab");
        if (!file) return false;
        const bool ok = std::fwrite(w.strBytes.data(), 1, w.strBytes.size(), file) == w.strBytes.size();
        if (std::fclose(file) != 0 || !ok) return false;
        if (w.dPauseAfterS > 0) std::this_thread::sleep_for(std::chrono::duration<double>(w.dPauseAfterS));
    }
    return true;
}
