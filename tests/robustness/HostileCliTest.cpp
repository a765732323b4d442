// The batch tool on hostile files: it exits with status 1 and names the file
// and the reason on standard error, and never ends by a signal.

#include "RobustnessSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace robust;

namespace {

#ifdef DW_CLI_PATH

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Outcome {
    bool exited = false;  // false: ended by a signal
    int status = -1;
    std::string out, err;
};

Outcome RunCli(const CTempFolder& dir, const std::vector<std::string>& args) {
    std::string cmd = Quote(DW_CLI_PATH);
    for (const std::string& a : args) cmd += " " + Quote(a);
    cmd += " </dev/null >" + Quote(dir.File("stdout")) + " 2>" + Quote(dir.File("stderr"));
    const int raw = std::system(cmd.c_str());
    Outcome o;
    o.exited = raw != -1 && WIFEXITED(raw);
    o.status = o.exited ? WEXITSTATUS(raw) : -1;
    o.out = Slurp(dir.File("stdout"));
    o.err = Slurp(dir.File("stderr"));
    return o;
}

TEST(HostileCli, HostileFilesExitWithOneAndAMessage) {
    CTempFolder dir;
    std::string binary(8192, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 2654435761u) >> 13);
    const std::vector<std::string> files = {
        dir.Write("empty.log", ""),
        dir.Write("binary.log", binary),
        dir.Write("markers.log", "C1A1 series successfully started.\nC1A1 series stopped by user.\n"),
        dir.Write("truncated.log",
                  "C1A1 series successfully started.\ndTime: 10 s\n#1: C1: 1 nm, A1: 850pm / 1 deg, 1 cnts\n"
                  "C1A1 series stopped by user.\ndTime: 2"),
        dir.Write("header_only_\xff\xfe.dat", "img   a22x err(a22x)  a22y err(a22y)  filetime\n"),
        dir.File("missing_\xc3\x28.log"),
        dir.Path(),
    };
    for (const std::string& f : files) {
        for (const std::vector<std::string>& extra : {std::vector<std::string>{}, std::vector<std::string>{"--json"}}) {
            SCOPED_TRACE(f);
            std::vector<std::string> args = extra;
            args.push_back(f);
            const Outcome o = RunCli(dir, args);
            ASSERT_TRUE(o.exited) << "ended by a signal";
            EXPECT_EQ(o.status, 1) << o.err;
            // A folder is searched for logs: the hostile logs in it are named.
            const std::string named = f == dir.Path() ? f + "/" : f + ": ";
            EXPECT_NE(o.err.find("driftwise-cli: " + named), std::string::npos) << o.err;
            EXPECT_EQ(o.err.find("AddressSanitizer"), std::string::npos) << o.err;
            EXPECT_EQ(o.err.find("runtime error"), std::string::npos) << o.err;
            if (!extra.empty()) {
                EXPECT_NE(o.out.find("\"error\""), std::string::npos) << o.out;
            }
        }
    }
}

// A hostile file next to a good one: the good one is still evaluated.
TEST(HostileCli, GoodFileIsStillEvaluated) {
    CTempFolder dir;
    const std::string bad = dir.Write("bad.log", std::string(100, '\0'));
    const Outcome o = RunCli(dir, {"--no-fit", bad, std::string(DW_EXAMPLES_DIR) + "/atlas_stab.dat"});
    ASSERT_TRUE(o.exited);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(bad), std::string::npos);
    EXPECT_NE(o.out.find("Astigmatism Stability Report"), std::string::npos);
}

#else

TEST(HostileCli, HostileFilesExitWithOneAndAMessage) { GTEST_SKIP() << "driftwise-cli is not built"; }

#endif

}  // namespace
