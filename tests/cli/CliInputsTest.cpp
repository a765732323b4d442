// SPDX-License-Identifier: GPL-3.0-or-later
// Folder arguments: the recursive walk, its order, what it skips and why.

#include "cli/CliInputs.h"
#include "series/A1TimeSeries.h"
#include "support/RecordingLog.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kExamples = DW_EXAMPLES_DIR;

class CliInputs : public ::testing::Test {
protected:
    // A file under the test folder; a folder part is created.
    fs::path Put(const std::string& relative, const std::string& content) {
        const fs::path path = m_dir / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    fs::path PutCopy(const std::string& relative, const std::string& example) {
        const fs::path path = m_dir / relative;
        fs::create_directories(path.parent_path());
        fs::copy_file(kExamples + "/" + example, path);
        return path;
    }

    std::string Arg(const std::string& relative = "") const {
        return relative.empty() ? m_dir.string() : (m_dir / relative).string();
    }

    CTempFolder m_folder{"dw_cli_inputs"};
    fs::path m_dir{m_folder.Path()};
};

std::vector<std::string> Paths(const std::vector<CliInput>& inputs) {
    std::vector<std::string> paths;
    for (const CliInput& i : inputs) paths.push_back(i.strError.empty() ? i.strPath : "ERROR " + i.strPath);
    return paths;
}

// The start of a PNG image: binary, with zero bytes.
const std::string kBinary = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x02\xd0", 20);

}  // namespace

TEST_F(CliInputs, NestedFoldersGiveTheirLogsInPathOrderAndSkipTheRest) {
    PutCopy("2024/b/run 1.log", "c1a1_two_series.log");
    PutCopy("2024/b.log", "c1a1_two_series.log");
    PutCopy("2024/Jänner Ü/stab ä.dat", "atlas_stab.dat");
    PutCopy("2023/z.dat", "atlas_stab.dat");
    PutCopy("a.log", "c1a1_two_series.log");
    Put("2024/b/notes.txt", "Column adjusted on Monday.\nNo C1A1 entries here.\n");
    Put("2023/image.bin", kBinary);
    Put("2023/empty.log", "");
    CRecordingLog log;
    const std::vector<CliInput> inputs = ExpandCliArgument(Arg(), IMPORT_NONE, &log);
    // Path order compares folder by folder: "2024/b/..." comes before "2024/b.log".
    EXPECT_EQ(Paths(inputs), (std::vector<std::string>{Arg("2023/z.dat"), Arg("2024/Jänner Ü/stab ä.dat"),
                                                       Arg("2024/b/run 1.log"), Arg("2024/b.log"), Arg("a.log")}));
    EXPECT_EQ(log.m_lines,
              (std::vector<std::string>{"Skipped [" + Arg("2023/empty.log") + "]: The file is empty.",
                                        "Skipped [" + Arg("2023/image.bin") + "]: The file is not a text file.",
                                        "Skipped [" + Arg("2024/b/notes.txt") +
                                            "]: The file is neither a CEOS C1A1 log nor an ATLASStab log."}));
}

TEST_F(CliInputs, TheFormatOptionDecidesWhatIsALog) {
    PutCopy("c1a1.log", "c1a1_two_series.log");
    PutCopy("atlas.dat", "atlas_stab.dat");
    CRecordingLog log;
    EXPECT_EQ(Paths(ExpandCliArgument(Arg(), IMPORT_C1A1, &log)), (std::vector<std::string>{Arg("c1a1.log")}));
    EXPECT_EQ(log.m_lines,
              (std::vector<std::string>{"Skipped [" + Arg("atlas.dat") + "]: The file is not a CEOS C1A1 log."}));
    EXPECT_EQ(Paths(ExpandCliArgument(Arg(), IMPORT_ATLAS, nullptr)), (std::vector<std::string>{Arg("atlas.dat")}));
    EXPECT_EQ(Paths(ExpandCliArgument(Arg(), IMPORT_NONE, nullptr)),
              (std::vector<std::string>{Arg("atlas.dat"), Arg("c1a1.log")}));
}

TEST_F(CliInputs, SymbolicLinksAndSpecialFilesAreSkippedNotFollowed) {
    PutCopy("logs/a.log", "c1a1_two_series.log");
    fs::create_directories(m_dir / "walk");
    fs::create_directory_symlink(m_dir / "logs", m_dir / "walk/to-folder");
    fs::create_symlink(m_dir / "logs/a.log", m_dir / "walk/to-file.log");
    ASSERT_EQ(mkfifo((m_dir / "walk/pipe").c_str(), 0600), 0);  // opening it would block
    PutCopy("walk/real.log", "c1a1_two_series.log");
    CRecordingLog log;
    EXPECT_EQ(Paths(ExpandCliArgument(Arg("walk"), IMPORT_NONE, &log)),
              (std::vector<std::string>{Arg("walk/real.log")}));
    EXPECT_EQ(log.m_lines,
              (std::vector<std::string>{"Skipped [" + Arg("walk/pipe") + "]: not a regular file.",
                                        "Skipped [" + Arg("walk/to-file.log") + "]: a symbolic link, not followed.",
                                        "Skipped [" + Arg("walk/to-folder") + "]: a symbolic link, not followed."}));
}

TEST_F(CliInputs, AFolderWithoutLogsIsAnErrorOfThatArgument) {
    Put("notes/readme.txt", "nothing\n");
    Put("notes/deeper/data.bin", kBinary);
    fs::create_directories(m_dir / "empty");
    for (const std::string& folder : {Arg("notes"), Arg("empty")}) {
        const std::vector<CliInput> inputs = ExpandCliArgument(folder, IMPORT_NONE, nullptr);
        ASSERT_EQ(inputs.size(), 1u);
        EXPECT_EQ(inputs[0].strPath, folder);
        EXPECT_EQ(inputs[0].strError, "The folder holds no log.");
    }
}

TEST_F(CliInputs, FileArgumentsStayAsTheyAreAndFolderPathsJoinTheArgument) {
    PutCopy("sub/x.log", "c1a1_two_series.log");
    const std::string text = Put("notes.txt", "nothing\n").string();
    // Named files are imported (and refused) later, exactly as given.
    EXPECT_EQ(Paths(ExpandCliArguments({text, Arg("missing.log"), Arg("sub") + "/", Arg("sub")}, IMPORT_NONE, nullptr)),
              (std::vector<std::string>{text, Arg("missing.log"), Arg("sub/x.log"), Arg("sub/x.log")}));
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir);
    EXPECT_EQ(Paths(ExpandCliArgument("sub", IMPORT_NONE, nullptr)), (std::vector<std::string>{"sub/x.log"}));
    EXPECT_EQ(Paths(ExpandCliArgument(".", IMPORT_NONE, nullptr)), (std::vector<std::string>{"./sub/x.log"}));
    fs::current_path(previous);
}

TEST_F(CliInputs, AFolderThatCannotBeReadIsNamedAndTheOthersGoOn) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not hold for root";
    PutCopy("open/a.log", "c1a1_two_series.log");
    PutCopy("closed/b.log", "c1a1_two_series.log");
    fs::permissions(m_dir / "closed", fs::perms::none);
    const std::vector<CliInput> inputs = ExpandCliArgument(Arg(), IMPORT_NONE, nullptr);
    fs::permissions(m_dir / "closed", fs::perms::owner_all);
    EXPECT_EQ(Paths(inputs), (std::vector<std::string>{"ERROR " + Arg("closed"), Arg("open/a.log")}));
}
