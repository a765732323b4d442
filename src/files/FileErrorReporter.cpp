#include "files/FileErrorReporter.h"

#include <cstdio>

namespace {
IFileErrorReporter* g_pReporter = nullptr;
}

IFileErrorReporter* SetFileErrorReporter(IFileErrorReporter* reporter) {
    IFileErrorReporter* previous = g_pReporter;
    g_pReporter = reporter;
    return previous;
}

void ReportFileError(const std::string& path, const std::string& errorText) {
    if (g_pReporter != nullptr) g_pReporter->ReportFileError(path, errorText);
}

void CStderrFileErrorReporter::ReportFileError(const std::string& path, const std::string& errorText) {
    const std::string line = "File error [" + path + "]: " + errorText + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}
