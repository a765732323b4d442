// SPDX-License-Identifier: GPL-3.0-or-later
// --intervals and --replicates of the real binary: the JSON "intervals"
// object, the summary columns appended only when asked, the
// STEM_sNNN_intervals.txt export and the "Uncertainty" block.

#include "CliBinary.h"
#include "JsonCheck.h"

#include "cli/CliSummary.h"

#include <cmath>
#include <string>
#include <vector>

using namespace clitest;

namespace {

JsonValue ParseJson(const std::string& text) {
    JsonValue v;
    std::string error;
    JsonReader reader;
    EXPECT_TRUE(reader.Parse(text, v, error)) << error;
    return v;
}

std::vector<std::string> SplitLine(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    for (char c : line) {
        if (c == ',') {
            cells.push_back(cell);
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.push_back(cell);
    return cells;
}

const char* const kQuantities[] = {"di_nm", "da_nm", "tc_s", "s_nm", "model_lifetime_s", "p84_s", "p50_s", "p16_s"};

}  // namespace

TEST_F(CliBinary, IntervalsObjectOfTheContractAndTheSameBytesForASeed) {
    const CliRun r = Cli({"--json", "--intervals", "--replicates", "100", "--seed", "1", kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    const JsonValue doc = ParseJson(r.out);
    const JsonValue& s = doc["files"].items.at(0)["series"].items.at(0);
    ASSERT_TRUE(s["model_valid"].b);
    const JsonValue& iv = s["intervals"];
    ASSERT_FALSE(iv.IsNull());
    std::vector<std::string> keys = {"replicates", "seed", "method", "goodness_of_fit_p"};
    keys.insert(keys.end(), std::begin(kQuantities), std::end(kQuantities));
    EXPECT_EQ(iv.Keys(), keys);
    EXPECT_EQ(iv["replicates"].text, "100");
    EXPECT_EQ(iv["seed"].text, "1");
    EXPECT_GE(iv["goodness_of_fit_p"].number, 0.0);
    EXPECT_LE(iv["goodness_of_fit_p"].number, 1.0);
    for (const char* q : kQuantities) {
        const JsonValue& e = iv[q];
        EXPECT_EQ(e.Keys(), (std::vector<std::string>{"lo95", "lo68", "hi68", "hi95"})) << q;
        // Nested ends where both exist; the 95 % interval holds the 68 % one.
        if (!e["lo95"].IsNull() && !e["lo68"].IsNull()) {
            EXPECT_LE(e["lo95"].number, e["lo68"].number) << q;
        }
        if (!e["lo68"].IsNull() && !e["hi68"].IsNull()) {
            EXPECT_LE(e["lo68"].number, e["hi68"].number) << q;
        }
        if (!e["hi68"].IsNull() && !e["hi95"].IsNull()) {
            EXPECT_LE(e["hi68"].number, e["hi95"].number) << q;
        }
    }
    // The fit's estimate of Di lies inside its 95 % interval here.
    EXPECT_LE(iv["di_nm"]["lo95"].number, s["fit"]["di_nm"].number);
    EXPECT_GE(iv["di_nm"]["hi95"].number, s["fit"]["di_nm"].number);

    const CliRun again = Cli({"--json", "--intervals", "--replicates", "100", "--seed", "1", kAtlas});
    EXPECT_EQ(again.out, r.out);
    const CliRun other = Cli({"--json", "--intervals", "--replicates", "100", "--seed", "2", kAtlas});
    EXPECT_NE(ParseJson(other.out)["files"].items.at(0)["series"].items.at(0)["intervals"]["di_nm"]["lo95"].text,
              iv["di_nm"]["lo95"].text);

    // Without --intervals the key is null, and the other keys are unchanged.
    const CliRun plain = Cli({"--json", "--seed", "1", kAtlas});
    const JsonValue plainDoc = ParseJson(plain.out);
    EXPECT_TRUE(plainDoc["files"].items.at(0)["series"].items.at(0)["intervals"].IsNull());
    EXPECT_EQ(plainDoc["files"].items.at(0)["series"].items.at(0)["fit"]["di_nm"].text, s["fit"]["di_nm"].text);
}

TEST_F(CliBinary, IntervalSummaryColumnsOnlyWhenAsked) {
    const std::string tail =
        ",gof_p,di_nm_lo95,di_nm_hi95,da_nm_lo95,da_nm_hi95,tc_s_lo95,tc_s_hi95,s_nm_lo95,s_nm_hi95,"
        "model_lifetime_s_lo95,model_lifetime_s_hi95,p84_s_lo95,p84_s_hi95,p50_s_lo95,p50_s_hi95,p16_s_lo95,"
        "p16_s_hi95,replicates\n";
    const std::string plainHeader = CliSummaryHeader();
    EXPECT_EQ(plainHeader.find("gof_p"), std::string::npos);
    EXPECT_EQ(CliSummaryHeader(true), plainHeader.substr(0, plainHeader.size() - 1) + tail);

    const CliRun r = Cli({"--intervals", "--replicates", "100", "--seed", "1", "--summary", "-", kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::size_t eol = r.out.find('\n');
    EXPECT_EQ(r.out.substr(0, eol + 1), CliSummaryHeader(true));
    const std::vector<std::string> head = SplitLine(r.out.substr(0, eol));
    const std::vector<std::string> row = SplitLine(r.out.substr(eol + 1, r.out.find('\n', eol + 1) - eol - 1));
    ASSERT_EQ(row.size(), head.size());
    EXPECT_EQ(row.back(), "100");
    // The cells are the JSON's numbers.
    const CliRun json = Cli({"--json", "--intervals", "--replicates", "100", "--seed", "1", kAtlas});
    const JsonValue doc = ParseJson(json.out);
    const JsonValue& iv = doc["files"].items.at(0)["series"].items.at(0)["intervals"];
    const std::size_t base = head.size() - 18;
    EXPECT_EQ(row[base], iv["goodness_of_fit_p"].text);
    for (int q = 0; q < 8; ++q) {
        const JsonValue& e = iv[kQuantities[q]];
        EXPECT_EQ(row[base + 1 + 2 * q], e["lo95"].IsNull() ? "" : e["lo95"].text) << kQuantities[q];
        EXPECT_EQ(row[base + 2 + 2 * q], e["hi95"].IsNull() ? "" : e["hi95"].text) << kQuantities[q];
    }

    // Without a model (--no-fit) the cells are empty.
    const CliRun nofit = Cli({"--intervals", "--no-fit", "--summary", "-", kAtlas});
    const std::string line = nofit.out.substr(nofit.out.find('\n') + 1);
    EXPECT_EQ(line.substr(line.size() - 19), std::string(18, ',') + "\n");
}

TEST_F(CliBinary, IntervalsExportAndUncertaintyBlock) {
    const fs::path dir = m_dir / "out";
    const CliRun r = Cli({"--intervals", "--replicates", "100", "--seed", "1", "--export", dir.string(), kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    const fs::path table = dir / "atlas_stab_s001_intervals.txt";
    ASSERT_TRUE(fs::exists(table));
    const std::string text = Slurp(table);
    EXPECT_EQ(text.rfind("# Driftwise - Exported intervals table\r\n", 0), 0u);
    EXPECT_EQ(Count(text, "\n"), Count(text, "\r\n"));  // CR LF throughout
    for (const char* q : kQuantities) EXPECT_EQ(Count(text, std::string("\n") + q), 1u) << q;
    EXPECT_NE(text.find("quantity;         unit;       estimate;      95% low;       68% low;      68% high;"),
              std::string::npos);

    // The report stays the report; the block follows it.
    const std::string report = ReportOf(r.out, kAtlas, 1);
    const CliRun plain = Cli({"--seed", "1", kAtlas});
    const std::string plainReport = ReportOf(plain.out, kAtlas, 1);
    ASSERT_EQ(report.substr(0, plainReport.size()), plainReport);
    const std::string block = report.substr(plainReport.size());
    EXPECT_EQ(block.rfind("\r\n  Uncertainty:\r\n", 0), 0u) << block;
    EXPECT_NE(block.find("Goodness of fit: "), std::string::npos);
    EXPECT_NE(block.find("- model lifetime : "), std::string::npos) << block;

    // A run without --intervals removes the earlier table.
    const CliRun again = Cli({"--seed", "1", "--export", dir.string(), kAtlas});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_FALSE(fs::exists(table));
}

TEST_F(CliBinary, ReplicatesDefaultAndOutOfRangeIsAUsageError) {
    const CliRun r = Cli({"--json", "--intervals", "--seed", "1", kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    const JsonValue doc = ParseJson(r.out);
    EXPECT_EQ(doc["files"].items.at(0)["series"].items.at(0)["intervals"]["replicates"].text, "1000");

    for (const char* bad : {"99", "100001", "1e3", "-5", ""}) {
        const CliRun r = Cli({"--intervals", "--replicates", bad, kAtlas});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--replicates"), std::string::npos) << r.err;
    }
}
