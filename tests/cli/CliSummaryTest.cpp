// SPDX-License-Identifier: GPL-3.0-or-later
// The --summary table: CSV form, its columns, and its values against the
// JSON document of the same run.

#include "CliBinary.h"
#include "JsonCheck.h"

#include "cli/CliSummary.h"

#include <string>
#include <utility>
#include <vector>

using namespace clitest;

namespace {

using CsvRecord = std::vector<std::string>;

// A strict RFC 4180 reader (LF record ends, quotes doubled inside quoted fields).
bool ParseCsv(const std::string& text, std::vector<CsvRecord>& records, std::string& error) {
    records.clear();
    CsvRecord record;
    std::string field;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) return error = "unterminated quote", false;
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
            if (i < text.size() && text[i] != ',' && text[i] != '\n')
                return error = "text after a quoted field at " + std::to_string(i), false;
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\n') {
                if (text[i] == '"' || text[i] == '\r') return error = "bare quote or CR at " + std::to_string(i), false;
                field += text[i++];
            }
        }
        record.push_back(std::move(field));
        field.clear();
        if (i >= text.size()) return error = "the last record has no line end", false;
        if (text[i++] == '\n') {
            records.push_back(std::move(record));
            record.clear();
        }
    }
    return true;
}

std::vector<CsvRecord> Csv(const std::string& text) {
    std::vector<CsvRecord> records;
    std::string error;
    EXPECT_TRUE(ParseCsv(text, records, error)) << error;
    return records;
}

JsonValue Json(const std::string& text) {
    JsonValue v;
    std::string error;
    JsonReader reader;
    EXPECT_TRUE(reader.Parse(text, v, error)) << error;
    return v;
}

const CsvRecord kColumns = {"file",           "series",
                            "format",         "first_line",
                            "last_line",      "start_time",
                            "stop_time",      "samples",
                            "image_period_s", "meas_err_nm",
                            "energy_kev",     "resolution_angstrom",
                            "phase",          "tolerance_nm",
                            "lifetime_state", "direct_lifetime_s",
                            "di_nm",          "da_nm",
                            "tc_s",           "s_nm",
                            "ssqr",           "model_lifetime_s",
                            "p84_s",          "p50_s",
                            "p16_s",          "rw_mean_lifetime_s",
                            "rw_p84_s",       "rw_p50_s",
                            "rw_p16_s"};

// Where each numeric column of a series stands in the JSON: object, key.
const std::vector<std::pair<std::string, std::string>> kJsonPlaces = {{"", "first_line"},
                                                                      {"", "last_line"},
                                                                      {"", "start_time"},
                                                                      {"", "stop_time"},
                                                                      {"", "samples"},  // the count of its rows
                                                                      {"", "image_period_s"},
                                                                      {"", "meas_err_nm"},
                                                                      {"", "energy_kev"},
                                                                      {"", "resolution_angstrom"},
                                                                      {"", "phase"},
                                                                      {"", "tolerance_nm"},
                                                                      {"", "lifetime_state"},
                                                                      {"", "direct_lifetime_s"},
                                                                      {"fit", "di_nm"},
                                                                      {"fit", "da_nm"},
                                                                      {"fit", "tc_s"},
                                                                      {"fit", "s_nm"},
                                                                      {"fit", "ssqr"},
                                                                      {"", "model_lifetime_s"},
                                                                      {"probability_lifetimes_s", "p84"},
                                                                      {"probability_lifetimes_s", "p50"},
                                                                      {"probability_lifetimes_s", "p16"},
                                                                      {"random_walk", "mean_lifetime_s"},
                                                                      {"random_walk", "p84"},
                                                                      {"random_walk", "p50"},
                                                                      {"random_walk", "p16"}};

// Every row equals the series of the JSON document in the same order: the
// same number text, an empty cell where the JSON has null.
void ExpectRowsEqualJson(const std::vector<CsvRecord>& rows, const JsonValue& doc, std::size_t* nonEmpty = nullptr) {
    std::size_t row = 1, filled = 0;
    for (const JsonValue& file : doc["files"].items)
        for (const JsonValue& s : file["series"].items) {
            ASSERT_LT(row, rows.size());
            const CsvRecord& r = rows[row++];
            ASSERT_EQ(r.size(), kColumns.size());
            EXPECT_EQ(r[0], file["path"].text);
            EXPECT_EQ(r[1], s["index"].text);
            EXPECT_EQ(r[2], file["format"].text);
            for (std::size_t c = 0; c < kJsonPlaces.size(); ++c) {
                const auto& [object, key] = kJsonPlaces[c];
                const JsonValue& v = object.empty() ? s[key] : s[object][key];
                std::string expected = v.IsNull() ? "" : v.text;
                if (key == "samples") expected = std::to_string(v.items.size());
                EXPECT_EQ(r[3 + c], expected) << kColumns[3 + c] << " of " << r[0] << " series " << r[1];
                if (!r[3 + c].empty()) ++filled;
            }
        }
    EXPECT_EQ(row, rows.size());
    if (nonEmpty) *nonEmpty = filled;
}

}  // namespace

TEST(CsvField, QuotedOnlyWithACommaQuoteOrLineBreak) {
    EXPECT_EQ(CsvField("plain name.log"), "plain name.log");
    EXPECT_EQ(CsvField("J\xC3\xA4nner/a b.log"), "J\xC3\xA4nner/a b.log");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("\""), "\"\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField("cr\rhere"), "\"cr\rhere\"");
}

TEST(CliSummary, HeaderHoldsTheColumnsInTheirOrder) {
    const std::vector<CsvRecord> header = Csv(CliSummaryHeader());
    ASSERT_EQ(header.size(), 1u);
    EXPECT_EQ(header[0], kColumns);
}

// Two logs (three series) beside a note and a binary file, in folders with
// blanks, non-ASCII letters, a comma and quotes in their names.
TEST_F(CliBinary, SummaryOfAnArchiveHasOneRowPerSeriesEqualToTheJson) {
    const fs::path archive = m_dir / "archive";
    fs::create_directories(archive / "2024" / "J\xC3\xA4nner");
    fs::create_directories(archive / "2023 b");
    const fs::path c1a1 = archive / "2024" / "J\xC3\xA4nner" / "run, \"A\".log";
    const fs::path atlas = archive / "2023 b" / "stab.dat";
    fs::copy_file(kC1A1, c1a1);
    fs::copy_file(kAtlas, atlas);
    std::ofstream(archive / "notes.txt") << "Gun flashed on Tuesday.\n";
    std::ofstream(archive / "2023 b" / "frame.bin", std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0\0\r", 12);
    const std::string csvPath = (m_dir / "out.csv").string();

    const CliRun r = Cli({"--seed", "3", "--summary", csvPath, archive.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");  // no reports with --summary
    EXPECT_EQ(r.err, "");
    const std::string csv = Slurp(csvPath);
    EXPECT_EQ(csv.find('\r'), std::string::npos);
    // The path with a comma and quotes is one quoted field with the quotes doubled.
    EXPECT_NE(csv.find("\n\"" + archive.string() + "/2024/J\xC3\xA4nner/run, \"\"A\"\".log\",1,c1a1,"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\n" + archive.string() + "/2023 b/stab.dat,1,atlas,"), std::string::npos) << csv;
    const std::vector<CsvRecord> rows = Csv(csv);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], kColumns);
    // Sorted path order: "2023 b" before "2024".
    EXPECT_EQ(rows[1][0], atlas.string());
    EXPECT_EQ(rows[2][0], c1a1.string());
    EXPECT_EQ(rows[3][0], c1a1.string());
    EXPECT_EQ(rows[3][1], "2");

    const CliRun json = Cli({"--seed", "3", "--json", archive.string()});
    ASSERT_EQ(json.status, 0) << json.err;
    const JsonValue doc = Json(json.out);
    ASSERT_EQ(doc["files"].items.size(), 2u);
    std::size_t filled = 0;
    ExpectRowsEqualJson(rows, doc, &filled);
    EXPECT_GT(filled, 3u * 20u);

    // With --json as well, the document is printed and the table is the same.
    const std::string again = (m_dir / "again.csv").string();
    const CliRun both = Cli({"--seed", "3", "--json", "--summary", again, archive.string()});
    ASSERT_EQ(both.status, 0) << both.err;
    EXPECT_EQ(both.out, json.out);
    EXPECT_EQ(Slurp(again), csv);
}

TEST_F(CliBinary, SummaryCellsAreEmptyWhereTheJsonHasNull) {
    // No model, and no characteristic function at all.
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--no-fit"}, std::vector<std::string>{"--min-diversity", "50000"}}) {
        std::vector<std::string> args = options;
        args.insert(args.end(), {"--summary", "-", kAtlas, kC1A1});
        const CliRun r = Cli(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<CsvRecord> rows = Csv(r.out);
        ASSERT_EQ(rows.size(), 4u);
        const std::size_t firstEmpty = options[0] == "--no-fit" ? 16 : 9;  // di_nm, or meas_err_nm
        for (std::size_t row = 1; row < rows.size(); ++row)
            for (std::size_t c = 0; c < kColumns.size(); ++c)
                EXPECT_EQ(rows[row][c].empty(), c >= firstEmpty) << kColumns[c] << " " << options[0];
        args = options;
        args.insert(args.end(), {"--json", kAtlas, kC1A1});
        const CliRun json = Cli(args);
        ASSERT_EQ(json.status, 0) << json.err;
        ExpectRowsEqualJson(rows, Json(json.out));
    }
}

TEST_F(CliBinary, SummaryFailuresAndConflictsAreReported) {
    const CliRun unwritable = Cli({"--summary", (m_dir / "no" / "such" / "out.csv").string(), kAtlas});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.out, "");
    EXPECT_NE(unwritable.err.find("cannot write the summary"), std::string::npos) << unwritable.err;

    const CliRun both = Cli({"--json", "--summary", "-", kAtlas});
    EXPECT_EQ(both.status, 2);
    EXPECT_EQ(both.out, "");
    EXPECT_NE(both.err.find("--summary"), std::string::npos) << both.err;
    EXPECT_EQ(Cli({"--summary", "", kAtlas}).status, 2);

    // A summary that is one of the logs would empty it before it is read.
    const fs::path log = m_dir / "log.dat";
    fs::copy_file(kAtlas, log);
    const CliRun same = Cli({"--summary", log.string(), log.string()});
    EXPECT_EQ(same.status, 1);
    EXPECT_NE(same.err.find("--summary " + log.string() + " is the log " + log.string() + "; it is not overwritten"),
              std::string::npos)
        << same.err;
    EXPECT_EQ(Slurp(log), Slurp(kAtlas));

    // A summary inside the archive it sums up: the next run skips it.
    const std::string inside = (m_dir / "table.csv").string();
    ASSERT_EQ(Cli({"--no-fit", "--summary", inside, m_dir.string()}).status, 0);
    const std::string first = Slurp(inside);
    const CliRun second = Cli({"--no-fit", "--summary", inside, m_dir.string()});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(Slurp(inside), first);
    EXPECT_EQ(Csv(first).size(), 2u);

    // Files that fail give no row; the others still do.
    const CliRun partial = Cli({"--summary", "-", (m_dir / "missing.log").string(), kAtlas});
    EXPECT_EQ(partial.status, 1);
    const std::vector<CsvRecord> rows = Csv(partial.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][0], kAtlas);
}

// File names are bytes; the table is UTF-8 all the same, as the JSON is.
TEST_F(CliBinary, SummaryFileNamesAreValidUtf8) {
    const fs::path log = m_dir / "run\xff\xe4.dat";  // Latin-1 "ÿä", no UTF-8
    fs::copy_file(kAtlas, log);
    const CliRun r = Cli({"--no-fit", "--summary", "-", log.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<CsvRecord> rows = Csv(r.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][0], (m_dir / "run\xC3\xBF\xC3\xA4.dat").string());
    // The JSON names the same code points.
    const CliRun json = Cli({"--no-fit", "--json", log.string()});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"path\": \"" + m_dir.string() + "/run\\u00ff\\u00e4.dat\""), std::string::npos)
        << json.out.substr(0, 300);
}
