// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PdfExport.h"

#include "eval/Report.h"
#include "files/ReportDocument.h"
#include "files/SettingsStore.h"
#include "log/LogFile.h"
#include "platform/Dialogs.h"
#include "platform/qt/QtPdfReport.h"
#include "platform/qt/QtSaveFile.h"
#include "platform/qt/QtTextRenderer.h"
#include "series/A1TimeSeries.h"
#include "ui/pages/DDLogTextDlg.h"

#include <QApplication>
#include <QBoxLayout>
#include <QByteArray>
#include <QDialog>
#include <QLocale>
#include <QMainWindow>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QString>

#include <filesystem>

namespace {

const char* const kPdfFilter = "PDF Report  (*.pdf)";
const char* const kTextFilter = "Text Report  (*.txt)";

// Busy cursor and a status-bar line while the pages are made.
class CBusy {
public:
    CBusy(QWidget* owner, const char* text) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (auto* window = qobject_cast<QMainWindow*>(owner)) {
            m_pBar = window->statusBar();
            m_pBar->showMessage(QString::fromUtf8(text));
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~CBusy() {
        if (m_pBar) m_pBar->clearMessage();
        QApplication::restoreOverrideCursor();
    }
    CBusy(const CBusy&) = delete;
    CBusy& operator=(const CBusy&) = delete;

private:
    QStatusBar* m_pBar = nullptr;
};

REPORTDOCUMENT Document(const CA1TimeSeries& series, int number, const std::vector<std::string>& uncertainty) {
    REPORTINPUTS inputs;
    inputs.nSeriesNumber = number;
    inputs.nEvaluationTime = ReportClockTime();
    inputs.astrUncertainty = uncertainty;
    return BuildReportDocument(series, inputs);
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    return std::filesystem::path(path).extension().empty() ? path + "." + extension : path;
}

bool IsPdfPath(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".pdf";
}

}  // namespace

QPageSize::PageSizeId ReportPaper(ISettingsStore* store) {
    std::string name;
    QPageSize::PageSizeId paper = QPageSize::A4;
    if (store && store->GetString("Main Parameters", kReportPaperKey, name) && PaperFromName(name, paper)) return paper;
    return PaperForLocale(QLocale::system());
}

CPdfExport::CPdfExport(IDialogs* dialogs, CLogFile* log, ISettingsStore* store, QWidget* owner,
                       std::function<int(QDialog&)> runDialog)
    : m_pDialogs(dialogs), m_pLog(log), m_pStore(store), m_pOwner(owner), m_runDialog(std::move(runDialog)) {}

void CPdfExport::Failed(const std::string& what, const std::string& path, const std::string& error) {
    if (m_pLog) m_pLog->Write("ERROR: Failed to save the " + what + " to file [" + path + "]: " + error);
    if (m_pDialogs)
        m_pDialogs->Message(m_pOwner, "The " + what + " could not be written to\n" + path + "\n\n" + error, "Driftwise",
                            MessageIcon::Error);
}

bool CPdfExport::WritePdf(const CA1TimeSeries& series, int number, const std::string& path, std::string& error) {
    CBusy busy(m_pOwner, "Writing the PDF report...");
    CQtTextRenderer text;
    CQtPdfReport writer(&text, ReportPaper(m_pStore));
    return writer.WritePdf(Document(series, number, m_astrUncertainty), series, path, error);
}

bool CPdfExport::WriteReportText(const CA1TimeSeries& series, const std::string& path, std::string& error) {
    const std::string text = BuildStabilityReport(series);
    return SaveFileWhole(path, QByteArray(text.data(), static_cast<qsizetype>(text.size())), error);
}

bool CPdfExport::ExportPdf(const CA1TimeSeries& series, int number) {
    if (!m_pDialogs) return false;
    FILEDIALOGREQUEST request;
    request.filters = {{kPdfFilter, "*.pdf"}};
    const std::string proposal = ReportPdfPathBesideLog(series.m_strSourceFile, number);
    request.initialFolder = std::filesystem::path(proposal).parent_path().string();
    request.initialName = std::filesystem::path(proposal).filename().string();
    request.defaultExtension = "pdf";
    request.confirmOverwrite = true;
    FILEDIALOGRESULT result;
    if (!m_pDialogs->SaveFile(m_pOwner, request, result)) return false;
    const std::string path = WithExtension(result.path, "pdf");
    std::string error;
    if (!WritePdf(series, number, path, error)) {
        Failed("PDF report", path, error);
        return false;
    }
    if (m_pLog) m_pLog->Write("PDF report saved to file [" + path + "].");
    return true;
}

bool CPdfExport::ExportReport(const CA1TimeSeries& series, int number) {
    if (!m_pDialogs) return false;
    FILEDIALOGREQUEST request;
    request.filters = {{kTextFilter, "*.txt"}, {kPdfFilter, "*.pdf"}};
    const std::string proposal = ReportPdfPathBesideLog(series.m_strSourceFile, number);
    request.initialFolder = std::filesystem::path(proposal).parent_path().string();
    request.initialName = std::filesystem::path(proposal).stem().string() + ".txt";  // STEM_sNNN_report.txt
    request.defaultExtension = "txt";
    request.confirmOverwrite = true;
    FILEDIALOGRESULT result;
    if (!m_pDialogs->SaveFile(m_pOwner, request, result)) return false;
    // A name with an extension decides; without one the chosen file type does.
    const bool hasExtension = !std::filesystem::path(result.path).extension().empty();
    const bool pdf = hasExtension ? IsPdfPath(result.path) : result.filterIndex == 2;
    const std::string path = WithExtension(result.path, pdf ? "pdf" : "txt");
    std::string error;
    const bool ok = pdf ? WritePdf(series, number, path, error) : WriteReportText(series, path, error);
    const std::string what = pdf ? "PDF report" : "stability report";
    if (!ok) {
        Failed(what, path, error);
        return false;
    }
    if (m_pLog) m_pLog->Write((pdf ? "PDF report saved to file [" : "Stability report saved to file [") + path + "].");
    return true;
}

bool CPdfExport::PrintTo(QPrinter& printer, const CA1TimeSeries& series, int number, std::string& error) {
    CBusy busy(m_pOwner, "Printing the report...");
    CQtTextRenderer text;
    CQtPdfReport writer(&text);
    return writer.PaintPages(printer, Document(series, number, m_astrUncertainty), series, error) > 0;
}

bool CPdfExport::Print(const CA1TimeSeries& series, int number) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(ReportPaper(m_pStore)), QPageLayout::Portrait,
                                      QMarginsF(kReportMarginMm, kReportMarginMm, kReportMarginMm, kReportMarginMm),
                                      QPageLayout::Millimeter));
    printer.setDocName(QString::fromStdString(Document(series, number, m_astrUncertainty).strDocumentTitle));
    QPrintDialog dialog(&printer, m_pOwner);
    const int answer = m_runDialog ? m_runDialog(dialog) : dialog.exec();
    if (answer != QDialog::Accepted) return false;
    std::string error;
    if (!PrintTo(printer, series, number, error)) {
        Failed("printed report", printer.outputFileName().toStdString(), error);
        return false;
    }
    if (m_pLog) m_pLog->Write("Stability report sent to the printer.");
    return true;
}

void AddSummaryExportButton(CDDLogTextDlg* page, std::function<void()> command) {
    auto* layout = page ? qobject_cast<QBoxLayout*>(page->layout()) : nullptr;
    if (!layout) return;
    auto* button = new QPushButton(QStringLiteral("Export..."), page);
    button->setObjectName(QStringLiteral("summaryExport"));
    button->setAutoDefault(false);
    button->setToolTip(QStringLiteral("Save the report as text (*.txt) or as a PDF report (*.pdf)."));
    QObject::connect(button, &QPushButton::clicked, page, std::move(command));
    layout->addWidget(button, 0, Qt::AlignRight);
}
