// The real driftwise-cli binary on the example logs.

#include "import/LogImport.h"
#include "log/RecordingLog.h"
#include "text/Format.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

const std::string kExamples = DW_EXAMPLES_DIR;
const std::string kC1A1 = kExamples + "/c1a1_two_series.log";
const std::string kAtlas = kExamples + "/atlas_stab.dat";

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct CliRun {
    int status = -1;
    std::string out, err;
};

class CliBinary : public ::testing::Test {
protected:
    void SetUp() override {
        PinNumericLocale();
        m_dir = fs::temp_directory_path() /
                ("dw_cli_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    CliRun Cli(const std::vector<std::string>& args) {
        std::string cmd = ShellQuote(DW_CLI_PATH);
        for (const std::string& a : args) cmd += " " + ShellQuote(a);
        const fs::path out = m_dir / "stdout", err = m_dir / "stderr";
        cmd += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string());
        CliRun r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = Slurp(out);
        r.err = Slurp(err);
        return r;
    }

    fs::path m_dir;
};

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

}  // namespace

TEST_F(CliBinary, SeriesLinesOfBothExamples) {
    const CliRun r = Cli({kC1A1, kAtlas});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "#001: 400 samples, 800 s (0.50 Hz)\n"
              "#002: 400 samples, 800 s (0.50 Hz)\n"
              "#001: 397 samples, 798 s (0.50 Hz)\n");
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
    EXPECT_EQ(Count(j, "\n            ["), 800u);  // one row per sample

    // The rows hold the samples exactly as the import gives them.
    std::vector<CA1TimeSeries> list;
    ImportRequest request;
    request.strPath = kC1A1;
    ASSERT_EQ(ImportLogFile(request, IMPORT_NONE, list).nSeriesAdded, 2);
    for (const CA1TimeSeries& s : list)
        for (std::size_t i : {std::size_t(0), std::size_t(199), s.m_aSamples.size() - 1}) {
            const A1SAMPLE& a = s.m_aSamples[i];
            const std::string row = FormatText("[%d, %.17g, %.17g, 0, 0]", a.nIndex, a.dX, a.dY);
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
    EXPECT_EQ(r.out, "#001: 397 samples, 798 s (0.50 Hz)\n");
    EXPECT_NE(r.err.find("missing.log: Failed to open the file: No such file or directory"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("notes.txt: The file is neither a CEOS C1A1 log nor an ATLASStab log."), std::string::npos);
    EXPECT_EQ(Count(r.err, "\n"), 3u);

    const CliRun many = Cli({"--series", "3", kC1A1});
    EXPECT_EQ(many.status, 1);
    EXPECT_EQ(many.out, "");
    EXPECT_NE(many.err.find("The file holds 2 series; there is no series 3."), std::string::npos);

    const CliRun json = Cli({"--json", (m_dir / "missing.log").string()});
    EXPECT_EQ(json.status, 1);
    EXPECT_NE(json.out.find("\"format\": null,\n      \"error\": \"Failed to open the file: No such file or directory\",\n      \"series\": []"),
              std::string::npos)
        << json.out;
}

TEST_F(CliBinary, UsageErrorsExitTwoWithOneLine) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--min-diversity", "4", kC1A1}, {"--phase", "0", kC1A1}, {"--seed", "-1", kC1A1},
          {"--image-size", "10x10", kC1A1}, {"--format", "xml", kC1A1}, {"--frobnicate", kC1A1}}) {
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
    EXPECT_EQ(h.out.rfind("Usage: driftwise-cli [OPTIONS] LOGFILE...\n", 0), 0u);
}

TEST_F(CliBinary, LogFileAndVerbose) {
    const fs::path log = m_dir / "run.txt";
    std::ofstream(log, std::ios::binary) << "earlier";
    const CliRun r = Cli({"--log", log.string(), "--verbose", kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string content = Slurp(log);
    const std::string stamp = R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}: )";
    EXPECT_TRUE(std::regex_search(content, std::regex("^earlier\r\n" + stamp + R"(Importing ATLAS Stability log from file \[)")))
        << content.substr(0, 120);
    EXPECT_TRUE(std::regex_search(content, std::regex("\r\n" + stamp + "Added 1 new A1-time series to the data list\\.$")));
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
    EXPECT_EQ(badLog.out, "#001: 397 samples, 798 s (0.50 Hz)\n");
}
