// SPDX-License-Identifier: GPL-3.0-or-later
// --pdf: the option's rules, and the real binary's PDF reports read back
// with poppler's tools (skipped with a message where they are missing).
#include "CliBinary.h"
#include "cli/CliOptions.h"
#include "platform/PdfTools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace clitest;

TEST(CliPdfOptions, PdfNeedsExportAndTakesNoValue) {
    CliParseResult r = ParseCliOptions({"--pdf", "a.log"});
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.strError, "--pdf: needs --export DIR");
    r = ParseCliOptions({"--pdf=yes", "--export", "out", "a.log"});
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.strError, "--pdf: takes no value");
    r = ParseCliOptions({"--export", "out", "--pdf", "a.log"});
    ASSERT_TRUE(r.bOk) << r.strError;
    EXPECT_TRUE(r.options.bPdf);
    EXPECT_FALSE(ParseCliOptions({"--export", "out", "a.log"}).options.bPdf);
    EXPECT_NE(CliUsageText().find("--pdf"), std::string::npos);
}

class CliPdf : public CliBinary {
protected:
    void SetUp() override {
        CliBinary::SetUp();
        if (!pdftools::Available()) GTEST_SKIP() << pdftools::kMissing;
    }
    // Exports the bundled C1A1 log (two series) with a fixed seed and date.
    CliRun Export(const std::string& folder, bool pdf = true) {
        std::vector<std::string> args = {"--export", (m_dir / folder).string(), "--seed", "1"};
        if (pdf) args.push_back("--pdf");
        args.push_back(kC1A1);
        return Cli(args, "env SOURCE_DATE_EPOCH=1700000000 QT_QPA_PLATFORM=offscreen ");
    }
};

TEST_F(CliPdf, OnePdfPerSeriesWithTheReportTextFontsAndDiagrams) {
    const CliRun r = Export("out");
    ASSERT_EQ(r.status, 0) << r.err;
    for (int series : {1, 2}) {
        const std::string stem = "c1a1_two_series_s00" + std::to_string(series);
        const fs::path pdf = m_dir / "out" / (stem + "_report.pdf");
        ASSERT_TRUE(fs::exists(pdf)) << pdf;
        // Every line of the exported report text is on page 1, the same numbers.
        const std::vector<std::string> page1 = pdftools::Lines(pdftools::PageText(pdf.string(), 1, 1));
        const std::string report = Slurp(m_dir / "out" / (stem + "_report.txt"));
        int checked = 0;
        for (const std::string& line : pdftools::Lines(report)) {
            std::string wanted = line;
            if (!wanted.empty() && wanted.back() == '\r') wanted.pop_back();
            wanted = pdftools::Squeezed(wanted.substr(std::min(wanted.size(), wanted.find_first_not_of(' '))));
            if (wanted.empty()) continue;
            bool found = false;
            for (const std::string& have : page1) found = found || have.find(wanted) != std::string::npos;
            EXPECT_TRUE(found) << stem << ": " << wanted;
            ++checked;
        }
        EXPECT_GT(checked, 25);
        for (const auto& row : pdftools::Table(pdftools::Run("pdffonts " + pdftools::Quote(pdf.string()))))
            EXPECT_EQ(row.at(row.size() - 5), "yes") << row[0];
        const auto images = pdftools::Table(pdftools::Run("pdfimages -list " + pdftools::Quote(pdf.string())));
        EXPECT_EQ(images.size(), 5u);
        for (const auto& row : images) EXPECT_GE(std::stoi(row.at(12)), 300);
        EXPECT_LT(fs::file_size(pdf), 2u * 1024 * 1024);
    }
}

TEST_F(CliPdf, SameSourceDateEpochSameBytes) {
    ASSERT_EQ(Export("a").status, 0);
    ASSERT_EQ(Export("b").status, 0);
    const std::string name = "c1a1_two_series_s001_report.pdf";
    const std::string a = Slurp(m_dir / "a" / name);
    ASSERT_FALSE(a.empty());
    // Two processes: Qt's hash seed must not decide the order of the fonts.
    const std::string b = Slurp(m_dir / "b" / name);
    EXPECT_TRUE(a == b) << a.size() << " and " << b.size() << " bytes differ";
}

TEST_F(CliPdf, ReExportWithoutPdfRemovesTheEarlierPdf) {
    ASSERT_EQ(Export("out").status, 0);
    const fs::path pdf = m_dir / "out" / "c1a1_two_series_s001_report.pdf";
    ASSERT_TRUE(fs::exists(pdf));
    const CliRun r = Export("out", false);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(pdf));
    EXPECT_FALSE(fs::exists(m_dir / "out" / "c1a1_two_series_s002_report.pdf"));
    EXPECT_TRUE(fs::exists(m_dir / "out" / "c1a1_two_series_s001_report.txt"));
}

TEST_F(CliPdf, UnwritablePdfFailsTheRunAndNamesTheFile) {
    // A folder in the way of the PDF's name: the other exports still go, exit status 1.
    fs::create_directories(m_dir / "out" / "c1a1_two_series_s001_report.pdf");
    const CliRun r = Export("out");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("failed to write"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("c1a1_two_series_s001_report.pdf"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(m_dir / "out" / "c1a1_two_series_s002_report.pdf"));
    EXPECT_TRUE(fs::is_directory(m_dir / "out" / "c1a1_two_series_s001_report.pdf"));
}

}  // namespace
