#include "cli/CliExport.h"

#include "boot/UncertaintyText.h"
#include "cli/CliErrors.h"
#include "cli/CliLog.h"
#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "eval/Report.h"
#include "files/DataExports.h"
#include "files/FileErrorReporter.h"
#include "files/ReportDocument.h"
#include "platform/FileSystem.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "text/TextFile.h"

#include <filesystem>

namespace {

using ExportFunction = int (*)(const CA1TimeSeries&, const std::string&);

using ReadyFunction = bool (*)(const CA1TimeSeries&);

struct DATAEXPORT {
    const char* suffix;
    ExportFunction save;
    ReadyFunction ready;  // false: the export skips the series (no failure)
};

const DATAEXPORT kDataExports[] = {
    {"_a22time.txt", &SaveA1TimeTable, &A1TimeExportReady},
    {"_a22time.dat", &SaveA1TimeData, &A1TimeExportReady},
    {"_charfunc.txt", &SaveCharFuncTable, &CharFuncExportReady},
    {"_charfunc.dat", &SaveCharFuncData, &CharFuncExportReady},
    {"_model.txt", &SaveModelTable, &ModelExportReady},
    {"_model.dat", &SaveModelData, &ModelExportReady},
    {"_probability.txt", &SaveProbabilityTable, &ProbabilityTableExportReady},
    {"_probability.dat", &SaveProbabilityData, &ModelExportReady},
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

CCliExporter::CCliExporter(const CliOptions& options, CCliLog* log, ITextRenderer* text, IImageEncoder* encoder,
                           IReportPdfWriter* pdf)
    : m_strFolder(options.strExportDir), m_strImageExtension("." + options.strImageFormat),
      m_nImageWidth(options.nImageWidth > 0 ? options.nImageWidth : kCliDefaultImageWidth),
      m_nImageHeight(options.nImageHeight > 0 ? options.nImageHeight : kCliDefaultImageHeight), m_pLog(log),
      m_pPdf(pdf), m_bPdf(options.bPdf), m_nEvaluationTime(ReportClockTime()), m_diagram(text, encoder) {}

bool CCliExporter::Prepare(CCliErrors& errors) {
    if (!CreateFolderPath(m_strFolder)) {
        errors.Fail("cannot create the export folder " + m_strFolder + ": " + LastErrorText());
        return false;
    }
    if (!m_diagram.Create(m_nImageWidth, m_nImageHeight)) {
        errors.Fail(FormatText("cannot make a diagram image of %d x %d pixels", m_nImageWidth, m_nImageHeight));
        return false;
    }
    return true;
}

std::string CCliExporter::PathOf(const std::string& name) const {
    return (std::filesystem::path(m_strFolder) / name).string();
}

bool CCliExporter::ExportFile(const CliFileOutcome& outcome, CCliErrors& errors) {
    if (outcome.aSeries.empty()) return true;
    const std::string stem = CliExportStem(outcome.strPath);
    const auto [it, added] = m_stems.emplace(stem, outcome.strPath);
    if (!added) {
        errors.Fail(outcome.strPath + ": not exported: its files would replace those of " + it->second);
        return false;
    }
    bool ok = true;
    for (std::size_t i = 0; i < outcome.aSeries.size(); ++i)
        ok = ExportSeries(outcome.strPath, stem, outcome.anIndex[i], outcome.aSeries[i],
                          i < outcome.aEval.size() ? &outcome.aEval[i] : nullptr, errors) &&
             ok;
    return ok;
}

bool CCliExporter::ExportSeries(const std::string& logPath, const std::string& stem, int index,
                                const CA1TimeSeries& series, const CliEvaluation* evaluation, CCliErrors& errors) {
    bool ok = true;
    auto failed = [&](const std::string& path) {
        errors.Fail(FormatText("%s series %d: failed to write %s", logPath.c_str(), index, path.c_str()));
        ok = false;
    };
    // An export skipped this time takes the file of the same name from an
    // earlier run with it, so the folder holds no results the report lacks.
    auto removeStale = [&](const std::string& path) {
        if (RemoveStaleExport(path)) return;
        errors.Fail(FormatText("%s series %d: failed to remove the earlier %s: %s", logPath.c_str(), index,
                               path.c_str(), LastErrorText().c_str()));
        ok = false;
    };

    for (const DATAEXPORT& e : kDataExports) {
        const std::string path = PathOf(CliExportFileName(stem, index, e.suffix));
        if (e.save(series, path) != 0) continue;
        // Data not ready (no characteristic function or no model) is no
        // failure: the export has logged its own line and written nothing.
        if (!e.ready(series)) {
            removeStale(path);
            continue;
        }
        failed(path);
    }

    const std::string reportPath = PathOf(CliExportFileName(stem, index, "_report.txt"));
    if (!WriteReport(series, reportPath)) failed(reportPath);

    // The PDF repeats the report: without --pdf an earlier one goes, so it
    // cannot disagree with the new report.
    const std::string pdfPath = PathOf(CliExportFileName(stem, index, "_report.pdf"));
    if (!m_bPdf) removeStale(pdfPath);
    else if (!WritePdf(series, evaluation, logPath, index, pdfPath, errors)) ok = false;
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

bool CCliExporter::WritePdf(const CA1TimeSeries& series, const CliEvaluation* evaluation, const std::string& logPath,
                            int index, const std::string& path, CCliErrors& errors) {
    std::string error = "no PDF writer";
    if (m_pPdf) {
        REPORTINPUTS inputs;
        inputs.nSeriesNumber = index;
        inputs.nEvaluationTime = m_nEvaluationTime;
        // With --intervals the PDF carries the "Uncertainty" block after the report.
        if (evaluation && evaluation->intervals)
            inputs.astrUncertainty = SplitReportLines(BuildUncertaintyBlock(*evaluation->intervals));
        if (m_pPdf->WritePdf(BuildReportDocument(series, inputs), series, path, error)) {
            LogDebugIfAttached(m_pLog, 1, "Successfully saved the PDF report to file [" + path + "].");
            return true;
        }
    }
    LogIfAttached(m_pLog, "ERROR: Failed to save the PDF report to file [" + path + "].");
    errors.Fail(
        FormatText("%s series %d: failed to write %s: %s", logPath.c_str(), index, path.c_str(), error.c_str()));
    return false;
}
