#pragma once
// Helpers of the files tests: a file-error reporter that records its calls,
// with the shared recording log, temporary folder and expected-file helpers.

#include "files/FileErrorReporter.h"
#include "support/GoldenFile.h"
#include "support/RecordingLog.h"
#include "support/TempFolder.h"

#include <string>
#include <utility>
#include <vector>

// Installed for its lifetime; restores the previous reporter.
class CRecordingReporter : public IFileErrorReporter {
public:
    CRecordingReporter() : m_previous(SetFileErrorReporter(this)) {}
    ~CRecordingReporter() override { SetFileErrorReporter(m_previous); }
    CRecordingReporter(const CRecordingReporter&) = delete;
    CRecordingReporter& operator=(const CRecordingReporter&) = delete;

    void ReportFileError(const std::string& path, const std::string& errorText) override {
        m_calls.emplace_back(path, errorText);
    }
    std::vector<std::pair<std::string, std::string>> m_calls;

private:
    IFileErrorReporter* m_previous;
};
