// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A clean end on SIGINT and SIGTERM for a program that runs until it is
// told to stop: the first signal only sets a flag that the program polls
// (a second one ends the program as the signal normally does).

// Installs the handlers; the flag starts cleared.
void InstallStopSignalHandlers();
// True once SIGINT or SIGTERM has arrived (or RequestStop was called).
bool StopRequested();
// Sets the flag as a signal would.
void RequestStop();
// Sleeps for the given seconds, or less when a stop is requested meanwhile.
// Returns false when a stop was requested.
bool SleepUnlessStopped(double seconds);
