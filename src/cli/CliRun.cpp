#include "cli/CliRun.h"

#include "Version.h"
#include "boot/UncertaintyText.h"
#include "cli/CliExport.h"
#include "cli/CliInputs.h"
#include "cli/CliIntervals.h"
#include "cli/CliLog.h"
#include "cli/CliProgress.h"
#include "cli/CliSummary.h"
#include "eval/Report.h"
#include "files/FileErrorReporter.h"
#include "platform/FileLock.h"
#include "platform/Terminal.h"
#include "text/Format.h"

#include <algorithm>
#include <optional>

CliFileOutcome ImportCliFile(const std::string& path, const CliOptions& options, CLogFile* log) {
    CliFileOutcome outcome;
    outcome.strPath = path;
    ImportRequest request;
    request.strPath = AbsoluteFilePath(path);
    request.nMirror = options.nMirror;
    request.dRotationDeg = options.dRotationDeg;
    request.pLog = log;
    std::vector<CA1TimeSeries> list;
    outcome.import = ImportLogFile(request, options.nImportType, list);
    if (!outcome.import.Ok()) {
        outcome.strError = outcome.import.strError.empty() ? "No series found." : outcome.import.strError;
        return outcome;
    }
    if (options.nSeries > 0) {
        if (options.nSeries > static_cast<int>(list.size())) {
            outcome.strError = FormatText("The file holds %d series; there is no series %d.",
                                          static_cast<int>(list.size()), options.nSeries);
            return outcome;
        }
        outcome.aSeries.push_back(std::move(list[static_cast<std::size_t>(options.nSeries) - 1]));
        outcome.anIndex.push_back(options.nSeries);
        return outcome;
    }
    for (std::size_t i = 0; i < list.size(); ++i) outcome.anIndex.push_back(static_cast<int>(i) + 1);
    outcome.aSeries = std::move(list);
    return outcome;
}

void EvaluateCliFile(CliFileOutcome& outcome, const CliOptions& options) {
    outcome.aEval.clear();
    // The JSON and the summary table both give the probability lifetimes:
    // worked out once when either is asked for.
    const bool keepLimits = options.bJson || !options.strSummaryFile.empty();
    for (CA1TimeSeries& series : outcome.aSeries) {
        CliEvaluation evaluation = EvaluateCliSeries(series, options);
        if (keepLimits && series.CharFuncValid > 0 && series.ModelValid > 0)
            evaluation.limits = ModelLifetimeLimits(series, series.Tolerance);
        if (options.bIntervals && evaluation.bFitRun)
            evaluation.intervals = CliComputeIntervals(series, options, evaluation.nSeed);
        outcome.aEval.push_back(evaluation);
    }
}

std::string CliReportText(const std::vector<CliFileOutcome>& outcomes) {
    std::string text;
    for (const CliFileOutcome& o : outcomes)
        for (std::size_t i = 0; i < o.aSeries.size(); ++i) {
            text += "== " + o.strPath + FormatText(" series %d\n", o.anIndex[i]);
            text += BuildStabilityReport(o.aSeries[i]);
            // With --intervals the "Uncertainty" block follows the report.
            if (i < o.aEval.size() && o.aEval[i].intervals) text += BuildUncertaintyBlock(*o.aEval[i].intervals);
            text += '\n';
        }
    return text;
}

namespace {

// File errors during reading and writing, on the tool's error stream.
class CCliFileErrorReporter : public IFileErrorReporter {
public:
    explicit CCliFileErrorReporter(std::FILE* err) : m_err(err) {}
    // The progress display to clear before a message (not owned).
    void SetProgress(CCliProgress* progress) { m_pProgress = progress; }
    void ReportFileError(const std::string& path, const std::string& errorText) override {
        if (m_pProgress) m_pProgress->Clear();
        std::fprintf(m_err, "driftwise-cli: File error [%s]: %s\n", path.c_str(), errorText.c_str());
        std::fflush(m_err);
    }

private:
    std::FILE* m_err;
    CCliProgress* m_pProgress = nullptr;
};

// Installs a reporter for the lifetime of the object.
class CReporterScope {
public:
    explicit CReporterScope(IFileErrorReporter* reporter) : m_pPrevious(SetFileErrorReporter(reporter)) {}
    ~CReporterScope() { SetFileErrorReporter(m_pPrevious); }
    CReporterScope(const CReporterScope&) = delete;
    CReporterScope& operator=(const CReporterScope&) = delete;

private:
    IFileErrorReporter* m_pPrevious;
};

}  // namespace

int RunCli(const CliOptions& options, std::FILE* out, std::FILE* err, const CliPlatform& platform) {
    CCliFileErrorReporter reporter(err);
    const CReporterScope reporterScope(&reporter);
    CCliLog log(options.strLogFile, options.bVerbose ? err : nullptr);
    bool failed = false;
    if (!log.FileUsable()) {
        std::fprintf(err, "driftwise-cli: cannot open the log file %s\n", options.strLogFile.c_str());
        failed = true;
    }

    std::optional<CCliExporter> exporter;
    if (!options.strExportDir.empty()) {
        exporter.emplace(options, &log, platform.pText, platform.pEncoder);
        if (!exporter->Prepare(err)) {
            // Nothing can be exported; the evaluation and its output go on.
            exporter.reset();
            failed = true;
        }
    }

    const std::vector<CliInput> inputs = ExpandCliArguments(options.astrFiles, options.nImportType, &log);
    // The summary file is opened after the folder walk (which so never meets it
    // locked) and before the evaluation, so a bad name fails at once.
    std::FILE* summary = nullptr;
    const bool summaryToOut = options.strSummaryFile == "-";
    if (!options.strSummaryFile.empty() && !summaryToOut) {
        std::string error;
        if (const CliInput* log = FindSameFile(inputs, options.strSummaryFile)) {
            // Opening the summary would empty that log before it is read.
            std::fprintf(err, "driftwise-cli: --summary %s is the log %s; it is not overwritten\n",
                         options.strSummaryFile.c_str(), log->strPath.c_str());
            failed = true;
        } else if (summary = OpenExclusive(options.strSummaryFile, FileOpenMode::WriteTruncate, &error); !summary) {
            std::fprintf(err, "driftwise-cli: cannot write the summary %s: %s\n", options.strSummaryFile.c_str(),
                         error.c_str());
            failed = true;
        }
    }

    // A progress line on a terminal, cleared before every other message.
    const int files = static_cast<int>(
        std::count_if(inputs.begin(), inputs.end(), [](const CliInput& input) { return input.strError.empty(); }));
    CCliProgress progress(err, CliProgressWanted(err, files), files, TerminalColumns(err));
    reporter.SetProgress(&progress);
    log.SetBeforeEcho([&progress] { progress.Clear(); });
    int fileNumber = 0;

    std::vector<CliFileOutcome> outcomes;
    outcomes.reserve(inputs.size());
    for (const CliInput& input : inputs) {
        if (input.strError.empty()) {
            progress.Show(++fileNumber, input.strPath);
            outcomes.push_back(ImportCliFile(input.strPath, options, &log));
        } else {
            outcomes.emplace_back();
            outcomes.back().strPath = input.strPath;
            outcomes.back().strError = input.strError;
        }
        CliFileOutcome& o = outcomes.back();
        if (!o.strError.empty()) {
            progress.Clear();
            std::fprintf(err, "driftwise-cli: %s: %s\n", o.strPath.c_str(), o.strError.c_str());
            failed = true;
            continue;
        }
        for (CA1TimeSeries& series : o.aSeries) series.m_pLog = &log;
        EvaluateCliFile(o, options);
        if (exporter) {
            progress.Clear();  // the export names its failures on the same stream
            if (!exporter->ExportFile(o, err)) failed = true;
        }
    }
    progress.Clear();
    reporter.SetProgress(nullptr);
    log.SetBeforeEcho(nullptr);

    if (summary) {
        const std::string table = CliSummaryTable(outcomes, options.bIntervals);
        std::string error;
        const bool written = std::fwrite(table.data(), 1, table.size(), summary) == table.size();
        if (!CloseExclusive(summary, &error) || !written) {
            std::fprintf(err, "driftwise-cli: cannot write the summary %s: %s\n", options.strSummaryFile.c_str(),
                         error.empty() ? LastErrorText().c_str() : error.c_str());
            failed = true;
        }
    }

    // With --summary the reports are not printed; the JSON document still is.
    std::string text;
    if (options.bJson) text = CliJsonDocument(outcomes);
    else if (summaryToOut) text = CliSummaryTable(outcomes, options.bIntervals);
    else if (options.strSummaryFile.empty()) text = CliReportText(outcomes);
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0) {
        std::fprintf(err, "driftwise-cli: cannot write the output\n");
        failed = true;
    }
    return failed ? 1 : 0;
}

int CliMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, const CliPlatform& platform) {
    const CliParseResult parsed = ParseCliOptions(args);
    if (!parsed.bOk) {
        std::fprintf(err, "driftwise-cli: %s (see driftwise-cli --help)\n", parsed.strError.c_str());
        return 2;
    }
    switch (parsed.options.action) {
    case CliOptions::Action::Help: std::fputs(CliUsageText().c_str(), out); return 0;
    case CliOptions::Action::Version: std::fprintf(out, "%s\n", kVersionText); return 0;
    case CliOptions::Action::Run: break;
    }
    return RunCli(parsed.options, out, err, platform);
}
