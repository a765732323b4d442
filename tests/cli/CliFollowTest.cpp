// SPDX-License-Identifier: GPL-3.0-or-later
// --follow: the options, and the real binary following a log that a
// simulated writer appends to.

#include "CliBinary.h"

#include "cli/CliFollow.h"
#include "loggen/LogGenerator.h"
#include "support/WriterSimulator.h"

#include <thread>

using namespace clitest;

namespace {

struct FOLLOWARGS {
    std::vector<std::string> args;
    bool bOk;
    std::vector<std::string> rest;  // the files
    bool bFollow = false;
    double dInterval = 10.0;
    double dUntilIdle = 0.0;  // 0: not given
    std::string strError;
};

TEST(CliFollowOptions, AreRowsOfTheOptionTable) {
    const std::vector<FOLLOWARGS> cases = {
        {{"--follow", "a.log"}, true, {"a.log"}, true, 10.0, 0.0, ""},
        {{"--json", "--follow", "--follow-interval", "2.5", "--until-idle=3", "a.log"},
         true,
         {"a.log"},
         true,
         2.5,
         3.0,
         ""},
        {{"--follow-interval=1", "--follow", "a.log"}, true, {"a.log"}, true, 1.0, 0.0, ""},
        // The value of another option is never taken for one of these.
        {{"--log", "--follow", "a.log"}, true, {"a.log"}, false, 10.0, 0.0, ""},
        {{"--", "--follow"}, true, {"--follow"}, false, 10.0, 0.0, ""},
        {{"--follow-interval", "0.5", "a.log"},
         false,
         {},
         false,
         10.0,
         0.0,
         "--follow-interval: expected seconds from 1 to 3600, not \"0.5\""},
        {{"--follow-interval", "3601"},
         false,
         {},
         false,
         10.0,
         0.0,
         "--follow-interval: expected seconds from 1 to 3600, not \"3601\""},
        {{"--until-idle", "0"},
         false,
         {},
         false,
         10.0,
         0.0,
         "--until-idle: expected a positive number of seconds, not \"0\""},
        {{"--until-idle", "3s"},
         false,
         {},
         false,
         10.0,
         0.0,
         "--until-idle: expected a positive number of seconds, not \"3s\""},
        {{"--until-idle"}, false, {}, false, 10.0, 0.0, "--until-idle: missing value"},
        {{"--follow=yes"}, false, {}, false, 10.0, 0.0, "--follow: takes no value"},
        {{"--follow-interval", "2", "a.log"}, false, {}, false, 10.0, 0.0, "--follow-interval: only with --follow"},
        {{"--until-idle", "2", "a.log"}, false, {}, false, 10.0, 0.0, "--until-idle: only with --follow"},
    };
    for (const FOLLOWARGS& c : cases) {
        const CliParseResult r = ParseCliOptions(c.args);
        const std::string what = c.args.front() + (c.args.size() > 1 ? " " + c.args[1] : "");
        ASSERT_EQ(r.bOk, c.bOk) << what << ": " << r.strError;
        EXPECT_EQ(r.strError, c.strError) << what;
        if (!c.bOk) continue;
        const CliFollowOptions& follow = r.options.follow;
        EXPECT_EQ(r.options.astrFiles, c.rest) << what;
        EXPECT_EQ(follow.bFollow, c.bFollow) << what;
        EXPECT_EQ(follow.dIntervalS, c.dInterval) << what;
        EXPECT_EQ(follow.bUntilIdle, c.dUntilIdle > 0) << what;
        if (c.dUntilIdle > 0) {
            EXPECT_EQ(follow.dUntilIdleS, c.dUntilIdle) << what;
        }
    }
}

// The document with the writer's line breaks and indentation removed.
std::string OneLine(const std::string& document) {
    std::string line;
    bool lineStart = false;
    for (char c : document) {
        if (c == '\n') {
            lineStart = true;
            continue;
        }
        if (lineStart && c == ' ') continue;
        lineStart = false;
        line += c;
    }
    return line;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t lf = text.find('\n', pos);
        const std::size_t end = lf == std::string::npos ? text.size() : lf;
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

std::string TwoSeriesLog() {
    loggen::CSplitMix random(2112);
    std::vector<loggen::GeneratedSeries> list;
    for (int i = 0; i < 2; ++i) {
        loggen::SeriesSetup setup;
        setup.nImages = 150;
        setup.nStartTime = 100 + 1000 * i;
        list.push_back(loggen::SimulateSeries(setup, random));
    }
    return loggen::ToCrLf(loggen::WriteC1A1Log(list));
}

// While a writer appends a log line by line with pauses, the tool prints one
// JSON line per evaluation, a series in progress marked provisional, and
// its last line is the JSON of the finished file.
TEST_F(CliBinary, FollowPrintsJsonLinesEndingInTheFinishedFilesDocument) {
    const std::string log = TwoSeriesLog();
    const std::string path = (m_dir / "growing.log").string();
    std::vector<WRITERWRITE> writes = PlanWrites(log, {.nLinesPerWrite = 12, .bSplitLines = true, .dPauseS = 0.15});
    // A longer pause in the middle, shorter than the idle end.
    writes[writes.size() / 2].dPauseAfterS = 1.5;
    ASSERT_TRUE(AppendWrites(path, {writes.front()}));
    writes.erase(writes.begin());
    bool written = false;
    std::thread writer([&] { written = AppendWrites(path, writes); });
    const CliRun r = Cli({"--follow", "--json", "--until-idle", "3", "--follow-interval", "1", "--seed", "7", path});
    writer.join();
    ASSERT_TRUE(written);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 3u) << r.out.substr(0, 300);
    bool provisional = false;
    for (const std::string& line : lines) {
        EXPECT_TRUE(line.starts_with("{\"version\": ") && line.ends_with("}")) << line.substr(0, 100);
        provisional = provisional || line.find("\"provisional\": true") != std::string::npos;
    }
    EXPECT_TRUE(provisional);
    const CliRun batch = Cli({"--json", "--seed", "7", path});
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(lines.back(), OneLine(batch.out));
}

// SIGTERM ends following after the evaluation, with the usual exit status;
// the summary rows carry the provisional column.
TEST_F(CliBinary, FollowEndsCleanlyOnSigterm) {
    const std::string path = (m_dir / "stab.dat").string();
    std::ofstream(path, std::ios::binary) << clitest::Slurp(kAtlas);
    const fs::path status = m_dir / "status", out = m_dir / "out", err = m_dir / "err";
    const std::string cmd = ShellQuote(DW_CLI_PATH) + " --follow --no-fit --summary - " + ShellQuote(path) + " >" +
                            ShellQuote(out.string()) + " 2>" + ShellQuote(err.string()) +
                            " & p=$!; sleep 2; kill -TERM $p; wait $p; echo $? >" + ShellQuote(status.string());
    ASSERT_EQ(std::system(("sh -c " + ShellQuote(cmd)).c_str()), 0);
    EXPECT_EQ(Slurp(status), "0\n") << Slurp(err);
    const std::vector<std::string> lines = Lines(Slurp(out));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(",rw_p16_s,provisional"));
    EXPECT_TRUE(lines[1].ends_with(",0"));
}

// The usage errors of following, and a summary that is the followed log.
TEST_F(CliBinary, FollowRefusesWhatItCannotFollow) {
    const std::string log = (m_dir / "stab.dat").string();
    std::ofstream(log, std::ios::binary) << Slurp(kAtlas);
    const std::string before = Slurp(log);
    CliRun r = Cli({"--follow", kAtlas, log});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "driftwise-cli: --follow: expected one log file (see driftwise-cli --help)\n");
    r = Cli({"--until-idle", "3", log});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "driftwise-cli: --until-idle: only with --follow (see driftwise-cli --help)\n");
    r = Cli({"--follow", m_dir.string()});
    EXPECT_EQ(r.status, 2);
    r = Cli({"--follow", "--summary", log, log});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(log), before);
}

}  // namespace
