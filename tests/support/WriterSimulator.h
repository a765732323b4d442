// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A log writer for the following tests: cuts a log text into the writes a
// corrector would make (whole lines, bursts, lines split in two writes) and
// appends them to a real file with pauses between them.

#include <string>
#include <string_view>
#include <vector>

struct WRITERWRITE {
    std::string strBytes;
    double dPauseAfterS = 0.0;  // the writer's pause after this write
};

struct WRITERPLAN {
    int nLinesPerWrite = 1;    // whole lines per write (the last write takes the rest)
    bool bSplitLines = false;  // each write's last line goes out in two writes
    double dSplitAt = 0.5;     // ... the first one with this share of its bytes
    double dPauseS = 0.0;      // pause after each write
};

// The writes of a text by the plan; their bytes joined are the text.
std::vector<WRITERWRITE> PlanWrites(std::string_view text, const WRITERPLAN& plan);

// Appends each write to the file (opening and closing it for every write,
// as a corrector does) and sleeps its pause. False when a write failed.
bool AppendWrites(const std::string& path, const std::vector<WRITERWRITE>& writes);
