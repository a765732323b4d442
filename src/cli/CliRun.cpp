#include "cli/CliRun.h"

#include "Version.h"
#include "boot/UncertaintyText.h"
#include "cli/CliErrors.h"
#include "cli/CliExport.h"
#include "cli/CliInputs.h"
#include "cli/CliIntervals.h"
#include "cli/CliLog.h"
#include "cli/CliProgress.h"
#include "cli/CliSummary.h"
#include "eval/Report.h"
#include "files/FileErrorReporter.h"
#include "platform/FileSystem.h"
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
        if (keepLimits && HasModel(series)) evaluation.limits = ModelLifetimeLimits(series, series.Tolerance);
        if (options.bIntervals && evaluation.bFitRun)
            evaluation.intervals = CliComputeIntervals(series, options, evaluation.nSeed);
        outcome.aEval.push_back(evaluation);
    }
}

std::string CliReportText(const CliFileOutcome& o) {
    std::string text;
    for (std::size_t i = 0; i < o.aSeries.size(); ++i) {
        text += "== " + o.strPath + FormatText(" series %d\n", o.anIndex[i]);
        text += BuildStabilityReport(o.aSeries[i]);
        // With --intervals the "Uncertainty" block follows the report.
        if (i < o.aEval.size() && o.aEval[i].intervals) text += BuildUncertaintyBlock(*o.aEval[i].intervals);
        text += '\n';
    }
    return text;
}

std::string CliReportText(const std::vector<CliFileOutcome>& outcomes) {
    std::string text;
    for (const CliFileOutcome& o : outcomes) text += CliReportText(o);
    return text;
}

namespace {

// File errors during reading and writing, on the tool's error stream.
class CCliFileErrorReporter : public IFileErrorReporter {
public:
    explicit CCliFileErrorReporter(CCliErrors& errors) : m_errors(errors) {}
    void ReportFileError(const std::string& path, const std::string& errorText) override {
        m_errors.Write("File error [" + path + "]: " + errorText);
    }

private:
    CCliErrors& m_errors;
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

// The summary file, opened after the folder walk (which so never meets it
// locked) and before the evaluation, so a bad name fails at once. nullptr
// without one (or for standard output) and when it cannot be opened.
std::FILE* OpenSummary(const CliOptions& options, const std::vector<CliInput>& inputs, CCliErrors& errors) {
    if (options.strSummaryFile.empty() || options.strSummaryFile == "-") return nullptr;
    if (const CliInput* log = FindSameFile(inputs, options.strSummaryFile)) {
        // Opening the summary would empty that log before it is read.
        errors.Fail("--summary " + options.strSummaryFile + " is the log " + log->strPath + "; it is not overwritten");
        return nullptr;
    }
    std::string error;
    std::FILE* summary = OpenExclusive(options.strSummaryFile, FileOpenMode::WriteTruncate, &error);
    if (!summary) errors.Fail("cannot write the summary " + options.strSummaryFile + ": " + error);
    return summary;
}

// What the run writes, gathered file by file. Only the JSON document needs
// the evaluated series at the end; the summary rows and the reports are made
// as each file is done and its series let go, so a run over an archive holds
// one log at a time.
struct CliRunOutput {
    std::vector<CliFileOutcome> outcomes;  // the series only with --json
    std::string strSummaryRows;
    std::string strReports;
};

// Imports, evaluates and exports every input in turn, with a progress line
// on a terminal.
CliRunOutput EvaluateInputs(const std::vector<CliInput>& inputs, const CliOptions& options, CCliLog& log,
                            CCliExporter* exporter, CCliErrors& errors) {
    const int files = static_cast<int>(
        std::count_if(inputs.begin(), inputs.end(), [](const CliInput& input) { return input.strError.empty(); }));
    CCliProgress progress(errors.Stream(), CliProgressWanted(errors.Stream(), files), files,
                          TerminalColumns(errors.Stream()));
    errors.SetProgress(&progress);
    log.SetBeforeEcho([&progress] { progress.Clear(); });
    int fileNumber = 0;

    CliRunOutput output;
    output.outcomes.reserve(inputs.size());
    for (const CliInput& input : inputs) {
        if (input.strError.empty()) {
            progress.Show(++fileNumber, input.strPath);
            output.outcomes.push_back(ImportCliFile(input.strPath, options, &log));
        } else {
            output.outcomes.emplace_back();
            output.outcomes.back().strPath = input.strPath;
            output.outcomes.back().strError = input.strError;
        }
        CliFileOutcome& o = output.outcomes.back();
        if (!o.strError.empty()) {
            errors.Fail(o.strPath + ": " + o.strError);
            continue;
        }
        for (CA1TimeSeries& series : o.aSeries) series.m_pLog = &log;
        EvaluateCliFile(o, options);
        if (exporter) exporter->ExportFile(o, errors);
        if (!options.strSummaryFile.empty()) output.strSummaryRows += CliSummaryRows(o, &options);
        else if (!options.bJson) output.strReports += CliReportText(o);
        if (!options.bJson) {
            std::vector<CA1TimeSeries>().swap(o.aSeries);
            std::vector<CliEvaluation>().swap(o.aEval);
        }
    }
    progress.Clear();
    errors.SetProgress(nullptr);
    log.SetBeforeEcho(nullptr);
    return output;
}

void WriteSummary(std::FILE* summary, const CliRunOutput& output, const CliOptions& options, CCliErrors& errors) {
    const std::string table = CliSummaryHeader(&options) + output.strSummaryRows;
    std::string error;
    const bool written = std::fwrite(table.data(), 1, table.size(), summary) == table.size();
    if (!CloseExclusive(summary, &error) || !written)
        errors.Fail("cannot write the summary " + options.strSummaryFile + ": " +
                    (error.empty() ? LastErrorText() : error));
}

// The standard output: the JSON document, the summary table for "-", or
// the reports. With --summary FILE the reports are not printed.
void WriteOutput(std::FILE* out, const CliRunOutput& output, const CliOptions& options, CCliErrors& errors) {
    std::string text;
    if (options.bJson) text = CliJsonDocument(output.outcomes);
    else if (options.strSummaryFile == "-") text = CliSummaryHeader(&options) + output.strSummaryRows;
    else if (options.strSummaryFile.empty()) text = output.strReports;
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0)
        errors.Fail("cannot write the output");
}

}  // namespace

int RunCli(const CliOptions& options, std::FILE* out, std::FILE* err, const CliPlatform& platform) {
    CCliErrors errors(err);
    CCliFileErrorReporter reporter(errors);
    const CReporterScope reporterScope(&reporter);
    CCliLog log(options.strLogFile, options.bVerbose ? err : nullptr);
    if (!log.FileUsable()) errors.Fail("cannot open the log file " + options.strLogFile);

    std::optional<CCliExporter> exporter;
    if (!options.strExportDir.empty()) {
        exporter.emplace(options, &log, platform.pText, platform.pEncoder, platform.pPdf);
        // Without its folder nothing can be exported; the evaluation and its
        // output go on.
        if (!exporter->Prepare(errors)) exporter.reset();
    }

    const std::vector<CliInput> inputs = ExpandCliArguments(options.astrFiles, options.nImportType, &log);
    std::FILE* summary = OpenSummary(options, inputs, errors);
    const CliRunOutput output = EvaluateInputs(inputs, options, log, exporter ? &*exporter : nullptr, errors);
    if (summary) WriteSummary(summary, output, options, errors);
    WriteOutput(out, output, options, errors);
    return errors.Failed() ? 1 : 0;
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
