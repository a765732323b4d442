// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The content of the PDF report of one series, free of any drawing: the
// title block (one row per fact), the "Astigmatism Stability Report" text
// line by line, an optional uncertainty block and the five diagrams with
// their captions. A writer in the platform layer lays it out on pages.

#include <optional>
#include <string>
#include <vector>

class CA1TimeSeries;

struct REPORTFIELD {
    std::string strLabel;
    std::string strValue;
};

struct REPORTDIAGRAM {
    int nDisplayType = 0;  // a DisplayType of the diagrams
    std::string strCaption;
};

struct REPORTDOCUMENT {
    std::string strHeading;        // the first line of page 1
    std::string strDocumentTitle;  // the PDF's title entry
    std::string strCreator;        // the PDF's creator entry
    std::vector<REPORTFIELD> aTitleBlock;
    std::vector<std::string> astrReport;  // the report text, one entry per line, leading blanks kept
    std::string strUncertaintyHeading;    // "Uncertainty" when astrUncertainty is not empty
    std::vector<std::string> astrUncertainty;
    std::vector<REPORTDIAGRAM> aDiagrams;  // in the order of the pages; a writer skips those with nothing to show
};

// What the series does not hold itself.
struct REPORTINPUTS {
    int nSeriesNumber = 1;          // 1-based within its log
    long long nEvaluationTime = 0;  // seconds since 1970-01-01 UTC
    // The intervals block and its goodness-of-fit line, when computed; empty otherwise.
    std::vector<std::string> astrUncertainty;
};

// Builds the document; reads the log file to fingerprint it (a file that
// cannot be read gets a note instead of the digest).
REPORTDOCUMENT BuildReportDocument(const CA1TimeSeries& series, const REPORTINPUTS& inputs);

// The report text split at its CR LF joins.
std::vector<std::string> SplitReportLines(const std::string& text);

// "YYYY-MM-DD hh:mm:ss UTC" of a time in seconds since 1970-01-01 UTC.
std::string FormatUtcTime(long long secondsSinceEpoch);

// SOURCE_DATE_EPOCH from the environment when it is a plain decimal number.
std::optional<long long> SourceDateEpoch();
// SOURCE_DATE_EPOCH when set, else the clock: the time a report states.
long long ReportClockTime();

// STEM_sNNN_report.pdf for series index (1-based) of the log at logPath.
std::string ReportPdfFileName(const std::string& logPath, int index);
// The same name beside the log (in its folder).
std::string ReportPdfPathBesideLog(const std::string& logPath, int index);

// Writes the PDF of a report document with the series' diagrams. The desktop
// program and the batch tool install a Qt implementation; the core only
// describes the content.
class IReportPdfWriter {
public:
    virtual ~IReportPdfWriter() = default;
    // Writes the whole file or nothing: on failure no file of that name is
    // left (an earlier one stays as it was) and error says why.
    virtual bool WritePdf(const REPORTDOCUMENT& document, const CA1TimeSeries& series, const std::string& path,
                          std::string& error) = 0;
};

// The 1-based number of list[index] among the series of its log file in the
// list (ordered by their first line, a series imported twice counted once).
int SeriesNumberInLog(const std::vector<CA1TimeSeries>& list, std::size_t index);
