// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SeriesJob.h"

#include "series/A1TimeSeries.h"
#include "ui/BackgroundRunner.h"

#include <memory>
#include <utility>

namespace {

// A copy of the series without its log lines, which no step reads.
std::shared_ptr<CA1TimeSeries> CopyForStep(CA1TimeSeries& series) {
    CLineArray lines = std::move(series.m_astrLines);
    auto copy = std::make_shared<CA1TimeSeries>(series);
    series.m_astrLines = std::move(lines);
    return copy;
}

}  // namespace

void TakeStepResults(CA1TimeSeries& to, CA1TimeSeries&& from) {
    CLineArray lines = std::move(to.m_astrLines);
    CLogFile* log = to.m_pLog;
    const int tab = to.m_nCurrentTab;
    to = std::move(from);
    to.m_astrLines = std::move(lines);
    to.m_pLog = log;
    to.m_nCurrentTab = tab;
}

bool RunSeriesStep(CBackgroundRunner* runner, CA1TimeSeries& series, const std::string& status, SeriesStep step,
                   SeriesStepDone after) {
    auto copy = CopyForStep(series);
    auto answer = std::make_shared<bool>(false);
    BACKGROUNDJOB job;
    job.strStatus = status;
    job.nSize = series.m_aSamples.size();
    job.pLog = series.m_pLog;
    job.work = [copy, answer, step = std::move(step)](CJobContext& context) {
        copy->m_pLog = &context.Log();
        *answer = step(*copy);
    };
    CA1TimeSeries* target = &series;
    job.finish = [copy, answer, target, after = std::move(after)](CJobContext& context) {
        if (context.Failed()) {
            LogIfAttached(target->m_pLog, "ERROR: " + context.Error());
            return;
        }
        if (context.Cancelled()) return;
        TakeStepResults(*target, std::move(*copy));
        if (after) after(*target, *answer);
    };
    if (!runner) {
        CBackgroundRunner::RunNow(std::move(job));
        return true;
    }
    return runner->Start(std::move(job));
}
