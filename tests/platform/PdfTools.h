// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading PDF files back with poppler's tools (pdftotext, pdffonts,
// pdfimages, pdfinfo); a test without them is skipped with a message.

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace pdftools {

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Standard output of a shell command (empty when it cannot run).
inline std::string Run(const std::string& command) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    ::pclose(pipe);
    return out;
}

inline bool Available() {
    for (const char* tool : {"pdftotext", "pdffonts", "pdfimages", "pdfinfo"})
        if (Run(std::string("command -v ") + tool + " >/dev/null 2>&1 && echo yes") != "yes\n") return false;
    return true;
}

inline const char* kMissing = "poppler-utils (pdftotext, pdffonts, pdfimages, pdfinfo) is not installed: "
                              "run scripts/setup.sh";

// Text of pages first..last, words separated by single blanks per line.
inline std::string PageText(const std::string& pdf, int first, int last) {
    return Run("pdftotext -layout -f " + std::to_string(first) + " -l " + std::to_string(last) + " " + Quote(pdf) +
               " -");
}

// Runs of blanks as one blank, no blanks at either end.
inline std::string Squeezed(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '\t' || c == '\f') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The squeezed lines of a text.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(Squeezed(line));
    return lines;
}

// The value of "Key:" in pdfinfo's output.
inline std::string Info(const std::string& pdf, const std::string& key) {
    for (const std::string& line : Lines(Run("pdfinfo " + Quote(pdf)))) {
        if (line.rfind(key + ":", 0) == 0) return Squeezed(line.substr(key.size() + 1));
    }
    return std::string();
}

// Rows of a tabular listing (pdffonts, pdfimages -list) below its dashes.
inline std::vector<std::vector<std::string>> Table(const std::string& listing) {
    std::vector<std::vector<std::string>> rows;
    bool body = false;
    for (const std::string& line : Lines(listing)) {
        if (!body) {
            body = line.rfind("---", 0) == 0;
            continue;
        }
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string cell; in >> cell;) cells.push_back(cell);
        if (!cells.empty()) rows.push_back(cells);
    }
    return rows;
}

}  // namespace pdftools
