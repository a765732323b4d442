#include "files/ParameterFile.h"

#include "files/FileErrorReporter.h"
#include "series/ParameterBlock.h"
#include "text/Format.h"
#include "text/Parse.h"
#include "text/TextFile.h"

#include <algorithm>

namespace {

// Writes one line (the text plus "\n"); a file error is reported.
int WriteLine(std::FILE* file, const std::string& text, const std::string& path) {
    CTextWriter writer(file);
    if (!writer.Write(text + "\n")) {
        ReportFileError(path, writer.ErrorText());
        return 0;
    }
    return 1;
}

// Reads one line: 1 with a line, 0 at the end of the file or after a file
// error (which is reported).
int ReadLine(std::FILE* file, std::string& line, const std::string& path) {
    CTextReader reader(file);
    switch (reader.ReadLine(line)) {
    case CTextReader::Line: return 1;
    case CTextReader::End: return 0;
    case CTextReader::Error: ReportFileError(path, reader.ErrorText()); return 0;
    }
    return 0;
}

int WriteValueText(std::FILE* file, const CParameterBlock& block, std::string text, const std::string& comment,
                   const std::string& path) {
    AppendComment(text, block, comment);
    return WriteLine(file, text, path);
}

}  // namespace

int WriteHeader(std::FILE* file, const CParameterBlock& block, const std::string& path) {
    if (file == nullptr) return 0;
    if (!WriteLine(file, "'[" + block.m_strName + "]'", path)) return 0;
    return WriteLine(file, FormatText("Version %d", block.m_nVersion), path);
}

int WriteIntValue(std::FILE* file, const CParameterBlock& block, int value, const std::string& comment,
                  const std::string& path) {
    if (file == nullptr) return 0;
    return WriteValueText(file, block, FormatText("%d", value), comment, path);
}

int WriteDoubleValue(std::FILE* file, const CParameterBlock& block, double value, const std::string& comment,
                     const std::string& path) {
    if (file == nullptr) return 0;
    return WriteValueText(file, block, FormatText("%g", value), comment, path);
}

int WriteStringValue(std::FILE* file, const CParameterBlock& block, const std::string& value,
                     const std::string& comment, const std::string& path) {
    if (file == nullptr) return 0;
    // A line feed would end the value line early and shift every later value
    // of the block by one line (paths on this platform may hold one).
    if (value.find('\n') != std::string::npos) return 0;
    return WriteValueText(file, block, value, comment, path);
}

int AppendComment(std::string& text, const CParameterBlock& block, const std::string& comment) {
    if (comment.empty()) return 1;
    const long long gap = static_cast<long long>(block.m_nCommentColumn) - static_cast<long long>(text.size());
    const int blanks = static_cast<int>(std::max<long long>(gap, 6));
    // A single blank right-aligned in a field of that width.
    text += FormatText("%*s", blanks, " ");
    text += comment;
    return 1;
}

int ReadHeader(std::FILE* file, std::string& name, int& version, const std::string& path) {
    name.clear();
    version = 0;
    if (file == nullptr) return 0;

    std::string line;
    if (!ReadLine(file, line, path)) return 0;
    bool nameOk = false;
    const std::size_t open = line.find("'[");
    const std::size_t close = line.find("]'");
    if (open != std::string::npos && close != std::string::npos && close > open + 2) {
        name = line.substr(open + 2, close - open - 2);
        nameOk = true;
    }

    if (!ReadLine(file, line, path)) return 0;
    static const std::string kVersion = "Version ";
    const std::size_t v = line.find(kVersion);
    bool versionOk = false;
    if (v != std::string::npos && v + kVersion.size() < line.size()) {
        version = ReadLeadingInt(std::string_view(line).substr(v + kVersion.size()));
        versionOk = true;
    }
    return nameOk && versionOk ? 1 : 0;
}

int ReadIntValue(std::FILE* file, int& value, const std::string& path) {
    if (file == nullptr) return 0;
    std::string line;
    if (!ReadLine(file, line, path) || line.empty()) return 0;
    value = ReadLeadingInt(line);
    return 1;
}

int ReadDoubleValue(std::FILE* file, double& value, const std::string& path) {
    if (file == nullptr) return 0;
    std::string line;
    if (!ReadLine(file, line, path) || line.empty()) return 0;
    value = ReadLeadingDouble(line);
    return 1;
}

int ReadStringValue(std::FILE* file, std::string& value, const std::string& path) {
    if (file == nullptr) return 0;
    std::string line;
    if (!ReadLine(file, line, path)) return 0;
    value = line;
    return 1;
}
