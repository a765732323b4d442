// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliFollow.h"

#include "cli/CliErrors.h"

#include "cli/CliExport.h"
#include "cli/CliLog.h"
#include "cli/CliSummary.h"
#include "follow/LogFollower.h"
#include "platform/FileSystem.h"
#include "platform/PosixFollowFileSystem.h"
#include "platform/StopSignals.h"
#include "text/Format.h"
#include "text/Parse.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string_view>

namespace {

// The options of the main table that take a value: their value is never
// one of the following options, even when it looks like one.
}  // namespace

std::string CliJsonLine(const std::string& document) {
    std::string line;
    line.reserve(document.size());
    for (std::size_t i = 0; i < document.size(); ++i) {
        if (document[i] != '\n') {
            line += document[i];
            continue;
        }
        while (i + 1 < document.size() && document[i + 1] == ' ') ++i;
    }
    return line;
}

namespace {

// One evaluation of the followed file and its output.
class CFollowOutput {
public:
    CFollowOutput(const CliOptions& options, std::FILE* out, std::FILE* err, CCliLog& log,
                  std::optional<CCliExporter>& exporter)
        : m_options(options), m_out(out), m_err(err), m_log(log), m_exporter(exporter) {}

    // Opens the summary file (emptied, with its header); false when it cannot be written.
    bool StartSummary();
    // Evaluates the series of the follower and writes what a run without
    // --follow writes; returns the exit status of that run.
    int Evaluate(const CLogFollower& follower);

private:
    std::string SummaryRows(CliFileOutcome& outcome) const;
    bool AppendSummary(const std::string& text);

    const CliOptions& m_options;
    std::FILE* m_out;
    std::FILE* m_err;
    CCliLog& m_log;
    std::optional<CCliExporter>& m_exporter;
    bool m_bHeaderDone = false;
};

std::string SummaryHeader() {
    std::string header = CliSummaryHeader();
    header.pop_back();
    return header + ",provisional\n";
}

bool CFollowOutput::StartSummary() {
    if (m_options.strSummaryFile.empty() || m_options.strSummaryFile == "-") return true;
    std::string error;
    std::FILE* file = OpenExclusive(m_options.strSummaryFile, FileOpenMode::WriteTruncate, &error);
    if (!file) {
        std::fprintf(m_err, "driftwise-cli: cannot write the summary %s: %s\n", m_options.strSummaryFile.c_str(),
                     error.c_str());
        return false;
    }
    const std::string header = SummaryHeader();
    const bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    if (!CloseExclusive(file, &error) || !written) {
        std::fprintf(m_err, "driftwise-cli: cannot write the summary %s: %s\n", m_options.strSummaryFile.c_str(),
                     error.c_str());
        return false;
    }
    m_bHeaderDone = true;
    return true;
}

bool CFollowOutput::AppendSummary(const std::string& text) {
    std::string error;
    std::FILE* file = OpenExclusive(m_options.strSummaryFile, FileOpenMode::WriteNoTruncate, &error);
    bool ok =
        file && std::fseek(file, 0, SEEK_END) == 0 && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && !CloseExclusive(file, &error)) ok = false;
    if (!ok)
        std::fprintf(m_err, "driftwise-cli: cannot write the summary %s: %s\n", m_options.strSummaryFile.c_str(),
                     error.empty() ? LastErrorText().c_str() : error.c_str());
    return ok;
}

// The summary rows with the provisional column: one series at a time, so
// a row's end is known whatever its cells hold.
std::string CFollowOutput::SummaryRows(CliFileOutcome& o) const {
    std::string rows;
    CliFileOutcome one;
    one.strPath = o.strPath;
    one.import = o.import;
    for (std::size_t i = 0; i < o.aSeries.size(); ++i) {
        one.aSeries.clear();
        one.aSeries.push_back(std::move(o.aSeries[i]));
        one.anIndex = {o.anIndex[i]};
        one.aEval = {i < o.aEval.size() ? o.aEval[i] : CliEvaluation{}};
        std::string row = CliSummaryRows(one);
        o.aSeries[i] = std::move(one.aSeries[0]);
        row.pop_back();
        const bool provisional = i < o.abProvisional.size() && o.abProvisional[i];
        rows += row + (provisional ? ",1\n" : ",0\n");
    }
    return rows;
}

int CFollowOutput::Evaluate(const CLogFollower& follower) {
    int status = 0;
    CliFileOutcome o;
    o.strPath = m_options.astrFiles.front();
    o.import = follower.LastImport();
    o.import.nImportType = follower.ImportType();
    const std::vector<CA1TimeSeries>& series = follower.Series();
    o.import.nSeriesAdded = static_cast<int>(series.size());
    if (series.empty()) {
        o.strError = o.import.strError.empty() ? "No series found." : o.import.strError;
    } else if (m_options.nSeries > static_cast<int>(series.size())) {
        o.strError = FormatText("The file holds %d series; there is no series %d.", static_cast<int>(series.size()),
                                m_options.nSeries);
    } else {
        for (std::size_t i = 0; i < series.size(); ++i) {
            if (m_options.nSeries > 0 && static_cast<int>(i) + 1 != m_options.nSeries) continue;
            o.aSeries.push_back(series[i]);
            o.aSeries.back().m_pLog = &m_log;
            o.anIndex.push_back(static_cast<int>(i) + 1);
            o.abProvisional.push_back(follower.IsProvisional(i));
        }
    }
    if (!o.strError.empty()) {
        std::fprintf(m_err, "driftwise-cli: %s: %s\n", o.strPath.c_str(), o.strError.c_str());
        status = 1;
    } else {
        EvaluateCliFile(o, m_options);
        CCliErrors errors(m_err);
        if (m_exporter && !m_exporter->ExportFile(o, errors)) status = 1;
    }

    std::string text;
    const bool summaryToOut = m_options.strSummaryFile == "-";
    if (!m_options.strSummaryFile.empty()) {
        std::string rows = SummaryRows(o);
        if (summaryToOut) {
            if (!m_bHeaderDone) rows = SummaryHeader() + rows;
            m_bHeaderDone = true;
            if (!m_options.bJson) text = rows;
        } else if (!AppendSummary(rows)) {
            status = 1;
        }
    }
    if (m_options.bJson) text = CliJsonLine(CliJsonDocument({o})) + "\n";
    else if (m_options.strSummaryFile.empty()) text = CliReportText({o});
    if (std::fwrite(text.data(), 1, text.size(), m_out) != text.size() || std::fflush(m_out) != 0) {
        std::fprintf(m_err, "driftwise-cli: cannot write the output\n");
        status = 1;
    }
    return status;
}

}  // namespace

int RunCliFollow(const CliOptions& options, std::FILE* out, std::FILE* err, const CliPlatform& platform,
                 const CliFollowHooks& hooks) {
    CCliLog log(options.strLogFile, options.bVerbose ? err : nullptr);
    bool failed = false;
    if (!log.FileUsable()) {
        std::fprintf(err, "driftwise-cli: cannot open the log file %s\n", options.strLogFile.c_str());
        failed = true;
    }
    std::optional<CCliExporter> exporter;
    if (!options.strExportDir.empty()) {
        exporter.emplace(options, &log, platform.pText, platform.pEncoder, platform.pPdf);
        CCliErrors errors(err);
        if (!exporter->Prepare(errors)) {
            exporter.reset();
            failed = true;
        }
    }
    CFollowOutput output(options, out, err, log, exporter);
    if (!output.StartSummary()) failed = true;

    const std::string& path = options.astrFiles.front();
    FOLLOWSETTINGS settings;
    settings.strPath = AbsoluteFilePath(path);
    settings.nImportType = options.nImportType;
    settings.nMirror = options.nMirror;
    settings.dRotationDeg = options.dRotationDeg;
    IFollowClock& clock = *hooks.pClock;
    CLogFollower follower(settings, *hooks.pFiles, clock, &log);
    follower.Poll();
    if (follower.Gone()) {
        std::fprintf(err, "driftwise-cli: %s: Failed to open the file: it does not exist\n", path.c_str());
        return 1;
    }
    int status = output.Evaluate(follower);
    double lastEvaluation = clock.Now();
    bool pending = false;
    while (hooks.wait(hooks.dPollS)) {
        if (follower.Poll().bSeriesChanged) pending = true;
        const double now = clock.Now();
        if (options.follow.bUntilIdle && now - follower.LastGrowth() >= options.follow.dUntilIdleS) {
            // The writer has finished: a last line without its end counts.
            if (follower.Finish().bSeriesChanged) pending = true;
            if (pending) status = output.Evaluate(follower);
            break;
        }
        if (pending && now - lastEvaluation >= options.follow.dIntervalS) {
            status = output.Evaluate(follower);
            lastEvaluation = clock.Now();
            pending = false;
        }
    }
    return failed || status != 0 ? 1 : 0;
}

int CliFollowMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, const CliPlatform& platform) {
    const CliParseResult parsed = ParseCliOptions(args);
    if (!parsed.bOk || parsed.options.action != CliOptions::Action::Run || !parsed.options.follow.bFollow)
        return CliMain(args, out, err, platform);
    auto usageError = [err](const std::string& message) {
        std::fprintf(err, "driftwise-cli: %s (see driftwise-cli --help)\n", message.c_str());
        return 2;
    };
    const CliOptions& options = parsed.options;
    if (options.astrFiles.size() != 1) return usageError("--follow: expected one log file");
    std::error_code ec;
    if (std::filesystem::is_directory(options.astrFiles.front(), ec))
        return usageError("--follow: expected a log file, not a folder");

    // Emptying the summary would empty the followed log.
    if (!options.strSummaryFile.empty() && options.strSummaryFile != "-" &&
        std::filesystem::equivalent(options.strSummaryFile, options.astrFiles.front(), ec)) {
        std::fprintf(err, "driftwise-cli: --summary %s is the log %s; it is not overwritten\n",
                     options.strSummaryFile.c_str(), options.astrFiles.front().c_str());
        return 1;
    }

    InstallStopSignalHandlers();
    CPosixFollowFileSystem files;
    CSteadyFollowClock clock;
    CliFollowHooks hooks;
    hooks.pFiles = &files;
    hooks.pClock = &clock;
    hooks.wait = [](double seconds) { return SleepUnlessStopped(seconds); };
    return RunCliFollow(options, out, err, platform, hooks);
}
