// The real driftwise-cli binary on the example logs: import, options, log.

#include "CliBinary.h"

#include "cli/JsonWriter.h"
#include "import/LogImport.h"
#include "text/Format.h"

#include <regex>

using namespace clitest;

TEST_F(CliBinary, OneReportPerSeriesOfBothExamples) {
    const CliRun r = Cli({kC1A1, kAtlas});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("== " + kC1A1 + " series 1\n ", 0), 0u) << r.out.substr(0, 200);
    std::vector<std::string> heads;
    for (std::size_t p = r.out.find("== "); p != std::string::npos; p = r.out.find("\n== ", p + 1)) {
        const std::size_t at = p == 0 ? 0 : p + 1;
        heads.push_back(r.out.substr(at, r.out.find('\n', at) - at));
    }
    EXPECT_EQ(heads, (std::vector<std::string>{"== " + kC1A1 + " series 1", "== " + kC1A1 + " series 2",
                                               "== " + kAtlas + " series 1"}));
    EXPECT_EQ(Count(r.out, " Driftwise v1.0.2 (build 140206) - Astigmatism Stability Report"), 3u);
    // Each report ends with its separator and one LF.
    EXPECT_TRUE(r.out.ends_with("------------------------------------------------------------------------------\n"));
    EXPECT_EQ(r.err, "");
}

TEST_F(CliBinary, JsonListsBothSeriesWithTheirSamples) {
    const CliRun r = Cli({"--json", kC1A1});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string& j = r.out;
    EXPECT_EQ(j.rfind("{\n  \"version\": \"1.0.2 (build 140206)\",\n  \"files\": [\n", 0), 0u) << j.substr(0, 200);
    EXPECT_NE(j.find("\"path\": " + std::string("\"") + kC1A1 + "\""), std::string::npos);
    EXPECT_NE(j.find("\"format\": \"c1a1\""), std::string::npos);
    EXPECT_NE(j.find("\"error\": null"), std::string::npos);
    EXPECT_EQ(Count(j, "\"index\": "), 2u);
    EXPECT_NE(j.find("\"index\": 1,"), std::string::npos);
    EXPECT_NE(j.find("\"index\": 2,"), std::string::npos);
    EXPECT_EQ(Count(j, "\"data_lines\": 400,"), 2u);
    EXPECT_EQ(Count(j, "\"image_period_s\": 2,"), 2u);
    EXPECT_EQ(Count(j, "\"mirror\": 1,"), 2u);
    EXPECT_EQ(Count(j, "\"rotation_deg\": 0,"), 2u);
    // One row per sample and per characteristic-function record (38 each).
    EXPECT_EQ(Count(j, "\n            ["), 800u + 2u * 38u);

    // The rows hold the samples exactly as the import gives them.
    std::vector<CA1TimeSeries> list;
    ImportRequest request;
    request.strPath = kC1A1;
    ASSERT_EQ(ImportLogFile(request, IMPORT_NONE, list).nSeriesAdded, 2);
    for (const CA1TimeSeries& s : list)
        for (std::size_t i : {std::size_t(0), std::size_t(199), s.m_aSamples.size() - 1}) {
            const A1SAMPLE& a = s.m_aSamples[i];
            const std::string row = FormatText("[%d, ", a.nIndex) + CJsonWriter::FormatNumber(a.dX) + ", " +
                                    CJsonWriter::FormatNumber(a.dY) + ", 0, 0]";
            EXPECT_NE(j.find(row), std::string::npos) << row;
        }
    EXPECT_NE(j.find(FormatText("\"first_line\": %d,", list[1].m_nFirstLine)), std::string::npos);
    EXPECT_NE(j.find(FormatText("\"start_time\": %d,", list[1].m_nStartTime)), std::string::npos);
}

TEST_F(CliBinary, ImportOptionsReachTheExtraction) {
    const CliRun r = Cli({"--json", "--series", "2", "--mirror-y", "--rotation", "90", "--format", "c1a1", kC1A1});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Count(r.out, "\"index\": "), 1u);
    EXPECT_NE(r.out.find("\"index\": 2,"), std::string::npos);
    EXPECT_NE(r.out.find("\"mirror\": -1,"), std::string::npos);
    EXPECT_NE(r.out.find("\"rotation_deg\": 90,"), std::string::npos);

    const CliRun atlas = Cli({"--format", "atlas", kAtlas});
    EXPECT_EQ(atlas.status, 0);
    const CliRun wrong = Cli({"--format", "atlas", kC1A1});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("c1a1_two_series.log"), std::string::npos);
}

TEST_F(CliBinary, UnreadableOrEmptyFilesExitOneAndTheRestIsStillOutput) {
    const std::string text = (m_dir / "notes.txt").string();
    std::ofstream(text) << "nothing to see\n";
    const CliRun r = Cli({(m_dir / "missing.log").string(), kAtlas, text, m_dir.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("== " + kAtlas + " series 1\n", 0), 0u);
    EXPECT_EQ(Count(r.out, "\n== "), 0u);
    EXPECT_NE(r.err.find("missing.log: Failed to open the file: No such file or directory"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("notes.txt: The file is neither a CEOS C1A1 log nor an ATLASStab log."), std::string::npos);
    // The test folder holds no log, only the note.
    EXPECT_NE(r.err.find(m_dir.string() + ": The folder holds no log."), std::string::npos) << r.err;
    EXPECT_EQ(Count(r.err, "\n"), 3u);

    const CliRun many = Cli({"--series", "3", kC1A1});
    EXPECT_EQ(many.status, 1);
    EXPECT_EQ(many.out, "");
    EXPECT_NE(many.err.find("The file holds 2 series; there is no series 3."), std::string::npos);

    const CliRun json = Cli({"--json", (m_dir / "missing.log").string()});
    EXPECT_EQ(json.status, 1);
    EXPECT_NE(
        json.out.find(
            "\"format\": null,\n      \"error\": \"Failed to open the file: No such file or directory\",\n      \"series\": []"),
        std::string::npos)
        << json.out;
}

TEST_F(CliBinary, UsageErrorsExitTwoWithOneLine) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"--min-diversity", "4", kC1A1},
                                                 {"--phase", "0", kC1A1},
                                                 {"--seed", "-1", kC1A1},
                                                 {"--image-size", "10x10", kC1A1},
                                                 {"--format", "xml", kC1A1},
                                                 {"--frobnicate", kC1A1}}) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
        EXPECT_EQ(r.err.rfind("driftwise-cli: ", 0), 0u);
        if (!args.empty() && args[0].starts_with("--") && args[0] != "--frobnicate") {
            EXPECT_NE(r.err.find(args[0] + ":"), std::string::npos) << r.err;
        }
    }
}

TEST_F(CliBinary, HelpAndVersion) {
    const CliRun v = Cli({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "1.0.2 (build 140206)\n");
    const CliRun h = Cli({"--help"});
    EXPECT_EQ(h.status, 0);
    EXPECT_EQ(h.out.rfind("Usage: driftwise-cli [OPTIONS] LOGFILE|FOLDER...\n", 0), 0u);
}

TEST_F(CliBinary, LogFileAndVerbose) {
    const fs::path log = m_dir / "run.txt";
    std::ofstream(log, std::ios::binary) << "earlier";
    const CliRun r = Cli({"--log", log.string(), "--verbose", kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string content = Slurp(log);
    const std::string stamp = R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}: )";
    EXPECT_TRUE(std::regex_search(content,
                                  std::regex("^earlier\r\n" + stamp + R"(Importing ATLAS Stability log from file \[)")))
        << content.substr(0, 120);
    EXPECT_TRUE(
        std::regex_search(content, std::regex("\r\n" + stamp + "Added 1 new A1-time series to the data list\\.\r\n")));
    // The evaluation follows, up to the model lifetime.
    EXPECT_TRUE(std::regex_search(
        content, std::regex("\r\n" + stamp + "Extracting data for the characteristic function\\.\\.\\.\r\n")));
    EXPECT_TRUE(
        std::regex_search(content, std::regex("\r\n" + stamp + "Lifetime evaluation from the model function:\r\n")));
    EXPECT_TRUE(std::regex_search(content, std::regex("\r\n" + stamp + "- Lifetime: [0-9]+\\.[0-9] s\\.$"))) << content;
    EXPECT_EQ(content.find('\n', content.size() - 2), std::string::npos);  // no line end at the end
    // The same lines, with the same stamps, on standard error.
    std::string expected;
    std::istringstream lines(content.substr(std::string("earlier\r\n").size()));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        expected += line + "\n";
    }
    EXPECT_EQ(r.err, expected);

    const CliRun quiet = Cli({kAtlas});
    EXPECT_EQ(quiet.err, "");
    const CliRun badLog = Cli({"--log", (m_dir / "no" / "such" / "dir.txt").string(), kAtlas});
    EXPECT_EQ(badLog.status, 1);
    EXPECT_NE(badLog.err.find("cannot open the log file"), std::string::npos);
    EXPECT_EQ(badLog.out.rfind("== " + kAtlas + " series 1\n", 0), 0u);
}
