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

struct CliFollowOptions {
    bool bFollow = false;
    double dIntervalS = 10.0;  // --follow-interval, 1 ... 3600
    bool bIntervalGiven = false;
    double dUntilIdleS = 0.0;  // --until-idle; used only when bUntilIdle
    bool bUntilIdle = false;
};

inline constexpr double kCliFollowIntervalMin = 1.0;
inline constexpr double kCliFollowIntervalMax = 3600.0;
// Seconds between two looks at the file.
inline constexpr double kCliFollowPollS = 1.0;

// Takes --follow, --follow-interval and --until-idle off the arguments (the
// others stay, in their order; the value of another option is never taken
// for one of them). False, with a one-line message naming the option, for
// a malformed or out-of-range value.
bool TakeCliFollowOptions(std::vector<std::string>& args, CliFollowOptions& follow, std::string& error);

// The --help lines of the following options.
std::string CliFollowUsageText();

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
int RunCliFollow(const CliOptions& options, const CliFollowOptions& follow, std::FILE* out, std::FILE* err,
                 const CliPlatform& platform, const CliFollowHooks& hooks);

// One JSON document on one line (JSON Lines): the writer's line breaks and
// indentation removed (strings hold no raw line break).
std::string CliJsonLine(const std::string& document);

// The tool's entry point: the same as CliMain, plus the following options.
int CliFollowMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, const CliPlatform& platform);
