// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a file once: recognised from its first bytes, streamed to the line
// that decides, imported exactly as the readers import the whole text.

#include "import/LogLoader.h"
#include "import/LogFolder.h"

#include "ImportTestUtil.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

// The files on disk, counting the bytes read from each.
class CCountingFiles : public IFileSystem {
public:
    std::unique_ptr<IFileReader> OpenRead(const std::string& path, std::string& errorText) override {
        std::unique_ptr<IFileReader> inner = LocalFileSystem().OpenRead(path, errorText);
        if (!inner) return nullptr;
        return std::make_unique<CReader>(std::move(inner), m_bytes[path]);
    }
    std::size_t BytesRead(const std::string& path) const {
        const auto it = m_bytes.find(path);
        return it == m_bytes.end() ? 0 : it->second;
    }

private:
    class CReader : public IFileReader {
    public:
        CReader(std::unique_ptr<IFileReader> inner, std::size_t& count) : m_inner(std::move(inner)), m_count(count) {}
        bool Read(char* buffer, std::size_t size, std::size_t& got, std::string& errorText) override {
            const bool ok = m_inner->Read(buffer, size, got, errorText);
            m_count += got;
            return ok;
        }

    private:
        std::unique_ptr<IFileReader> m_inner;
        std::size_t& m_count;
    };
    std::map<std::string, std::size_t> m_bytes;
};

std::string Lines(const std::string& prefix, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += prefix + std::to_string(i) + "\n";
    return text;
}

std::string CrLf(const std::string& text) {
    std::string out;
    for (char ch : text) out += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    return out;
}

const std::string kSeries = C1A1Series(100, 160, C1A1Data(1, "2nm", "10") + C1A1Data(2, "3nm", "20"));
const std::string kHeader = "img a22x err(a22x)  a22y err(a22y) filetime";
const std::string kTable = kHeader + "\n1 1 0 1 0 10\n2 2 0 1 0 20\n3 3 0 1 0 30\n#\n";

// Everything the import left: the series' stored lines and line numbers,
// their samples and the messages (the file-opening line aside).
std::string Outcome(const ImportRun& run) {
    std::string s = FormatText("added %d type %d\n", run.result.nSeriesAdded, run.result.nImportType);
    for (const CA1TimeSeries& series : run.list) {
        s += FormatText("series %d-%d samples %d\n", series.m_nFirstLine, series.m_nLastLine,
                        static_cast<int>(series.m_aSamples.size()));
        for (std::size_t i = 0; i < series.m_astrLines.size(); ++i) s += std::string(series.m_astrLines[i]) + "|\n";
    }
    for (const std::string& m : run.log.m_lines)
        if (m.find("Opening file") == std::string::npos) s += m + "\n";
    return s;
}

}  // namespace

// Each case is imported from a file (streamed, as auto and as each format)
// and compared with the readers on the whole text in memory.
TEST(LogLoader, StreamedImportMatchesTheReadersOnTheWholeText) {
    PinNumericLocale();
    const std::string filler = Lines("Column adjusted, value ", 9000);  // about 250 KiB of short lines
    const std::string longLine(150000, 'x');
    struct Case {
        const char* name;
        std::string text;
        int format;  // what auto decides
    };
    const std::vector<Case> cases = {
        {"C1A1 after notes, CR LF", "notes\r\nmore\r\n\r\n" + CrLf(kSeries), IMPORT_C1A1},
        {"C1A1 with a byte order mark", "\xEF\xBB\xBF" + kSeries + kSeries, IMPORT_C1A1},
        {"ATLASStab with a byte order mark", "\xEF\xBB\xBF" + kTable, IMPORT_ATLAS},
        {"ATLASStab header, C1A1 series far later", "a\nb\n" + kTable + filler + kSeries, IMPORT_C1A1},
        {"C1A1 start inside a long line", longLine + kSeries + "tail\n", IMPORT_C1A1},
        {"C1A1 start across the first 64 KiB", std::string(65536 - 20, 'y') + "\n" + kSeries, IMPORT_C1A1},
        {"C1A1 after many lines", filler + kSeries + filler, IMPORT_C1A1},
        {"ATLASStab after a long img line and a long line", "img" + longLine + "\n" + longLine + "\n" + kTable,
         IMPORT_ATLAS},
        {"ATLASStab without a line feed at the end", filler + kHeader + "\n1 1 0 1 0 10\n2 2 0 1 0 20", IMPORT_ATLAS},
        {"C1A1 start in the last line", filler + "C1A1 series successfully started.", IMPORT_C1A1},
    };
    CTempFolder folder("dw_loader");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Write("log.txt", c.text);
        for (const int type : {IMPORT_NONE, IMPORT_C1A1, IMPORT_ATLAS}) {
            SCOPED_TRACE(type);
            ImportRun streamed, whole;
            ImportRequest request = streamed.Request();
            request.strPath = path;
            streamed.result = ImportLogFile(request, type, streamed.list);
            request = whole.Request();
            request.strPath = path;
            const int reader = type == IMPORT_NONE ? c.format : type;
            whole.result = reader == IMPORT_C1A1 ? ReadC1A1Log(c.text, request, whole.list)
                                                 : ReadATLASStabLog(c.text, request, whole.list);
            EXPECT_EQ(Outcome(streamed), Outcome(whole));
        }
    }
}

// A folder as a facility archive holds it: a 3 GB image (sparse: no disk
// used), a text that is no log and a log. The image costs its first 64 KiB,
// the text one pass, the log only its head.
TEST(LogLoader, AFolderWalkReadsAsLittleAsDecides) {
    CTempFolder folder("dw_archive");
    const std::string image = folder.File("image.tif");
    folder.Write("image.tif", "");
    std::error_code ec;
    fs::resize_file(image, std::uintmax_t{3} << 30, ec);
    if (ec) GTEST_SKIP() << "no sparse file: " << ec.message();
    const std::string notes =
        folder.Write("notes.txt", Lines("Column adjusted, value ", 40000) + std::string(200000, 'z'));
    const std::string log = folder.Write("run.log", std::string(70000, 'w') + "\n" + kSeries + Lines("after ", 20000));
    const std::string table = folder.Write("stab.dat", kTable);
    CCountingFiles files;
    CRecordingLog messages;
    const std::vector<LogFolderEntry> entries = FindLogsInFolder(folder.Path(), IMPORT_NONE, &messages, &files);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].strPath, log);
    EXPECT_EQ(entries[1].strPath, table);
    EXPECT_EQ(messages.m_lines,
              (std::vector<std::string>{"Skipped [" + image + "]: The file is not a text file.",
                                        "Skipped [" + notes +
                                            "]: The file is neither a CEOS C1A1 log nor an ATLASStab log."}));
    EXPECT_LE(files.BytesRead(image), kLogPrefixBytes);
    EXPECT_EQ(files.BytesRead(notes), fs::file_size(notes));
    EXPECT_EQ(files.BytesRead(log), 2 * kLogPrefixBytes);  // the start line lies in the second 64 KiB
    EXPECT_EQ(files.BytesRead(table), kTable.size());

    // Imported by content, the image is refused after its first 64 KiB; the
    // import reads a log once.
    ImportRun run;
    ImportRequest request = run.Request();
    request.pFiles = &files;
    request.strPath = image;
    const ImportResult refused = ImportLogFile(request, IMPORT_NONE, run.list);
    EXPECT_EQ(refused.strError, "The file is not a text file.");
    EXPECT_LE(files.BytesRead(image), 2 * kLogPrefixBytes);
    request.strPath = table;
    EXPECT_TRUE(ImportLogFile(request, IMPORT_NONE, run.list).Ok());
    EXPECT_EQ(files.BytesRead(table), 2 * kTable.size());
}

// A NUL byte decides "not a text file" in the first 64 KiB unless a line up
// to its own has decided; beyond them a log stays a log, as it always was.
TEST(LogLoader, ANulByteDecidesInTheFirst64KiB) {
    std::string reason;
    const std::string nul(1, '\0');
    EXPECT_EQ(SniffLogFormat(nul + "\n" + kSeries, &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is not a text file.");
    EXPECT_EQ(SniffLogFormat(kSeries + nul, &reason), IMPORT_C1A1);
    EXPECT_EQ(SniffLogFormat(kTable + nul, &reason), IMPORT_ATLAS);
    const std::string far(kLogPrefixBytes, 'a');
    EXPECT_EQ(SniffLogFormat(far + nul + "\n" + kSeries, &reason), IMPORT_C1A1);
    EXPECT_EQ(SniffLogFormat(far + nul + "\n", &reason), IMPORT_NONE);
    EXPECT_EQ(reason, "The file is not a text file.");
    LoadedLog loaded;
    EXPECT_EQ(LoadLogText(nul + "\n" + kTable, IMPORT_ATLAS, LogLoadGoal::Recognise, loaded), LogLoadStatus::NotALog);
    EXPECT_EQ(loaded.strReason, "The file is not a ATLASStab log.");
    EXPECT_EQ(LoadLogText(nul + "\n" + kTable, IMPORT_ATLAS, LogLoadGoal::ImportAs, loaded), LogLoadStatus::Log);
    EXPECT_EQ(loaded.nLinesBefore, 1);
}
