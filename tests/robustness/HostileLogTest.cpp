// Hostile log contents and paths through both readers, the format sniffer and
// the file import: every input ends with a clean return, complete series
// only, and a message that says why nothing was added.

#include "RobustnessSupport.h"
#include "import/ATLASStabImport.h"
#include "import/C1A1Import.h"
#include "loggen/LogGenerator.h"
#include "text/Format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace robust;

namespace {

const std::string kStart = "C1A1 series successfully started.";
const std::string kStop = "C1A1 series stopped by user.";
const std::string kHeader = "img   a22x err(a22x)  a22y err(a22y)  c1 filetime";

std::string DataLine(int image, const std::string& magnitude = "850pm", const std::string& direction = "12.5") {
    return FormatText("[12:00:00] #%d", image) + ": C1: 1.00 nm, A1: " + magnitude + " / " + direction +
           " deg, 100 cnts\n";
}

std::string C1A1(int start, int stop, const std::string& data) {
    return kStart + "\n" + FormatText("dTime: %d s\n", start) + data + kStop + "\n" + FormatText("dTime: %d s\n", stop);
}

std::string AtlasLine(int image, const std::string& x, const std::string& y, long long filetime) {
    return FormatText("%d  ", image) + x + " 0.01  " + y + " 0.02  1.5 " + FormatText("%lld", filetime) + "\n";
}

std::string ValidC1A1() {
    std::string data;
    for (int i = 1; i <= 12; ++i) data += DataLine(i, FormatText("%dpm", 800 + i), FormatText("%d", 3 * i));
    return "Corrector log\n" + C1A1(100, 124, data);
}

std::string ValidAtlas() {
    std::string text = kHeader + "\n";
    for (int i = 1; i <= 12; ++i) text += AtlasLine(i, "0.8", "-0.4", 1000 + 2 * i);
    return text + "#\n";
}

struct HostileInput {
    std::string name;
    std::function<std::string()> make;
    int c1a1Series = 0;   // series the C1A1 reader must add
    int atlasSeries = 0;  // series the ATLASStab reader must add
};

std::string Repeat(const std::string& s, std::size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i) out += s;
    return out;
}

std::string PseudoRandomBytes(std::size_t n, std::uint64_t seed) {
    loggen::CSplitMix random(seed);
    std::string out(n, '\0');
    for (char& c : out) c = static_cast<char>(random.Next64() & 0xff);
    return out;
}

std::vector<HostileInput> HostileInputs() {
    return {
        {"empty", [] { return std::string(); }},
        {"one line feed", [] { return std::string("\n"); }},
        {"only blanks and tabs", [] { return std::string("   \t \r\n\t\n  "); }},
        {"binary bytes", [] { return PseudoRandomBytes(64 * 1024, 1); }},
        {"NUL bytes", [] { return std::string(4096, '\0'); }},
        {"NUL inside the start marker",
         [] {
             std::string t = ValidC1A1();
             t[t.find("series")] = '\0';
             return t;
         }},
        {"NUL bytes inside a data line and a stamp",
         [] {
             std::string t = ValidC1A1();
             t.insert(t.find("A1: 805pm") + 4, std::string(1, '\0'));
             t.insert(t.find("dTime: 100") + 7, std::string("\0", 1));
             return t;
         }},
        {"NUL bytes in the ATLASStab table",
         [] {
             std::string t = ValidAtlas();
             t[t.find("0.8")] = '\0';
             return t;
         },
         0, 1},
        {"UTF-16 text of a valid log",
         [] {
             std::string out = "\xff\xfe";
             for (char c : ValidC1A1()) {
                 out += c;
                 out += '\0';
             }
             return out;
         }},
        {"UTF-8 byte order mark", [] { return "\xEF\xBB\xBF" + ValidC1A1(); }, 1, 0},
        {"byte order mark before the ATLASStab header", [] { return "\xEF\xBB\xBF" + ValidAtlas(); }, 0, 1},
        {"invalid UTF-8 around the numbers",
         [] {
             std::string data;
             for (int i = 1; i <= 6; ++i) data += DataLine(i);
             data += "[12:00:00] #7: C1: \xff\xfe nm, A1: \xc0\xaf"
                     "850pm / 1 deg, \xed\xa0\x80 cnts\n";
             data += "\xff\xfe\xfd\xfc garbage \xc3\x28\n";
             data += "[12:00:00] #8: C1: 1 nm, A1: 850\xe2\x82pm / 2\xff deg, 1 cnts\n";
             return "\xc3\x28\xa0\xa1 chatter\n" + C1A1(10, 30, data);
         },
         1, 0},
        {"invalid UTF-8 inside the markers",
         [] {
             return "C1A1 series\xff successfully started.\ndTime: 1 s\n" + DataLine(1) + DataLine(2) + kStop +
                    "\ndTime: 5 s\n" + "img\xff a22x err(a22x)  a22y err(a22y) filetime\n1 1 1 1 1 1\n";
         }},
        {"invalid UTF-8 in the ATLASStab values",
         [] {
             return kHeader + "\n" + AtlasLine(1, "0.1", "0.2", 10) + "2  \xc0\xaf 0.01  \xff 0.02 1 12\n" +
                    AtlasLine(3, "0.1\xe2\x82", "0.2", 14);
         },
         0, 1},
        {"CR-only line ends",
         [] {
             std::string t = ValidC1A1();
             std::replace(t.begin(), t.end(), '\n', '\r');
             return t;
         }},
        {"mixed LF and CR LF",
         [] {
             std::string t = loggen::ToCrLf(ValidC1A1());
             t.erase(t.find("\r\n"), 1);
             return t;
         },
         1, 0},
        {"only a start marker", [] { return kStart + "\n"; }},
        {"only a stop marker", [] { return kStop + "\ndTime: 4 s\n"; }},
        {"only time stamps", [] { return std::string("dTime: 1 s\ndTime: 2 s\ndTime: 3 s\n"); }},
        {"only data lines", [] { return DataLine(1) + DataLine(2) + DataLine(3); }},
        {"every marker on one line",
         [] { return kStart + " dTime: 5 s #1: C1: 1 nm A1: 1nm / 2 deg cnts " + kStop + " dTime: 9 s\n"; }},
        {"only the ATLASStab header", [] { return kHeader + "\n"; }},
        {"ATLASStab header and end line", [] { return kHeader + "\n#\n"; }},
        {"ATLASStab header indented", [] { return " " + ValidAtlas(); }},
        {"ATLASStab blank lines only", [] { return kHeader + "\n" + Repeat("   \n", 1000); }},
        {"series without data lines", [] { return C1A1(1, 5, "") + C1A1(6, 9, "no data\n"); }},
        {"stop before start stamp", [] { return kStart + "\n" + kStop + "\ndTime: 5 s\n" + C1A1(10, 20, DataLine(1)); },
         1, 0},
        {"time stamp too large",
         [] {
             return C1A1(1, 5, DataLine(1) + DataLine(2)) + "x" + C1A1(1, 1, "") + kStart +
                    "\ndTime: 99999999999999 s\n" + DataLine(1) + kStop + "\ndTime: 99999999999999999 s\n";
         },
         1, 0},
        {"negative and backward time stamps",
         [] {
             return C1A1(-50, -10, DataLine(1) + DataLine(2)) + C1A1(100, 50, DataLine(1) + DataLine(2)) +
                    C1A1(7, 7, DataLine(1) + DataLine(2)) + C1A1(-2147483647, 2147483647, DataLine(1) + DataLine(2));
         },
         1, 0},
        {"time stamps nan and 1e999",
         [] {
             return kStart + "\ndTime: nan s\n" + DataLine(1) + DataLine(2) + kStop + "\ndTime: 1e999 s\n" + kStart +
                    "\ndTime: inf s\n" + DataLine(1) + DataLine(2) + kStop + "\ndTime: 20 s\n";
         }},
        {"huge, negative and odd magnitudes",
         [] {
             std::string data;
             const char* magnitudes[] = {"1e308pm",  "1e308um", "-850pm", "nanpm",    "1e999nm",
                                         "-1e999nm", "0x1Fpm",  "infnm",  "1e-400nm", "999999999999999999999999pm",
                                         "+.5nm",    "-.e5nm",  "850",    ""};
             int i = 0;
             for (const char* m : magnitudes) data += DataLine(++i, m);
             return C1A1(0, 100, data);
         },
         1, 0},
        {"huge, negative and odd directions and image numbers",
         [] {
             std::string data;
             const char* directions[] = {"1e308", "-1e308", "nan", "1e999", "-0", "4e9", "deg"};
             int i = 0;
             for (const char* d : directions) data += DataLine(++i, "1nm", d);
             data += "[x] #-5: C1: 1 nm, A1: 1nm / 1 deg, 1 cnts\n";
             data += "[x] #0: C1: 1 nm, A1: 1nm / 1 deg, 1 cnts\n";
             data += "[x] #99999999999: C1: 1 nm, A1: 1nm / 1 deg, 1 cnts\n";
             data += "[x] #: C1: 1 nm, A1: 1nm / 1 deg, 1 cnts\n";
             data += "[x] #1 C1 A1: 1nm / 1 deg\n";
             return C1A1(0, 100, data);
         },
         1, 0},
        {"ATLASStab huge, negative and odd values",
         [] {
             std::string t = kHeader + "\n";
             t += AtlasLine(1, "1e308", "-1e308", 100);
             t += AtlasLine(2, "nan", "1e999", 101);
             t += AtlasLine(-3, "0.1", "0.2", 102);
             t += AtlasLine(0, "0.1", "0.2", 103);
             t += "99999999999 0.1 0.01 0.2 0.02 1 104\n";
             t += "5 0.1 0.01\n";
             t += "6 0.1 0.01 0.2 0.02 1.5 not used 106\n";
             t += "7\t0.1\t0.01\t0.2\t0.02\t1\t107\n";
             t += AtlasLine(8, "-0", "+.5e-3", 108);
             return t + "#\n";
         },
         0, 1},
        {"ATLASStab filetime invalid",
         [] { return kHeader + "\n1  0.1 0.01  0.2 0.02  1.5 nan\n" + AtlasLine(2, "0.1", "0.2", 5); }},
        {"ATLASStab filetime out of range",
         [] { return kHeader + "\n" + AtlasLine(1, "0.1", "0.2", 100) + AtlasLine(2, "0.1", "0.2", 99999999999LL); }},
        {"ATLASStab filetime backwards",
         [] { return kHeader + "\n" + AtlasLine(1, "0.1", "0.2", 100) + AtlasLine(2, "0.1", "0.2", 50); }},
        {"ATLASStab header of many columns and short lines",
         [] {
             // Each data line is short; the column walk must not cost the
             // whole header per line.
             std::string t = kHeader + Repeat(" c", 200000) + "\n";
             t += AtlasLine(1, "0.1", "0.2", 100);
             t += Repeat("2\n", 100000);
             t += AtlasLine(3, "0.1", "0.2", 300);
             return t;
         },
         0, 1},
        {"ATLASStab repeated column names",
         [] {
             return std::string("img a22x a22x err(a22x)  a22y err(a22y) err(a22y) filetime\n") +
                    "1 1 2 3 4 5 6 100\n2 1 2 3 4 5 6 101\n";
         },
         0, 1},
        {"a 20 MB line", [] { return std::string(20u << 20, 'x'); }},
        {"a 20 MB data line inside a series",
         [] {
             return C1A1(10, 20,
                         DataLine(1) + "[x] #2: C1: 1 nm, A1: 1nm / 2 deg" + std::string(20u << 20, ' ') + "cnts\n" +
                             DataLine(3));
         },
         1, 0},
        {"a 20 MB ATLASStab header",
         [] { return kHeader + std::string(20u << 20, ' ') + "\n1 1 1 1 1 5\n2 1 1 1 1 9\n"; }, 0, 1},
        {"10^6 start markers", [] { return Repeat(kStart + "\n", 1000000); }},
        {"10^6 markers of series without data",
         [] { return Repeat(kStart + "\ndTime: 1 s\n" + kStop + "\ndTime: 2 s\n", 250000); }},
        {"5000 complete series",
         [] {
             std::string t;
             for (int i = 0; i < 5000; ++i) t += C1A1(i, i + 4, DataLine(1) + DataLine(2));
             return t;
         },
         5000, 0},
    };
}

// Every hostile input through both text readers and the sniffer.
TEST(HostileLogs, ReadersReturnCleanlyWithCompleteSeries) {
    for (const HostileInput& input : HostileInputs()) {
        const std::string text = input.make();
        SCOPED_TRACE(input.name);
        {
            CollectingLog log;
            std::vector<CA1TimeSeries> list(2);  // series imported before
            ImportRequest request{"/data/hostile.log", 1, 0.0, &log};
            const ImportResult result = ReadC1A1Log(text, request, list);
            ExpectCompleteSeries(input.name + " (C1A1)", result, 2, list, request.strPath);
            ExpectReasonWhenEmpty(input.name + " (C1A1)", result, log);
            EXPECT_EQ(result.nSeriesAdded, input.c1a1Series);
            EXPECT_TRUE(log.Has("Added " + std::to_string(input.c1a1Series) + " new A1-time series to the data list."));
            EXPECT_EQ(list[0].m_nDataLines, 0);  // what was there stays untouched
            // A re-extraction with other settings keeps the series sound.
            for (std::size_t i = 2; i < list.size() && i < 50; ++i) {
                ExtractC1A1(list[i], -1, 90.0);
                for (const A1SAMPLE& a : list[i].m_aSamples) {
                    EXPECT_TRUE(FiniteSample(a));
                }
            }
        }
        {
            CollectingLog log;
            std::vector<CA1TimeSeries> list(1);
            ImportRequest request{"/data/hostile.dat", -1, 30.0, &log};
            const ImportResult result = ReadATLASStabLog(text, request, list);
            ExpectCompleteSeries(input.name + " (ATLASStab)", result, 1, list, request.strPath);
            ExpectReasonWhenEmpty(input.name + " (ATLASStab)", result, log);
            EXPECT_EQ(result.nSeriesAdded, input.atlasSeries);
            if (result.nSeriesAdded == 0) {
                EXPECT_TRUE(log.HasError());
            }
        }
        std::string reason;
        const int format = SniffLogFormat(text, &reason);
        if (format == IMPORT_NONE) {
            EXPECT_FALSE(reason.empty());
        }
        if (input.c1a1Series > 0) {
            EXPECT_EQ(format, IMPORT_C1A1);
        }
        if (input.atlasSeries > 0 && input.c1a1Series == 0) {
            EXPECT_EQ(format, IMPORT_ATLAS);
        }
    }
}

TEST(HostileLogs, SnifferNamesTheReason) {
    std::string reason;
    EXPECT_EQ(SniffLogFormat("", &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is empty.");
    EXPECT_EQ(SniffLogFormat("\xEF\xBB\xBF", &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is empty.");
    EXPECT_EQ(SniffLogFormat(std::string("ab\0cd", 5), &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is not a text file.");
    EXPECT_EQ(SniffLogFormat("plain words\n", &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is neither a CEOS C1A1 log nor an ATLASStab log.");
}

// Rotations and mirror factors as stored settings may hold them: extraction
// skips what is not finite and never stores a non-finite sample.
TEST(HostileLogs, ExtremeExtractionSettings) {
    const double rotations[] = {1e308, -1e308, HUGE_VAL, -HUGE_VAL, NAN, 1e-300};
    const int mirrors[] = {0, 7, -2147483647 - 1, 2147483647};
    for (double rotation : rotations)
        for (int mirror : mirrors) {
            SCOPED_TRACE(FormatText("rotation %g, mirror %d", rotation, mirror));
            CollectingLog log;
            std::vector<CA1TimeSeries> list;
            ImportRequest request{"/data/r.log", mirror, rotation, &log};
            ImportResult r = ReadC1A1Log(ValidC1A1(), request, list);
            ExpectCompleteSeries("C1A1", r, 0, list, request.strPath);
            r = ReadATLASStabLog(ValidAtlas(), request, list);
            ExpectCompleteSeries("ATLASStab", r, 1, list, request.strPath);
            ASSERT_EQ(list.size(), 2u);
            ExtractC1A1(list[0], mirror, rotation);
            ExtractATLASStab(list[1], mirror, rotation);
            for (const CA1TimeSeries& s : list)
                for (const A1SAMPLE& a : s.m_aSamples) {
                    EXPECT_TRUE(FiniteSample(a));
                }
        }
}

// Every order of the five C1A1 line kinds, and of the ATLASStab header,
// data and end lines: a series is added only in the one right order.
TEST(HostileLogs, MarkersInEveryOrder) {
    std::vector<std::string> c1a1 = {kStart + "\n", "dTime: 10 s\n", DataLine(1) + DataLine(2), kStop + "\n",
                                     "dTime: 20 s\n"};
    std::vector<int> order = {0, 1, 2, 3, 4};
    int added = 0;
    do {
        std::string text;
        for (int k : order) text += c1a1[static_cast<std::size_t>(k)];
        CollectingLog log;
        std::vector<CA1TimeSeries> list;
        ImportRequest request{"/data/o.log", 1, 0.0, &log};
        const ImportResult r = ReadC1A1Log(text, request, list);
        ExpectCompleteSeries(text, r, 0, list, request.strPath);
        ExpectReasonWhenEmpty(text, r, log);
        added += r.nSeriesAdded;
        if (r.nSeriesAdded) {
            EXPECT_EQ(list[0].m_nDataLines, 2) << text;
        }
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(added, 1);

    std::vector<std::string> atlas = {kHeader + "\n", AtlasLine(1, "0.1", "0.2", 100), AtlasLine(2, "0.3", "0.4", 104),
                                      "#\n"};
    std::vector<int> order2 = {0, 1, 2, 3};
    added = 0;
    do {
        std::string text;
        for (int k : order2) text += atlas[static_cast<std::size_t>(k)];
        CollectingLog log;
        std::vector<CA1TimeSeries> list;
        ImportRequest request{"/data/o.dat", 1, 0.0, &log};
        const ImportResult r = ReadATLASStabLog(text, request, list);
        ExpectCompleteSeries(text, r, 0, list, request.strPath);
        ExpectReasonWhenEmpty(text, r, log);
        added += r.nSeriesAdded;
    } while (std::next_permutation(order2.begin(), order2.end()));
    // Only the header directly followed by line 1 and line 2 gives a series,
    // with the end line last or before the header (then it is ignored).
    EXPECT_EQ(added, 2);
}

// The file import: hostile contents on disk, paths with invalid UTF-8,
// missing files and folders.
TEST(HostileLogs, FileImportOfHostileFilesAndPaths) {
    CTempFolder dir;
    struct Case {
        std::string name;
        std::string content;
        int series;
        bool refused;  // the sniffer refuses the content
    };
    const std::vector<Case> cases = {
        {"empty.log", "", 0, true},
        {"binary.log", PseudoRandomBytes(4096, 2), 0, true},
        {"nul.log", std::string(100, '\0'), 0, true},
        {"markers.log", kStart + "\n" + kStop + "\n", 0, false},
        {"bad_\xff\xfe_\xc3\x28.log", ValidC1A1(), 1, false},
        {"bad_\xed\xa0\x80.dat", ValidAtlas(), 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write(c.name, c.content);
        for (int format : {IMPORT_NONE, IMPORT_C1A1, IMPORT_ATLAS}) {
            CollectingLog log;
            std::vector<CA1TimeSeries> list;
            const ImportRequest request{path, 1, 0.0, &log};
            const ImportResult r = ImportLogFile(request, format, list);
            EXPECT_TRUE(r.bOpened);
            ExpectCompleteSeries(c.name, r, 0, list, path);
            if (r.nSeriesAdded == 0) {
                EXPECT_FALSE(r.strError.empty());
                EXPECT_TRUE(log.HasError() || log.Has("Added 0 new")) << log.m_strCollectedText;
            }
            if (format == IMPORT_NONE) {
                EXPECT_EQ(r.nSeriesAdded, c.series);
                if (c.refused) {
                    EXPECT_TRUE(log.Has("ERROR: Refused to import file [" + path + "]: ")) << log.m_strCollectedText;
                }
            }
            // The messages name the path byte for byte.
            EXPECT_TRUE(log.Has("[" + path + "]"));
        }
    }
    // Paths that cannot be read.
    const std::vector<std::string> unreadable = {dir.File("missing_\xff\xfe.log"), dir.Path(), "",
                                                 dir.File("no/such/folder.log")};
    for (const std::string& path : unreadable) {
        SCOPED_TRACE(path);
        for (int format : {IMPORT_NONE, IMPORT_C1A1, IMPORT_ATLAS}) {
            CollectingLog log;
            std::vector<CA1TimeSeries> list(1);
            const ImportResult r = ImportLogFile({path, 1, 0.0, &log}, format, list);
            EXPECT_FALSE(r.Ok());
            EXPECT_EQ(list.size(), 1u);
            EXPECT_FALSE(r.strError.empty());
            EXPECT_TRUE(log.Has("ERROR: Failed to open file [" + path + "].") ||
                        log.Has("ERROR: Failed to read file [" + path + "]."))
                << log.m_strCollectedText;
        }
    }
}

}  // namespace
