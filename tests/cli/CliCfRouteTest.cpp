// SPDX-License-Identifier: GPL-3.0-or-later
// --cf-route: the option, and both routes of the real binary on a long
// generated ATLASStab log with gaps and drift, record by record.

#include "CliBinary.h"
#include "JsonCheck.h"
#include "cli/CliOptions.h"
#include "loggen/LogGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace {

using namespace clitest;

TEST(CliCfRoute, OptionValuesAndUsageError) {
    EXPECT_EQ(ParseCliOptions({"f"}).options.cfRoute, CharFuncRoute::Auto);
    EXPECT_EQ(ParseCliOptions({"--cf-route", "auto", "f"}).options.cfRoute, CharFuncRoute::Auto);
    EXPECT_EQ(ParseCliOptions({"--cf-route", "direct", "f"}).options.cfRoute, CharFuncRoute::Direct);
    EXPECT_EQ(ParseCliOptions({"--cf-route=fft", "f"}).options.cfRoute, CharFuncRoute::Fft);
    for (const char* bad : {"FFT", "", "fast"}) {
        const CliParseResult r = ParseCliOptions({"--cf-route", bad, "f"});
        EXPECT_FALSE(r.bOk) << bad;
        EXPECT_EQ(r.strError.rfind("--cf-route:", 0), 0u) << r.strError;
    }
    EXPECT_EQ(ParseCliOptions({"f", "--cf-route"}).strError, "--cf-route: missing value");
    EXPECT_NE(CliUsageText().find("--cf-route auto|direct|fft"), std::string::npos);
}

class CliCfRouteBinary : public CliBinary {};

TEST_F(CliCfRouteBinary, FftRecordsAgreeWithTheDirectTwoPassSumsOnALongLogWithGapsAndDrift) {
    loggen::SeriesSetup setup;
    setup.nImages = 100000;
    setup.dImagePeriodS = 1.0;
    setup.dGapProbability = 0.0002;
    setup.drift.dDriftNmPerImage = 0.002;
    loggen::CSplitMix random(77);
    loggen::GeneratedSeries series = loggen::SimulateSeries(setup, random);
    const std::string path = (m_dir / "long.dat").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << loggen::ToCrLf(loggen::WriteATLASStabLog(series, random));
    }

    const CliRun direct = Cli({"--json", "--no-fit", "--cf-route", "direct", path});
    const CliRun fft = Cli({"--json", "--no-fit", "--cf-route", "fft", path});
    ASSERT_EQ(direct.status, 0) << direct.err;
    ASSERT_EQ(fft.status, 0) << fft.err;
    JsonReader reader;
    JsonValue a, b;
    std::string error;
    ASSERT_TRUE(reader.Parse(direct.out, a, error)) << error;
    ASSERT_TRUE(reader.Parse(fft.out, b, error)) << error;
    const JsonValue& sa = a["files"].items.at(0)["series"].items.at(0);
    const JsonValue& sb = b["files"].items.at(0)["series"].items.at(0);
    ASSERT_TRUE(sa["char_func_valid"].b);
    ASSERT_TRUE(sb["char_func_valid"].b);
    EXPECT_GT(sa["samples"].items.size(), 99000u);

    // The stored f has the intercept subtracted: its error is measured
    // against |f| + |intercept| (the intercept is the squared measurement
    // error of the component).
    const double ax = std::pow(sa["meas_err_x_nm"].number, 2), ay = std::pow(sa["meas_err_y_nm"].number, 2);
    const std::vector<JsonValue>& ra = sa["char_func"].items;
    const std::vector<JsonValue>& rb = sb["char_func"].items;
    ASSERT_EQ(ra.size(), rb.size());
    ASSERT_GT(ra.size(), 1000u);
    int bad = 0;
    for (std::size_t i = 0; i < ra.size() && bad < 5; ++i) {
        const std::vector<JsonValue>& p = ra[i].items;
        const std::vector<JsonValue>& q = rb[i].items;
        ASSERT_EQ(p.size(), 5u);
        ASSERT_EQ(q.size(), 5u);
        const bool ok = p[0].number == q[0].number &&
                        std::fabs(q[1].number - p[1].number) <= 1e-12 * (std::fabs(p[1].number + ax) + ax) &&
                        std::fabs(q[2].number - p[2].number) <= 1e-12 * (std::fabs(p[2].number + ay) + ay) &&
                        std::fabs(q[3].number - p[3].number) <= 1e-10 * p[3].number &&
                        std::fabs(q[4].number - p[4].number) <= 1e-10 * p[4].number;
        if (!ok) {
            ++bad;
            ADD_FAILURE() << "record " << i << " (d = " << p[0].text << "): " << p[1].text << " " << q[1].text << ", "
                          << p[2].text << " " << q[2].text << ", " << p[3].text << " " << q[3].text << ", " << p[4].text
                          << " " << q[4].text;
        }
    }
    EXPECT_NEAR(sb["meas_err_nm"].number, sa["meas_err_nm"].number, 1e-9 * sa["meas_err_nm"].number);
}

}  // namespace
