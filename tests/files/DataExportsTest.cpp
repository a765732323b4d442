#include "files/DataExports.h"

#include "FilesTestSupport.h"
#include "eval/Lifetime.h"
#include "platform/FileSystem.h"
#include "series/A1TimeSeries.h"
#include "text/Parse.h"
#include "text/TextFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// The series of the expected files export_*: a few samples, characteristic-
// function records and a fitted model, all set directly.
CA1TimeSeries FixedSeries() {
    CA1TimeSeries s;
    s.m_strSourceFile = "/data/logs/c1a1_sample.txt";
    s.m_nFirstLine = 5;
    s.m_nLastLine = 42;
    s.m_dImagePeriod = 0.5;
    s.m_aSamples = {{1, 0.12, -0.034, 0.01, 0.02},
                    {2, 1.234567e-5, 12345678.9, 0.0, 0.0},
                    {3, -0.5, 0.25, 0.0, 0.0},
                    {5, 100.0, -1e-7, 0.0, 0.0}};
    s.m_aCharFunc = {{1, 0.01, 0.02, 1e-4, 2e-4}, {4, 0.5, 0.25, 0.001, 0.002}, {10, 1.5, 1.25, 0.05, 0.07}};
    s.CharFuncValid = 1;
    s.MeasErr = 0.1234;
    s.MeasErrX = 0.0871;
    s.MeasErrY = 0.0874;
    s.ModelValid = 1;
    s.FitDi = 0.1;
    s.FitDa = 0.2;
    s.FitTc = 9.0;
    s.FitS = 0.01;
    s.ModelLifetime = 30.8;
    s.Tolerance = 1.27;
    s.UsedElEnergykV = 300.0;
    s.UsedTargetResAng = 1.0;
    s.UsedLimitPhase = 0.25;
    return s;
}

struct EXPORTCASE {
    const char* name;
    int (*save)(const CA1TimeSeries&, const std::string&);
    bool needsCharFunc;
    bool needsModel;
    const char* what;      // subject of the opening line
    const char* notReady;  // nullptr: always ready
    const char* success;
    const char* failure;
    const char* openFailed;  // ending of the open-failure line
};

const EXPORTCASE kCases[] = {
    {"a22time.dat", SaveA1TimeData, false, false, "astigmatism-time data", nullptr,
     "Successfully saved astigmatism-time data to file [", "ERROR: Failed to save astigmatism-time data to file [",
     "] for writing astigmatism-time data."},
    {"a22time.txt", SaveA1TimeTable, false, false, "astigmatism-time table", nullptr,
     "Successfully saved astigmatism-time table to file [", "ERROR: Failed to save astigmatism-time table to file [",
     "] for writing astigmatism-time table."},
    {"charfunc.dat", SaveCharFuncData, true, false, "characteristic function data",
     "ERROR: Aborted saving characteristic function data. Data is not ready.",
     "Successfully saved characteristic function data to file [",
     "ERROR: Failed to save characteristic function data to file [", "] for writing characteristic function data."},
    {"charfunc.txt", SaveCharFuncTable, true, false, "characteristic function table",
     "ERROR: Aborted saving characteristic function table. Data is not ready.",
     "Successfully saved characteristic function table to file [",
     "ERROR: Failed to save characteristic function table to file [", "] for writing characteristic function table."},
    {"model.dat", SaveModelData, true, true, "characteristic function model data",
     "ERROR: Aborted saving characteristic function model data. Data is not ready.",
     "Successfully saved characteristic function model data to file [",
     "ERROR: Failed to save characteristic function model data to file [",
     "] for writing characteristic function model data."},
    {"model.txt", SaveModelTable, true, true, "characteristic function model table",
     "ERROR: Aborted saving characteristic function model data table. Data is not ready.",
     "Successfully saved characteristic function model table to file [",
     "ERROR: Failed to save characteristic function model table to file [",
     "] for writing characteristic function model table."},
    {"probability.dat", SaveProbabilityData, true, true, "probability data",
     "ERROR: Aborted saving probability data. Data is not ready.", "Successfully saved probability data to file [",
     "ERROR: Failed to probability data to file [", "] for writing probability data."},
    {"probability.txt", SaveProbabilityTable, true, true, "probability table",
     "ERROR: Aborted saving probability data table. Data is not ready.",
     "Successfully saved probability data table to file [", "ERROR: Failed to save probability data table to file [",
     "] for writing probability data table."},
};

std::int32_t IntAt(const std::string& bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return static_cast<std::int32_t>(v);
}

float RealAt(const std::string& bytes, std::size_t offset) {
    const std::uint32_t bits = static_cast<std::uint32_t>(IntAt(bytes, offset));
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::vector<std::string> TextLines(const std::string& bytes) {
    std::vector<std::string> lines;
    CLineSplitter splitter(bytes);
    std::string_view line;
    while (splitter.Next(line)) lines.emplace_back(line);
    return lines;
}

// The numbers of a table row "t; v1; v2 ...".
std::vector<double> RowValues(const std::string& row) {
    std::vector<double> values;
    std::size_t pos = 0;
    while (pos < row.size()) {
        const std::size_t end = row.find(';', pos);
        const std::string field = row.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        values.push_back(ReadLeadingDouble(field));
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return values;
}

}  // namespace

TEST(DataExports, AstigmatismTimeFilesAreByteExact) {
    CTempFolder folder("dw_files");
    const CA1TimeSeries series = FixedSeries();
    ASSERT_EQ(SaveA1TimeTable(series, folder.File("a.txt")), 1);
    ASSERT_EQ(SaveA1TimeData(series, folder.File("a.dat")), 1);
    ExpectSameAsGolden(folder.File("a.txt"), "export_a22time.txt");
    ExpectSameAsGolden(folder.File("a.dat"), "export_a22time.dat");
}

TEST(DataExports, CharacteristicFunctionFilesAreByteExact) {
    CTempFolder folder("dw_files");
    const CA1TimeSeries series = FixedSeries();
    ASSERT_EQ(SaveCharFuncTable(series, folder.File("c.txt")), 1);
    ASSERT_EQ(SaveCharFuncData(series, folder.File("c.dat")), 1);
    ExpectSameAsGolden(folder.File("c.txt"), "export_charfunc.txt");
    ExpectSameAsGolden(folder.File("c.dat"), "export_charfunc.dat");
    // d = 4 with t0 = 0.5 s: 2.0 s, the components stored separately.
    const std::string bytes = ReadFileBytes(folder.File("c.dat"));
    const std::size_t row1 = 8 + 3 * 4 + 5 * 4;
    EXPECT_EQ(RealAt(bytes, row1), 2.0f);
    EXPECT_EQ(RealAt(bytes, row1 + 4), 0.5f);
    EXPECT_EQ(RealAt(bytes, row1 + 8), 0.25f);
}

TEST(DataExports, ModelAndProbabilityFilesAreByteExact) {
    CTempFolder folder("dw_files");
    const CA1TimeSeries series = FixedSeries();
    ASSERT_EQ(SaveModelTable(series, folder.File("m.txt")), 1);
    ASSERT_EQ(SaveModelData(series, folder.File("m.dat")), 1);
    ASSERT_EQ(SaveProbabilityTable(series, folder.File("p.txt")), 1);
    ASSERT_EQ(SaveProbabilityData(series, folder.File("p.dat")), 1);
    ExpectSameAsGolden(folder.File("m.txt"), "export_model.txt");
    ExpectSameAsGolden(folder.File("m.dat"), "export_model.dat");
    ExpectSameAsGolden(folder.File("p.txt"), "export_probability.txt");
    ExpectSameAsGolden(folder.File("p.dat"), "export_probability.dat");
}

TEST(DataExports, BinarySizesAndHeaders) {
    CTempFolder folder("dw_files");
    CA1TimeSeries series = FixedSeries();
    series.m_aSamples.pop_back();  // three samples
    ASSERT_EQ(SaveA1TimeData(series, folder.File("a.dat")), 1);
    ASSERT_EQ(SaveModelData(series, folder.File("m.dat")), 1);
    ASSERT_EQ(SaveProbabilityData(series, folder.File("p.dat")), 1);

    const std::string a = ReadFileBytes(folder.File("a.dat"));
    ASSERT_EQ(a.size(), 44u);
    EXPECT_EQ(IntAt(a, 0), 3);
    EXPECT_EQ(IntAt(a, 4), 3);
    EXPECT_EQ(RealAt(a, 8), 0.0f);   // image 1 at t = 0
    EXPECT_EQ(RealAt(a, 20), 0.5f);  // image 2 at t = t0

    const std::string m = ReadFileBytes(folder.File("m.dat"));
    ASSERT_EQ(m.size(), 8044u);
    EXPECT_EQ(IntAt(m, 0), 501);
    EXPECT_EQ(IntAt(m, 4), 4);
    EXPECT_EQ(RealAt(m, 8), 0.1f);
    EXPECT_EQ(RealAt(m, 12), 0.2f);
    EXPECT_EQ(RealAt(m, 16), 4.5f);  // tc = FitTc * t0 in seconds
    EXPECT_EQ(RealAt(m, 20), 0.01f);
    EXPECT_EQ(RealAt(m, 24), 0.5f);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(RealAt(m, 28 + 4 * c), 0.0f);  // row 0
    const std::size_t lastModelRow = 28 + 500 * 16;
    EXPECT_FLOAT_EQ(RealAt(m, lastModelRow), static_cast<float>(1.15 * 30.8));
    const MODELPARAMS params = ModelParameters(series);
    const double lastTau = 1.15 * 30.8 / 0.5;
    EXPECT_EQ(RealAt(m, lastModelRow + 4), static_cast<float>(ModelFunction(params, lastTau)));
    EXPECT_EQ(RealAt(m, lastModelRow + 8), static_cast<float>(ModelBand(params, lastTau, kP16)));
    EXPECT_EQ(RealAt(m, lastModelRow + 12), static_cast<float>(ModelBand(params, lastTau, kP84)));

    const std::string p = ReadFileBytes(folder.File("p.dat"));
    ASSERT_EQ(p.size(), 4028u);
    EXPECT_EQ(IntAt(p, 0), 501);
    EXPECT_EQ(IntAt(p, 4), 2);
    EXPECT_EQ(RealAt(p, 8), 300.0f);
    EXPECT_EQ(RealAt(p, 12), 1.0f);
    EXPECT_EQ(RealAt(p, 16), 1.27f);
    EXPECT_EQ(RealAt(p, 20), 0.0f);  // row 0: t = 0, P = 1
    EXPECT_EQ(RealAt(p, 24), 1.0f);
    EXPECT_FLOAT_EQ(RealAt(p, 20 + 500 * 8), static_cast<float>(2.0 * 30.8));
}

TEST(DataExports, TableRowsAndHeaders) {
    CTempFolder folder("dw_files");
    const CA1TimeSeries series = FixedSeries();
    ASSERT_EQ(SaveModelTable(series, folder.File("m.txt")), 1);
    ASSERT_EQ(SaveProbabilityTable(series, folder.File("p.txt")), 1);

    const std::string mBytes = ReadFileBytes(folder.File("m.txt"));
    const std::vector<std::string> m = TextLines(mBytes);
    ASSERT_EQ(m.size(), 5u + 501u);
    EXPECT_EQ(m[2], "# - evaluation time step: t0 = 0.5 s");
    EXPECT_EQ(m[3], "# - fitted parameters: Di = 0.1 nm, Da = 0.2 nm, tc = 4.5 s, s = 0.01 nm");
    EXPECT_EQ(m[4], "timespan t [s];    f(t) [nm^2]; f(t,16%)[nm^2]; f(t,84%)[nm^2]");
    EXPECT_EQ(m[5], "          0.00;              0;              0;              0");
    EXPECT_EQ(RowValues(m.back())[0], 35.42);  // 1.15 * 30.8
    EXPECT_EQ(mBytes.substr(mBytes.size() - 2), "\r\n");

    const std::vector<std::string> p = TextLines(ReadFileBytes(folder.File("p.txt")));
    ASSERT_EQ(p.size(), 6u + 501u);
    EXPECT_EQ(p[2], "# - electron energy: E = 300.0 keV");
    EXPECT_EQ(p[3], "# - target resolution: dinfo = 1.00 A");
    EXPECT_EQ(p[4], "# - astigmatism tolerance: a = 1.270 nm");
    EXPECT_EQ(p[5], "timespan t [s];         P(a,t)");
    EXPECT_EQ(p[6], "          0.00;              1");
    const std::vector<double> last = RowValues(p.back());
    ASSERT_EQ(last.size(), 2u);
    EXPECT_NEAR(last[1], 0.05, 1e-5);
    EXPECT_NEAR(last[0], ProbabilityLifetime(series, 1.27, 0.05), 0.006);
}

TEST(DataExports, SmallValuesUseThreeDigitExponents) {
    CTempFolder folder("dw_files");
    CA1TimeSeries series;
    series.m_aSamples = {{1, 1.234567e-5, -9.87654e-12, 0.0, 0.0}};
    ASSERT_EQ(SaveA1TimeTable(series, folder.File("a.txt")), 1);
    const std::vector<std::string> lines = TextLines(ReadFileBytes(folder.File("a.txt")));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4], "          0.00;   1.23457E-005;  -9.87654E-012");
}

TEST(DataExports, EmptySeriesGivesHeaderOnlyFiles) {
    CTempFolder folder("dw_files");
    CA1TimeSeries series;
    ASSERT_EQ(SaveA1TimeData(series, folder.File("a.dat")), 1);
    EXPECT_EQ(ReadFileBytes(folder.File("a.dat")), std::string("\0\0\0\0\3\0\0\0", 8));
    ASSERT_EQ(SaveA1TimeTable(series, folder.File("a.txt")), 1);
    EXPECT_EQ(TextLines(ReadFileBytes(folder.File("a.txt"))).size(), 4u);
}

TEST(DataExports, ZeroModelLifetimeGivesZeroRows) {
    CTempFolder folder("dw_files");
    CA1TimeSeries series = FixedSeries();
    series.ModelLifetime = 0.0;
    ASSERT_EQ(SaveModelData(series, folder.File("m.dat")), 1);
    ASSERT_EQ(SaveProbabilityData(series, folder.File("p.dat")), 1);
    const std::string m = ReadFileBytes(folder.File("m.dat"));
    for (std::size_t off = 28; off < m.size(); off += 4) ASSERT_EQ(RealAt(m, off), 0.0f) << off;
    const std::string p = ReadFileBytes(folder.File("p.dat"));
    for (std::size_t off = 20; off < p.size(); off += 8) {
        ASSERT_EQ(RealAt(p, off), 0.0f);
        ASSERT_EQ(RealAt(p, off + 4), 1.0f);
    }
}

TEST(DataExports, MessagesOfASuccessfulExport) {
    CTempFolder folder("dw_files");
    for (const EXPORTCASE& c : kCases) {
        CRecordingLog log(1);
        CA1TimeSeries series = FixedSeries();
        series.m_pLog = &log;
        const std::string path = folder.File(c.name);
        EXPECT_EQ(c.save(series, path), 1) << c.name;
        ASSERT_EQ(log.m_lines.size(), 2u) << c.name;
        EXPECT_EQ(log.m_lines[0], "DEBUG>  Opening file [" + path + "] for saving " + c.what + ".");
        EXPECT_EQ(log.m_lines[1], std::string("DEBUG>  ") + c.success + path + "].");
    }
}

TEST(DataExports, NotReadyWritesOnlyItsLineAndLeavesTheFile) {
    CTempFolder folder("dw_files");
    for (const EXPORTCASE& c : kCases) {
        if (c.notReady == nullptr) continue;
        for (int variant = 0; variant < 2; ++variant) {
            if (variant == 1 && !c.needsModel) continue;
            CRecordingLog log(1);
            CA1TimeSeries series = FixedSeries();
            series.m_pLog = &log;
            if (variant == 0) series.CharFuncValid = 0;
            else series.ModelValid = 0;
            const std::string path = folder.File(c.name);
            WriteFileBytes(path, "previous");
            EXPECT_EQ(c.save(series, path), 0) << c.name;
            EXPECT_EQ(ReadFileBytes(path), "previous") << c.name;
            EXPECT_EQ(log.m_lines, std::vector<std::string>{c.notReady}) << c.name;
            EXPECT_FALSE(std::filesystem::exists(folder.File(std::string("new_") + c.name)));
            EXPECT_EQ(c.save(series, folder.File(std::string("new_") + c.name)), 0);
            EXPECT_FALSE(std::filesystem::exists(folder.File(std::string("new_") + c.name))) << c.name;
        }
    }
}

TEST(DataExports, UndeterminedModelLifetimeOrNoTimeScaleIsNotReady) {
    CTempFolder folder("dw_files");
    for (const EXPORTCASE& c : kCases) {
        if (!c.needsModel) continue;
        for (int variant = 0; variant < 4; ++variant) {
            CRecordingLog log(1);
            CA1TimeSeries series = FixedSeries();
            series.m_pLog = &log;
            if (variant == 0) series.ModelLifetime = kNoResult;
            else if (variant == 1) series.m_dImagePeriod = 0.0;
            else if (variant == 2) series.m_dImagePeriod = kNoResult;
            else series.FitDi = series.FitDa = series.FitS = 0.0;  // f never reaches a^2
            const int result = c.save(series, folder.File(c.name));
            if (variant == 3) {
                // Rows are still written: f and the bands of a zero model, and P = 1
                // up to the time span that stands for "no finite time".
                EXPECT_EQ(result, 1) << c.name;
                continue;
            }
            EXPECT_EQ(result, 0) << c.name << " " << variant;
            EXPECT_EQ(log.m_lines, std::vector<std::string>{c.notReady});
            EXPECT_FALSE(std::filesystem::exists(folder.File(c.name)));
        }
    }
}

TEST(DataExports, FullDiskFailsEveryExport) {
    for (const EXPORTCASE& c : kCases) {
        CRecordingReporter reporter;
        CRecordingLog log(0);
        CA1TimeSeries series = FixedSeries();
        series.m_pLog = &log;
        EXPECT_EQ(c.save(series, "/dev/full"), 0) << c.name;
        ASSERT_EQ(reporter.m_calls.size(), 1u) << c.name;
        EXPECT_EQ(reporter.m_calls[0].first, "/dev/full");
        EXPECT_FALSE(reporter.m_calls[0].second.empty());
        EXPECT_EQ(log.m_lines, std::vector<std::string>{std::string(c.failure) + "/dev/full]."}) << c.name;
    }
}

TEST(DataExports, FileThatCannotBeCreated) {
    CTempFolder folder("dw_files");
    const std::string plainFile = folder.File("plain");
    WriteFileBytes(plainFile, "x");
    const std::string locked = folder.File("locked.txt");
    WriteFileBytes(locked, "kept");
    std::FILE* holder = OpenExclusive(locked, FileOpenMode::Read);
    ASSERT_NE(holder, nullptr);
    for (const EXPORTCASE& c : kCases) {
        for (const std::string& path : {folder.File("missing/x"), plainFile + "/x", folder.Path(), locked}) {
            CRecordingReporter reporter;
            CRecordingLog log(0);
            CA1TimeSeries series = FixedSeries();
            series.m_pLog = &log;
            EXPECT_EQ(c.save(series, path), 0) << c.name << " " << path;
            EXPECT_EQ(log.m_lines, std::vector<std::string>{"ERROR: Failed to open file [" + path + c.openFailed});
            EXPECT_TRUE(reporter.m_calls.empty());
        }
    }
    CloseExclusive(holder);
    EXPECT_EQ(ReadFileBytes(locked), "kept");
}

TEST(DataExports, WithoutALogTheResultsStay) {
    CTempFolder folder("dw_files");
    for (const EXPORTCASE& c : kCases) {
        CA1TimeSeries series = FixedSeries();
        EXPECT_EQ(c.save(series, folder.File(c.name)), 1) << c.name;
        EXPECT_EQ(c.save(series, folder.File("missing/x")), 0) << c.name;
        if (c.notReady != nullptr) {
            series.CharFuncValid = 0;
            EXPECT_EQ(c.save(series, folder.File(c.name)), 0) << c.name;
        }
    }
}

// The batch tool asks these predicates whether a failed export only skipped
// a series: each must say "not ready" exactly when its export logs its
// not-ready line, whatever the series lacks.
TEST(DataExports, ReadyPredicatesAgreeWithTheExports) {
    const std::pair<const char*, bool (*)(const CA1TimeSeries&)> ready[] = {
        {"a22time.dat", A1TimeExportReady},    {"a22time.txt", A1TimeExportReady},
        {"charfunc.dat", CharFuncExportReady}, {"charfunc.txt", CharFuncExportReady},
        {"model.dat", ModelExportReady},       {"model.txt", ModelExportReady},
        {"probability.dat", ModelExportReady}, {"probability.txt", ProbabilityTableExportReady}};
    const std::function<void(CA1TimeSeries&)> states[] = {
        [](CA1TimeSeries&) {},
        [](CA1TimeSeries& s) { s.CharFuncValid = 0; },
        [](CA1TimeSeries& s) { s.ModelValid = 0; },
        [](CA1TimeSeries& s) { s.ModelLifetime = kNoResult; },
        [](CA1TimeSeries& s) { s.m_dImagePeriod = 0.0; },
        [](CA1TimeSeries& s) { s.FitDi = s.FitDa = s.FitS = 0.0; },
    };
    CTempFolder folder("dw_files");
    int notReady = 0;
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const EXPORTCASE& c = kCases[i];
        ASSERT_STREQ(ready[i].first, c.name);
        for (std::size_t state = 0; state < std::size(states); ++state) {
            CRecordingLog log(1);
            CA1TimeSeries series = FixedSeries();
            series.m_pLog = &log;
            states[state](series);
            const bool skipped = c.save(series, folder.File(c.name)) == 0 && c.notReady != nullptr &&
                                 log.m_lines == std::vector<std::string>{c.notReady};
            EXPECT_EQ(ready[i].second(series), !skipped) << c.name << " state " << state;
            notReady += skipped ? 1 : 0;
        }
    }
    // Without a characteristic function: its two exports; states 1 to 4: the
    // four model exports each.
    EXPECT_EQ(notReady, 2 + 4 * 4);
}
