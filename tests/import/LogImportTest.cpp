#include "import/LogImport.h"

#include "ImportTestUtil.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

const std::string kC1A1 = C1A1Series(0, 20, C1A1Data(1, "1nm", "0") + C1A1Data(2, "1nm", "0"));
const std::string kAtlas = "img a22x err(a22x)  a22y err(a22y) filetime\n1 1 0 1 0 10\n2 1 0 1 0 20\n";

class LogFileImport : public ::testing::Test {
protected:
    void SetUp() override { PinNumericLocale(); }

    std::string File(const std::string& name, const std::string& content) {
        const std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    ImportResult Import(const std::string& path, int type) {
        ImportRequest r = run.Request();
        r.strPath = path;
        return ImportLogFile(r, type, run.list);
    }

    CTempFolder m_folder{"dw_import"};
    fs::path m_dir{m_folder.Path()};
    ImportRun run;
};

}  // namespace

TEST(LogFormatSniffer, DecidesByContent) {
    std::string reason;
    EXPECT_EQ(SniffLogFormat(kC1A1, &reason), IMPORT_C1A1);
    EXPECT_EQ(SniffLogFormat(kAtlas, &reason), IMPORT_ATLAS);
    EXPECT_EQ(SniffLogFormat("\xEF\xBB\xBF" + kAtlas, &reason), IMPORT_ATLAS);
    // The C1A1 marker wins over an ATLASStab header.
    EXPECT_EQ(SniffLogFormat(kAtlas + "C1A1 series successfully started.\n", &reason), IMPORT_C1A1);
    EXPECT_EQ(SniffLogFormat(" " + kAtlas, &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is neither a CEOS C1A1 log nor an ATLASStab log.");
    EXPECT_EQ(SniffLogFormat("", &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is empty.");
    EXPECT_EQ(SniffLogFormat("\xEF\xBB\xBF", &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is empty.");
    EXPECT_EQ(SniffLogFormat(std::string("PK\x03\x04\0\0binary", 12), &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is not a text file.");
    EXPECT_EQ(SniffLogFormat("C1A1 series", nullptr), IMPORT_NONE);

    ASSERT_EQ(LogFormats().size(), 2u);
    EXPECT_STREQ(FindLogFormat(IMPORT_C1A1)->szKey, "c1a1");
    EXPECT_STREQ(FindLogFormat(IMPORT_ATLAS)->szKey, "atlas");
    EXPECT_EQ(FindLogFormat(IMPORT_NONE), nullptr);
    EXPECT_TRUE(IsATLASStabHeader("img a22x err(a22x)  a22y err(a22y) filetime"));
    EXPECT_TRUE(IsATLASStabHeader("img filetime a22x err(a22x)  a22y err(a22y)"));
    EXPECT_FALSE(IsATLASStabHeader("img"));
    EXPECT_TRUE(IsATLASStabHeader("imga22x err(a22x)  a22y err(a22y) filetime"));  // only the start is tested
}

TEST_F(LogFileImport, EachFormatFromAFile) {
    const std::string c1a1 = File("a.log", kC1A1), atlas = File("b.dat", kAtlas);
    ImportResult r = Import(c1a1, IMPORT_NONE);
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.nImportType, IMPORT_C1A1);
    r = Import(atlas, IMPORT_NONE);
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.nImportType, IMPORT_ATLAS);
    r = Import(atlas, IMPORT_ATLAS);
    EXPECT_TRUE(r.Ok());
    r = Import(c1a1, IMPORT_C1A1);
    EXPECT_TRUE(r.Ok());
    ASSERT_EQ(run.list.size(), 4u);
    EXPECT_EQ(run.list[0].m_strSourceFile, c1a1);
    EXPECT_EQ(run.list[1].m_nImportType, IMPORT_ATLAS);

    // Read with the wrong reader: the file is read, nothing is found.
    r = Import(atlas, IMPORT_C1A1);
    EXPECT_TRUE(r.bOpened);
    EXPECT_EQ(r.nSeriesAdded, 0);
    r = Import(c1a1, IMPORT_ATLAS);
    EXPECT_TRUE(r.bOpened);
    EXPECT_EQ(r.nSeriesAdded, 0);
    EXPECT_EQ(run.list.size(), 4u);
}

TEST_F(LogFileImport, MessagesOfAFileImport) {
    const std::string path = File("a.log", kC1A1);
    run.log.m_nDebugLevel = 3;
    Import(path, IMPORT_C1A1);
    ASSERT_GE(run.log.m_lines.size(), 3u);
    EXPECT_EQ(run.log.m_lines[0], "Importing CEOS C1A1 log from file [" + path + "].");
    EXPECT_EQ(run.log.m_lines[1], "DEBUG>      Opening file [" + path + "] for import.");
    EXPECT_EQ(run.log.m_lines[2], "DEBUG>      Reading log file lines ...");
}

TEST_F(LogFileImport, FilesThatCannotBeOpened) {
    const std::string missing = (m_dir / "missing.log").string();
    const std::string locked = File("locked.log", kC1A1);
    std::FILE* held = OpenExclusive(locked, FileOpenMode::Read);
    ASSERT_NE(held, nullptr);
    for (int type : {IMPORT_C1A1, IMPORT_ATLAS, IMPORT_NONE}) {
        for (const std::string& path : {missing, locked, m_dir.string()}) {
            run.log.m_lines.clear();
            const ImportResult r = Import(path, type);
            EXPECT_FALSE(r.bOpened) << path;
            EXPECT_EQ(r.nSeriesAdded, 0);
            EXPECT_FALSE(r.strError.empty());
            EXPECT_TRUE(run.list.empty());
            const Lines plain = run.Plain();
            ASSERT_FALSE(plain.empty());
            EXPECT_EQ(plain.back(), "ERROR: Failed to open file [" + path + "].");
            // Nothing after the failure: no summary line.
            EXPECT_FALSE(run.Logged("Added"));
        }
    }
    CloseExclusive(held);
    const ImportResult r = Import(locked, IMPORT_NONE);
    EXPECT_TRUE(r.Ok());
    EXPECT_TRUE(Import(missing, IMPORT_NONE).strError.find("No such file") != std::string::npos);
}

TEST_F(LogFileImport, RefusedContentByAuto) {
    const std::string empty = File("empty.log", ""),
                      binary = File("bin.log", std::string("\x7f"
                                                           "ELF\0\0\0",
                                                           7)),
                      text = File("t.log", "hello\n");
    const ImportResult e = Import(empty, IMPORT_NONE);
    EXPECT_TRUE(e.bOpened);
    EXPECT_FALSE(e.Ok());
    EXPECT_EQ(e.strError, "The file is empty.");
    EXPECT_EQ(run.Plain().back(), "ERROR: Refused to import file [" + empty + "]: The file is empty.");
    EXPECT_EQ(Import(binary, IMPORT_NONE).strError, "The file is not a text file.");
    EXPECT_EQ(Import(text, IMPORT_NONE).strError, "The file is neither a CEOS C1A1 log nor an ATLASStab log.");
    EXPECT_TRUE(run.list.empty());
    // An empty file read explicitly gets the readers' own messages.
    run.log.m_lines.clear();
    Import(empty, IMPORT_ATLAS);
    EXPECT_EQ(run.Plain().back(), "ERROR: Failed to load log data from file [" + empty + "].");
}
