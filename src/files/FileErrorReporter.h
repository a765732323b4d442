#pragma once
// Where file errors during reading or writing are shown: the desktop program
// shows a modal message box, the batch tool prints to standard error, tests
// record. Without a reporter the error is only reflected in the result.

#include <string>

class IFileErrorReporter {
public:
    virtual ~IFileErrorReporter() = default;
    // path: the file concerned; errorText: the platform's text of the error.
    virtual void ReportFileError(const std::string& path, const std::string& errorText) = 0;
};

// Installs the program-wide reporter; returns the previous one.
IFileErrorReporter* SetFileErrorReporter(IFileErrorReporter* reporter);
void ReportFileError(const std::string& path, const std::string& errorText);
