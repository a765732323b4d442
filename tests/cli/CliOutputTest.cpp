// The real driftwise-cli binary: evaluation, reports, JSON fields, exports
// and diagram images.

#include "CliBinary.h"
#include "JsonCheck.h"

#include "cli/CliExport.h"
#include "cli/CliRun.h"
#include "eval/CharFunc.h"
#include "eval/Lifetime.h"
#include "eval/ModelFit.h"
#include "eval/Report.h"
#include "import/LogImport.h"
#include "platform/FileLock.h"
#include "plot/PlotPlatform.h"
#include "text/Format.h"

#include <QImage>

#include <cstdio>
#include <set>

using namespace clitest;

namespace {

const std::vector<std::string> kSeriesKeys = {"index",
                                              "first_line",
                                              "last_line",
                                              "start_time",
                                              "stop_time",
                                              "data_lines",
                                              "image_period_s",
                                              "mirror",
                                              "rotation_deg",
                                              "samples",
                                              "char_func_valid",
                                              "used_min_diversity",
                                              "char_func",
                                              "meas_err_nm",
                                              "meas_err_x_nm",
                                              "meas_err_y_nm",
                                              "slope_sum",
                                              "energy_kev",
                                              "resolution_angstrom",
                                              "phase",
                                              "tolerance_nm",
                                              "lifetime_state",
                                              "direct_lifetime_s",
                                              "model_valid",
                                              "fit",
                                              "model_lifetime_s",
                                              "probability_lifetimes_s",
                                              "random_walk",
                                              "intervals"};

JsonValue ParseJson(const std::string& text) {
    JsonValue v;
    std::string error;
    JsonReader reader;
    EXPECT_TRUE(reader.Parse(text, v, error)) << error;
    return v;
}

std::vector<CA1TimeSeries> Import(const std::string& path) {
    std::vector<CA1TimeSeries> list;
    ImportRequest request;
    request.strPath = AbsoluteFilePath(path);
    ImportLogFile(request, IMPORT_NONE, list);
    return list;
}

std::set<std::string> FilesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

std::set<std::string> SeriesFiles(const std::string& prefix, bool charFunc, bool model, const std::string& ext) {
    std::set<std::string> names = {prefix + "_a22time.txt", prefix + "_a22time.dat", prefix + "_report.txt",
                                   prefix + "_a22time." + ext, prefix + "_a22_2d." + ext};
    if (charFunc) names.insert({prefix + "_charfunc.txt", prefix + "_charfunc.dat", prefix + "_charfunc." + ext});
    if (model)
        names.insert({prefix + "_model.txt", prefix + "_model.dat", prefix + "_probability.txt",
                      prefix + "_probability.dat", prefix + "_model." + ext, prefix + "_probability." + ext});
    return names;
}

}  // namespace

TEST_F(CliBinary, ReportIsTheCoreReportOfTheDesktopSequence) {
    const CliRun r = Cli({"--seed", "12345", kC1A1, kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("== " + kC1A1 + " series 1\n", 0), 0u);
    EXPECT_NE(r.out.find(" Driftwise v1.0.2 (build 140206) - Astigmatism Stability Report"), std::string::npos);

    // The same core calls, in the desktop program's order, give the same text.
    for (const std::string& path : {kC1A1, kAtlas}) {
        std::vector<CA1TimeSeries> list = Import(path);
        ASSERT_FALSE(list.empty());
        for (std::size_t i = 0; i < list.size(); ++i) {
            CA1TimeSeries& s = list[i];
            ExtractCharacteristicFunction(s, 10);
            ASSERT_EQ(s.CharFuncValid, 1);
            const double a = ComputeTolerance(300.0, 1.0, 0.25);
            EvaluateDirectLifetime(s, a);
            s.UsedLimitPhase = 0.25;
            s.UsedElEnergykV = 300.0;
            s.UsedTargetResAng = 1.0;
            FitModel(s, 12345u);
            EvaluateModelLifetime(s, a);
            const std::string report = BuildStabilityReport(s);
            EXPECT_NE(report.find("\r\n  Best fitting model parameters:"), std::string::npos);
            EXPECT_EQ(ReportOf(r.out, path, static_cast<int>(i) + 1), report) << path << " series " << i + 1;
        }
    }
}

TEST_F(CliBinary, SameSeedSameBytesAndTheSeedReachesTheFit) {
    const CliRun a = Cli({"--seed", "99", kC1A1});
    const CliRun b = Cli({"--seed", "99", kC1A1});
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    const CliRun ja = Cli({"--json", "--seed", "99", kC1A1});
    const CliRun jb = Cli({"--json", "--seed", "99", kC1A1});
    EXPECT_EQ(ja.out, jb.out);

    const JsonValue doc = ParseJson(ja.out);
    const JsonValue& series = doc["files"].items.at(0)["series"];
    ASSERT_EQ(series.items.size(), 2u);
    for (const JsonValue& s : series.items) {
        EXPECT_EQ(s["fit"]["seed"].text, "99");
        // The JSON values are the ones the report prints.
        const std::string report = ReportOf(a.out, kC1A1, static_cast<int>(s["index"].number));
        EXPECT_NE(report.find(FormatText(" Estimated lifetime: %.1f s", s["model_lifetime_s"].number)),
                  std::string::npos);
        EXPECT_NE(report.find(FormatText("  - Di : %.3G nm", s["fit"]["di_nm"].number)), std::string::npos);
        EXPECT_NE(report.find(FormatText("(84%% stability): %.1f s", s["probability_lifetimes_s"]["p84"].number)),
                  std::string::npos);
    }
}

TEST_F(CliBinary, JsonIsValidWithEveryKeyOfTheContract) {
    const CliRun r = Cli({"--json", "--seed", "5", kC1A1, kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    const JsonValue doc = ParseJson(r.out);
    EXPECT_EQ(doc.Keys(), (std::vector<std::string>{"version", "files"}));
    ASSERT_EQ(doc["files"].items.size(), 2u);

    std::vector<CA1TimeSeries> expected = Import(kC1A1);
    for (CA1TimeSeries& s : expected) ExtractCharacteristicFunction(s, 10);
    for (std::size_t f = 0; f < 2; ++f) {
        const JsonValue& file = doc["files"].items[f];
        EXPECT_EQ(file.Keys(), (std::vector<std::string>{"path", "format", "error", "series"}));
        for (const JsonValue& s : file["series"].items) {
            EXPECT_EQ(s.Keys(), kSeriesKeys);
            EXPECT_TRUE(s["char_func_valid"].b);
            EXPECT_TRUE(s["model_valid"].b);
            EXPECT_EQ(s["used_min_diversity"].text, "10");
            EXPECT_EQ(s["energy_kev"].text, "300");
            EXPECT_EQ(s["resolution_angstrom"].text, "1");
            EXPECT_EQ(s["phase"].text, "0.25");
            EXPECT_EQ(FormatText("%.3f", s["tolerance_nm"].number), "1.270");
            EXPECT_EQ(s["fit"].Keys(),
                      (std::vector<std::string>{"di_nm", "da_nm", "tc_images", "tc_s", "s_nm", "ssqr", "seed"}));
            EXPECT_DOUBLE_EQ(s["fit"]["tc_s"].number, s["fit"]["tc_images"].number * s["image_period_s"].number);
            EXPECT_EQ(s["probability_lifetimes_s"].Keys(), (std::vector<std::string>{"p84", "p50", "p16"}));
            EXPECT_EQ(s["random_walk"].Keys(), (std::vector<std::string>{"mean_lifetime_s", "p84", "p50", "p16"}));
            // 84 % of the runs stay inside for the shorter time.
            const JsonValue& p = s["probability_lifetimes_s"];
            EXPECT_LT(p["p84"].number, p["p50"].number);
            EXPECT_LT(p["p50"].number, p["p16"].number);
            for (const JsonValue& row : s["char_func"].items) EXPECT_EQ(row.items.size(), 5u);
        }
    }
    // The characteristic function as stored: after the offset subtraction.
    const JsonValue& first = doc["files"].items[0]["series"].items[0];
    ASSERT_EQ(first["char_func"].items.size(), expected[0].m_aCharFunc.size());
    for (std::size_t i = 0; i < expected[0].m_aCharFunc.size(); ++i) {
        const A1SAMPLE& c = expected[0].m_aCharFunc[i];
        const JsonValue& row = first["char_func"].items[i];
        EXPECT_EQ(row.items[0].text, FormatText("%d", c.nIndex));
        EXPECT_EQ(row.items[1].number, c.dX);
        EXPECT_EQ(row.items[2].number, c.dY);
        EXPECT_EQ(row.items[3].number, c.dErrX);
        EXPECT_EQ(row.items[4].number, c.dErrY);
    }
    EXPECT_EQ(first["meas_err_nm"].number, expected[0].MeasErr);
    EXPECT_EQ(first["slope_sum"].number, expected[0].SlopeSum);

    // No number is longer than the shortest text of its double.
    std::vector<std::string> numbers;
    CollectNumberTexts(doc, numbers);
    EXPECT_GT(numbers.size(), 5000u);
    for (const std::string& n : numbers) EXPECT_TRUE(IsShortestNumberText(n)) << n;
}

TEST_F(CliBinary, NoFitAndNoCharacteristicFunctionGiveNulls) {
    const CliRun nofit =
        Cli({"--json", "--no-fit", "--energy", "200", "--resolution", "0.8", "--phase", "0.5", kAtlas});
    ASSERT_EQ(nofit.status, 0) << nofit.err;
    const JsonValue nofitDoc = ParseJson(nofit.out);
    const JsonValue& s = nofitDoc["files"].items.at(0)["series"].items.at(0);
    EXPECT_EQ(s.Keys(), kSeriesKeys);
    EXPECT_TRUE(s["char_func_valid"].b);
    EXPECT_FALSE(s["model_valid"].b);
    for (const char* key : {"fit", "model_lifetime_s", "probability_lifetimes_s", "random_walk", "intervals"})
        EXPECT_TRUE(s[key].IsNull()) << key;
    EXPECT_EQ(s["energy_kev"].text, "200");
    EXPECT_EQ(s["resolution_angstrom"].text, "0.8");
    EXPECT_EQ(s["phase"].text, "0.5");
    EXPECT_DOUBLE_EQ(s["tolerance_nm"].number, ComputeTolerance(200.0, 0.8, 0.5));
    EXPECT_FALSE(s["lifetime_state"].IsNull());

    const CliRun report = Cli({"--no-fit", kAtlas});
    EXPECT_NE(report.out.find("(direct method)"), std::string::npos);
    EXPECT_EQ(report.out.find("Best fitting model parameters"), std::string::npos);

    // 397 samples are fewer than the minimum diversity: no characteristic function.
    const CliRun none = Cli({"--json", "--min-diversity", "50000", kAtlas});
    ASSERT_EQ(none.status, 0) << none.err;
    const JsonValue noneDoc = ParseJson(none.out);
    const JsonValue& n = noneDoc["files"].items.at(0)["series"].items.at(0);
    EXPECT_EQ(n.Keys(), kSeriesKeys);
    EXPECT_FALSE(n["char_func_valid"].b);
    EXPECT_FALSE(n["model_valid"].b);
    for (std::size_t k = kSeriesKeys.size() - 18; k < kSeriesKeys.size(); ++k) {
        if (kSeriesKeys[k] == "model_valid") continue;
        EXPECT_TRUE(n[kSeriesKeys[k]].IsNull()) << kSeriesKeys[k];
    }
    EXPECT_FALSE(n["samples"].items.empty());
    // The report of a series without characteristic function is one blank.
    const CliRun blank = Cli({"--min-diversity", "50000", kAtlas});
    EXPECT_EQ(blank.out, "== " + kAtlas + " series 1\n \n");
}

TEST_F(CliBinary, ExportWritesTheWholeSetWithTheirSizes) {
    const fs::path dir = m_dir / "out" / "deeper";  // made by the tool
    const CliRun r = Cli({"--seed", "3", "--export", dir.string(), kC1A1, kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::set<std::string> expected;
    for (const char* prefix : {"c1a1_two_series_s001", "c1a1_two_series_s002", "atlas_stab_s001"})
        expected.merge(SeriesFiles(prefix, true, true, "png"));
    EXPECT_EQ(FilesIn(dir), expected);

    const std::vector<CA1TimeSeries> atlas = Import(kAtlas);
    EXPECT_EQ(fs::file_size(dir / "atlas_stab_s001_model.dat"), 8044u);
    EXPECT_EQ(fs::file_size(dir / "atlas_stab_s001_probability.dat"), 4028u);
    EXPECT_EQ(fs::file_size(dir / "atlas_stab_s001_a22time.dat"), 8u + 12u * atlas[0].m_aSamples.size());
    // Characteristic function: 3 header reals, then 5 reals per record (min. diversity 10: 38 records).
    EXPECT_EQ(fs::file_size(dir / "atlas_stab_s001_charfunc.dat"), 8u + 12u + 20u * 38u);
    EXPECT_EQ(Slurp(dir / "atlas_stab_s001_model.txt")
                  .rfind("# Driftwise - Exported characteristic function model table\r\n", 0),
              0u);
    EXPECT_EQ(Count(Slurp(dir / "atlas_stab_s001_probability.txt"), "\r\n"), 6u + 501u);

    // The report file holds the bytes of the printed report.
    for (int n : {1, 2})
        EXPECT_EQ(Slurp(dir / FormatText("c1a1_two_series_s%03d_report.txt", n)), ReportOf(r.out, kC1A1, n));
    EXPECT_EQ(Slurp(dir / "atlas_stab_s001_report.txt"), ReportOf(r.out, kAtlas, 1));

    for (const char* suffix : {"_a22time", "_a22_2d", "_charfunc", "_model", "_probability"}) {
        const QImage image(QString::fromStdString((dir / ("atlas_stab_s001" + std::string(suffix) + ".png")).string()));
        ASSERT_FALSE(image.isNull()) << suffix;
        EXPECT_EQ(image.width(), 720);
        EXPECT_EQ(image.height(), 440);
        // A diagram, not an empty picture: white background, black frame.
        EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255)) << suffix;
        bool dark = false;
        for (int x = 0; x < image.width() && !dark; ++x)
            for (int y = 0; y < image.height() && !dark; ++y) dark = image.pixel(x, y) == qRgb(0, 0, 0);
        EXPECT_TRUE(dark) << suffix;
    }
}

TEST_F(CliBinary, ExportImageFormatSizeAndSeriesNumber) {
    const fs::path dir = m_dir / "out";
    const CliRun r = Cli({"--seed", "3", "--series", "2", "--image-format", "jpg", "--image-size", "300x200",
                          "--export", dir.string(), kC1A1});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FilesIn(dir), SeriesFiles("c1a1_two_series_s002", true, true, "jpg"));
    const QImage image(QString::fromStdString((dir / "c1a1_two_series_s002_model.jpg").string()), "JPG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(300, 200));

    for (const char* format : {"tif", "bmp"}) {
        const fs::path sub = m_dir / format;
        const CliRun f = Cli({"--seed", "3", "--image-format", format, "--export", sub.string(), kAtlas});
        ASSERT_EQ(f.status, 0) << f.err;
        const QImage loaded(
            QString::fromStdString((sub / ("atlas_stab_s001_a22time." + std::string(format))).string()));
        EXPECT_EQ(loaded.size(), QSize(720, 440)) << format;
    }
}

TEST_F(CliBinary, ExportsWithoutDataAreSkippedNotFailed) {
    const fs::path dir = m_dir / "out";
    const fs::path log = m_dir / "log.txt";
    const CliRun r = Cli({"--no-fit", "--log", log.string(), "--export", dir.string(), kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(FilesIn(dir), SeriesFiles("atlas_stab_s001", true, false, "png"));
    const std::string text = Slurp(log);
    EXPECT_NE(text.find("ERROR: Aborted saving characteristic function model data. Data is not ready."),
              std::string::npos);
    EXPECT_NE(text.find("ERROR: Aborted saving probability data table. Data is not ready."), std::string::npos);

    const fs::path none = m_dir / "none";
    const CliRun n = Cli({"--min-diversity", "50000", "--export", none.string(), kAtlas});
    ASSERT_EQ(n.status, 0) << n.err;
    EXPECT_EQ(FilesIn(none), SeriesFiles("atlas_stab_s001", false, false, "png"));
    EXPECT_EQ(Slurp(none / "atlas_stab_s001_report.txt"), " ");
}

TEST_F(CliBinary, ReExportRemovesTheSkippedFilesOfThatSeriesOnly) {
    const fs::path dir = m_dir / "out";
    ASSERT_EQ(Cli({"--seed", "1", "--export", dir.string(), kAtlas}).status, 0);
    ASSERT_EQ(FilesIn(dir), SeriesFiles("atlas_stab_s001", true, true, "png"));
    // Names the tool writes for another series or log, and a folder of a skipped name, stay.
    std::set<std::string> others = {"atlas_stab_s002_model.txt", "other_s001_model.dat", "atlas_stab_s001_model.jpg"};
    for (const std::string& name : others) std::ofstream(dir / name) << "keep";
    fs::remove(dir / "atlas_stab_s001_probability.dat");
    fs::create_directories(dir / "atlas_stab_s001_probability.dat");
    others.insert("atlas_stab_s001_probability.dat");

    const CliRun r = Cli({"--no-fit", "--export", dir.string(), kAtlas});
    ASSERT_EQ(r.status, 0) << r.err;
    std::set<std::string> expected = SeriesFiles("atlas_stab_s001", true, false, "png");
    expected.insert(others.begin(), others.end());
    EXPECT_EQ(FilesIn(dir), expected);
    EXPECT_EQ(Slurp(dir / "other_s001_model.dat"), "keep");

    // Without a characteristic function its files go as well.
    ASSERT_EQ(Cli({"--min-diversity", "50000", "--export", dir.string(), kAtlas}).status, 0);
    expected = SeriesFiles("atlas_stab_s001", false, false, "png");
    expected.insert(others.begin(), others.end());
    EXPECT_EQ(FilesIn(dir), expected);
}

TEST_F(CliBinary, ExportFailuresExitOneAndNameTheFile) {
    // A folder that cannot be made: the reports are still printed.
    const fs::path blocker = m_dir / "blocker";
    std::ofstream(blocker) << "a regular file";
    const CliRun r = Cli({"--seed", "1", "--export", (blocker / "out").string(), kAtlas});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot create the export folder " + (blocker / "out").string()), std::string::npos) << r.err;
    EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
    EXPECT_EQ(r.out.rfind("== " + kAtlas + " series 1\n", 0), 0u);

    // One file that cannot be written: the others are, and the file is named.
    const fs::path dir = m_dir / "out";
    fs::create_directories(dir / "atlas_stab_s001_model.dat");
    fs::create_directories(dir / "atlas_stab_s001_charfunc.png");
    std::ofstream(dir / "atlas_stab_s001_a22time.txt") << std::string(100000, '~');
    const CliRun one = Cli({"--seed", "1", "--export", dir.string(), kAtlas});
    EXPECT_EQ(one.status, 1);
    EXPECT_NE(one.err.find("failed to write " + (dir / "atlas_stab_s001_model.dat").string()), std::string::npos)
        << one.err;
    EXPECT_NE(one.err.find("failed to write " + (dir / "atlas_stab_s001_charfunc.png").string()), std::string::npos);
    EXPECT_EQ(Count(one.err, "failed to write"), 2u) << one.err;
    EXPECT_EQ(fs::file_size(dir / "atlas_stab_s001_probability.dat"), 4028u);
    // An existing file is replaced.
    EXPECT_EQ(Slurp(dir / "atlas_stab_s001_a22time.txt").rfind("# Driftwise - Exported astigmatism time table\r\n", 0),
              0u);
    EXPECT_EQ(Slurp(dir / "atlas_stab_s001_a22time.txt").find('~'), std::string::npos);
}

TEST_F(CliBinary, TwoLogsOfTheSameNameDoNotOverwriteEachOther) {
    fs::create_directories(m_dir / "a");
    fs::create_directories(m_dir / "b");
    fs::copy_file(kAtlas, m_dir / "a" / "atlas_stab.dat");
    fs::copy_file(kAtlas, m_dir / "b" / "atlas_stab.txt");
    const std::string first = (m_dir / "a" / "atlas_stab.dat").string();
    const std::string second = (m_dir / "b" / "atlas_stab.txt").string();
    const fs::path dir = m_dir / "out";
    const CliRun r = Cli({"--seed", "1", "--export", dir.string(), first, second});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(second + ": not exported: its files would replace those of " + first), std::string::npos)
        << r.err;
    EXPECT_EQ(Slurp(dir / "atlas_stab_s001_report.txt"), ReportOf(r.out, first, 1));
    EXPECT_NE(r.out.find("== " + second + " series 1\n"), std::string::npos);  // still evaluated and printed
}

TEST_F(CliBinary, HelpDescribesEveryOption) {
    const CliRun h = Cli({"--help"});
    ASSERT_EQ(h.status, 0);
    for (const char* option :
         {"--format", "--series",  "--rotation", "--mirror-y", "--min-diversity", "--energy",       "--resolution",
          "--phase",  "--no-fit",  "--seed",     "--json",     "--export",        "--image-format", "--image-size",
          "--log",    "--verbose", "--help",     "--version",  "720x440",         "_report.txt"})
        EXPECT_NE(h.out.find(option), std::string::npos) << option;
    std::istringstream lines(h.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

TEST_F(CliBinary, RunsHeadlessWithoutAPlatformSetAndQuietly) {
    const fs::path dir = m_dir / "out";
    const CliRun r = Cli({"--seed", "2", "--export", dir.string(), kAtlas}, "env -u QT_QPA_PLATFORM -u DISPLAY ");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // Qt's own notes only with --verbose
    EXPECT_FALSE(QImage(QString::fromStdString((dir / "atlas_stab_s001_model.png").string())).isNull());
}

TEST(CliExportNames, StemAndSeriesNumber) {
    EXPECT_EQ(CliExportStem("examples/c1a1_two_series.log"), "c1a1_two_series");
    EXPECT_EQ(CliExportStem("/data/run.2014.02.txt"), "run.2014.02");
    EXPECT_EQ(CliExportStem("noext"), "noext");
    EXPECT_EQ(CliExportFileName("run", 7, "_model.dat"), "run_s007_model.dat");
    EXPECT_EQ(CliExportFileName("run", 1234, "_report.txt"), "run_s1234_report.txt");
}

namespace {

// Records what it is asked to save and fails for names containing a word.
class CFakeEncoder : public IImageEncoder {
public:
    explicit CFakeEncoder(std::string failOn) : m_strFailOn(std::move(failOn)) {}
    bool Save(const CImage32& image, const std::string& path, const std::string& extension) override {
        m_astrPaths.push_back(fs::path(path).filename().string());
        m_astrExtensions.push_back(extension);
        m_nWidth = image.Width();
        return path.find(m_strFailOn) == std::string::npos;
    }
    std::string m_strFailOn;
    std::vector<std::string> m_astrPaths, m_astrExtensions;
    int m_nWidth = 0;
};

std::string ReadBack(std::FILE* f) {
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    return text;
}

}  // namespace

TEST_F(CliBinary, DiagramsGoThroughThePlatformEncoder) {
    CliParseResult parsed = ParseCliOptions({"--seed", "4", "--image-format", "bmp", "--image-size", "200x100",
                                             "--export", (m_dir / "out").string(), kAtlas});
    ASSERT_TRUE(parsed.bOk);
    CFakeEncoder encoder("_model.");
    CliPlatform platform;
    platform.pEncoder = &encoder;  // no text renderer: diagrams without text
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);
    const int status = RunCli(parsed.options, out, err, platform);
    const std::string errText = ReadBack(err);
    std::fclose(out);
    std::fclose(err);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(encoder.m_astrPaths,
              (std::vector<std::string>{"atlas_stab_s001_a22time.bmp", "atlas_stab_s001_a22_2d.bmp",
                                        "atlas_stab_s001_charfunc.bmp", "atlas_stab_s001_model.bmp",
                                        "atlas_stab_s001_probability.bmp"}));
    EXPECT_EQ(encoder.m_astrExtensions, std::vector<std::string>(5, ".bmp"));
    EXPECT_EQ(encoder.m_nWidth, 200);
    EXPECT_EQ(errText, "driftwise-cli: " + kAtlas + " series 1: failed to write " +
                           (m_dir / "out" / "atlas_stab_s001_model.bmp").string() + "\n");
    EXPECT_EQ(fs::file_size(m_dir / "out" / "atlas_stab_s001_model.dat"), 8044u);
}
