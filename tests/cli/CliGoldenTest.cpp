// SPDX-License-Identifier: GPL-3.0-or-later
// The batch tool's whole output on the bundled examples, byte for byte: the
// reports, the JSON, the summary table, the usage text and the usage errors
// (tests/data/cli_*, see cli_README.txt). The model fit runs with a fixed seed.

#include "cli/CliBinary.h"
#include "support/GoldenFile.h"

namespace {

using namespace clitest;

struct GoldenCase {
    const char* golden;  // tests/data/cli_<golden>
    std::vector<std::string> args;
};

const std::vector<std::string> kBoth = {"c1a1_two_series.log", "atlas_stab.dat"};

std::vector<std::string> With(std::vector<std::string> args) {
    args.insert(args.end(), kBoth.begin(), kBoth.end());
    return args;
}

class CliGolden : public CliBinary, public ::testing::WithParamInterface<GoldenCase> {};

// Run in the examples folder, so the paths in the output are the bare names.
TEST_P(CliGolden, StandardOutputMatchesGolden) {
    const CliRun r = Cli(GetParam().args, "cd " + ShellQuote(kExamples) + " && ");
    EXPECT_EQ(r.status, 0) << r.err;
    // The report names the log by its full path: the clone's folder is not
    // part of the golden text.
    std::string out = r.out;
    const std::string folder = std::string(kExamples) + "/";
    for (std::size_t at = out.find(folder); at != std::string::npos; at = out.find(folder, at))
        out.replace(at, folder.size(), "EXAMPLES/");
    ExpectTextAsGolden(out, std::string("cli_") + GetParam().golden);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CliGolden,
    ::testing::Values(
        GoldenCase{"report.txt", With({"--seed", "7"})}, GoldenCase{"document.json", With({"--seed", "7", "--json"})},
        GoldenCase{"summary.csv", With({"--seed", "7", "--summary", "-"})},
        GoldenCase{"nofit_report.txt", With({"--seed", "7", "--energy", "200", "--resolution", "0.8", "--no-fit"})},
        GoldenCase{"nofit_summary.csv",
                   With({"--seed", "7", "--energy", "200", "--resolution=0.8", "--no-fit", "--summary", "-"})},
        GoldenCase{"mirror_document.json", With({"--seed", "7", "--mirror-y", "--rotation", "12", "--json"})},
        GoldenCase{"series_route_summary.csv",
                   {"--seed=4294967295", "--series", "2", "--min-diversity", "12", "--phase", "0.5", "--cf-route",
                    "direct", "--format", "c1a1", "--summary", "-", "c1a1_two_series.log"}},
        GoldenCase{"help.txt", {"--help"}}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) {
        std::string name = info.param.golden;
        for (char& c : name)
            if (c == '.') c = '_';
        return name;
    });

// One line on standard error per malformed or out-of-range option, each from
// its own run (exit status 2).
TEST_F(CliBinary, UsageErrorsMatchGolden) {
    const std::vector<std::vector<std::string>> cases = {
        {"--format", "csv", "a.log"},
        {"--cf-route", "slow", "a.log"},
        {"--series", "0", "a.log"},
        {"--rotation", "x", "a.log"},
        {"--min-diversity", "4", "a.log"},
        {"--min-diversity", "50001", "a.log"},
        {"--energy", "0", "a.log"},
        {"--resolution", "-1", "a.log"},
        {"--phase", "1001", "a.log"},
        {"--phase", "0.0009", "a.log"},
        {"--seed", "4294967296", "a.log"},
        {"--export=", "a.log"},
        {"--image-format", "gif", "a.log"},
        {"--image-size", "15x20", "a.log"},
        {"--summary=", "a.log"},
        {"--log=", "a.log"},
        {"--json=1", "a.log"},
        {"--energy"},
        {"--bogus", "a.log"},
        {},
        {"--json", "--summary", "-", "a.log"},
        {"--mirror-y=yes", "a.log"},
        {"--min-diversity", "1e1", "a.log"},
        {"--energy", " 3", "a.log"},
    };
    std::string all;
    for (const auto& args : cases) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, 2) << r.err;
        all += r.err;
    }
    ExpectTextAsGolden(all, "cli_usage_errors.txt");
}

}  // namespace
