#include "cli/CliRun.h"

#include "Version.h"
#include "cli/CliLog.h"
#include "platform/FileLock.h"
#include "text/Format.h"

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

std::string SeriesListLine(int index, const CA1TimeSeries& s) {
    const int span = s.m_nStopTime - s.m_nStartTime;
    return FormatText("#%.3d: %d samples, %d s (%.2f Hz)", index, s.m_nDataLines, span,
                      static_cast<double>(s.m_nDataLines) / static_cast<double>(span));
}

int RunCli(const CliOptions& options, std::FILE* out, std::FILE* err) {
    CCliLog log(options.strLogFile, options.bVerbose ? err : nullptr);
    bool failed = false;
    if (!log.FileUsable()) {
        std::fprintf(err, "driftwise-cli: cannot open the log file %s\n", options.strLogFile.c_str());
        failed = true;
    }

    std::vector<CliFileOutcome> outcomes;
    outcomes.reserve(options.astrFiles.size());
    for (const std::string& path : options.astrFiles) {
        outcomes.push_back(ImportCliFile(path, options, &log));
        const CliFileOutcome& o = outcomes.back();
        if (!o.strError.empty()) {
            std::fprintf(err, "driftwise-cli: %s: %s\n", path.c_str(), o.strError.c_str());
            failed = true;
        }
    }

    std::string text;
    if (options.bJson) {
        text = CliJsonDocument(outcomes);
    } else {
        for (const CliFileOutcome& o : outcomes)
            for (std::size_t i = 0; i < o.aSeries.size(); ++i) text += SeriesListLine(o.anIndex[i], o.aSeries[i]) + "\n";
    }
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0) {
        std::fprintf(err, "driftwise-cli: cannot write the output\n");
        failed = true;
    }
    return failed ? 1 : 0;
}

int CliMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const CliParseResult parsed = ParseCliOptions(args);
    if (!parsed.bOk) {
        std::fprintf(err, "driftwise-cli: %s (see driftwise-cli --help)\n", parsed.strError.c_str());
        return 2;
    }
    switch (parsed.options.action) {
    case CliOptions::Action::Help:
        std::fputs(CliUsageText().c_str(), out);
        return 0;
    case CliOptions::Action::Version:
        std::fprintf(out, "%s\n", kVersionText);
        return 0;
    case CliOptions::Action::Run:
        break;
    }
    return RunCli(parsed.options, out, err);
}
