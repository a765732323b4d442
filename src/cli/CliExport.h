#pragma once
// --export: per series the eight data exports, the report text and the five
// diagram images, written into one folder under names built from the log's
// file name and the series number.

#include "plot/DiagramContent.h"

#include <cstdio>
#include <map>
#include <string>

class CA1TimeSeries;
class CCliErrors;
class CCliLog;
class IImageEncoder;
class IReportPdfWriter;
class ITextRenderer;
struct CliFileOutcome;
struct CliOptions;

// The log's file name without folder and extension.
std::string CliExportStem(const std::string& logPath);
// STEM_sNNN + suffix (NNN: the 1-based series number, at least three digits).
std::string CliExportFileName(const std::string& stem, int index, const std::string& suffix);

class CCliExporter {
public:
    // text, encoder: the diagrams' platform (not owned; null gives diagrams
    // without text and images that cannot be saved); pdf: the PDF report's
    // writer (not owned; null fails the --pdf export).
    CCliExporter(const CliOptions& options, CCliLog* log, ITextRenderer* text, IImageEncoder* encoder,
                 IReportPdfWriter* pdf = nullptr);

    // Creates the folder when it is missing; false, with a message on errors,
    // when it cannot be made or the image size cannot be allocated.
    bool Prepare(CCliErrors& errors);

    // Writes every export of every series of the file. Exports whose data are
    // not ready and diagrams with nothing to show are skipped, and the file of
    // that name left by an earlier run is removed; false when an
    // export failed (each failure is named on errors).
    bool ExportFile(const CliFileOutcome& outcome, CCliErrors& errors);

private:
    bool ExportSeries(const std::string& logPath, const std::string& stem, int index, const CA1TimeSeries& series,
                      const struct CliEvaluation* evaluation, CCliErrors& errors);
    bool WriteReport(const CA1TimeSeries& series, const std::string& path);
    bool WritePdf(const CA1TimeSeries& series, const struct CliEvaluation* evaluation, const std::string& logPath,
                  int index, const std::string& path, CCliErrors& errors);
    bool WriteIntervals(const CA1TimeSeries& series, const struct INTERVALSET& set, const std::string& path);
    std::string PathOf(const std::string& name) const;

    std::string m_strFolder;
    std::string m_strImageExtension;
    int m_nImageWidth;
    int m_nImageHeight;
    CCliLog* m_pLog;
    IReportPdfWriter* m_pPdf;
    bool m_bPdf;
    long long m_nEvaluationTime;  // the run's time (SOURCE_DATE_EPOCH when set)
    CA1Diagram m_diagram;
    // Stem of every file exported so far, with the path it came from: a second
    // log of the same file name would replace the first one's exports.
    std::map<std::string, std::string> m_stems;
};
