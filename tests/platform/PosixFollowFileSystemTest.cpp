// SPDX-License-Identifier: GPL-3.0-or-later
// The follower's file access on real files: state, identity across rename
// and replace, range reads that leave the file neither open nor locked, and
// a follower on a file that a writer appends to, renames away and replaces.

#include "platform/PosixFollowFileSystem.h"
#include "follow/LogFollower.h"
#include "support/RecordingLog.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace {

void Append(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// Another process's writer could take an exclusive lock right now.
bool Lockable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return locked;
}

int OpenDescriptors() {
    int n = 0;
    for (int fd = 0; fd < 1024; ++fd)
        if (::fcntl(fd, F_GETFD) != -1) ++n;
    return n;
}

TEST(PosixFollowFileSystem, StatesAndRangesOfARealFile) {
    CTempFolder folder("dw_follow");
    const std::string path = folder.Write("a.log", "0123456789");
    CPosixFollowFileSystem files;
    const FOLLOWFILESTAT st = files.Stat(path);
    ASSERT_TRUE(st.bExists);
    EXPECT_EQ(st.nSize, 10u);
    EXPECT_FALSE(files.Stat(folder.File("missing.log")).bExists);
    EXPECT_FALSE(files.Stat(folder.Path()).bExists);  // a folder is no log

    const int before = OpenDescriptors();
    std::string out;
    FOLLOWREAD r = files.ReadRange(path, 3, 4, out);
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(out, "3456");
    EXPECT_EQ(r.id, st.id);
    r = files.ReadRange(path, 8, 100, out);
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(out, "89");
    r = files.ReadRange(path, 20, 5, out);
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(out, "");
    EXPECT_FALSE(files.ReadRange(folder.File("missing.log"), 0, 5, out).bOk);
    // Nothing stays open, nothing stays locked.
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(Lockable(path));

    // A rename keeps the identity; a new file under the name has another.
    const std::string moved = folder.File("b.log");
    ASSERT_EQ(std::rename(path.c_str(), moved.c_str()), 0);
    EXPECT_EQ(files.Stat(moved).id, st.id);
    const std::string replacement = folder.Write("c.log", "xyz");
    ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
    EXPECT_FALSE(files.Stat(path).id == st.id);
}

TEST(PosixFollowFileSystem, FollowerSeesAppendRenameAwayAndReplacement) {
    CTempFolder folder("dw_follow");
    const std::string path = folder.File("stab.dat");
    const std::string header = "img   a22x err(a22x)  a22y err(a22y)  c1 filetime\n";
    Append(path, header + "1  0.5 0.01  -0.3 0.01  1.0 1000\n2  0.6 0.01  -0.2 0.01  1.0 1002\n3  0.7 0.0");
    CPosixFollowFileSystem files;
    CSteadyFollowClock clock;
    CRecordingLog log;
    CLogFollower follower({path}, files, clock, &log);
    follower.Poll();
    ASSERT_EQ(follower.Series().size(), 1u);
    EXPECT_EQ(follower.Series()[0].m_aSamples.size(), 2u);  // the third line waits for its end
    EXPECT_TRUE(Lockable(path));
    Append(path, "1  -0.1 0.01  1.0 1004\n");
    EXPECT_EQ(follower.Poll().nLinesAdded, 1);
    EXPECT_EQ(follower.Series()[0].m_aSamples.size(), 3u);

    // The writer rotates the log away and starts a new one under the name.
    ASSERT_EQ(std::rename(path.c_str(), folder.File("old.dat").c_str()), 0);
    EXPECT_TRUE(follower.Poll().bGone);
    Append(path, header + "7  0.5 0.01  -0.3 0.01  1.0 2000\n8  0.6 0.01  -0.2 0.01  1.0 2004\n");
    const FOLLOWPOLL poll = follower.Poll();
    EXPECT_TRUE(poll.bBack);
    EXPECT_TRUE(poll.bRestarted);
    ASSERT_EQ(follower.Series().size(), 1u);
    EXPECT_EQ(follower.Series()[0].m_aSamples.front().nIndex, 7);
    EXPECT_EQ(follower.Series()[0].m_nStopTime, 2004);
    EXPECT_EQ(log.Count("The followed file [" + path + "] shrank or was replaced; reading it again from the start."),
              1);
}

}  // namespace
