#pragma once
// --export: per series the eight data exports, the report text and the five
// diagram images, written into one folder under names built from the log's
// file name and the series number.

#include "plot/DiagramWnd.h"

#include <cstdio>
#include <map>
#include <string>

class CA1TimeSeries;
class CCliLog;
class IImageEncoder;
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
    // without text and images that cannot be saved).
    CCliExporter(const CliOptions& options, CCliLog* log, ITextRenderer* text, IImageEncoder* encoder);

    // Creates the folder when it is missing; false, with a message on err,
    // when it cannot be made or the image size cannot be allocated.
    bool Prepare(std::FILE* err);

    // Writes every export of every series of the file. Exports whose data are
    // not ready and diagrams with nothing to show are skipped, and the file of
    // that name left by an earlier run is removed; false when an
    // export failed (each failure is named on err).
    bool ExportFile(const CliFileOutcome& outcome, std::FILE* err);

private:
    bool ExportSeries(const std::string& logPath, const std::string& stem, int index, const CA1TimeSeries& series,
                      const struct CliEvaluation* evaluation, std::FILE* err);
    bool WriteReport(const CA1TimeSeries& series, const std::string& path);
    bool WriteIntervals(const CA1TimeSeries& series, const struct INTERVALSET& set, const std::string& path);
    std::string PathOf(const std::string& name) const;

    std::string m_strFolder;
    std::string m_strImageExtension;
    int m_nImageWidth;
    int m_nImageHeight;
    CCliLog* m_pLog;
    CA1DiagramWnd m_diagram;
    // Stem of every file exported so far, with the path it came from: a second
    // log of the same file name would replace the first one's exports.
    std::map<std::string, std::string> m_stems;
};
