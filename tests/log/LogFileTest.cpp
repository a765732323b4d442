#include "log/LogFile.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class LogFileTest : public ::testing::Test {
protected:
    std::string Content() const {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void WriteBytes(std::size_t n) const {
        std::ofstream out(m_path, std::ios::binary);
        out << std::string(n, 'x');
    }

    CTempFolder m_folder{"dw_log"};
    fs::path m_dir{m_folder.Path()};
    std::string m_path{m_folder.File("Log.txt")};
};

const std::string kStamp = R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}: )";

}  // namespace

TEST_F(LogFileTest, LinesStartWithCrLfAndTheFileEndsWithoutOne) {
    CLogFile log;
    log.m_strPath = m_path;
    EXPECT_EQ(log.Write("first"), 1);
    EXPECT_EQ(log.Write(""), 1);
    EXPECT_EQ(log.Write("third"), 1);
    const std::string c = Content();
    EXPECT_TRUE(std::regex_match(c, std::regex("\r\n" + kStamp + "first\r\n" + kStamp + "\r\n" + kStamp + "third")))
        << c;
    // The file is closed again after every message.
    EXPECT_EQ(log.m_bOpen, 0);
}

TEST_F(LogFileTest, MissingFileIsCreatedAndExistingContentKept) {
    {
        std::ofstream out(m_path, std::ios::binary);
        out << "old";
    }
    CLogFile log;
    log.m_strPath = m_path;
    ASSERT_EQ(log.Write("new"), 1);
    EXPECT_TRUE(std::regex_match(Content(), std::regex("old\r\n" + kStamp + "new")));

    fs::remove(m_path);
    ASSERT_EQ(log.Write("again"), 1);
    EXPECT_TRUE(std::regex_match(Content(), std::regex("\r\n" + kStamp + "again")));
}

TEST_F(LogFileTest, CollectedTextMirrorsTheFile) {
    CLogFile log;
    log.m_strPath = m_path;
    log.Write("not collected");
    log.m_bCollectText = 1;
    log.Write("a");
    log.Write("b");
    EXPECT_TRUE(std::regex_match(log.m_strCollectedText, std::regex("\r\n" + kStamp + "a\r\n" + kStamp + "b")));
    EXPECT_EQ(Content().substr(Content().size() - log.m_strCollectedText.size()), log.m_strCollectedText);
}

TEST_F(LogFileTest, MessageIsDroppedWhenTheFileCannotBeOpened) {
    CLogFile log;
    log.m_bCollectText = 1;
    // No path at all.
    EXPECT_EQ(log.Open(""), 0);
    EXPECT_EQ(log.Write("lost"), 0);
    // A folder that does not exist.
    log.m_strPath = (m_dir / "missing" / "Log.txt").string();
    EXPECT_EQ(log.Write("lost"), 0);
    // A file another program holds open exclusively.
    log.m_strPath = m_path;
    std::FILE* held = OpenExclusive(m_path, FileOpenMode::WriteNoTruncate);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(log.Write("lost"), 0);
    CloseExclusive(held);
    EXPECT_EQ(log.m_strCollectedText, "");
    EXPECT_EQ(Content(), "");
    // Once the file is free again, messages arrive.
    EXPECT_EQ(log.Write("kept"), 1);
    EXPECT_NE(log.m_strCollectedText.find("kept"), std::string::npos);
}

TEST_F(LogFileTest, AFailedWriteIsNotReportedAsWritten) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    CLogFile log;
    log.m_strPath = "/dev/full";
    log.m_bCollectText = 1;
    EXPECT_EQ(log.Write("disk full"), 0);
    // The screen still shows the line.
    EXPECT_NE(log.m_strCollectedText.find("disk full"), std::string::npos);
    EXPECT_EQ(log.m_bOpen, 0);
}

TEST_F(LogFileTest, DebugLinesFollowTheLevel) {
    CLogFile log;
    log.m_strPath = m_path;
    log.m_bCollectText = 1;
    EXPECT_EQ(log.WriteDebug(1, "hidden"), 0);
    EXPECT_EQ(log.m_strCollectedText, "");
    log.m_nDebugLevel = 3;
    EXPECT_EQ(log.WriteDebug(0, "level zero is never written"), 0);
    EXPECT_EQ(log.WriteDebug(4, "too deep"), 0);
    EXPECT_EQ(log.WriteDebug(2, "x"), 1);
    EXPECT_EQ(log.WriteDebug(3, "y"), 1);
    EXPECT_EQ(log.WriteDebug(1, "z"), 1);
    EXPECT_TRUE(std::regex_match(log.m_strCollectedText, std::regex("\r\n" + kStamp + "DEBUG>    x\r\n" + kStamp +
                                                                    "DEBUG>      y\r\n" + kStamp + "DEBUG>  z")))
        << log.m_strCollectedText;
}

TEST_F(LogFileTest, OpenKeepsTheFullPathAndLengthWorksOpenOrClosed) {
    CLogFile log;
    WriteBytes(10);
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir);
    const int opened = log.Open("Log.txt");
    fs::current_path(previous);
    ASSERT_EQ(opened, 1);
    EXPECT_EQ(log.m_bOpen, 1);
    EXPECT_EQ(log.m_strPath, fs::path(m_path).lexically_normal().string());
    EXPECT_EQ(log.GetLength(), 10u);
    log.Close();
    EXPECT_EQ(log.m_bOpen, 0);
    EXPECT_EQ(log.GetLength(), 10u);
    EXPECT_EQ(log.m_bOpen, 0);
    fs::remove(m_path);
    log.m_strPath = (m_dir / "missing" / "Log.txt").string();
    EXPECT_EQ(log.GetLength(), 0u);
}

TEST_F(LogFileTest, SizeCapKeepsExactly2MBAndErasesOneByteMore) {
    CLogFile log;
    log.m_strPath = m_path;
    WriteBytes(2097152);
    log.ApplySizeCap();
    EXPECT_EQ(fs::file_size(m_path), 2097152u);

    WriteBytes(2097153);
    log.ApplySizeCap();
    EXPECT_TRUE(std::regex_match(
        Content(),
        std::regex(
            "\r\n" + kStamp + "\r\n" + kStamp +
            R"(The previous content of the log file was erased in order to prevent too large log files \(max\. 2MB\)\.)" +
            "\r\n" + kStamp)))
        << Content().substr(0, 200);
}
