// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// --follow: evaluate one log, then keep following it while another program
// appends to it, and evaluate it again after each change (at most every
// --follow-interval seconds) until a stop signal or --until-idle.

#include "cli/CliOptions.h"
#include "cli/CliRun.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class IFollowClock;
class IFollowFileSystem;

// Seconds between two looks at the file.
inline constexpr double kCliFollowPollS = 1.0;

// What the follow loop waits with and reads through, so tests can drive it.
struct CliFollowHooks {
    IFollowFileSystem* pFiles = nullptr;
    IFollowClock* pClock = nullptr;
    // Waits the given seconds; false when the program is to stop.
    std::function<bool(double)> wait;
    double dPollS = kCliFollowPollS;
};

// Follows options.astrFiles[0]; returns the exit status of the last
// evaluation (0 or 1).
int RunCliFollow(const CliOptions& options, std::FILE* out, std::FILE* err, const CliPlatform& platform,
                 const CliFollowHooks& hooks);

// One JSON document on one line (JSON Lines): the writer's line breaks and
// indentation removed (strings hold no raw line break).
std::string CliJsonLine(const std::string& document);

// The tool's entry point: the same as CliMain, plus the following options.
int CliFollowMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, const CliPlatform& platform);
