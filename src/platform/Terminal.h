// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the batch tool needs to know about a terminal on a standard stream.

#include <cstdio>

// True when the stream writes to a terminal.
bool IsTerminal(std::FILE* stream);

// Width of the terminal of the stream in columns, or 0 when it is unknown.
int TerminalColumns(std::FILE* stream);
