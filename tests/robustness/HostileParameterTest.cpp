// Hostile Setup.prm files and hostile values from the settings store: the
// load ends cleanly with the documented values and an "ERROR: " line, and a
// save never writes a file that reads back shifted.

#include "RobustnessSupport.h"
#include "files/MainParameters.h"
#include "files/MemorySettingsStore.h"
#include "files/ParameterFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace robust;
using namespace std::string_literals;

namespace {

const std::string kHead = "'[Main Parameters]'\r\nVersion 2013111101\r\n";
const std::string kDefaultFile = kHead + "\r\n\r\n1\r\n1\r\n0\r\n0\r\n10\r\n300\r\n1\r\n0.25\r\n";

bool SameValues(const CMainParameters& a, const CMainParameters& b) {
    auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return a.ImportPath == b.ImportPath && a.OutputPath == b.OutputPath && a.ImportType == b.ImportType &&
           a.ImportMirrorY == b.ImportMirrorY && a.DataDisplayType == b.DataDisplayType &&
           a.MinDiversity == b.MinDiversity && same(a.ImportRotDeg, b.ImportRotDeg) &&
           same(a.ElEnergykV, b.ElEnergykV) && same(a.TargetResAng, b.TargetResAng) && same(a.LimitPhase, b.LimitPhase);
}

// Values that differ from the defaults everywhere, to see what a load keeps.
CMainParameters Marked() {
    CMainParameters p;
    p.ImportPath = "/marked/in/";
    p.OutputPath = "/marked/out/";
    p.ImportType = 2;
    p.ImportMirrorY = -1;
    p.ImportRotDeg = 7.0;
    p.DataDisplayType = 3;
    p.MinDiversity = 42;
    p.ElEnergykV = 80.0;
    p.TargetResAng = 2.0;
    p.LimitPhase = 0.5;
    return p;
}

struct HostileFile {
    std::string name;
    std::string content;
    enum Outcome { Unchanged, Defaults, Loaded, Partial } outcome;
};

std::vector<HostileFile> HostileFiles() {
    std::string binary(2048, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 131 + 7) & 0xff);
    return {
        {"empty", "", HostileFile::Unchanged},
        {"one line feed", "\n", HostileFile::Unchanged},
        {"binary", binary, HostileFile::Unchanged},
        {"NUL bytes", std::string(300, '\0'), HostileFile::Unchanged},
        {"NUL inside the name", "'[Main\0Parameters]'\nVersion 2013111101\n"s + std::string(10, '\n'),
         HostileFile::Unchanged},
        {"only markers", "'[]'\n]''[\nVersion \n", HostileFile::Unchanged},
        {"name in other case", "'[main parameters]'\nVersion 2013111101\n", HostileFile::Unchanged},
        {"huge version", kHead.substr(0, 21) + "Version 99999999999999999999\r\n" + std::string(10, '\n'),
         HostileFile::Defaults},
        {"negative version", "'[Main Parameters]'\nVersion -2013111101\n", HostileFile::Defaults},
        {"only the header", kHead, HostileFile::Defaults},
        {"UTF-16 file", std::string("\xff\xfe'\0[\0M\0", 8), HostileFile::Unchanged},
        {"a 20 MB path line",
         kHead + std::string(20u << 20, 'p') + "\r\n\r\n1\r\n1\r\n0\r\n0\r\n10\r\n300\r\n1\r\n0.25\r\n",
         HostileFile::Loaded},
        {"hostile numbers",
         kHead + "\xff\xfe/\xc3\x28/\r\n\0out\r\n2147483648\r\n-2147483649\r\n1e999\r\nnan\r\n"
                 "99999999999999999999\r\n-1e999\r\ninf\r\n1e-400\r\n"s,
         HostileFile::Loaded},
        {"values with comments and blanks",
         kHead + "  a path  \r\n\r\n  2   comment\r\n-1;x\r\n 12.5e+000 deg\r\n"
                 "+1\r\n0x10\r\n.5e3\r\n-.25\r\n1e+006\r\n",
         HostileFile::Loaded},
        {"empty number line", kHead + "\r\n\r\n1\r\n\r\n", HostileFile::Partial},
    };
}

TEST(HostileParameters, LoadOfHostileFiles) {
    CTempFolder dir;
    for (const HostileFile& f : HostileFiles()) {
        SCOPED_TRACE(f.name);
        const std::string path = dir.Write("Setup.prm", f.content);
        CollectingLog log;
        CMainParameters p = Marked();
        p.m_pLog = &log;
        const int ok = LoadProgramParameters(p, path);
        CMainParameters defaults;
        switch (f.outcome) {
        case HostileFile::Unchanged:
            EXPECT_EQ(ok, 0);
            EXPECT_TRUE(SameValues(p, Marked()));
            EXPECT_TRUE(log.Has("ERROR: Unexpected content while reading main parameters.")) << log.m_strCollectedText;
            break;
        case HostileFile::Defaults:
            EXPECT_EQ(ok, 0);
            EXPECT_TRUE(SameValues(p, defaults));
            EXPECT_TRUE(log.HasError());
            break;
        case HostileFile::Partial:
            EXPECT_EQ(ok, 0);
            EXPECT_EQ(p.ImportType, 1);
            EXPECT_EQ(p.MinDiversity, 10);
            EXPECT_TRUE(log.Has("ERROR: Failed to read main parameters from file."));
            break;
        case HostileFile::Loaded:
            EXPECT_EQ(ok, 1) << log.m_strCollectedText;
            EXPECT_FALSE(log.HasError());
            break;
        }
        if (!ok) {
            EXPECT_TRUE(log.Has("ERROR: Failed to load program parameters from file [" + path + "]."));
        }
    }
}

TEST(HostileParameters, HostileNumbersAreReadAsTheirLeadingNumbers) {
    CTempFolder dir;
    std::string content;
    for (const HostileFile& f : HostileFiles())
        if (f.name == "hostile numbers") content = f.content;
    const std::string path = dir.Write("Setup.prm", content);
    CMainParameters p;
    ASSERT_EQ(LoadProgramParameters(p, path), 1);
    EXPECT_EQ(p.ImportPath, "\xff\xfe/\xc3\x28/");
    EXPECT_EQ(p.OutputPath, std::string("\0out", 4));
    EXPECT_EQ(p.ImportType, 2147483647);  // saturated
    EXPECT_EQ(p.ImportMirrorY, -2147483647 - 1);
    EXPECT_TRUE(std::isinf(p.ImportRotDeg));  // used as it stands
    EXPECT_EQ(p.DataDisplayType, 0);          // "nan" is no number
    EXPECT_EQ(p.MinDiversity, 2147483647);
    EXPECT_TRUE(std::isinf(p.ElEnergykV) && p.ElEnergykV < 0);
    EXPECT_EQ(p.TargetResAng, 0.0);  // "inf" is no number
    EXPECT_EQ(p.LimitPhase, 0.0);    // below the double range
}

// Every prefix of the default file: the values before the cut are read, the
// others keep their defaults, and every failing prefix says so.
TEST(HostileParameters, EveryPrefixOfTheDefaultFile) {
    CTempFolder dir;
    for (std::size_t n = 0; n <= kDefaultFile.size(); ++n) {
        SCOPED_TRACE(n);
        const std::string path = dir.Write("Setup.prm", kDefaultFile.substr(0, n));
        CollectingLog log;
        CMainParameters p = Marked();
        p.m_pLog = &log;
        const int ok = LoadProgramParameters(p, path);
        // The last value line needs one character: "0" already reads.
        EXPECT_EQ(ok, n >= kDefaultFile.size() - 5 ? 1 : 0);
        if (!ok) {
            EXPECT_TRUE(log.HasError());
        }
        // Never a value that is neither the marked one nor the default.
        EXPECT_TRUE(p.MinDiversity == 42 || p.MinDiversity == 10 || p.MinDiversity == 1) << p.MinDiversity;
    }
}

TEST(HostileParameters, PathsWithInvalidUtf8AndUnreadablePaths) {
    CTempFolder dir;
    const std::string odd = dir.Write("Setup_\xff\xfe\xc3\x28.prm", kDefaultFile);
    CollectingLog log;
    CMainParameters p = Marked();
    p.m_pLog = &log;
    EXPECT_EQ(LoadProgramParameters(p, odd), 1);
    EXPECT_TRUE(SameValues(p, CMainParameters()));
    EXPECT_EQ(SaveProgramParameters(p, odd), 1);

    for (const std::string& path : {dir.File("missing_\xff.prm"), dir.Path(), dir.File("a/b/c.prm")}) {
        SCOPED_TRACE(path);
        CollectingLog log2;
        CMainParameters q = Marked();
        q.m_pLog = &log2;
        EXPECT_EQ(LoadProgramParameters(q, path), 0);
        EXPECT_TRUE(SameValues(q, Marked()));
        EXPECT_TRUE(log2.HasError()) << log2.m_strCollectedText;
    }
}

// A path with a line feed (a legal folder name here, and whatever the
// settings store holds) would end its value line early: the save refuses it
// with an error instead of writing a file whose later values read shifted.
TEST(HostileParameters, LineFeedInAPathIsNotWrittenShifted) {
    CTempFolder dir;
    const std::string path = dir.File("Setup.prm");
    for (const std::string& value : {std::string("/data/new\nline/"), std::string("\n"), std::string("a\r\nb")}) {
        SCOPED_TRACE(value);
        CollectingLog log;
        CMainParameters p = Marked();
        p.m_pLog = &log;
        p.OutputPath = value;
        EXPECT_EQ(SaveProgramParameters(p, path), 0);
        EXPECT_TRUE(log.Has("ERROR: Failed to write main parameters to file."));
        EXPECT_TRUE(log.Has("ERROR: Failed to save program parameters to file [" + path + "]."));
        // What the partial file holds never reads as other values.
        CMainParameters q = Marked();
        LoadProgramParameters(q, path);
        EXPECT_NE(q.ImportType, 0);
        EXPECT_TRUE(q.MinDiversity == 42 || q.MinDiversity == 10);
        EXPECT_TRUE(q.ElEnergykV == 80.0 || q.ElEnergykV == 300.0);
    }
    // Carriage returns and other bytes are kept as they are.
    CMainParameters p = Marked();
    p.ImportPath = "/a\rb/\xff\x01\t/";
    p.OutputPath = "trailing\r";
    ASSERT_EQ(SaveProgramParameters(p, path), 1);
    CMainParameters q;
    ASSERT_EQ(LoadProgramParameters(q, path), 1);
    EXPECT_TRUE(SameValues(p, q));
}

// Hostile entries of the settings store: wrong kinds, wrong sizes, any bytes
// in strings, non-finite doubles. The load takes what fits and the program
// parameters can be saved and loaded again.
TEST(HostileParameters, HostileSettingsStoreEntries) {
    CMemorySettingsStore store;
    const std::string section = "Main Parameters";
    store.WriteInt(section, "ImportPath", 5);  // wrong kind
    store.WriteString(section, "OutputPath", std::string("\0\xff\xfe", 3));
    store.WriteString(section, "ImportType", "2");             // wrong kind
    store.WriteBinary(section, "ImportRotDeg", {1, 2, 3, 4});  // wrong size
    store.WriteInt(section, "MinDiversity", -2147483647 - 1);
    double nan = std::nan("");
    std::vector<unsigned char> bytes(8);
    std::memcpy(bytes.data(), &nan, 8);
    store.WriteBinary(section, "ElEnergykV", bytes);
    store.WriteBinary(section, "TargetResAng", std::vector<unsigned char>(9, 0));
    store.WriteBinary(section, "LimitPhase", std::vector<unsigned char>());

    CMainParameters p = Marked();
    LoadFromProfile(&store, p);
    EXPECT_EQ(p.ImportPath, "/marked/in/");
    EXPECT_EQ(p.OutputPath, std::string("\0\xff\xfe", 3));
    EXPECT_EQ(p.ImportType, 2);
    EXPECT_EQ(p.ImportRotDeg, 7.0);
    EXPECT_EQ(p.MinDiversity, -2147483647 - 1);
    EXPECT_TRUE(std::isnan(p.ElEnergykV));
    EXPECT_EQ(p.TargetResAng, 2.0);
    EXPECT_EQ(p.LimitPhase, 0.5);

    CTempFolder dir;
    CollectingLog log;
    p.m_pLog = &log;
    EXPECT_EQ(SaveProgramParameters(p, dir.File("Setup.prm")), 1);
    CMainParameters q;
    EXPECT_EQ(LoadProgramParameters(q, dir.File("Setup.prm")), 1);
    EXPECT_EQ(q.OutputPath, p.OutputPath);
    EXPECT_EQ(q.MinDiversity, p.MinDiversity);
}

}  // namespace
