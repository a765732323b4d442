// SPDX-License-Identifier: GPL-3.0-or-later
// Following a log on a real X server while a writer appends a line every
// 100 ms: the window answers input within 100 ms all the while, the series
// grows in place, and "Stop Following" leaves what a fresh import gives.
// Prints the input latency and the time from a line's arrival to the
// graph that shows it.

#include "AppTestSupport.h"

#include "ui/BackgroundRunner.h"
#include "ui/FollowController.h"
#include "ui/pages/DDCFuncDiagramDlg.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

#define REQUIRE_XCB()                                                                                                  \
    if (QGuiApplication::platformName() != QLatin1String("xcb"))                                                       \
    GTEST_SKIP() << "needs the xcb platform on an X server (ctest runs it as ui_app_xvfb_follow)"

double Seconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// Answers the probe key and notes how long it waited in the queue.
class CProbe : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F35) {
            m_dWorst = std::max(m_dWorst, Seconds() - m_dPosted);
            ++m_nAnswered;
            m_bOut = false;
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    double m_dPosted = 0.0;
    double m_dWorst = 0.0;
    int m_nAnswered = 0;
    bool m_bOut = false;
};

class AppXcbFollow : public AppTest {};

}  // namespace

TEST_F(AppXcbFollow, WindowAnswersWithin100MsWhileFollowingALineEvery100Ms) {
    REQUIRE_XCB();
    constexpr int kImages = 100;  // 10 s of a line every 100 ms
    const std::string text = C1A1LogText(1, kImages);
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = text.find('\n', pos) + 1;
        lines.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    const std::string path = FilePath("growing.html");
    std::string head;
    for (int i = 0; i < 4; ++i) head += lines[static_cast<std::size_t>(i)];
    WriteTextFile(path, head);

    auto window = MakeWindow();
    window->CFuncPage()->m_seedSource = [] { return 4711u; };
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    CFollowController* follow = window->Follow();
    ASSERT_TRUE(follow->EvaluateAction()->isChecked());
    // DW_FOLLOW_POLL_ONLY=1: as on a share that sends no change notification.
    if (qEnvironmentVariableIntValue("DW_FOLLOW_POLL_ONLY") == 1) follow->SetChangeHints(false);
    follow->Start(path, IMPORT_NONE);

    // Sample n's line was written at written[n - 1].
    std::vector<double> written(kImages, 0.0);
    std::atomic<int> done{0};
    std::thread writer([&] {
        for (std::size_t i = 4; i < lines.size(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            QFile file(QString::fromStdString(path));
            if (!file.open(QIODevice::Append)) break;
            file.write(lines[i].data(), static_cast<qint64>(lines[i].size()));
            file.close();
            const std::size_t sample = i - 4;
            if (sample < written.size()) written[sample] = Seconds();
            done.store(static_cast<int>(i + 1));
        }
        done.store(-1);
    });

    // Every render: when, and how many samples it showed.
    std::vector<std::pair<double, std::size_t>> renders;
    std::size_t mostSeries = 0;
    QObject::connect(follow, &CFollowController::Rendered, window.get(), [&] {
        mostSeries = std::max(mostSeries, window->Series().size());
        if (!window->Series().empty()) renders.emplace_back(Seconds(), window->Series().back().m_aSamples.size());
    });
    CProbe probe;
    window->installEventFilter(&probe);
    QTimer poster;
    QObject::connect(&poster, &QTimer::timeout, [&] {
        if (probe.m_bOut) return;
        probe.m_bOut = true;
        probe.m_dPosted = Seconds();
        QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_F35, Qt::NoModifier));
    });
    poster.start(20);
    while (done.load() != -1) QTest::qWait(50);
    QTest::qWait(1500);  // the last poll and evaluation
    poster.stop();
    writer.join();
    window->removeEventFilter(&probe);

    double sum = 0.0, worst = 0.0;
    int counted = 0;
    std::size_t shown = 0;
    for (const auto& [when, samples] : renders) {
        if (samples <= shown || samples == 0 || samples > written.size()) continue;
        // The oldest line a render brings is the one that waited longest.
        const double wait = when - written[shown];
        shown = samples;
        sum += wait;
        worst = std::max(worst, wait);
        ++counted;
    }
    std::printf("Input probes answered: %d, slowest %.1f ms\n", probe.m_nAnswered, 1000.0 * probe.m_dWorst);
    std::printf("Renders with new samples: %d; line arrival to graph: mean %.0f ms, longest %.0f ms (poll %d ms)\n",
                counted, counted ? 1000.0 * sum / counted : 0.0, 1000.0 * worst, follow->PollIntervalMs());
    RecordProperty("InputLatencyMs", static_cast<int>(1000.0 * probe.m_dWorst));
    RecordProperty("ArrivalToGraphMaxMs", static_cast<int>(1000.0 * worst));
    EXPECT_GT(probe.m_nAnswered, 200);
    EXPECT_LT(probe.m_dWorst, 0.100) << "an input event waited longer than 100 ms";
    EXPECT_GT(counted, 3);
    EXPECT_EQ(mostSeries, 1u) << "an update added a copy of the series";

    follow->StopAction()->trigger();
    ASSERT_TRUE(window->Runner()->WaitUntilIdle(60000));
    ASSERT_EQ(window->Series().size(), 1u);
    EXPECT_EQ(window->Series()[0].m_aSamples.size(), static_cast<std::size_t>(kImages));
    follow->EvaluateAction()->setChecked(false);
    window->ImportFiles({path});
    ASSERT_EQ(window->Series().size(), 2u);
    // The followed series also holds its last evaluation: samples and lines.
    const CA1TimeSeries& fresh = window->Series()[1];
    const CA1TimeSeries& followed = window->Series()[0];
    ASSERT_EQ(fresh.m_aSamples.size(), followed.m_aSamples.size());
    for (std::size_t i = 0; i < fresh.m_aSamples.size(); ++i) {
        EXPECT_EQ(fresh.m_aSamples[i].nIndex, followed.m_aSamples[i].nIndex);
        EXPECT_EQ(fresh.m_aSamples[i].dX, followed.m_aSamples[i].dX);
        EXPECT_EQ(fresh.m_aSamples[i].dY, followed.m_aSamples[i].dY);
    }
    ASSERT_EQ(fresh.m_astrLines.size(), followed.m_astrLines.size());
    for (std::size_t i = 0; i < fresh.m_astrLines.size(); ++i) EXPECT_EQ(fresh.m_astrLines[i], followed.m_astrLines[i]);
    EXPECT_EQ(fresh.m_nStopTime, followed.m_nStopTime);
}
