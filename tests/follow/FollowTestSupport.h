// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the following tests share: a file system held in memory, a clock the
// test sets, the import of a text as a batch import reads it, and the
// comparison of two series lists field by field.

#include "follow/FollowFileSystem.h"
#include "series/A1TimeSeries.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace followtest {

// Files in memory. Each change advances the modification time by one tick
// unless the time is frozen (a share that never shows a new time).
class CMemoryFiles : public IFollowFileSystem {
public:
    void Append(const std::string& path, std::string_view bytes);
    void Truncate(const std::string& path);
    // A new file under the path, as an atomic replace by rename gives.
    void Replace(const std::string& path, std::string_view bytes);
    void Remove(const std::string& path);
    bool Exists(const std::string& path) const { return m_files.count(path) != 0; }
    const std::string& Bytes(const std::string& path) const { return m_files.at(path).strBytes; }

    FOLLOWFILESTAT Stat(const std::string& path) override;
    FOLLOWREAD ReadRange(const std::string& path, std::uint64_t offset, std::size_t maxBytes,
                         std::string& out) override;

    bool m_bFrozenTime = false;
    std::uint64_t m_nBytesRead = 0;  // all bytes handed out by ReadRange
    int m_nStats = 0;

private:
    struct FILEDATA {
        std::string strBytes;
        std::uint64_t nInode = 0;
        std::int64_t nModifiedNs = 0;
    };
    void Touch(FILEDATA& file);
    std::map<std::string, FILEDATA> m_files;
    std::uint64_t m_nNextInode = 1;
    std::int64_t m_nTick = 1000;
};

class CManualClock : public IFollowClock {
public:
    double Now() override { return m_dNow; }
    double m_dNow = 0.0;
};

// The series a batch import of the text gives (format by content when
// importType is IMPORT_NONE; the path is stored in the series).
std::vector<CA1TimeSeries> ImportText(std::string_view text, int importType, const std::string& path);

// The text up to and including its last line feed.
std::string_view CompleteLines(std::string_view text);

// Every import field, the stored lines, the samples (bit for bit) and every
// evaluation field of each series are the same.
void ExpectSameSeries(const std::vector<CA1TimeSeries>& expected, const std::vector<CA1TimeSeries>& actual,
                      const std::string& where);

}  // namespace followtest
