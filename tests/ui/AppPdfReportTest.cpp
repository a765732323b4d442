// SPDX-License-Identifier: GPL-3.0-or-later
// File > "Export PDF Report..." and "Print...", the Summary page's
// "Export...": the proposed file name, the files written, the print dialog's
// file output, the failure path and the paper setting.
#include "AppTestSupport.h"

#include "../platform/PdfTools.h"
#include "eval/Report.h"
#include "files/ReportDocument.h"
#include "platform/qt/QtPdfReport.h"
#include "ui/PdfExport.h"
#include "ui/pages/DDLogTextDlg.h"

#include <QAction>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <filesystem>

namespace {

using C = CDriftwiseDlg::Command;

class AppPdfReport : public AppTest {
protected:
    // A window with the second series of a two-series log selected.
    std::unique_ptr<CDriftwiseDlg> WindowWithSeries() {
        auto window = MakeWindow();
        m_strLog = MakeC1A1File("beam.log", 2, 40);
        window->ImportFiles({m_strLog});
        EXPECT_EQ(window->SeriesList()->count(), 2);
        window->SeriesList()->setCurrentIndex(1);
        window->UpdateMenuState();
        return window;
    }
    static bool IsPdf(const std::string& path) { return ReadTextFile(path).rfind("%PDF-", 0) == 0; }

    std::string m_strLog;
};

TEST_F(AppPdfReport, MenuItemsWithAnAcceleratorNoOtherItemUses) {
    auto window = MakeWindow();
    EXPECT_EQ(window->Action(C::ExportPdf)->text().toStdString(), "Export PDF Report...\tCtrl+R");
    EXPECT_EQ(window->Action(C::Print)->text().toStdString(), "Print...");
    const QKeySequence own = window->Action(C::ExportPdf)->shortcut();
    EXPECT_EQ(own.toString(QKeySequence::PortableText).toStdString(), "Ctrl+R");
    for (int c = 0; c <= static_cast<int>(C::Disclaimer); ++c) {
        if (static_cast<C>(c) == C::ExportPdf) continue;
        EXPECT_NE(window->Action(static_cast<C>(c))->shortcut(), own) << c;
    }
}

TEST_F(AppPdfReport, ExportProposesTheNameBesideTheLogAndWritesThePdf) {
    auto window = WindowWithSeries();
    ASSERT_TRUE(window->Action(C::ExportPdf)->isEnabled());
    const std::string out = FilePath("chosen");  // no extension: .pdf is added
    m_dialogs.QueueSaveFile(out);
    window->Action(C::ExportPdf)->trigger();
    ASSERT_EQ(m_dialogs.m_saveRequests.size(), 1u);
    const FILEDIALOGREQUEST& request = m_dialogs.m_saveRequests.front();
    EXPECT_EQ(request.initialName, "beam_s002_report.pdf");
    EXPECT_EQ(std::filesystem::path(request.initialFolder), std::filesystem::path(m_strLog).parent_path());
    EXPECT_TRUE(request.confirmOverwrite);
    ASSERT_TRUE(IsPdf(out + ".pdf"));
    EXPECT_TRUE(m_dialogs.m_messages.empty());
    if (pdftools::Available()) {
        const std::string page1 = pdftools::Squeezed(pdftools::PageText(out + ".pdf", 1, 1));
        EXPECT_NE(page1.find("Series 2"), std::string::npos);
        EXPECT_NE(page1.find("beam.log"), std::string::npos);
    }
}

TEST_F(AppPdfReport, FailedExportShowsAMessageAndLeavesNoFile) {
    auto window = WindowWithSeries();
    const std::string out = FilePath("no/such/folder/report.pdf");
    m_dialogs.QueueSaveFile(out);
    window->Action(C::ExportPdf)->trigger();
    EXPECT_FALSE(std::filesystem::exists(out));
    ASSERT_EQ(m_dialogs.m_messages.size(), 1u);
    EXPECT_EQ(m_dialogs.m_messages.front().icon, MessageIcon::Error);
    EXPECT_NE(m_dialogs.m_messages.front().text.find(out), std::string::npos);
}

TEST_F(AppPdfReport, SummaryExportWritesTextOrPdfByTheFileType) {
    auto window = WindowWithSeries();
    auto* button = window->SummaryPage()->findChild<QPushButton*>("summaryExport");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text().toStdString(), "Export...");

    m_dialogs.QueueSaveFile(FilePath("as_text"), 1);
    button->click();
    ASSERT_EQ(m_dialogs.m_saveRequests.size(), 1u);
    EXPECT_EQ(m_dialogs.m_saveRequests[0].initialName, "beam_s002_report.txt");
    EXPECT_EQ(ReadTextFile(FilePath("as_text.txt")), BuildStabilityReport(*window->SelectedSeries()));

    m_dialogs.QueueSaveFile(FilePath("as_pdf"), 2);
    button->click();
    EXPECT_TRUE(IsPdf(FilePath("as_pdf.pdf")));
    // An extension given decides over the file type.
    m_dialogs.QueueSaveFile(FilePath("named.pdf"), 1);
    button->click();
    EXPECT_TRUE(IsPdf(FilePath("named.pdf")));
}

TEST_F(AppPdfReport, PrintGoesThroughThePrintDialogToItsFileOutput) {
    auto window = WindowWithSeries();
    const std::string out = FilePath("printed.pdf");
    m_onDialog = [&out](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        if (!print) return int(QDialog::Rejected);
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(QString::fromStdString(out));
        return int(QDialog::Accepted);
    };
    window->Action(C::Print)->trigger();
    ASSERT_TRUE(IsPdf(out));
    if (pdftools::Available()) {
        EXPECT_NE(pdftools::PageText(out, 1, 1).find("Astigmatism Stability Report"), std::string::npos);
        EXPECT_GE(std::stoi(pdftools::Info(out, "Pages")), 2);
    }
    // Cancelled: nothing printed.
    std::filesystem::remove(out);
    m_onDialog = {};
    m_nDialogResult = QDialog::Rejected;
    window->Action(C::Print)->trigger();
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(AppPdfReport, PaperFromTheSettingElseTheLocale) {
    CMemorySettingsStore store;
    EXPECT_EQ(ReportPaper(&store), PaperForLocale(QLocale::system()));
    store.WriteString("Main Parameters", kReportPaperKey, "Letter");
    EXPECT_EQ(ReportPaper(&store), QPageSize::Letter);
    store.WriteString("Main Parameters", kReportPaperKey, "A4");
    EXPECT_EQ(ReportPaper(&store), QPageSize::A4);
    store.WriteString("Main Parameters", kReportPaperKey, "Tabloid");
    EXPECT_EQ(ReportPaper(&store), PaperForLocale(QLocale::system()));
}

}  // namespace
