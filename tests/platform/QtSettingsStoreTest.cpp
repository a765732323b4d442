#include "platform/qt/QtSettingsStore.h"

#include "files/MainParameters.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kSection = "Main Parameters";

// Points the user's configuration folder at a fresh temporary folder before
// the first settings object is made (QSettings reads the location once).
class QtSettingsStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_pFolder = new CTempFolder("dw_settings");
        s_folder = s_pFolder->Path();
        ASSERT_FALSE(s_folder.empty());
        ::setenv("XDG_CONFIG_HOME", s_folder.c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete s_pFolder;
        s_pFolder = nullptr;
    }
    static CTempFolder* s_pFolder;
    static std::string s_folder;
};

CTempFolder* QtSettingsStoreTest::s_pFolder = nullptr;
std::string QtSettingsStoreTest::s_folder;

}  // namespace

TEST_F(QtSettingsStoreTest, ValuesOfEachKindSurviveARestart) {
    {
        CQtSettingsStore store("dw_roundtrip");
        EXPECT_EQ(store.FileName(), s_folder + "/Corvolab/dw_roundtrip.conf");
        EXPECT_TRUE(store.WriteString(kSection, "Text", "/home/user/logs, with comma/"));
        EXPECT_TRUE(store.WriteString(kSection, "Empty", ""));
        EXPECT_TRUE(store.WriteInt(kSection, "Number", -123456));
        EXPECT_TRUE(store.WriteBinary(kSection, "Bytes", {0, 1, 0xFF, '\n', '@', 0x80, 0, 7}));
        EXPECT_TRUE(store.Sync());
    }
    CQtSettingsStore store("dw_roundtrip");
    std::string text;
    EXPECT_TRUE(store.GetString(kSection, "Text", text));
    EXPECT_EQ(text, "/home/user/logs, with comma/");
    text = "x";
    EXPECT_TRUE(store.GetString(kSection, "Empty", text));
    EXPECT_EQ(text, "");
    int number = 0;
    EXPECT_TRUE(store.GetInt(kSection, "Number", number));
    EXPECT_EQ(number, -123456);
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(store.GetBinary(kSection, "Bytes", bytes));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0, 1, 0xFF, '\n', '@', 0x80, 0, 7}));

    // Missing entries and entries of another kind leave the output alone.
    number = 5;
    EXPECT_FALSE(store.GetInt(kSection, "Missing", number));
    EXPECT_FALSE(store.GetInt("Other Section", "Number", number));
    EXPECT_FALSE(store.GetInt(kSection, "Bytes", number));
    EXPECT_EQ(number, 5);
    bytes = {9};
    EXPECT_FALSE(store.GetBinary(kSection, "Text", bytes));
    EXPECT_EQ(bytes, std::vector<unsigned char>{9});
    text = "kept";
    EXPECT_FALSE(store.GetString(kSection, "Bytes", text));
    EXPECT_EQ(text, "kept");
}

TEST_F(QtSettingsStoreTest, ProgramParametersRoundTrip) {
    CMainParameters saved;
    saved.ImportPath = "/data/logs/";
    saved.ImportType = 2;
    saved.ImportMirrorY = -1;
    saved.ImportRotDeg = 12.3456789;
    saved.MinDiversity = 25;
    saved.ElEnergykV = 200.0;
    saved.LimitPhase = 1e-5;
    {
        CQtSettingsStore store("dw_params");
        EXPECT_EQ(SaveToProfile(&store, saved), 1);
    }
    CQtSettingsStore store("dw_params");
    CMainParameters loaded;
    LoadFromProfile(&store, loaded);
    EXPECT_EQ(loaded.ImportPath, "/data/logs/");
    EXPECT_EQ(loaded.OutputPath, "");
    EXPECT_EQ(loaded.ImportType, 2);
    EXPECT_EQ(loaded.ImportMirrorY, -1);
    EXPECT_EQ(loaded.ImportRotDeg, 12.3456789);
    EXPECT_EQ(loaded.DataDisplayType, 0);
    EXPECT_EQ(loaded.MinDiversity, 25);
    EXPECT_EQ(loaded.ElEnergykV, 200.0);
    EXPECT_EQ(loaded.TargetResAng, 1.0);
    EXPECT_EQ(loaded.LimitPhase, 1e-5);

    // The doubles are the 8 little-endian bytes of the value.
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(store.GetBinary(kSection, "ElEnergykV", bytes));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0x69, 0x40}));  // 200.0
}

TEST_F(QtSettingsStoreTest, HandEditedEntriesOfTheWrongFormAreIgnored) {
    const std::string folder = s_folder + "/Corvolab";
    std::filesystem::create_directories(folder);
    {
        std::ofstream conf(folder + "/dw_edited.conf", std::ios::binary);
        conf << "[Main%20Parameters]\n"
                "ImportType=2\n"
                "ImportMirrorY= -1 \n"
                "MinDiversity=25 images\n"
                "DataDisplayType=abc\n"
                "ElEnergykV=300\n"
                "TargetResAng=@ByteArray(\\0\\0\\0\\0)\n"
                "LimitPhase=@ByteArray(\\0\\0\\0\\0\\0\\0\\xe0?)\n";
    }
    CQtSettingsStore store("dw_edited");
    CMainParameters p;
    p.ElEnergykV = 80.0;
    p.TargetResAng = 2.5;
    p.MinDiversity = 99;
    p.DataDisplayType = 3;
    LoadFromProfile(&store, p);
    EXPECT_EQ(p.ImportType, 2);
    EXPECT_EQ(p.ImportMirrorY, -1);
    EXPECT_EQ(p.MinDiversity, 99);    // not a whole number
    EXPECT_EQ(p.DataDisplayType, 3);  // not a number
    EXPECT_EQ(p.ElEnergykV, 80.0);    // text, not 8 bytes
    EXPECT_EQ(p.TargetResAng, 2.5);   // 4 bytes
    EXPECT_EQ(p.LimitPhase, 0.5);     // 8 bytes: taken
}

TEST_F(QtSettingsStoreTest, StoreThatCannotBeWrittenFailsTheSave) {
    // A folder in place of the settings file: nothing can be written there.
    std::filesystem::create_directories(s_folder + "/Corvolab/dw_blocked.conf");
    CQtSettingsStore store("dw_blocked");
    CMainParameters p;
    EXPECT_EQ(SaveToProfile(&store, p), 0);
    EXPECT_FALSE(store.Sync());
}
