#include "files/MainParameters.h"

#include "FilesTestSupport.h"
#include "files/MemorySettingsStore.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kSection = "Main Parameters";

void ExpectDefaults(const CMainParameters& p) {
    EXPECT_EQ(p.ImportType, 1);
    EXPECT_EQ(p.ImportPath, "");
    EXPECT_EQ(p.OutputPath, "");
    EXPECT_EQ(p.ImportRotDeg, 0.0);
    EXPECT_EQ(p.ImportMirrorY, 1);
    EXPECT_EQ(p.DataDisplayType, 0);
    EXPECT_EQ(p.MinDiversity, 10);
    EXPECT_EQ(p.ElEnergykV, 300.0);
    EXPECT_EQ(p.TargetResAng, 1.0);
    EXPECT_EQ(p.LimitPhase, 0.25);
}

// Values that differ from every default (those of setup_values.prm).
void SetValues(CMainParameters& p) {
    p.ImportPath = "/home/user/logs/";
    p.OutputPath = "/home/user/out/";
    p.ImportType = 2;
    p.ImportMirrorY = -1;
    p.ImportRotDeg = 12.3456789;
    p.DataDisplayType = 1;
    p.MinDiversity = 25;
    p.ElEnergykV = 200.0;
    p.TargetResAng = 0.8;
    p.LimitPhase = 1e-5;
}

// Other values again, to see what a failed load leaves alone.
void SetOtherValues(CMainParameters& p) {
    p.ImportPath = "keep/";
    p.OutputPath = "keep-out/";
    p.ImportType = 7;
    p.ImportMirrorY = 3;
    p.ImportRotDeg = 4.5;
    p.DataDisplayType = 2;
    p.MinDiversity = 99;
    p.ElEnergykV = 80.0;
    p.TargetResAng = 2.5;
    p.LimitPhase = 0.5;
}

void ExpectOtherValues(const CMainParameters& p) {
    EXPECT_EQ(p.ImportPath, "keep/");
    EXPECT_EQ(p.OutputPath, "keep-out/");
    EXPECT_EQ(p.ImportType, 7);
    EXPECT_EQ(p.ImportMirrorY, 3);
    EXPECT_EQ(p.ImportRotDeg, 4.5);
    EXPECT_EQ(p.DataDisplayType, 2);
    EXPECT_EQ(p.MinDiversity, 99);
    EXPECT_EQ(p.ElEnergykV, 80.0);
    EXPECT_EQ(p.TargetResAng, 2.5);
    EXPECT_EQ(p.LimitPhase, 0.5);
}

std::vector<std::string> Lines(std::initializer_list<std::string> lines) { return std::vector<std::string>(lines); }

}  // namespace

TEST(MainParameters, ConstructionAndReset) {
    CMainParameters p;
    EXPECT_EQ(p.m_pLog, nullptr);
    EXPECT_EQ(p.m_nCommentColumn, 40);
    EXPECT_EQ(p.m_nVersion, 2013111101);
    EXPECT_EQ(p.m_strName, "Main Parameters");
    ExpectDefaults(p);
    SetValues(p);
    p.m_nVersion = 5;
    p.ResetToDefaults();
    ExpectDefaults(p);
    EXPECT_EQ(p.m_nVersion, 5);  // the header is not touched
}

TEST(MainParametersFile, DefaultsGiveTheTwelveLineFile) {
    CTempFolder folder("dw_files");
    CRecordingLog log(1);
    CMainParameters p;
    p.m_pLog = &log;
    const std::string path = folder.File("Setup.prm");
    EXPECT_EQ(SaveProgramParameters(p, path), 1);
    ExpectSameAsGolden(path, "setup_default.prm");
    EXPECT_EQ(log.m_lines, Lines({"DEBUG>  Opening file [" + path + "] for saving program parameters.",
                                  "DEBUG>  Successfully saved program parameters to file [" + path + "]."}));
}

TEST(MainParametersFile, LoadsEveryValue) {
    for (const char* name : {"setup_values.prm", "setup_values_lf.prm"}) {
        CRecordingLog log(1);
        CMainParameters p;
        p.m_pLog = &log;
        const std::string path = TestDataFile(name);
        EXPECT_EQ(LoadProgramParameters(p, path), 1) << name;
        EXPECT_EQ(p.ImportPath, "/home/user/logs/");
        EXPECT_EQ(p.OutputPath, "/home/user/out/");
        EXPECT_EQ(p.ImportType, 2);
        EXPECT_EQ(p.ImportMirrorY, -1);
        EXPECT_EQ(p.ImportRotDeg, 12.3457);
        EXPECT_EQ(p.DataDisplayType, 1);
        EXPECT_EQ(p.MinDiversity, 25);
        EXPECT_EQ(p.ElEnergykV, 200.0);
        EXPECT_EQ(p.TargetResAng, 0.8);
        EXPECT_EQ(p.LimitPhase, 1e-5);
        EXPECT_EQ(log.m_lines, Lines({"DEBUG>  Opening file [" + path + "] for loading program parameters.",
                                      "DEBUG>  Successfully loaded program parameters from file [" + path + "]."}));
    }
}

TEST(MainParametersFile, SaveAndLoadRoundTripKeepsSixDigits) {
    CTempFolder folder("dw_files");
    const std::string path = folder.File("Setup.prm");
    CMainParameters saved;
    SetValues(saved);
    ASSERT_EQ(SaveProgramParameters(saved, path), 1);
    EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(TestDataFile("setup_values.prm")));
    CMainParameters loaded;
    ASSERT_EQ(LoadProgramParameters(loaded, path), 1);
    EXPECT_EQ(loaded.ImportRotDeg, 12.3457);
    EXPECT_EQ(loaded.LimitPhase, 1e-5);
}

TEST(MainParametersFile, MissingFileKeepsTheValues) {
    CTempFolder folder("dw_files");
    CRecordingLog log(0);
    CMainParameters p;
    p.m_pLog = &log;
    SetOtherValues(p);  // not the defaults: a load that resets them would show
    const std::string path = folder.File("Setup.prm");
    EXPECT_EQ(LoadProgramParameters(p, path), 0);
    ExpectOtherValues(p);
    EXPECT_EQ(log.m_lines, Lines({"ERROR: Failed to open file [" + path + "]."}));
}

TEST(MainParametersFile, ForeignOrDamagedHeaderChangesNothing) {
    CTempFolder folder("dw_files");
    const std::string emptyFile = folder.File("empty.prm");
    WriteFileBytes(emptyFile, "");
    const std::string caseFile = folder.File("case.prm");
    WriteFileBytes(caseFile, "'[main parameters]'\r\nVersion 2013111101\r\n");
    for (const std::string& path :
         {TestDataFile("setup_foreign.prm"), TestDataFile("setup_binary.prm"), emptyFile, caseFile}) {
        CRecordingLog log(0);
        CMainParameters p;
        p.m_pLog = &log;
        SetOtherValues(p);
        EXPECT_EQ(LoadProgramParameters(p, path), 0) << path;
        ExpectOtherValues(p);
        EXPECT_EQ(log.m_lines, Lines({"ERROR: Unexpected content while reading main parameters.",
                                      "ERROR: Failed to load program parameters from file [" + path + "]."}))
            << path;
    }
}

TEST(MainParametersFile, OtherVersionLoadsDefaults) {
    CRecordingLog log(0);
    CMainParameters p;
    p.m_pLog = &log;
    SetOtherValues(p);
    const std::string path = TestDataFile("setup_wrong_version.prm");
    EXPECT_EQ(LoadProgramParameters(p, path), 0);
    ExpectDefaults(p);
    EXPECT_EQ(log.m_lines, Lines({"ERROR: Unsupported version of parameter file.",
                                  "ERROR: Failed to load program parameters from file [" + path + "]."}));
}

TEST(MainParametersFile, TruncatedFileKeepsWhatWasRead) {
    CRecordingLog log(0);
    CMainParameters p;
    p.m_pLog = &log;
    SetOtherValues(p);
    const std::string path = TestDataFile("setup_truncated.prm");
    EXPECT_EQ(LoadProgramParameters(p, path), 0);
    EXPECT_EQ(p.ImportPath, "/home/user/logs/");
    EXPECT_EQ(p.OutputPath, "/home/user/out/");
    EXPECT_EQ(p.ImportType, 2);
    EXPECT_EQ(p.ImportMirrorY, -1);
    EXPECT_EQ(p.ImportRotDeg, 12.3457);
    EXPECT_EQ(p.DataDisplayType, 1);
    EXPECT_EQ(p.MinDiversity, 10);
    EXPECT_EQ(p.ElEnergykV, 300.0);
    EXPECT_EQ(p.TargetResAng, 1.0);
    EXPECT_EQ(p.LimitPhase, 0.25);
    EXPECT_EQ(log.m_lines, Lines({"ERROR: Failed to read main parameters from file.",
                                  "ERROR: Failed to load program parameters from file [" + path + "]."}));
}

TEST(MainParametersFile, EmptyValueLineStopsTheRead) {
    CMainParameters p;
    SetOtherValues(p);
    EXPECT_EQ(LoadProgramParameters(p, TestDataFile("setup_empty_value.prm")), 0);
    EXPECT_EQ(p.ImportType, 2);
    EXPECT_EQ(p.ImportMirrorY, 1);  // the empty line: default, as all after it
    EXPECT_EQ(p.ImportRotDeg, 0.0);
    EXPECT_EQ(p.LimitPhase, 0.25);
}

TEST(MainParametersFile, EmptyPathDoesNothing) {
    CRecordingLog log(1);
    CMainParameters p;
    p.m_pLog = &log;
    EXPECT_EQ(LoadProgramParameters(p, ""), 0);
    EXPECT_EQ(SaveProgramParameters(p, ""), 0);
    EXPECT_TRUE(log.m_lines.empty());
}

TEST(MainParametersFile, NullStreamIsAnInterfaceError) {
    CRecordingLog log(1);
    CMainParameters p;
    p.m_pLog = &log;
    EXPECT_EQ(WriteMainParameters(nullptr, p), 0);
    EXPECT_EQ(ReadMainParameters(nullptr, p), 0);
    EXPECT_EQ(log.m_lines, Lines({"ERROR: Internal interface error while writing main parameters to file.",
                                  "ERROR: Internal interface error while reading main parameter from file."}));
}

TEST(MainParametersFile, FullDiskIsAFailedSave) {
    CRecordingReporter reporter;
    CRecordingLog log(0);
    CMainParameters p;
    p.m_pLog = &log;
    EXPECT_EQ(SaveProgramParameters(p, "/dev/full"), 0);
    ASSERT_EQ(reporter.m_calls.size(), 1u);
    EXPECT_EQ(reporter.m_calls[0].first, "/dev/full");
    EXPECT_EQ(log.m_lines, Lines({"ERROR: Failed to save program parameters to file [/dev/full]."}));
}

TEST(MainParametersFile, WriteErrorStopsAtTheFirstFailedLine) {
    CRecordingReporter reporter;
    CRecordingLog log(0);
    CMainParameters p;
    p.m_pLog = &log;
    std::FILE* f = std::fopen("/dev/full", "wb");
    ASSERT_NE(f, nullptr);
    std::setvbuf(f, nullptr, _IONBF, 0);
    EXPECT_EQ(WriteMainParameters(f, p), 0);
    std::fclose(f);
    EXPECT_EQ(reporter.m_calls.size(), 1u);
    EXPECT_EQ(log.m_lines, Lines({"ERROR: Failed to write main parameters to file."}));
}

TEST(MainParametersFile, FolderThatDoesNotExistOrIsAFile) {
    CTempFolder folder("dw_files");
    const std::string plainFile = folder.File("plain");
    WriteFileBytes(plainFile, "x");
    for (const std::string& path : {folder.File("missing/Setup.prm"), plainFile + "/Setup.prm", folder.Path()}) {
        CRecordingLog log(0);
        CMainParameters p;
        p.m_pLog = &log;
        EXPECT_EQ(SaveProgramParameters(p, path), 0) << path;
        EXPECT_EQ(LoadProgramParameters(p, path), 0) << path;
        EXPECT_EQ(log.m_lines,
                  Lines({"ERROR: Failed to open file [" + path + "].", "ERROR: Failed to open file [" + path + "]."}));
    }
}

TEST(MainParametersFile, FileLockedByAnotherInstance) {
    CTempFolder folder("dw_files");
    const std::string path = folder.File("Setup.prm");
    const std::string original = ReadFileBytes(TestDataFile("setup_values.prm"));
    WriteFileBytes(path, original);
    std::FILE* holder = OpenExclusive(path, FileOpenMode::Read);
    ASSERT_NE(holder, nullptr);

    CRecordingLog log(0);
    CMainParameters p;
    p.m_pLog = &log;
    SetOtherValues(p);  // neither the defaults nor the file's values
    EXPECT_EQ(LoadProgramParameters(p, path), 0);
    ExpectOtherValues(p);
    EXPECT_EQ(SaveProgramParameters(p, path), 0);
    EXPECT_EQ(ReadFileBytes(path), original);  // not truncated
    EXPECT_EQ(log.m_lines,
              Lines({"ERROR: Failed to open file [" + path + "].", "ERROR: Failed to open file [" + path + "]."}));
    CloseExclusive(holder);
    EXPECT_EQ(LoadProgramParameters(p, path), 1);
    EXPECT_EQ(p.MinDiversity, 25);
}

TEST(MainParametersProfile, RoundTripThroughTheStore) {
    CMemorySettingsStore store;
    CMainParameters saved;
    SetValues(saved);
    EXPECT_EQ(SaveToProfile(&store, saved), 1);
    CMainParameters loaded;
    LoadFromProfile(&store, loaded);
    EXPECT_EQ(loaded.ImportPath, saved.ImportPath);
    EXPECT_EQ(loaded.OutputPath, saved.OutputPath);
    EXPECT_EQ(loaded.ImportType, 2);
    EXPECT_EQ(loaded.ImportMirrorY, -1);
    EXPECT_EQ(loaded.ImportRotDeg, 12.3456789);  // exact: the store keeps all 8 bytes
    EXPECT_EQ(loaded.DataDisplayType, 1);
    EXPECT_EQ(loaded.MinDiversity, 25);
    EXPECT_EQ(loaded.ElEnergykV, 200.0);
    EXPECT_EQ(loaded.TargetResAng, 0.8);
    EXPECT_EQ(loaded.LimitPhase, 1e-5);
}

TEST(MainParametersProfile, DoublesAreLittleEndianBytes) {
    CMemorySettingsStore store;
    CMainParameters p;
    ASSERT_EQ(SaveToProfile(&store, p), 1);
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(store.GetBinary(kSection, "ElEnergykV", bytes));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0, 0, 0, 0, 0, 0xC0, 0x72, 0x40}));  // 300.0
    int i = 0;
    EXPECT_TRUE(store.GetInt(kSection, "MinDiversity", i));
    EXPECT_EQ(i, 10);
    std::string s = "x";
    EXPECT_TRUE(store.GetString(kSection, "OutputPath", s));
    EXPECT_EQ(s, "");
}

TEST(MainParametersProfile, StoreWinsOverTheFileAtStartUp) {
    CTempFolder folder("dw_files");
    const std::string path = folder.File("Setup.prm");
    CMemorySettingsStore store;
    CMainParameters quitting;
    quitting.ImportRotDeg = 12.3456789;
    ASSERT_EQ(SaveToProfile(&store, quitting), 1);
    ASSERT_EQ(SaveProgramParameters(quitting, path), 1);

    CMainParameters starting;
    LoadProgramParameters(starting, path);
    EXPECT_EQ(starting.ImportRotDeg, 12.3457);
    LoadFromProfile(&store, starting);
    EXPECT_EQ(starting.ImportRotDeg, 12.3456789);
}

TEST(MainParametersProfile, MissingAndMalformedEntriesAreSkipped) {
    CMemorySettingsStore store;
    store.WriteBinary(kSection, "ElEnergykV", {0, 0, 0x96, 0x43});               // 4 bytes
    store.WriteBinary(kSection, "TargetResAng", std::vector<unsigned char>(9));  // 9 bytes
    store.WriteString(kSection, "MinDiversity", "25");                           // text, not an integer
    store.WriteInt(kSection, "ImportPath", 5);                                   // integer, not a text
    store.WriteBinary("Other Section", "LimitPhase", std::vector<unsigned char>(8));
    CMainParameters p;
    SetOtherValues(p);
    LoadFromProfile(&store, p);
    ExpectOtherValues(p);
}

namespace {
// Accepts a given number of writes, then fails every one.
class CFailingStore : public CMemorySettingsStore {
public:
    explicit CFailingStore(int accepted) : m_nAccepted(accepted) {}
    bool WriteString(const std::string& s, const std::string& k, const std::string& v) override {
        return Accept() && CMemorySettingsStore::WriteString(s, k, v);
    }
    bool WriteInt(const std::string& s, const std::string& k, int v) override {
        return Accept() && CMemorySettingsStore::WriteInt(s, k, v);
    }
    bool WriteBinary(const std::string& s, const std::string& k, const std::vector<unsigned char>& v) override {
        return Accept() && CMemorySettingsStore::WriteBinary(s, k, v);
    }
    int m_nTried = 0;

private:
    bool Accept() { return ++m_nTried <= m_nAccepted; }
    int m_nAccepted;
};
}  // namespace

TEST(MainParametersProfile, FailedWriteStopsTheSave) {
    CFailingStore failing(4);  // ImportPath, OutputPath, ImportType, ImportMirrorY
    CMainParameters p;
    EXPECT_EQ(SaveToProfile(&failing, p), 0);
    EXPECT_EQ(failing.m_nTried, 5);
    EXPECT_TRUE(failing.Contains(kSection, "ImportMirrorY"));
    EXPECT_FALSE(failing.Contains(kSection, "ImportRotDeg"));
    EXPECT_FALSE(failing.Contains(kSection, "LimitPhase"));

    CMemorySettingsStore store;
    store.SetReadOnly(true);
    EXPECT_EQ(SaveToProfile(&store, p), 0);
    EXPECT_EQ(SaveToProfile(nullptr, p), 0);
    LoadFromProfile(nullptr, p);  // does nothing
    ExpectDefaults(p);
}
