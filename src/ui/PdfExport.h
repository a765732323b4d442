// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report of one series handed on: File > "Export PDF Report..." (a save
// dialog proposing STEM_sNNN_report.pdf beside the log), "Print..." (the
// same pages through the system's print dialog) and the Summary page's
// "Export" (the report as text in the _report.txt form, or as the PDF, by
// the chosen file type). Writing shows a busy cursor; a file that cannot be
// written gets a message and leaves no partial file behind.
//
// Paper: the setting "ReportPaper" ("A4" or "Letter") of the program's
// settings section, else the locale's (Letter in the US and Canada, A4
// elsewhere).

#include <QPageSize>

#include <functional>
#include <string>
#include <vector>

class CA1TimeSeries;
class CLogFile;
class IDialogs;
class ISettingsStore;
class QDialog;
class QPrinter;
class QWidget;
class CDDLogTextDlg;

// The settings key of the paper (in the "Main Parameters" section).
inline constexpr const char* kReportPaperKey = "ReportPaper";

QPageSize::PageSizeId ReportPaper(ISettingsStore* store);

class CPdfExport {
public:
    // runDialog runs a modal dialog (the print dialog); empty: exec().
    CPdfExport(IDialogs* dialogs, CLogFile* log, ISettingsStore* store, QWidget* owner,
               std::function<int(QDialog&)> runDialog = {});

    // The "Uncertainty" block that follows the report (the intervals, when
    // computed); none by default.
    void SetUncertainty(std::vector<std::string> lines) { m_astrUncertainty = std::move(lines); }

    // Each returns true when a file was written or the pages were printed.
    bool ExportPdf(const CA1TimeSeries& series, int seriesNumber);
    bool Print(const CA1TimeSeries& series, int seriesNumber);
    bool ExportReport(const CA1TimeSeries& series, int seriesNumber);

    // The pages onto a printer that is set up already.
    bool PrintTo(QPrinter& printer, const CA1TimeSeries& series, int seriesNumber, std::string& error);
    // The report text, whole or not at all.
    static bool WriteReportText(const CA1TimeSeries& series, const std::string& path, std::string& error);
    bool WritePdf(const CA1TimeSeries& series, int seriesNumber, const std::string& path, std::string& error);

private:
    void Failed(const std::string& what, const std::string& path, const std::string& error);

    IDialogs* m_pDialogs;
    CLogFile* m_pLog;
    ISettingsStore* m_pStore;
    QWidget* m_pOwner;
    std::function<int(QDialog&)> m_runDialog;
    std::vector<std::string> m_astrUncertainty;
};

// Puts the "Export..." button under the Summary page's text; clicked runs
// the given command.
void AddSummaryExportButton(CDDLogTextDlg* page, std::function<void()> command);
