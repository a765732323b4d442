// SPDX-License-Identifier: GPL-3.0-or-later
// The progress display: its line, its redraw and clear sequence, and the
// real tool with standard error on a pseudo-terminal.

#include "CliBinary.h"

#include "cli/CliErrors.h"
#include "cli/CliProgress.h"
#include "platform/Terminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace clitest;

namespace {

// What was written to a temporary stream.
std::string Written(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string text;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) text += static_cast<char>(c);
    return text;
}

// A pseudo-terminal whose slave side a child process can open by name.
class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
        const char* name = ptsname(m_master);
        if (!name) return;
        m_slaveName = name;
        // Held open here too, so what the child wrote stays readable after it ends.
        m_slave = open(name, O_RDWR | O_NOCTTY);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PseudoTerminal() {
        if (m_slave >= 0) close(m_slave);
        if (m_master >= 0) close(m_master);
    }
    bool Ok() const { return m_slave >= 0; }
    const std::string& SlaveName() const { return m_slaveName; }
    std::string ReadAll() {
        std::string text;
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
            else if (n < 0 && errno == EINTR) continue;
            else break;
        }
        return text;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slaveName;
};

}  // namespace

TEST(CliProgressLine, CountsPathAndShortensFromTheStart) {
    EXPECT_EQ(CCliProgress::LineText(12, 240, "logs/a.log", 80), "[12/240] logs/a.log");
    // 20 columns: 19 characters at most, the end of the path kept.
    EXPECT_EQ(CCliProgress::LineText(3, 9, "archive/2024/run.log", 20), "[3/9] ...24/run.log");
    // Characters are code points: "J\u00e4n/\u00fc.log" is never cut inside a letter.
    EXPECT_EQ(CCliProgress::LineText(1, 2, "x/J\xC3\xA4n/\xC3\xBC.log", 18), "[1/2] x/J\xC3\xA4n/\xC3\xBC.log");
    EXPECT_EQ(CCliProgress::LineText(1, 2, "x/J\xC3\xA4n/\xC3\xBC.log", 17), "[1/2] ...n/\xC3\xBC.log");
    EXPECT_EQ(CCliProgress::LineText(1, 2, "x/J\xC3\xA4n/\xC3\xBC.log", 16), "[1/2] .../\xC3\xBC.log");
    EXPECT_EQ(CCliProgress::LineText(1, 2, "x/J\xC3\xA4n/\xC3\xBC.log", 15), "[1/2] ...\xC3\xBC.log");
    // No control character reaches the terminal.
    EXPECT_EQ(CCliProgress::LineText(1, 2, "a\tb\x1b[2J.log", 80), "[1/2] a?b?[2J.log");
    // Too narrow for any path.
    EXPECT_EQ(CCliProgress::LineText(1, 2, "a.log", 5), "[1/2");
}

TEST(CliProgressLine, RedrawsInPlaceAndClearsWhatItDrew) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        CCliProgress progress(f, true, 2, 80);
        progress.Show(1, "long/name.log");
        progress.Show(2, "b.log");
        progress.Clear();
        progress.Clear();  // nothing drawn: nothing to clear
        progress.Show(2, "b.log");
    }  // cleared at the end
    EXPECT_EQ(Written(f), "\r[1/2] long/name.log"
                          "\r[2/2] b.log        \r[2/2] b.log"
                          "\r           \r"
                          "\r[2/2] b.log"
                          "\r           \r");
    std::fclose(f);

    std::FILE* quiet = std::tmpfile();
    ASSERT_NE(quiet, nullptr);
    {
        CCliProgress progress(quiet, false, 2, 80);
        progress.Show(1, "a.log");
    }
    EXPECT_EQ(Written(quiet), "");
    std::fclose(quiet);
}

TEST(CliProgressLine, OnlyATerminalIsATerminal) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(IsTerminal(f));
    EXPECT_FALSE(CliProgressWanted(f, 5));
    EXPECT_EQ(TerminalColumns(f), 0);
    std::fclose(f);
    EXPECT_FALSE(IsTerminal(nullptr));
}

TEST_F(CliBinary, ProgressOnATerminalIsDrawnClearedAndMakesRoomForMessages) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    // A path longer than the terminal line, whatever the temporary folder.
    const std::string missing = (m_dir / std::string(90, 'x') / "missing.log").string();
    auto run = [&](const std::vector<std::string>& args) {
        std::string cmd = ShellQuote(DW_CLI_PATH);
        for (const std::string& a : args) cmd += " " + ShellQuote(a);
        cmd += " >" + ShellQuote((m_dir / "stdout").string()) + " 2>" + ShellQuote(pty.SlaveName());
        const int raw = std::system(cmd.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };

    EXPECT_EQ(run({"--no-fit", kC1A1, missing, kAtlas}), 1);
    const std::string tty = pty.ReadAll();
    EXPECT_NE(tty.find("\r[1/3] " + kC1A1), std::string::npos) << tty;
    // The long path of the missing file keeps its end within 80 columns.
    const std::size_t second = tty.find("\r[2/3] ...");
    ASSERT_NE(second, std::string::npos) << tty;
    EXPECT_EQ(tty.substr(second + 1, 80).find("missing.log"), 79u - 11u) << tty;
    EXPECT_NE(tty.find("\r[3/3] " + kAtlas), std::string::npos) << tty;
    // The error stands on a line of its own: the progress line was cleared first.
    const std::size_t error = tty.find("driftwise-cli: " + missing + ": Failed to open the file");
    ASSERT_NE(error, std::string::npos) << tty;
    EXPECT_EQ(tty.substr(error - 2, 2), " \r");
    // The line is cleared at the end: blanks over it, the cursor back at its start.
    const std::string last = "[3/3] " + kAtlas;
    EXPECT_TRUE(tty.ends_with("\r" + last + "\r" + std::string(last.size(), ' ') + "\r")) << tty;
    // Standard output holds the reports only.
    const std::string out = Slurp(m_dir / "stdout");
    EXPECT_EQ(out.find("[1/3]"), std::string::npos);
    EXPECT_EQ(Count(out, "== "), 3u);

    // One file: no progress display.
    EXPECT_EQ(run({"--no-fit", kAtlas}), 0);
    EXPECT_EQ(pty.ReadAll(), "");

    // Standard error not a terminal: nothing of it.
    const CliRun plain = Cli({"--no-fit", kC1A1, kAtlas});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.err, "");
}

// Every message of the run goes through one writer: the progress line is
// cleared first, and only Fail marks the run failed.
TEST(CliErrors, ClearTheProgressLineAndOnlyFailMarksTheRun) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        CCliProgress progress(f, true, 2, 80);
        CCliErrors errors(f);
        errors.SetProgress(&progress);
        progress.Show(1, "a.log");
        errors.Write("File error [a.log]: full");
        EXPECT_FALSE(errors.Failed());
        progress.Show(2, "b.log");
        errors.Fail("b.log: no series");
        EXPECT_TRUE(errors.Failed());
        errors.SetProgress(nullptr);
    }
    EXPECT_EQ(Written(f), "\r[1/2] a.log\r           \rdriftwise-cli: File error [a.log]: full\n"
                          "\r[2/2] b.log\r           \rdriftwise-cli: b.log: no series\n");
    std::fclose(f);
}
