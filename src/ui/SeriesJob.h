// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An evaluation step of one series as a job of the background runner: the
// step runs on a copy of the series (its log lines collected by the job),
// and on the GUI thread the copy's results replace those of the series.

#include <functional>
#include <string>

class CA1TimeSeries;
class CBackgroundRunner;

// What the step does with the copy; its answer goes to `after`.
using SeriesStep = std::function<bool(CA1TimeSeries& copy)>;
// Runs on the GUI thread after the results were applied to the series.
using SeriesStepDone = std::function<void(CA1TimeSeries& series, bool answer)>;

// Runs `step` on a copy of the series through the runner (at once on this
// thread without a runner) and then `after`. The series must stay in place
// until then (the window refuses the commands that would move it while the
// runner is busy). False when the runner was busy and nothing ran.
bool RunSeriesStep(CBackgroundRunner* runner, CA1TimeSeries& series, const std::string& status, SeriesStep step,
                   SeriesStepDone after);

// Takes the evaluation results of `from` into `to`; the lines, the log and
// the tab of `to` stay (the window owns them while a step runs).
void TakeStepResults(CA1TimeSeries& to, CA1TimeSeries&& from);
