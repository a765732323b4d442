#include "cli/CliOptions.h"

#include <gtest/gtest.h>

using Args = std::vector<std::string>;

TEST(CliOptions, DefaultsAndEveryOption) {
    CliParseResult r = ParseCliOptions({"a.log"});
    ASSERT_TRUE(r.bOk) << r.strError;
    const CliOptions& d = r.options;
    EXPECT_EQ(d.action, CliOptions::Action::Run);
    EXPECT_EQ(d.nImportType, 0);
    EXPECT_EQ(d.nSeries, 0);
    EXPECT_EQ(d.dRotationDeg, 0.0);
    EXPECT_EQ(d.nMirror, 1);
    EXPECT_EQ(d.nMinDiversity, 10);
    EXPECT_EQ(d.dEnergykV, 300.0);
    EXPECT_EQ(d.dResolutionAng, 1.0);
    EXPECT_EQ(d.dPhase, 0.25);
    EXPECT_TRUE(d.bFit);
    EXPECT_FALSE(d.seed.has_value());
    EXPECT_FALSE(d.bJson);
    EXPECT_EQ(d.strImageFormat, "png");
    EXPECT_EQ(d.nImageWidth, 0);
    EXPECT_EQ(d.astrFiles, Args{"a.log"});

    r = ParseCliOptions({"--format",
                         "atlas",
                         "--series",
                         "2",
                         "--rotation",
                         "-12.5",
                         "--mirror-y",
                         "--min-diversity",
                         "50000",
                         "--energy",
                         "200",
                         "--resolution=0.8",
                         "--phase",
                         "0.001",
                         "--no-fit",
                         "--seed",
                         "4294967295",
                         "--json",
                         "--export",
                         "out",
                         "--image-format",
                         "bmp",
                         "--image-size",
                         "640x480",
                         "--log",
                         "run.txt",
                         "--verbose",
                         "x.dat",
                         "--",
                         "--odd-name.log"});
    ASSERT_TRUE(r.bOk) << r.strError;
    const CliOptions& o = r.options;
    EXPECT_EQ(o.nImportType, 2);
    EXPECT_EQ(o.nSeries, 2);
    EXPECT_EQ(o.dRotationDeg, -12.5);
    EXPECT_EQ(o.nMirror, -1);
    EXPECT_EQ(o.nMinDiversity, 50000);
    EXPECT_EQ(o.dEnergykV, 200.0);
    EXPECT_EQ(o.dResolutionAng, 0.8);
    EXPECT_EQ(o.dPhase, 0.001);
    EXPECT_FALSE(o.bFit);
    EXPECT_EQ(o.seed.value(), 4294967295u);
    EXPECT_TRUE(o.bJson);
    EXPECT_EQ(o.strExportDir, "out");
    EXPECT_EQ(o.strImageFormat, "bmp");
    EXPECT_EQ(o.nImageWidth, 640);
    EXPECT_EQ(o.nImageHeight, 480);
    EXPECT_EQ(o.strLogFile, "run.txt");
    EXPECT_TRUE(o.bVerbose);
    EXPECT_EQ(o.astrFiles, (Args{"x.dat", "--odd-name.log"}));

    EXPECT_EQ(ParseCliOptions({"--format", "c1a1", "f"}).options.nImportType, 1);
    EXPECT_EQ(ParseCliOptions({"--format=auto", "f"}).options.nImportType, 0);
    EXPECT_EQ(ParseCliOptions({"--min-diversity", "5", "f"}).options.nMinDiversity, 5);
    EXPECT_EQ(ParseCliOptions({"--phase", "1000", "f"}).options.dPhase, 1000.0);
    EXPECT_EQ(ParseCliOptions({"--seed", "0", "f"}).options.seed.value(), 0u);
}

TEST(CliOptions, HelpAndVersionNeedNoFiles) {
    EXPECT_EQ(ParseCliOptions({"--help"}).options.action, CliOptions::Action::Help);
    EXPECT_EQ(ParseCliOptions({"--version"}).options.action, CliOptions::Action::Version);
    EXPECT_EQ(ParseCliOptions({"--version", "--help"}).options.action, CliOptions::Action::Help);
    EXPECT_TRUE(ParseCliOptions({"--help"}).bOk);
    EXPECT_NE(CliUsageText().find("--image-size WxH"), std::string::npos);
}

TEST(CliOptions, UsageErrorsNameTheOption) {
    const std::vector<std::pair<Args, std::string>> cases = {
        {{}, "no log file given"},
        {{"--json"}, "no log file given"},
        {{"--bogus", "f"}, "unknown option --bogus"},
        {{"-x", "f"}, "unknown option -x"},
        {{"f", "--format"}, "--format: missing value"},
        {{"--format", "xml", "f"}, "--format:"},
        {{"--series", "0", "f"}, "--series:"},
        {{"--series", "1.5", "f"}, "--series:"},
        {{"--series", "-1", "f"}, "--series:"},
        {{"--series", "99999999999", "f"}, "--series:"},
        {{"--rotation", "abc", "f"}, "--rotation:"},
        {{"--rotation", "nan", "f"}, "--rotation:"},
        {{"--rotation", "1e999", "f"}, "--rotation:"},
        {{"--rotation", "1,5", "f"}, "--rotation:"},
        {{"--rotation", "", "f"}, "--rotation:"},
        {{"--rotation", " 5", "f"}, "--rotation:"},
        {{"--min-diversity", "4", "f"}, "--min-diversity:"},
        {{"--min-diversity", "50001", "f"}, "--min-diversity:"},
        {{"--min-diversity", "10.0", "f"}, "--min-diversity:"},
        {{"--energy", "0", "f"}, "--energy:"},
        {{"--energy", "-300", "f"}, "--energy:"},
        {{"--energy", "inf", "f"}, "--energy:"},
        {{"--resolution", "0", "f"}, "--resolution:"},
        {{"--phase", "0.0009", "f"}, "--phase:"},
        {{"--phase", "1000.1", "f"}, "--phase:"},
        {{"--seed", "-1", "f"}, "--seed:"},
        {{"--seed", "4294967296", "f"}, "--seed:"},
        {{"--seed", "0x10", "f"}, "--seed:"},
        {{"--image-format", "gif", "f"}, "--image-format:"},
        {{"--image-format", "PNG", "f"}, "--image-format:"},
        {{"--image-size", "640", "f"}, "--image-size:"},
        {{"--image-size", "15x480", "f"}, "--image-size:"},
        {{"--image-size", "640x10001", "f"}, "--image-size:"},
        {{"--image-size", "640X480", "f"}, "--image-size:"},
        {{"--image-size", "x480", "f"}, "--image-size:"},
        {{"--export", "", "f"}, "--export:"},
        {{"--log", "", "f"}, "--log:"},
        {{"--json=1", "f"}, "--json: takes no value"},
    };
    for (const auto& [args, message] : cases) {
        const CliParseResult r = ParseCliOptions(args);
        EXPECT_FALSE(r.bOk) << message;
        EXPECT_EQ(r.strError.rfind(message, 0), 0u) << r.strError;
        EXPECT_EQ(r.strError.find('\n'), std::string::npos);
    }
}
