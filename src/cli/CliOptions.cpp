#include "cli/CliOptions.h"

#include "boot/Bootstrap.h"
#include "text/Parse.h"

#include <cmath>
#include <string_view>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A whole text that is one finite decimal number.
bool ParseNumber(const std::string& text, double& value) {
    if (text.empty() || text.front() == ' ' || text.front() == '\t') return false;
    std::size_t used = 0;
    value = ReadLeadingDouble(text, &used);
    return used == text.size() && std::isfinite(value);
}

// A whole text of decimal digits (no sign) not above max.
bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long& value) {
    if (text.empty() || text.size() > 20) return false;
    value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return false;
        const unsigned d = static_cast<unsigned>(c - '0');
        if (value > (max - d) / 10) return false;
        value = value * 10 + d;
    }
    return true;
}

}  // namespace

CliParseResult ParseCliOptions(const std::vector<std::string>& args) {
    CliParseResult r;
    CliOptions& o = r.options;
    auto fail = [&r](const std::string& message) {
        r.bOk = false;
        r.strError = message;
        return r;
    };
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            o.astrFiles.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        std::string name = arg, value;
        bool hasValue = false;
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        auto flag = [&]() {
            if (hasValue) {
                r.strError = name + ": takes no value";
                return false;
            }
            return true;
        };
        auto needValue = [&]() {
            if (hasValue) return true;
            if (i + 1 >= args.size()) {
                r.strError = name + ": missing value";
                return false;
            }
            value = args[++i];
            hasValue = true;
            return true;
        };

        if (name == "--help" || name == "-h") {
            if (!flag()) return fail(r.strError);
            o.action = CliOptions::Action::Help;
        } else if (name == "--version") {
            if (!flag()) return fail(r.strError);
            if (o.action != CliOptions::Action::Help) o.action = CliOptions::Action::Version;
        } else if (name == "--mirror-y") {
            if (!flag()) return fail(r.strError);
            o.nMirror = -1;
        } else if (name == "--no-fit") {
            if (!flag()) return fail(r.strError);
            o.bFit = false;
        } else if (name == "--json") {
            if (!flag()) return fail(r.strError);
            o.bJson = true;
        } else if (name == "--intervals") {
            if (!flag()) return fail(r.strError);
            o.bIntervals = true;
        } else if (name == "--replicates") {
            if (!needValue()) return fail(r.strError);
            unsigned long long n = 0;
            if (!ParseUnsigned(value, 1000000000ull, n) || n < kMinReplicates || n > kMaxReplicates)
                return fail("--replicates: expected an integer from 100 to 100000, not \"" + value + "\"");
            o.nReplicates = static_cast<int>(n);
        } else if (name == "--verbose") {
            if (!flag()) return fail(r.strError);
            o.bVerbose = true;
        } else if (name == "--format") {
            if (!needValue()) return fail(r.strError);
            if (value == "auto") o.nImportType = IMPORT_NONE;
            else if (value == "c1a1") o.nImportType = IMPORT_C1A1;
            else if (value == "atlas") o.nImportType = IMPORT_ATLAS;
            else return fail("--format: expected auto, c1a1 or atlas, not \"" + value + "\"");
        } else if (name == "--cf-route") {
            if (!needValue()) return fail(r.strError);
            if (value == "auto") o.cfRoute = CharFuncRoute::Auto;
            else if (value == "direct") o.cfRoute = CharFuncRoute::Direct;
            else if (value == "fft") o.cfRoute = CharFuncRoute::Fft;
            else return fail("--cf-route: expected auto, direct or fft, not \"" + value + "\"");
        } else if (name == "--series") {
            if (!needValue()) return fail(r.strError);
            unsigned long long n = 0;
            if (!ParseUnsigned(value, 2147483647ull, n) || n < 1)
                return fail("--series: expected a series number of 1 or more, not \"" + value + "\"");
            o.nSeries = static_cast<int>(n);
        } else if (name == "--rotation") {
            if (!needValue()) return fail(r.strError);
            if (!ParseNumber(value, o.dRotationDeg) || std::fabs(o.dRotationDeg) > 1e6)
                return fail("--rotation: expected an angle in degrees, not \"" + value + "\"");
        } else if (name == "--min-diversity") {
            if (!needValue()) return fail(r.strError);
            unsigned long long n = 0;
            if (!ParseUnsigned(value, 1000000000ull, n) || n < kCliMinDiversityMin || n > kCliMinDiversityMax)
                return fail("--min-diversity: expected an integer from 5 to 50000, not \"" + value + "\"");
            o.nMinDiversity = static_cast<int>(n);
        } else if (name == "--energy") {
            if (!needValue()) return fail(r.strError);
            if (!ParseNumber(value, o.dEnergykV) || o.dEnergykV <= 0)
                return fail("--energy: expected a positive electron energy in keV, not \"" + value + "\"");
        } else if (name == "--resolution") {
            if (!needValue()) return fail(r.strError);
            if (!ParseNumber(value, o.dResolutionAng) || o.dResolutionAng <= 0)
                return fail("--resolution: expected a positive resolution in Angstrom, not \"" + value + "\"");
        } else if (name == "--phase") {
            if (!needValue()) return fail(r.strError);
            if (!ParseNumber(value, o.dPhase) || o.dPhase < kCliPhaseMin || o.dPhase > kCliPhaseMax)
                return fail("--phase: expected a fraction of pi from 0.001 to 1000, not \"" + value + "\"");
        } else if (name == "--seed") {
            if (!needValue()) return fail(r.strError);
            unsigned long long n = 0;
            if (!ParseUnsigned(value, 4294967295ull, n))
                return fail("--seed: expected an unsigned 32-bit integer, not \"" + value + "\"");
            o.seed = static_cast<std::uint32_t>(n);
        } else if (name == "--export") {
            if (!needValue()) return fail(r.strError);
            if (value.empty()) return fail("--export: expected a folder");
            o.strExportDir = value;
        } else if (name == "--image-format") {
            if (!needValue()) return fail(r.strError);
            if (value != "png" && value != "jpg" && value != "tif" && value != "bmp")
                return fail("--image-format: expected png, jpg, tif or bmp, not \"" + value + "\"");
            o.strImageFormat = value;
        } else if (name == "--image-size") {
            if (!needValue()) return fail(r.strError);
            const std::size_t x = value.find('x');
            unsigned long long w = 0, h = 0;
            if (x == std::string::npos || !ParseUnsigned(value.substr(0, x), 1000000ull, w) ||
                !ParseUnsigned(value.substr(x + 1), 1000000ull, h) || w < kCliImageSizeMin || h < kCliImageSizeMin ||
                w > kCliImageSizeMax || h > kCliImageSizeMax)
                return fail("--image-size: expected WxH with 16 to 10000 pixels each, not \"" + value + "\"");
            o.nImageWidth = static_cast<int>(w);
            o.nImageHeight = static_cast<int>(h);
        } else if (name == "--summary") {
            if (!needValue()) return fail(r.strError);
            if (value.empty()) return fail("--summary: expected a file name or -");
            o.strSummaryFile = value;
        } else if (name == "--log") {
            if (!needValue()) return fail(r.strError);
            if (value.empty()) return fail("--log: expected a file name");
            o.strLogFile = value;
        } else {
            return fail("unknown option " + name);
        }
    }
    if (o.action == CliOptions::Action::Run && o.astrFiles.empty()) return fail("no log file given");
    if (o.bJson && o.strSummaryFile == "-")
        return fail("--summary: standard output carries the JSON document; name a file");
    r.bOk = true;
    return r;
}

std::string CliUsageText() {
    return "Usage: driftwise-cli [OPTIONS] LOGFILE|FOLDER...\n"
           "Reads corrector logs and evaluates the stability of the two-fold astigmatism\n"
           "of each series they hold: characteristic function, tolerance, direct lifetime,\n"
           "model fit, model lifetime and probability lifetimes. For each series it prints\n"
           "a line \"== LOGFILE series N\" and the Astigmatism Stability Report.\n"
           "A FOLDER is searched recursively (symbolic links are not followed), in sorted\n"
           "path order, for the files that are logs by content under --format; other\n"
           "files are skipped (named with --verbose), a folder without a log is an error.\n"
           "\n"
           "Import:\n"
           "  --format auto|c1a1|atlas  log format; auto decides by content (default auto)\n"
           "  --series N                only the N-th series of each file (1-based)\n"
           "  --rotation DEG            x-y rotation at extraction (default 0)\n"
           "  --mirror-y                mirror A22-y at extraction\n"
           "\n"
           "Evaluation:\n"
           "  --min-diversity M         minimum diversity, 5 ... 50000 (default 10)\n"
           "  --energy KEV              electron energy (default 300)\n"
           "  --resolution ANGSTROM     target resolution (default 1)\n"
           "  --phase FRACTION          phase-shift tolerance in fractions of pi,\n"
           "                            0.001 ... 1000 (default 0.25)\n"
           "  --cf-route auto|direct|fft  how the characteristic function's pair sums are\n"
           "                            computed: direct pair by pair, fft from FFT\n"
           "                            correlations (distances whose error bound fails\n"
           "                            are summed directly), auto the faster for the\n"
           "                            series' size; the results agree within 1e-12\n"
           "                            relative for f and 1e-10 for Var(f) (default auto)\n"
           "  --no-fit                  stop after the characteristic function and the\n"
           "                            direct lifetime\n"
           "  --seed N                  seed of the model fit's random restarts (unsigned\n"
           "                            32-bit; default from the clock, so two runs differ\n"
           "                            in the last digits of the model)\n"
           "  --intervals               also compute 68 % and 95 % intervals of the fitted\n"
           "                            parameters and lifetimes and the model's\n"
           "                            goodness-of-fit p-value, by simulating the fitted\n"
           "                            model (parametric bootstrap): JSON \"intervals\",\n"
           "                            summary columns, _intervals.txt export and an\n"
           "                            \"Uncertainty\" block after the report\n"
           "  --replicates B            replicate series for --intervals, 100 ... 100000\n"
           "                            (default 1000)\n"
           "\n"
           "Output:\n"
           "  --json                    print one JSON document instead of the reports\n"
           "  --export DIR              write into DIR (created if missing; existing files\n"
           "                            are replaced), per series N of a log STEM.EXT:\n"
           "                            STEM_sNNN_a22time.txt/.dat, _charfunc.txt/.dat,\n"
           "                            _model.txt/.dat, _probability.txt/.dat (tables and\n"
           "                            binary data; skipped while their data are not\n"
           "                            ready), _report.txt, and the diagram images\n"
           "                            _a22time, _a22_2d, _charfunc, _model, _probability\n"
           "                            (skipped with nothing to show). A skipped export\n"
           "                            removes the file of that exact name for that\n"
           "                            series left by an earlier run; no other file in\n"
           "                            DIR is touched\n"
           "  --image-format png|jpg|tif|bmp  diagram image format (default png)\n"
           "  --image-size WxH          diagram image size in pixels, 16 ... 10000 each\n"
           "                            (default 720x440, as in the desktop program)\n"
           "  --summary FILE            write one CSV table with a row per evaluated series\n"
           "                            (file, series, format, lines, times, samples, the\n"
           "                            tolerance inputs, lifetimes, fit and probability\n"
           "                            lifetimes) to FILE, - for standard output; the\n"
           "                            reports are then not printed\n"
           "  --log FILE                append the message log lines to FILE\n"
           "  --verbose                 also print the message log lines to standard error\n"
           "  --help                    this text\n"
           "  --version                 the version\n"
           "\n"
           "Exit status: 0 when every file was read and held a series and every export\n"
           "was written, 1 when a file could not be read or held no series or an export\n"
           "failed (the other files are still evaluated), 2 for a usage error.\n";
}
