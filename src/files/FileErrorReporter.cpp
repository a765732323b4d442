#include "files/FileErrorReporter.h"

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
