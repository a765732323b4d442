#pragma once
// Shared pieces of the bad-input suite: a collecting message log, temporary
// files with any bytes in their names, and the check that a reader added
// only complete series.

#include "import/LogImport.h"
#include "log/LogFile.h"
#include "series/A1TimeSeries.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace robust {

namespace fs = std::filesystem;

// The program's own message log on a real file, keeping its lines in memory
// as the desktop program's log field sees them (debug lines up to level 2).
// Unlike the recording log it runs the whole writing path; its file lies in
// a temporary folder removed afterwards.
struct CollectingLog : CLogFile {
    CollectingLog() : m_strFile(m_folder.File("Log.txt")) {
        m_bCollectText = 1;
        m_nDebugLevel = 2;
        Open(m_strFile);
    }
    ~CollectingLog() override { Close(); }
    CTempFolder m_folder{"dw_robust_log"};
    std::string m_strFile;
    bool HasError() const { return m_strCollectedText.find(": ERROR: ") != std::string::npos; }
    bool Has(std::string_view text) const { return m_strCollectedText.find(text) != std::string::npos; }
};

inline bool FiniteSample(const A1SAMPLE& a) {
    return std::isfinite(a.dX) && std::isfinite(a.dY) && std::isfinite(a.dErrX) && std::isfinite(a.dErrY);
}

// The result agrees with the list, nothing was added without a reason, and
// every added series is complete: the stored lines of its format, at least
// one data line, a positive time span, at most one finite sample per data
// line. `what` names the input in failure messages.
inline void ExpectCompleteSeries(const std::string& what, const ImportResult& result, std::size_t before,
                                 const std::vector<CA1TimeSeries>& list, const std::string& path) {
    SCOPED_TRACE(what);
    ASSERT_GE(list.size(), before);
    EXPECT_EQ(static_cast<std::size_t>(result.nSeriesAdded), list.size() - before);
    if (result.nSeriesAdded == 0) {
        EXPECT_FALSE(result.strError.empty());
    }
    for (std::size_t i = before; i < list.size(); ++i) {
        const CA1TimeSeries& s = list[i];
        const std::size_t n = static_cast<std::size_t>(s.m_nDataLines < 0 ? 0 : s.m_nDataLines);
        EXPECT_GE(s.m_nDataLines, 1);
        EXPECT_GT(s.m_nStopTime, s.m_nStartTime);
        EXPECT_GE(s.m_nFirstLine, 1);
        EXPECT_LE(s.m_nFirstLine, s.m_nLastLine);
        EXPECT_EQ(s.m_strSourceFile, path);
        EXPECT_EQ(s.m_nImportType, result.nImportType);
        if (s.m_nImportType == IMPORT_C1A1) {
            ASSERT_EQ(s.m_astrLines.size(), n + 4);
            EXPECT_EQ(s.m_astrLines[0], "C1A1 series successfully started.");
            EXPECT_EQ(s.m_astrLines[n + 2], "C1A1 series stopped by user.");
            EXPECT_TRUE(s.m_astrLines[1].starts_with("dTime:"));
            EXPECT_TRUE(s.m_astrLines[n + 3].starts_with("dTime:"));
        } else {
            ASSERT_EQ(s.m_nImportType, IMPORT_ATLAS);
            const bool ended = s.m_astrLines.size() == n + 2 && s.m_astrLines.back() == "#";
            EXPECT_TRUE(s.m_astrLines.size() == n + 1 || ended) << s.m_astrLines.size() << " lines, " << n << " data";
            ASSERT_FALSE(s.m_astrLines.empty());
            EXPECT_TRUE(s.m_astrLines[0].starts_with("img"));
        }
        EXPECT_LE(s.m_aSamples.size(), n);
        if (n >= 2) {
            EXPECT_TRUE(std::isfinite(s.m_dImagePeriod) && s.m_dImagePeriod > 0.0) << s.m_dImagePeriod;
        }
        for (const A1SAMPLE& a : s.m_aSamples) {
            EXPECT_GT(a.nIndex, 0);
            EXPECT_TRUE(FiniteSample(a)) << "image " << a.nIndex;
        }
    }
}

// A reader outcome that added nothing must say why: an "ERROR: " line, a
// warning, the zero summary of the C1A1 reader, or the result's text.
inline void ExpectReasonWhenEmpty(const std::string& what, const ImportResult& result, const CollectingLog& log) {
    if (result.nSeriesAdded > 0) return;
    EXPECT_FALSE(result.strError.empty()) << what;
    EXPECT_TRUE(log.HasError() || log.Has("Added 0 new A1-time series to the data list.")) << what << "\n"
                                                                                           << log.m_strCollectedText;
}

}  // namespace robust
