// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF report read back with poppler's tools: the report text on page 1
// as text, embedded fonts only, the diagrams at 300 dpi or more and without
// lossy compression, the size, reproducible bytes, paper sizes, long texts
// continuing on the next page, and no partial file when writing fails.
#include "platform/qt/QtPdfReport.h"

#include "PdfTools.h"
#include "eval/EvalSteps.h"
#include "import/LogImport.h"
#include "platform/qt/QtTextRenderer.h"
#include "series/A1TimeSeries.h"
#include "support/GoldenFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QGuiApplication>
#include <QLocale>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace pdftools;

class QtPdfReportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "platform_qt_pdf_tests";
            static char* argv[] = {name, nullptr};
            static QGuiApplication app(argc, argv);
        }
        // The first series of the bundled C1A1 log, evaluated with seed 1.
        std::vector<CA1TimeSeries> list;
        ImportRequest request;
        request.strPath = std::string(DW_EXAMPLES_DIR) + "/c1a1_two_series.log";
        ASSERT_TRUE(ImportLogFile(request, IMPORT_NONE, list).Ok());
        s_series = list.front();
        EVALINPUTS inputs;
        inputs.nSeed = 1;
        ASSERT_TRUE(RunCharFuncStep(s_series, inputs));
        RunModelFitStep(s_series, inputs, FitStepStart::FitOnly);
        ASSERT_GT(s_series.ModelValid, 0);
    }

    void SetUp() override {
        if (!Available()) GTEST_SKIP() << kMissing;
        unsetenv("SOURCE_DATE_EPOCH");
    }
    void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }

    REPORTDOCUMENT Document(std::vector<std::string> uncertainty = {}) const {
        REPORTINPUTS in;
        in.nSeriesNumber = 1;
        in.nEvaluationTime = 1700000000;
        in.astrUncertainty = std::move(uncertainty);
        return BuildReportDocument(s_series, in);
    }

    std::string Write(const std::string& name, QPageSize::PageSizeId paper = QPageSize::A4,
                      const REPORTDOCUMENT* doc = nullptr) {
        CQtPdfReport writer(&m_text, paper);
        const std::string path = m_folder.File(name);
        std::string error;
        const REPORTDOCUMENT own = Document();
        EXPECT_TRUE(writer.WritePdf(doc ? *doc : own, s_series, path, error)) << error;
        return path;
    }

    static CA1TimeSeries s_series;
    CQtTextRenderer m_text;
    CTempFolder m_folder{"dw_pdf"};
};

CA1TimeSeries QtPdfReportTest::s_series;

TEST_F(QtPdfReportTest, PageOneHoldsTheTitleBlockAndEveryReportLineAsText) {
    const std::string pdf = Write("report.pdf");
    const std::vector<std::string> page1 = Lines(PageText(pdf, 1, 1));
    auto holds = [&page1](const std::string& wanted) {
        for (const std::string& line : page1)
            if (line.find(wanted) != std::string::npos) return true;
        return false;
    };
    const REPORTDOCUMENT doc = Document();
    EXPECT_TRUE(holds("Astigmatism Stability Report"));
    for (const REPORTFIELD& f : doc.aTitleBlock) EXPECT_TRUE(holds(f.strLabel + " " + f.strValue)) << f.strLabel;
    int lines = 0;
    for (const std::string& line : doc.astrReport) {
        const std::string wanted = Squeezed(
            line.substr(line.find_first_not_of(' ') == std::string::npos ? line.size() : line.find_first_not_of(' ')));
        if (wanted.empty()) continue;
        EXPECT_TRUE(holds(wanted)) << wanted;
        ++lines;
    }
    EXPECT_GT(lines, 25);
    EXPECT_EQ(Info(pdf, "Pages"), "4");  // page 1 and two diagrams each on the next pages
    EXPECT_EQ(Info(pdf, "Title"), doc.strDocumentTitle);
    EXPECT_EQ(Info(pdf, "Creator"), "Driftwise 1.0.2 (build 140206)");
}

TEST_F(QtPdfReportTest, EveryFontIsEmbedded) {
    const auto rows = Table(pdftools::Run("pdffonts " + Quote(Write("fonts.pdf"))));
    ASSERT_FALSE(rows.empty());
    for (const auto& row : rows) {
        // name type... encoding emb sub uni object ID: emb is the fifth cell from the end.
        ASSERT_GE(row.size(), 6u);
        EXPECT_EQ(row[row.size() - 5], "yes") << row[0];
    }
}

TEST_F(QtPdfReportTest, FiveDiagramsAtPrintResolutionLosslessAndSmallFile) {
    const std::string pdf = Write("images.pdf");
    const auto rows = Table(pdftools::Run("pdfimages -list " + Quote(pdf)));
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& row : rows) {
        // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
        ASSERT_GE(row.size(), 14u);
        EXPECT_GE(std::stoi(row[12]), 300) << "x-ppi";
        EXPECT_GE(std::stoi(row[13]), 300) << "y-ppi";
        EXPECT_NE(row[8], "jpeg") << "lossy diagram";
    }
    EXPECT_LT(fs::file_size(pdf), 2u * 1024 * 1024);
}

TEST_F(QtPdfReportTest, SourceDateEpochGivesTheSameBytesAndTheDate) {
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    const std::string a = Write("a.pdf");
    const std::string b = Write("b.pdf");
    EXPECT_TRUE(ReadFileBytes(a) == ReadFileBytes(b));
    EXPECT_EQ(Info(a, "CreationDate"), "Tue Nov 14 22:13:20 2023 UTC");
    // The document id is in the trailer and follows the content.
    EXPECT_NE(ReadFileBytes(a).find("/ID [<"), std::string::npos);
    setenv("SOURCE_DATE_EPOCH", "1700000001", 1);
    EXPECT_FALSE(ReadFileBytes(Write("c.pdf")) == ReadFileBytes(a));
}

TEST_F(QtPdfReportTest, PaperSizes) {
    EXPECT_EQ(Info(Write("a4.pdf", QPageSize::A4), "Page size"), "595 x 842 pts (A4)");
    EXPECT_EQ(Info(Write("letter.pdf", QPageSize::Letter), "Page size"), "612 x 792 pts (letter)");
    const std::pair<const char*, QPageSize::PageSizeId> locales[] = {
        {"en_US", QPageSize::Letter}, {"fr_CA", QPageSize::Letter}, {"de_DE", QPageSize::A4},
        {"en_GB", QPageSize::A4},     {"C", QPageSize::A4},
    };
    for (const auto& [name, paper] : locales) EXPECT_EQ(PaperForLocale(QLocale(name)), paper) << name;
    QPageSize::PageSizeId paper = QPageSize::A3;
    EXPECT_TRUE(PaperFromName("Letter", paper));
    EXPECT_EQ(paper, QPageSize::Letter);
    EXPECT_TRUE(PaperFromName("a4", paper));
    EXPECT_EQ(paper, QPageSize::A4);
    EXPECT_FALSE(PaperFromName("A5", paper));
}

TEST_F(QtPdfReportTest, LongTextContinuesOnTheNextPage) {
    std::vector<std::string> uncertainty;
    for (int i = 1; i <= 120; ++i) uncertainty.push_back("interval line " + std::to_string(i));
    uncertainty.push_back("Goodness of fit: p = 0.42");
    const REPORTDOCUMENT doc = Document(uncertainty);
    const std::string pdf = Write("long.pdf", QPageSize::A4, &doc);
    const std::string page1 = PageText(pdf, 1, 1);
    const std::string all = PageText(pdf, 1, 99);
    EXPECT_NE(page1.find("Uncertainty"), std::string::npos);
    EXPECT_EQ(page1.find("Goodness of fit"), std::string::npos);
    for (int i = 1; i <= 120; ++i)
        EXPECT_NE(all.find("interval line " + std::to_string(i) + "\n"), std::string::npos) << i;
    EXPECT_NE(all.find("Goodness of fit: p = 0.42"), std::string::npos);
    EXPECT_GE(std::stoi(Info(pdf, "Pages")), 6);
}

// A missing folder: no file. A file-size limit below the PDF's size (a full
// disk as far as the writer can tell): the earlier file stays as it was and
// no temporary file is left beside it.
TEST_F(QtPdfReportTest, FailedWriteLeavesNoPartialFile) {
    CQtPdfReport writer(&m_text);
    std::string error;
    const REPORTDOCUMENT doc = Document();
    EXPECT_FALSE(writer.WritePdf(doc, s_series, m_folder.File("missing/report.pdf"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(m_folder.File("missing")));

    const std::string target = m_folder.Write("report.pdf", "earlier report");
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    error.clear();
    const bool written = writer.WritePdf(doc, s_series, target, error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFileBytes(target), "earlier report");
    int files = 0;
    for (const auto& entry : fs::directory_iterator(m_folder.Path())) {
        ++files;
        EXPECT_EQ(entry.path().filename(), "report.pdf");
    }
    EXPECT_EQ(files, 1);
}

}  // namespace
