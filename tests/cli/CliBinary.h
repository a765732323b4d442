#pragma once
// Runs the real driftwise-cli binary in a shell, each test in its own
// temporary folder, and collects the exit status and both streams.

#include "support/RecordingLog.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace clitest {

namespace fs = std::filesystem;

inline const std::string kExamples = DW_EXAMPLES_DIR;
inline const std::string kC1A1 = kExamples + "/c1a1_two_series.log";
inline const std::string kAtlas = kExamples + "/atlas_stab.dat";

inline std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

struct CliRun {
    int status = -1;
    std::string out, err;
};

class CliBinary : public ::testing::Test {
protected:
    void SetUp() override { PinNumericLocale(); }

    // envPrefix: a shell prefix such as "env -u NAME " for the command.
    CliRun Cli(const std::vector<std::string>& args, const std::string& envPrefix = "") {
        std::string cmd = envPrefix + ShellQuote(DW_CLI_PATH);
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

    CTempFolder m_folder{"dw_cli"};
    fs::path m_dir{m_folder.Path()};
};

// The report of one series in the default output: the text after the line
// "== path series N" up to the LF that ends it.
inline std::string ReportOf(const std::string& out, const std::string& path, int series) {
    const std::string head = "== " + path + " series " + std::to_string(series) + "\n";
    const std::size_t start = out.find(head);
    if (start == std::string::npos) return "(no report of " + head + ")";
    const std::size_t body = start + head.size();
    std::size_t end = out.find("\n== ", body);
    if (end == std::string::npos) end = out.size() - 1;
    return out.substr(body, end - body);
}

}  // namespace clitest
