// SPDX-License-Identifier: GPL-3.0-or-later
// The manual page and the README describe the options as the table of
// inputs and --help give them: the same defaults and ranges, no option that
// the tool does not have.

#include "cli/CliOptions.h"
#include "eval/EvalInputs.h"
#include "support/GoldenFile.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace {

const std::string kSourceDir = std::string(DW_EXAMPLES_DIR) + "/..";

std::string ManPage() {
    std::string man = ReadFileBytes(kSourceDir + "/docs/man/driftwise-cli.1.in");
    for (std::size_t at = man.find("\\-"); at != std::string::npos; at = man.find("\\-", at)) man.erase(at, 1);
    return man;
}

// The paragraph of the option list whose tag line names the option.
std::string ManEntry(const std::string& man, const std::string& option) {
    const std::regex tag("\n\\.TP\n[^\n]*" + option + "([^a-z-][^\n]*)?\n");
    std::smatch m;
    if (!std::regex_search(man, m, tag)) return "";
    const std::size_t start = static_cast<std::size_t>(m.position(0) + m.length(0));
    const std::size_t end = std::min(man.find("\n.TP", start), man.find("\n.S", start));
    std::string text = man.substr(start, end - start);
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

std::set<std::string> OptionsIn(const std::string& text) {
    std::set<std::string> options;
    const std::regex option("--[a-z][a-z0-9-]*");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
        options.insert(it->str());
    return options;
}

}  // namespace

TEST(CliDocs, ManPageGivesTheDefaultsAndRangesOfTheInputs) {
    const std::string man = ManPage();
    int checked = 0;
    for (const EvalInputSpec& inputRow : kEvalInputs) {
        if (inputRow.szCliOption == nullptr) continue;
        const std::string entry = ManEntry(man, inputRow.szCliOption);
        ASSERT_FALSE(entry.empty()) << inputRow.szCliOption << " has no entry in the manual page";
        const std::string help = inputRow.szHelp;
        if (help.find("{default}") != std::string::npos) {
            EXPECT_NE(entry.find("(default " + FormatInputNumber(inputRow.dDefault) + ")"), std::string::npos)
                << inputRow.szCliOption << ": " << entry;
            ++checked;
        }
        if (help.find("{min}") != std::string::npos) {
            EXPECT_NE(entry.find(FormatInputNumber(inputRow.dMin) + " to " + FormatInputNumber(inputRow.dMax)),
                      std::string::npos)
                << inputRow.szCliOption << ": " << entry;
        }
    }
    EXPECT_GE(checked, 5);
}

TEST(CliDocs, ManPageAndReadmeNameOnlyOptionsOfTheTool) {
    const std::set<std::string> known = OptionsIn(CliUsageText());
    const std::string man = ManPage();
    const std::string readme = ReadFileBytes(kSourceDir + "/README.md");
    const std::size_t batch = readme.find("## Batch tool");
    ASSERT_NE(batch, std::string::npos);
    const std::string section = readme.substr(batch, readme.find("\n## ", batch + 1) - batch);
    for (const auto& [name, text] : {std::pair{"manual page", man}, std::pair{"README", section}})
        for (const std::string& option : OptionsIn(text))
            EXPECT_TRUE(known.contains(option)) << "the " << name << " names " << option << ", which --help lacks";
}
