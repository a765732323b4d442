#include "cli/CliOptions.h"

#include "boot/Bootstrap.h"
#include "eval/EvalInputs.h"
#include "text/Parse.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <type_traits>

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

// The value of an input's option as its row says: false when it is malformed
// or out of range.
bool ParseInput(const EvalInputSpec& entry, const std::string& text, double& value) {
    switch (entry.type) {
    case EvalInputType::Int:
    case EvalInputType::Seed: {
        unsigned long long n = 0;
        if (!ParseUnsigned(text, 1000000000000ull, n)) return false;
        value = static_cast<double>(n);
        return InputInRange(entry, value);
    }
    case EvalInputType::Double: return ParseNumber(text, value) && InputInRange(entry, value);
    case EvalInputType::Choice: {
        std::string_view words = entry.szChoices;
        for (int index = 0;; ++index) {
            const std::size_t bar = words.find('|');
            if (words.substr(0, bar) == text) {
                value = index;
                return true;
            }
            if (bar == std::string_view::npos) return false;
            words.remove_prefix(bar + 1);
        }
    }
    case EvalInputType::Flag: value = entry.dFlagValue; return true;
    case EvalInputType::Text: return false;
    }
    return false;
}

// Stores an input's value in its field of the options.
template <typename T>
void Store(T& field, double value) {
    if constexpr (std::is_same_v<T, std::optional<std::uint32_t>>) field = static_cast<std::uint32_t>(value);
    else if constexpr (std::is_enum_v<T>) field = static_cast<T>(static_cast<int>(value));
    else field = static_cast<T>(value);
}

enum class Section { Import, Evaluation, Output, Follow };

using ApplyFn = bool (*)(CliOptions& options, const std::string& value, std::string& error);

// One option of the command line. An input's option takes its value name,
// help, range and usage error from its row of kEvalInputs.
struct OptionRow {
    Section section;
    const char* szOption;  // nullptr: an input's row names it
    const char* szValue;   // nullptr: a flag (for an input: from its row)
    const char* szHelp;
    ApplyFn apply;
    const EvalInputSpec* pInput = nullptr;

    const char* Option() const { return pInput ? pInput->szCliOption : szOption; }
    bool IsFlag() const { return pInput ? pInput->type == EvalInputType::Flag : szValue == nullptr; }
    std::string Tag() const {
        const char* value = pInput ? pInput->szCliValue : szValue;
        return std::string(Option()) + (value && *value ? std::string(" ") + value : std::string());
    }
    std::string Help() const { return pInput ? ExpandInputText(*pInput, pInput->szHelp) : szHelp; }
};

// The row of an input whose value goes to a field of the options.
template <EvalInput id, auto field>
OptionRow Input(Section section) {
    OptionRow row{section, nullptr, nullptr, nullptr, nullptr, &InputSpec(id)};
    row.apply = [](CliOptions& o, const std::string& value, std::string& error) {
        const EvalInputSpec& entry = InputSpec(id);
        double number = 0.0;
        if (!ParseInput(entry, value, number)) {
            error = std::string(entry.szCliOption) + ": expected " + ExpandInputText(entry, entry.szExpected) +
                    ", not \"" + value + "\"";
            return false;
        }
        Store(o.*field, number);
        return true;
    };
    return row;
}

std::string Quoted(const std::string& value) { return "\"" + value + "\""; }

#define DW_FLAG(section, option, help, body)                                                                           \
    OptionRow {                                                                                                        \
        section, option, nullptr, help, [](CliOptions& o, const std::string&, std::string&) { body return true; }      \
    }

const std::vector<OptionRow>& OptionTable() {
    static const std::vector<OptionRow> rows = {
        {Section::Import, "--format", "auto|c1a1|atlas", "log format; auto decides by content (default auto)",
         [](CliOptions& o, const std::string& v, std::string& error) {
             if (v == "auto") o.nImportType = IMPORT_NONE;
             else if (v == "c1a1") o.nImportType = IMPORT_C1A1;
             else if (v == "atlas") o.nImportType = IMPORT_ATLAS;
             else error = "--format: expected auto, c1a1 or atlas, not " + Quoted(v);
             return error.empty();
         }},
        {Section::Import, "--series", "N", "only the N-th series of each file (1-based)",
         [](CliOptions& o, const std::string& v, std::string& error) {
             unsigned long long n = 0;
             if (!ParseUnsigned(v, 2147483647ull, n) || n < 1)
                 error = "--series: expected a series number of 1 or more, not " + Quoted(v);
             else o.nSeries = static_cast<int>(n);
             return error.empty();
         }},
        Input<EvalInput::ImportRotDeg, &CliOptions::dRotationDeg>(Section::Import),
        Input<EvalInput::ImportMirrorY, &CliOptions::nMirror>(Section::Import),
        Input<EvalInput::MinDiversity, &CliOptions::nMinDiversity>(Section::Evaluation),
        Input<EvalInput::ElEnergykV, &CliOptions::dEnergykV>(Section::Evaluation),
        Input<EvalInput::TargetResAng, &CliOptions::dResolutionAng>(Section::Evaluation),
        Input<EvalInput::LimitPhase, &CliOptions::dPhase>(Section::Evaluation),
        Input<EvalInput::CharFuncRoute, &CliOptions::cfRoute>(Section::Evaluation),
        DW_FLAG(Section::Evaluation, "--no-fit", "stop after the characteristic function and the\ndirect lifetime",
                o.bFit = false;),
        Input<EvalInput::Seed, &CliOptions::seed>(Section::Evaluation),
        DW_FLAG(Section::Evaluation, "--intervals",
                "also compute 68 % and 95 % intervals of the fitted\n"
                "parameters and lifetimes and the model's\n"
                "goodness-of-fit p-value, by simulating the fitted\n"
                "model (parametric bootstrap): JSON \"intervals\",\n"
                "summary columns, _intervals.txt export and an\n"
                "\"Uncertainty\" block after the report",
                o.bIntervals = true;),
        {Section::Evaluation, "--replicates", "B", "replicate series for --intervals, 100 ... 100000\n(default 1000)",
         [](CliOptions& o, const std::string& v, std::string& error) {
             unsigned long long n = 0;
             if (!ParseUnsigned(v, 1000000000ull, n) || n < kMinReplicates || n > kMaxReplicates)
                 error = "--replicates: expected an integer from 100 to 100000, not " + Quoted(v);
             else o.nReplicates = static_cast<int>(n);
             return error.empty();
         }},
        DW_FLAG(Section::Output, "--json", "print one JSON document instead of the reports", o.bJson = true;),
        {Section::Output, "--export", "DIR",
         "write into DIR (created if missing; existing files\n"
         "are replaced), per series N of a log STEM.EXT:\n"
         "STEM_sNNN_a22time.txt/.dat, _charfunc.txt/.dat,\n"
         "_model.txt/.dat, _probability.txt/.dat (tables and\n"
         "binary data; skipped while their data are not\n"
         "ready), _report.txt, and the diagram images\n"
         "_a22time, _a22_2d, _charfunc, _model, _probability\n"
         "(skipped with nothing to show). A skipped export\n"
         "removes the file of that exact name for that\n"
         "series left by an earlier run; no other file in\n"
         "DIR is touched",
         [](CliOptions& o, const std::string& v, std::string& error) {
             if (v.empty()) error = "--export: expected a folder";
             else o.strExportDir = v;
             return error.empty();
         }},
        DW_FLAG(Section::Output, "--pdf",
                "with --export: also write STEM_sNNN_report.pdf per\n"
                "series (title block with the log's SHA-256, the\n"
                "report, the five diagrams at 300 dpi or more;\n"
                "A4, or Letter where the locale uses it; with\n"
                "SOURCE_DATE_EPOCH the same inputs give the same\n"
                "bytes). Without --pdf an earlier run's PDF of\n"
                "that series is removed",
                o.bPdf = true;),
        {Section::Output, "--image-format", "png|jpg|tif|bmp", "diagram image format (default png)",
         [](CliOptions& o, const std::string& v, std::string& error) {
             if (v != "png" && v != "jpg" && v != "tif" && v != "bmp")
                 error = "--image-format: expected png, jpg, tif or bmp, not " + Quoted(v);
             else o.strImageFormat = v;
             return error.empty();
         }},
        {Section::Output, "--image-size", "WxH",
         "diagram image size in pixels, 16 ... 10000 each\n(default 720x440, as in the desktop program)",
         [](CliOptions& o, const std::string& v, std::string& error) {
             const std::size_t x = v.find('x');
             unsigned long long w = 0, h = 0;
             if (x == std::string::npos || !ParseUnsigned(v.substr(0, x), 1000000ull, w) ||
                 !ParseUnsigned(v.substr(x + 1), 1000000ull, h) || w < kCliImageSizeMin || h < kCliImageSizeMin ||
                 w > kCliImageSizeMax || h > kCliImageSizeMax) {
                 error = "--image-size: expected WxH with 16 to 10000 pixels each, not " + Quoted(v);
                 return false;
             }
             o.nImageWidth = static_cast<int>(w);
             o.nImageHeight = static_cast<int>(h);
             return true;
         }},
        {Section::Output, "--summary", "FILE",
         "write one CSV table with a row per evaluated series\n"
         "(file, series, format, lines, times, samples, the\n"
         "tolerance inputs, lifetimes, fit and probability\n"
         "lifetimes) to FILE, - for standard output; the\n"
         "reports are then not printed",
         [](CliOptions& o, const std::string& v, std::string& error) {
             if (v.empty()) error = "--summary: expected a file name or -";
             else o.strSummaryFile = v;
             return error.empty();
         }},
        {Section::Output, "--log", "FILE", "append the message log lines to FILE",
         [](CliOptions& o, const std::string& v, std::string& error) {
             if (v.empty()) error = "--log: expected a file name";
             else o.strLogFile = v;
             return error.empty();
         }},
        DW_FLAG(Section::Output, "--verbose", "also print the message log lines to standard error", o.bVerbose = true;),
        DW_FLAG(Section::Follow, "--follow",
                "with one LOGFILE: evaluate it, then keep following\n"
                "it while another program appends to it and\n"
                "evaluate it again after each change; --json then\n"
                "prints one JSON document per line, --summary\n"
                "appends rows with a last column provisional; ends\n"
                "on SIGINT or SIGTERM or by --until-idle",
                o.follow.bFollow = true;),
        {Section::Follow, "--follow-interval", "S",
         "least seconds between two evaluations while\nfollowing, 1 ... 3600 (default 10)",
         [](CliOptions& o, const std::string& v, std::string& error) {
             double seconds = 0.0;
             if (!ParseNumber(v, seconds) || seconds < kCliFollowIntervalMin || seconds > kCliFollowIntervalMax) {
                 error = "--follow-interval: expected seconds from 1 to 3600, not " + Quoted(v);
                 return false;
             }
             o.follow.dIntervalS = seconds;
             o.follow.bIntervalGiven = true;
             return true;
         }},
        {Section::Follow, "--until-idle", "S", "while following, end when the file has not grown\nfor S seconds",
         [](CliOptions& o, const std::string& v, std::string& error) {
             double seconds = 0.0;
             if (!ParseNumber(v, seconds) || seconds <= 0 || seconds > 1e9) {
                 error = "--until-idle: expected a positive number of seconds, not " + Quoted(v);
                 return false;
             }
             o.follow.dUntilIdleS = seconds;
             o.follow.bUntilIdle = true;
             return true;
         }},
        DW_FLAG(Section::Output, "--help", "this text", o.action = CliOptions::Action::Help;),
        DW_FLAG(Section::Output, "--version", "the version",
                if (o.action != CliOptions::Action::Help) o.action = CliOptions::Action::Version;),
    };
    return rows;
}

const OptionRow* FindOption(const std::string& name) {
    const std::string& wanted = name == "-h" ? std::string("--help") : name;
    for (const OptionRow& row : OptionTable())
        if (wanted == row.Option()) return &row;
    return nullptr;
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
        const OptionRow* row = FindOption(name);
        if (row == nullptr) return fail("unknown option " + name);
        if (row->IsFlag() && hasValue) return fail(name + ": takes no value");
        if (!row->IsFlag() && !hasValue) {
            if (i + 1 >= args.size()) return fail(name + ": missing value");
            value = args[++i];
        }
        std::string error;
        if (!row->apply(o, value, error)) return fail(error);
    }
    if (o.action == CliOptions::Action::Run && o.astrFiles.empty()) return fail("no log file given");
    if (o.action == CliOptions::Action::Run && !o.follow.bFollow) {
        if (o.follow.bIntervalGiven) return fail("--follow-interval: only with --follow");
        if (o.follow.bUntilIdle) return fail("--until-idle: only with --follow");
    }
    if (o.action == CliOptions::Action::Run && o.bPdf && o.strExportDir.empty())
        return fail("--pdf: needs --export DIR");
    if (o.bJson && o.strSummaryFile == "-")
        return fail("--summary: standard output carries the JSON document; name a file");
    r.bOk = true;
    return r;
}

std::string CliUsageText() {
    std::string text = "Usage: driftwise-cli [OPTIONS] LOGFILE|FOLDER...\n"
                       "Reads corrector logs and evaluates the stability of the two-fold astigmatism\n"
                       "of each series they hold: characteristic function, tolerance, direct lifetime,\n"
                       "model fit, model lifetime and probability lifetimes. For each series it prints\n"
                       "a line \"== LOGFILE series N\" and the Astigmatism Stability Report.\n"
                       "A FOLDER is searched recursively (symbolic links are not followed), in sorted\n"
                       "path order, for the files that are logs by content under --format; other\n"
                       "files are skipped (named with --verbose), a folder without a log is an error.\n";
    constexpr std::size_t kHelpColumn = 28;
    const std::pair<Section, const char*> sections[] = {{Section::Import, "Import:"},
                                                        {Section::Evaluation, "Evaluation:"},
                                                        {Section::Output, "Output:"},
                                                        {Section::Follow, "Following:"}};
    for (const auto& [section, title] : sections) {
        text += std::string("\n") + title + "\n";
        for (const OptionRow& row : OptionTable()) {
            if (row.section != section) continue;
            std::string line = "  " + row.Tag();
            line += std::string(std::max<std::size_t>(kHelpColumn - std::min(line.size(), kHelpColumn), 2), ' ');
            const std::string help = row.Help();
            for (std::size_t start = 0;;) {
                const std::size_t end = help.find('\n', start);
                line += help.substr(start, end - start) + "\n";
                if (end == std::string::npos) break;
                line += std::string(kHelpColumn, ' ');
                start = end + 1;
            }
            text += line;
        }
    }
    return text + "\n"
                  "Exit status: 0 when every file was read and held a series and every export\n"
                  "was written, 1 when a file could not be read or held no series or an export\n"
                  "failed (the other files are still evaluated), 2 for a usage error.\n";
}
