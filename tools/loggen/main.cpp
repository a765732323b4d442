// dw-loggen: writes synthetic CEOS C1A1 or ATLASStab logs of a drifting
// astigmatism, for tests, benchmarks and examples.

#include "loggen/LogGenerator.h"
#include "text/Parse.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

const char* const kUsage = "Usage: dw-loggen [OPTIONS]\n"
                           "Writes a synthetic corrector log of a drifting two-fold astigmatism.\n"
                           "\n"
                           "  --format c1a1|atlas   log format (default c1a1)\n"
                           "  --series N            number of series, C1A1 only (default 1)\n"
                           "  --images N            images per series (default 300)\n"
                           "  --first-image N       first image number (default 1)\n"
                           "  --period S            seconds per image (default 2)\n"
                           "  --start S             start time stamp in seconds (default 100)\n"
                           "  --unit pm|nm|alternate  C1A1 magnitude unit; alternate: pm, nm, pm, ... (default pm)\n"
                           "  --gaps P              probability of a missing image (default 0)\n"
                           "  --diffusion NM        random-walk step per image (default 0.02)\n"
                           "  --transient NM        step of the transient, Da (default 0.03)\n"
                           "  --relax IMAGES        its decay time, Tc (default 40)\n"
                           "  --drift NM            drift per image (default 0.0005)\n"
                           "  --noise NM            measurement noise (default 0.02)\n"
                           "  --error NM            ATLASStab error column (default 0.01)\n"
                           "  --no-end-marker       ATLASStab: no \"#\" line after the table\n"
                           "  --seed N              seed (default 1)\n"
                           "  --lf                  LF line ends (default CR LF)\n"
                           "  -o FILE               output file (default standard output)\n"
                           "  --help                this text\n";

bool ParseDouble(const char* text, double& value) {
    std::size_t used = 0;
    value = ReadLeadingDouble(text, &used);
    return used > 0 && used == std::strlen(text);
}

bool ParseInt(const char* text, long long min, long long max, long long& value) {
    double d = 0;
    if (!ParseDouble(text, d) || d != static_cast<double>(static_cast<long long>(d))) return false;
    value = static_cast<long long>(d);
    return value >= min && value <= max;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "dw-loggen: %s\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string format = "c1a1", unit = "pm", output;
    long long seriesCount = 1, seed = 1;
    bool lf = false;
    loggen::SeriesSetup setup;
    loggen::ATLASLayout atlas;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](const char*& v) {
            if (i + 1 >= argc) return false;
            v = argv[++i];
            return true;
        };
        const char* v = nullptr;
        double d = 0;
        long long n = 0;
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--lf") {
            lf = true;
        } else if (arg == "--no-end-marker") {
            atlas.bEndMarker = false;
        } else if (!value(v)) {
            return Fail("unknown option or missing value: " + std::string(arg));
        } else if (arg == "--format") {
            format = v;
            if (format != "c1a1" && format != "atlas") return Fail("--format must be c1a1 or atlas");
        } else if (arg == "--unit") {
            unit = v;
            if (unit != "pm" && unit != "nm" && unit != "alternate") return Fail("--unit must be pm, nm or alternate");
        } else if (arg == "-o") {
            output = v;
        } else if (arg == "--series") {
            if (!ParseInt(v, 1, 1000, seriesCount)) return Fail("--series must be 1 ... 1000");
        } else if (arg == "--images") {
            if (!ParseInt(v, 2, 100000000, n)) return Fail("--images must be 2 ... 100000000");
            setup.nImages = static_cast<int>(n);
        } else if (arg == "--first-image") {
            if (!ParseInt(v, 1, 1000000000, n)) return Fail("--first-image must be 1 ... 1000000000");
            setup.nFirstImage = static_cast<int>(n);
        } else if (arg == "--start") {
            if (!ParseInt(v, 0, 2000000000, n)) return Fail("--start must be 0 ... 2000000000");
            setup.nStartTime = static_cast<int>(n);
        } else if (arg == "--seed") {
            if (!ParseInt(v, 0, 4294967295ll, seed)) return Fail("--seed must be an unsigned 32-bit number");
        } else if (arg == "--period" || arg == "--gaps" || arg == "--diffusion" || arg == "--transient" ||
                   arg == "--relax" || arg == "--drift" || arg == "--noise" || arg == "--error") {
            if (!ParseDouble(v, d) || !(d >= 0) || d > 1e6) return Fail(std::string(arg) + " needs a number >= 0");
            if (arg == "--period") {
                if (d <= 0) return Fail("--period must be positive");
                setup.dImagePeriodS = d;
            } else if (arg == "--gaps") {
                if (d >= 1) return Fail("--gaps must be below 1");
                setup.dGapProbability = d;
            } else if (arg == "--diffusion") setup.drift.dDiffusionNm = d;
            else if (arg == "--transient") setup.drift.dTransientNm = d;
            else if (arg == "--relax") setup.drift.dTransientImages = d;
            else if (arg == "--drift") setup.drift.dDriftNmPerImage = d;
            else if (arg == "--noise") setup.drift.dNoiseNm = d;
            else atlas.dErrorNm = d;
        } else {
            return Fail("unknown option: " + std::string(arg));
        }
    }
    if (setup.nFirstImage + static_cast<long long>(setup.nImages) > 2000000000ll)
        return Fail("image numbers would exceed 2000000000");
    if (setup.nStartTime + static_cast<double>(seriesCount) * (setup.nImages * setup.dImagePeriodS + 60) > 2.1e9)
        return Fail("time stamps would exceed 2100000000 s");

    loggen::CSplitMix random(static_cast<std::uint64_t>(seed));
    std::string text;
    if (format == "atlas") {
        loggen::GeneratedSeries g = loggen::SimulateSeries(setup, random);
        text = loggen::WriteATLASStabLog(g, random, atlas);
    } else {
        std::vector<loggen::GeneratedSeries> all;
        loggen::SeriesSetup s = setup;
        for (long long k = 0; k < seriesCount; ++k) {
            s.strUnit = unit == "alternate" ? (k % 2 == 0 ? "pm" : "nm") : unit;
            all.push_back(loggen::SimulateSeries(s, random));
            s.nStartTime += static_cast<int>(s.nImages * s.dImagePeriodS) + 60;
        }
        text = loggen::WriteC1A1Log(all);
    }
    if (!lf) text = loggen::ToCrLf(text);

    std::FILE* f = output.empty() ? stdout : std::fopen(output.c_str(), "wb");
    if (!f) return Fail("cannot create " + output);
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool closed = output.empty() ? std::fflush(f) == 0 : std::fclose(f) == 0;
    if (!ok || !closed) return Fail("cannot write " + (output.empty() ? std::string("standard output") : output));
    return 0;
}
