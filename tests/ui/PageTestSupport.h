#pragma once
// Shared pieces of the page tests: the Qt application, a recording message
// log, a recording page host, a generated CEOS C1A1 log and temporary folders.

#include "eval/Random.h"
#include "import/C1A1Import.h"
#include "series/A1TimeSeries.h"
#include "support/RecordingLog.h"
#include "text/Format.h"
#include "ui/DDPage.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

// One QApplication for the whole test program (offscreen platform).
inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ui_page_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// First base of a fixture whose members are widgets: the application must
// exist before they are constructed.
struct CQtTestApp {
    CQtTestApp() { TestApp(); }
};

// Counts RebuildTabs and runs an optional action (what the main window does).
class CFakePageHost : public IPageHost {
public:
    void RebuildTabs() override {
        ++m_nRebuilds;
        if (m_onRebuild) m_onRebuild();
    }
    int m_nRebuilds = 0;
    std::function<void()> m_onRebuild;
};

// A CEOS C1A1 log of one series: a random walk of the astigmatism with a
// slow drift, sampled every periodSeconds, written as magnitude and
// direction the way the corrector logs it.
inline std::string GeneratedC1A1Log(int images, int periodSeconds, std::uint32_t seed = 7, double stepNm = 0.12,
                                    double driftNm = 0.01) {
    CRandom random(seed);
    auto gauss = [&] {
        double sum = 0.0;
        for (int i = 0; i < 12; ++i) sum += random.Next() / static_cast<double>(CRandom::kMax);
        return sum - 6.0;
    };
    std::string text = "<html><body><pre>\n";
    text += "12:00:00 Corrector ready.\n";
    text += "12:00:01 C1A1 series successfully started.\n";
    const int start = 1000;
    text += FormatText("12:00:01 dTime: %d s\n", start);
    double x = 2.0, y = 1.0;
    for (int i = 1; i <= images; ++i) {
        x += stepNm * gauss() + driftNm;
        y += stepNm * gauss() - 0.5 * driftNm;
        const double mx = x + 0.02 * gauss();
        const double my = y + 0.02 * gauss();
        const double magnitude = std::hypot(mx, my);
        const double direction = std::atan2(my, mx) / 0.01745329252;
        text += FormatText("12:00:%02d #%d: C1: %.2f nm, A1: %.4f nm / %.2f deg, %d cnts\n", i % 60, i,
                           -50.0 + 0.1 * gauss(), magnitude, direction, 1000 + i);
    }
    text += "12:30:00 C1A1 series stopped by user.\n";
    text += FormatText("12:30:00 dTime: %d s\n", start + images * periodSeconds);
    text += "</pre></body></html>\n";
    return text;
}

// Imports the generated log through the C1A1 reader into the list.
inline void ImportGenerated(std::vector<CA1TimeSeries>& list, int images = 600, int period = 2, std::uint32_t seed = 7,
                            const std::string& path = "/data/generated.html", int mirror = 1, double rotationDeg = 0.0,
                            double stepNm = 0.12, double driftNm = 0.01) {
    ImportRequest request;
    request.strPath = path;
    request.nMirror = mirror;
    request.dRotationDeg = rotationDeg;
    const ImportResult result = ReadC1A1Log(GeneratedC1A1Log(images, period, seed, stepNm, driftNm), request, list);
    ASSERT_EQ(result.nSeriesAdded, 1) << result.strError;
}

inline std::string Utf8(const QString& text) { return text.toStdString(); }

inline bool FileHasBytes(const std::string& path) {
    QFileInfo info(QString::fromStdString(path));
    return info.exists() && info.size() > 0;
}
