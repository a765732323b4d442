#pragma once
// Helpers of the files tests: a log that records its lines, a file-error
// reporter that records its calls, a scratch folder and whole-file reads.

#include "files/FileErrorReporter.h"
#include "log/LogFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

class CRecordingLog : public CLogFile {
public:
    explicit CRecordingLog(unsigned debugLevel = 1) { m_nDebugLevel = debugLevel; }
    int Write(const std::string& message) override {
        m_lines.push_back(message);
        return 1;
    }
    std::vector<std::string> m_lines;
};

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

// A fresh folder under the system's temporary folder, removed afterwards.
class CScratchFolder {
public:
    CScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dw_files_XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    }
    ~CScratchFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    std::string File(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string TestDataFile(const std::string& name) { return std::string(DW_TEST_DATA_DIR) + "/" + name; }

// Compares a produced file with an expected file of tests/data. With
// DW_UPDATE_GOLDEN=1 in the environment the expected file is rewritten
// from the produced one instead.
inline void ExpectSameAsGolden(const std::string& produced, const std::string& goldenName) {
    const std::string golden = TestDataFile(goldenName);
    const char* update = std::getenv("DW_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        WriteFileBytes(golden, ReadFileBytes(produced));
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
    EXPECT_EQ(ReadFileBytes(produced), ReadFileBytes(golden)) << "differs from " << golden;
}
