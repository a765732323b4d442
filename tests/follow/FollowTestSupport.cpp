// SPDX-License-Identifier: GPL-3.0-or-later
#include "FollowTestSupport.h"

#include "import/LogImport.h"
#include "support/SeriesCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace followtest {

void CMemoryFiles::Touch(FILEDATA& file) {
    if (!m_bFrozenTime) file.nModifiedNs = ++m_nTick;
}

void CMemoryFiles::Append(const std::string& path, std::string_view bytes) {
    auto it = m_files.find(path);
    if (it == m_files.end()) it = m_files.emplace(path, FILEDATA{"", m_nNextInode++, m_nTick}).first;
    it->second.strBytes += bytes;
    Touch(it->second);
}

void CMemoryFiles::Truncate(const std::string& path) {
    FILEDATA& file = m_files.at(path);
    file.strBytes.clear();
    Touch(file);
}

void CMemoryFiles::Replace(const std::string& path, std::string_view bytes) {
    m_files[path] = FILEDATA{std::string(bytes), m_nNextInode++, ++m_nTick};
}

void CMemoryFiles::Remove(const std::string& path) { m_files.erase(path); }

FOLLOWFILESTAT CMemoryFiles::Stat(const std::string& path) {
    ++m_nStats;
    FOLLOWFILESTAT st;
    const auto it = m_files.find(path);
    if (it == m_files.end()) return st;
    st.bExists = true;
    st.nSize = it->second.strBytes.size();
    st.nModifiedNs = it->second.nModifiedNs;
    st.id.nInode = it->second.nInode;
    return st;
}

FOLLOWREAD CMemoryFiles::ReadRange(const std::string& path, std::uint64_t offset, std::size_t maxBytes,
                                   std::string& out) {
    FOLLOWREAD r;
    out.clear();
    const auto it = m_files.find(path);
    if (it == m_files.end()) {
        r.strError = "No such file or directory";
        return r;
    }
    const std::string& bytes = it->second.strBytes;
    if (offset < bytes.size()) out = bytes.substr(static_cast<std::size_t>(offset), maxBytes);
    m_nBytesRead += out.size();
    r.bOk = true;
    r.id.nInode = it->second.nInode;
    return r;
}

std::vector<CA1TimeSeries> ImportText(std::string_view text, int importType, const std::string& path) {
    std::vector<CA1TimeSeries> list;
    if (importType == IMPORT_NONE) importType = SniffLogFormat(text);
    const LogFormatEntry* format = FindLogFormat(importType);
    if (!format) return list;
    ImportRequest request;
    request.strPath = path;
    format->Read(text, request, list);
    return list;
}

std::string_view CompleteLines(std::string_view text) {
    const std::size_t lf = text.rfind('\n');
    return lf == std::string_view::npos ? std::string_view() : text.substr(0, lf + 1);
}

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

void ExpectSameSeries(const std::vector<CA1TimeSeries>& expected, const std::vector<CA1TimeSeries>& actual,
                      const std::string& where) {
    ASSERT_EQ(actual.size(), expected.size()) << where;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const CA1TimeSeries& e = expected[i];
        const CA1TimeSeries& a = actual[i];
        SCOPED_TRACE(where + ", series " + std::to_string(i + 1));
        EXPECT_TRUE(a.m_astrLines == e.m_astrLines);
        EXPECT_EQ(a.m_astrLines.size(), e.m_astrLines.size());
        EXPECT_EQ(a.m_strSourceFile, e.m_strSourceFile);
        EXPECT_EQ(a.m_nFirstLine, e.m_nFirstLine);
        EXPECT_EQ(a.m_nLastLine, e.m_nLastLine);
        EXPECT_EQ(a.m_nStartTime, e.m_nStartTime);
        EXPECT_EQ(a.m_nStopTime, e.m_nStopTime);
        EXPECT_EQ(a.m_nImportType, e.m_nImportType);
        EXPECT_EQ(a.m_nDataLines, e.m_nDataLines);
        EXPECT_EQ(a.m_nMirror, e.m_nMirror);
        EXPECT_EQ(a.m_nCurrentTab, e.m_nCurrentTab);
        EXPECT_TRUE(SameBits(a.m_dRotation, e.m_dRotation));
        EXPECT_TRUE(SameBits(a.m_dImagePeriod, e.m_dImagePeriod));
        ASSERT_EQ(a.m_aSamples.size(), e.m_aSamples.size());
        for (std::size_t k = 0; k < e.m_aSamples.size(); ++k) {
            const A1SAMPLE &x = a.m_aSamples[k], &y = e.m_aSamples[k];
            ASSERT_TRUE(x.nIndex == y.nIndex && SameBits(x.dX, y.dX) && SameBits(x.dY, y.dY) &&
                        SameBits(x.dErrX, y.dErrX) && SameBits(x.dErrY, y.dErrY))
                << "sample " << k;
        }
        ExpectSameEvaluation(e, a);
    }
}

}  // namespace followtest
