#include "cli/CliExport.h"

#include "boot/UncertaintyText.h"
#include "cli/CliLog.h"
#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "eval/Report.h"
#include "files/DataExports.h"
#include "files/FileErrorReporter.h"
#include "platform/FileLock.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "text/TextFile.h"

#include <filesystem>

namespace {

using ExportFunction = int (*)(const CA1TimeSeries&, const std::string&);

struct DATAEXPORT {
    const char* suffix;
    ExportFunction save;
};

const DATAEXPORT kDataExports[] = {
    {"_a22time.txt", &SaveA1TimeTable},
    {"_a22time.dat", &SaveA1TimeData},
    {"_charfunc.txt", &SaveCharFuncTable},
    {"_charfunc.dat", &SaveCharFuncData},
    {"_model.txt", &SaveModelTable},
    {"_model.dat", &SaveModelData},
    {"_probability.txt", &SaveProbabilityTable},
    {"_probability.dat", &SaveProbabilityData},
};

// Display type and file-name suffix of the five diagrams.
struct DIAGRAMEXPORT {
    int nDisplayType;
    const char* suffix;
};

const DIAGRAMEXPORT kDiagramExports[] = {
    {DISPLAY_A22_TIME, "_a22time"}, {DISPLAY_A22_2D, "_a22_2d"},           {DISPLAY_CHAR_FUNC, "_charfunc"},
    {DISPLAY_MODEL, "_model"},      {DISPLAY_PROBABILITY, "_probability"},
};

// Every not-ready line of the data exports ends so.
constexpr std::string_view kNotReadyEnd = "Data is not ready.";

// Removes the file at path if there is one (a folder of that name is left
// alone). False when a file is there and cannot be removed.
bool RemoveStaleExport(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::symlink_status(path, ec);
    if (ec || !std::filesystem::exists(st) || std::filesystem::is_directory(st)) return true;
    return DeleteFilePath(path);
}

}  // namespace

std::string CliExportStem(const std::string& logPath) { return std::filesystem::path(logPath).stem().string(); }

std::string CliExportFileName(const std::string& stem, int index, const std::string& suffix) {
    return stem + FormatText("_s%03d", index) + suffix;
}

CCliExporter::CCliExporter(const CliOptions& options, CCliLog* log, ITextRenderer* text, IImageEncoder* encoder)
    : m_strFolder(options.strExportDir), m_strImageExtension("." + options.strImageFormat),
      m_nImageWidth(options.nImageWidth > 0 ? options.nImageWidth : kCliDefaultImageWidth),
      m_nImageHeight(options.nImageHeight > 0 ? options.nImageHeight : kCliDefaultImageHeight), m_pLog(log),
      m_diagram(text, encoder) {}

bool CCliExporter::Prepare(std::FILE* err) {
    if (!CreateFolderPath(m_strFolder)) {
        std::fprintf(err, "driftwise-cli: cannot create the export folder %s: %s\n", m_strFolder.c_str(),
                     LastErrorText().c_str());
        return false;
    }
    if (!m_diagram.Create(m_nImageWidth, m_nImageHeight)) {
        std::fprintf(err, "driftwise-cli: cannot make a diagram image of %d x %d pixels\n", m_nImageWidth,
                     m_nImageHeight);
        return false;
    }
    return true;
}

std::string CCliExporter::PathOf(const std::string& name) const {
    return (std::filesystem::path(m_strFolder) / name).string();
}

bool CCliExporter::ExportFile(const CliFileOutcome& outcome, std::FILE* err) {
    if (outcome.aSeries.empty()) return true;
    const std::string stem = CliExportStem(outcome.strPath);
    const auto [it, added] = m_stems.emplace(stem, outcome.strPath);
    if (!added) {
        std::fprintf(err, "driftwise-cli: %s: not exported: its files would replace those of %s\n",
                     outcome.strPath.c_str(), it->second.c_str());
        return false;
    }
    bool ok = true;
    for (std::size_t i = 0; i < outcome.aSeries.size(); ++i)
        ok = ExportSeries(outcome.strPath, stem, outcome.anIndex[i], outcome.aSeries[i],
                          i < outcome.aEval.size() ? &outcome.aEval[i] : nullptr, err) &&
             ok;
    return ok;
}

bool CCliExporter::ExportSeries(const std::string& logPath, const std::string& stem, int index,
                                const CA1TimeSeries& series, const CliEvaluation* evaluation, std::FILE* err) {
    bool ok = true;
    auto failed = [&](const std::string& path) {
        std::fprintf(err, "driftwise-cli: %s series %d: failed to write %s\n", logPath.c_str(), index, path.c_str());
        ok = false;
    };
    // An export skipped this time takes the file of the same name from an
    // earlier run with it, so the folder holds no results the report lacks.
    auto removeStale = [&](const std::string& path) {
        if (RemoveStaleExport(path)) return;
        std::fprintf(err, "driftwise-cli: %s series %d: failed to remove the earlier %s: %s\n", logPath.c_str(), index,
                     path.c_str(), LastErrorText().c_str());
        ok = false;
    };

    for (const DATAEXPORT& e : kDataExports) {
        const std::string path = PathOf(CliExportFileName(stem, index, e.suffix));
        if (m_pLog) m_pLog->ResetLastMessage();
        if (e.save(series, path) != 0) continue;
        // Data not ready (no characteristic function or no model) is no
        // failure: the export has logged its own line and written nothing.
        if (m_pLog && m_pLog->LastMessage().ends_with(kNotReadyEnd)) {
            removeStale(path);
            continue;
        }
        failed(path);
    }

    const std::string reportPath = PathOf(CliExportFileName(stem, index, "_report.txt"));
    if (!WriteReport(series, reportPath)) failed(reportPath);

    // The intervals table of --intervals; without intervals (not asked for,
    // or no model) an earlier run's table goes.
    const std::string intervalsPath = PathOf(CliExportFileName(stem, index, "_intervals.txt"));
    if (evaluation && evaluation->intervals) {
        if (!WriteIntervals(series, *evaluation->intervals, intervalsPath)) failed(intervalsPath);
    } else {
        removeStale(intervalsPath);
    }

    for (const DIAGRAMEXPORT& d : kDiagramExports) {
        m_diagram.m_style.nDisplayType = d.nDisplayType;
        const std::string path = PathOf(CliExportFileName(stem, index, d.suffix + m_strImageExtension));
        if (!m_diagram.Render(&series)) {  // nothing to show for this type
            removeStale(path);
            continue;
        }
        if (!m_diagram.SaveImage(path)) failed(path);
    }
    return ok;
}

bool CCliExporter::WriteIntervals(const CA1TimeSeries& series, const INTERVALSET& set, const std::string& path) {
    std::string error;
    std::FILE* file = OpenExclusive(path, FileOpenMode::WriteTruncate, &error);
    if (!file) {
        LogIfAttached(m_pLog, "ERROR: Failed to open file [" + path + "] for writing the intervals table.");
        return false;
    }
    CTextWriter out(file);
    bool ok = out.Write(IntervalsTableText(series, set));
    error = out.ErrorText();
    if (!CloseExclusive(file, ok ? &error : nullptr)) ok = false;
    if (!ok) {
        ReportFileError(path, error);
        LogIfAttached(m_pLog, "ERROR: Failed to save the intervals table to file [" + path + "].");
        return false;
    }
    LogDebugIfAttached(m_pLog, 1, "Successfully saved the intervals table to file [" + path + "].");
    return true;
}

bool CCliExporter::WriteReport(const CA1TimeSeries& series, const std::string& path) {
    // The report joins its lines with CR LF already: its bytes go to the file
    // unchanged, ending where the text ends.
    const std::string text = BuildStabilityReport(series);
    std::string error;
    std::FILE* file = OpenExclusive(path, FileOpenMode::WriteTruncate, &error);
    if (!file) {
        LogIfAttached(m_pLog, "ERROR: Failed to open file [" + path + "] for writing the stability report.");
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (!ok) error = LastErrorText();
    if (!CloseExclusive(file, ok ? &error : nullptr)) ok = false;
    if (!ok) {
        ReportFileError(path, error);
        LogIfAttached(m_pLog, "ERROR: Failed to save the stability report to file [" + path + "].");
        return false;
    }
    LogDebugIfAttached(m_pLog, 1, "Successfully saved the stability report to file [" + path + "].");
    return true;
}
