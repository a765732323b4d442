// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on a real X server: what depends on focus, shortcuts and
// the screen. These tests skip on other platforms; ctest runs them under
// Xvfb with the xcb platform (ui_app_xvfb_*), on a 1366 x 768 screen and on
// a 1920 x 1080 screen scaled by 1.5.

#include "AppTestSupport.h"

#include "loggen/LogGenerator.h"
#include "ui/BackgroundRunner.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDCFuncDiagramDlg.h"
#include "ui/pages/DDModelDiagramDlg.h"
#include "ui/pages/DiagramView.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Room a desktop panel takes from the screen's height.
constexpr int kPanelHeight = 40;

#define REQUIRE_XCB()                                                                                                  \
    if (QGuiApplication::platformName() != QLatin1String("xcb"))                                                       \
    GTEST_SKIP() << "needs the xcb platform on an X server (ctest runs it as ui_app_xvfb_*)"

class AppXcb : public AppTest {
protected:
    // A generated CEOS C1A1 log of a drifting series, 300 images 2 s apart.
    std::string MakeGeneratedLog(const std::string& name, int series = 1) {
        loggen::CSplitMix random(20261209);
        std::vector<loggen::GeneratedSeries> all;
        for (int i = 0; i < series; ++i) {
            loggen::SeriesSetup setup;
            setup.nStartTime = 100 + 2000 * i;
            all.push_back(loggen::SimulateSeries(setup, random));
        }
        const std::string path = FilePath(name);
        WriteTextFile(path, loggen::ToCrLf(loggen::WriteC1A1Log(all)));
        return path;
    }

    std::unique_ptr<CDriftwiseDlg> ShowActiveWindow() {
        auto window = MakeWindow();
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }

    static void Focus(QWidget* widget) {
        widget->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([widget] { return widget->hasFocus(); }, 5000));
    }
};

// The window's title as the X server holds it (what a window manager shows);
// empty when xprop is not installed.
std::string XWindowName(const QWidget& window) {
    const QString xprop = QStandardPaths::findExecutable(QStringLiteral("xprop"));
    if (xprop.isEmpty()) return std::string();
    QProcess process;
    process.start(xprop, {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("_NET_WM_NAME")});
    if (!process.waitForFinished(5000)) return std::string();
    // _NET_WM_NAME(UTF8_STRING) = "..."
    const QString out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    const qsizetype first = out.indexOf(QLatin1Char('"'));
    return first < 0 ? std::string() : out.mid(first + 1, out.size() - first - 2).toStdString();
}

// The longest run of frame-coloured (black) pixels in any row of the image:
// the width of the plot frame's top or bottom edge, in image pixels.
int LongestBlackRun(const CImage32& image) {
    int longest = 0;
    for (int y = 0; y < image.Height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.Width(); ++x) {
            const COLOR c = image.GetPixel(x, y);
            run = (c.r == 0 && c.g == 0 && c.b == 0) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

}  // namespace

TEST_F(AppXcb, WindowWithAllControlsFitsTheScreenAfterAnImport) {
    REQUIRE_XCB();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect area = screen.adjusted(0, 0, 0, -kPanelHeight);
    std::printf("Screen %dx%d logical at scale %.2f\n", screen.width(), screen.height(),
                QGuiApplication::primaryScreen()->devicePixelRatio());

    // As the program starts: no application display name for the platform
    // to append to the caption.
    CDriftwiseApp::PrepareApplication();
    auto window = MakeWindow();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QSize opened = window->size();
    window->ImportFiles({MakeGeneratedLog("generated.log")});
    ASSERT_EQ(window->Series().size(), 1u);
    for (int tab = 0; tab < window->Tabs()->count(); ++tab) {
        window->Tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
    }
    window->OnCharFunc();
    window->OnFitModel();
    QApplication::processEvents();

    EXPECT_EQ(window->windowTitle().toStdString(), "Driftwise -  Halvorn Optical Stability Benchmark");
    const std::string xName = XWindowName(*window);
    std::printf("X window name: \"%s\"\n", xName.empty() ? "(xprop not available)" : xName.c_str());
    if (!xName.empty()) {
        EXPECT_EQ(xName, "Driftwise -  Halvorn Optical Stability Benchmark");
    }

    // No jump at the first import, and the whole window on the screen.
    EXPECT_EQ(window->size(), opened);
    const QSize minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
    std::printf("Window %dx%d, minimum %dx%d, area %dx%d\n", window->width(), window->height(), minimum.width(),
                minimum.height(), area.width(), area.height());
    EXPECT_LE(window->frameGeometry().width(), area.width());
    EXPECT_LE(window->frameGeometry().height(), area.height());
    EXPECT_TRUE(area.contains(window->frameGeometry())) << "frame outside the available area";
    // It can be made smaller, down to about 900 x 600.
    EXPECT_LE(minimum.width(), 900);
    EXPECT_LE(minimum.height(), 600);
    window->resize(900, 600);
    QApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(900, 600));

    // At that size every control of every page is whole and inside its page.
    int checked = 0;
    for (int tab = 0; tab < window->Tabs()->count(); ++tab) {
        window->Tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
        QWidget* page = window->Tabs()->currentWidget();
        for (QWidget* control : page->findChildren<QWidget*>()) {
            if (!control->isVisible() || !(qobject_cast<QAbstractButton*>(control) ||
                                           qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control)))
                continue;
            ++checked;
            const QRect inPage(control->mapTo(page, QPoint(0, 0)), control->size());
            EXPECT_TRUE(page->rect().contains(inPage))
                << control->metaObject()->className() << " cut off on tab " << tab;
            EXPECT_GE(control->height(), control->minimumSizeHint().height())
                << control->metaObject()->className() << " squeezed on tab " << tab;
        }
    }
    for (QWidget* control :
         {static_cast<QWidget*>(window->SeriesList()), static_cast<QWidget*>(window->ImportButton()),
          static_cast<QWidget*>(window->DeleteAllButton()), static_cast<QWidget*>(window->LogField())}) {
        const QRect inWindow(control->mapTo(window.get(), QPoint(0, 0)), control->size());
        EXPECT_TRUE(window->rect().contains(inWindow)) << control->metaObject()->className();
    }

    // Made as large as the screen, the diagram takes the room: the A22-time
    // graph's frame grows to at least 800 logical pixels.
    window->setGeometry(area);
    window->Tabs()->setCurrentIndex(TAB_A22_TIME);
    CDiagramView* view = window->A1TimePage()->View();
    ASSERT_NE(view, nullptr);
    const double ratio = view->devicePixelRatioF();
    const auto rendered = [&] {
        return view->width() > 900 && !view->RefitPending() && view->ImageSize() == view->WantedImageSize();
    };
    ASSERT_TRUE(QTest::qWaitFor(rendered, 5000))
        << "view " << view->width() << " wide, image " << view->ImageSize().width();
    const int frame = LongestBlackRun(view->Diagram()->Image());
    std::printf("Window %dx%d: diagram %dx%d image pixels, frame %d image pixels wide\n", window->width(),
                window->height(), view->Diagram()->Image().Width(), view->Diagram()->Image().Height(), frame);
    EXPECT_GE(frame / ratio, 800.0);
}

TEST_F(AppXcb, AcceleratorsWorkFromAFocusedLineEdit) {
    REQUIRE_XCB();
    auto window = ShowActiveWindow();
    window->ImportFiles({MakeGeneratedLog("generated.log")});
    CA1TimeSeries* series = window->SelectedSeries();
    ASSERT_NE(series, nullptr);
    ASSERT_EQ(window->ActiveTab(), 1);

    // Ctrl+E: the line edit would take it as "end of line".
    QLineEdit* rotation = window->A1TimePage()->RotationEdit();
    Focus(rotation);
    rotation->setText(QStringLiteral("15"));
    QTest::keyClick(rotation, Qt::Key_E, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(series->m_dRotation, 15.0) << "Ctrl+E did not re-extract";

    // The same from the Message Log field and from the series list.
    rotation->setText(QStringLiteral("20"));
    Focus(window->LogField());
    QTest::keyClick(window->LogField(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(series->m_dRotation, 20.0) << "Ctrl+E from the Message Log did not re-extract";
    rotation->setText(QStringLiteral("25"));
    Focus(window->SeriesList());
    QTest::keyClick(window->SeriesList(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(series->m_dRotation, 25.0) << "Ctrl+E from the series list did not re-extract";

    // Ctrl+F from the rotation field.
    Focus(rotation);
    QTest::keyClick(rotation, Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(series->CharFuncValid, 1) << "Ctrl+F did not evaluate the characteristic function";
    ASSERT_EQ(window->ActiveTab(), 2);

    // Ctrl+M from the energy field of the "Charact. Func." page.
    QLineEdit* energy = window->CFuncPage()->EnergyEdit();
    Focus(energy);
    QTest::keyClick(energy, Qt::Key_M, Qt::ControlModifier);
    ASSERT_EQ(series->ModelValid, 1) << "Ctrl+M did not fit the model";
    ASSERT_EQ(window->ActiveTab(), 3);

    // Ctrl+S and Ctrl+P from the resolution field of "Fitted Model".
    QLineEdit* resolution = window->ModelPage()->ResolutionEdit();
    Focus(resolution);
    QTest::keyClick(resolution, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(window->ActiveTab(), 5);
    window->Tabs()->setCurrentIndex(3);
    Focus(resolution);
    QTest::keyClick(resolution, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(window->ActiveTab(), 4);

    // Ctrl+L and Alt+A from a field of "Prob. Plot".
    QLineEdit* probEnergy = window->ProbabilityPage()->EnergyEdit();
    Focus(probEnergy);
    QTest::keyClick(probEnergy, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(m_dialogs.m_openRequests.size(), 1u) << "Ctrl+L did not open the Import dialog";
    Focus(probEnergy);
    QTest::keyClick(probEnergy, Qt::Key_A, Qt::AltModifier);
    EXPECT_NE(std::find(m_dialogTitles.begin(), m_dialogTitles.end(), "About Driftwise"), m_dialogTitles.end());

    // Ctrl+Q runs Quit's close sequence.
    Focus(probEnergy);
    QTest::keyClick(probEnergy, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(window->IsShutDown());
    EXPECT_EQ(CountPrefix(LogFileMessages(), "Program Quit."), 1);
}

TEST_F(AppXcb, DeleteKeyInTheSeriesListDeletesTheSelectedSeries) {
    REQUIRE_XCB();
    auto window = ShowActiveWindow();
    window->ImportFiles({MakeGeneratedLog("generated.log", 3)});
    ASSERT_EQ(window->Series().size(), 3u);
    window->SeriesList()->setCurrentIndex(1);
    const int secondStart = window->Series()[2].m_nStartTime;
    Focus(window->SeriesList());
    QTest::keyClick(window->SeriesList(), Qt::Key_Delete);
    ASSERT_EQ(window->Series().size(), 2u);
    EXPECT_EQ(window->Series()[1].m_nStartTime, secondStart);
    EXPECT_EQ(window->Selected(), 0);

    // Delete in a line edit edits the text, nothing more.
    QLineEdit* rotation = window->A1TimePage()->RotationEdit();
    window->Tabs()->setCurrentIndex(1);
    Focus(rotation);
    rotation->setText(QStringLiteral("12"));
    rotation->setCursorPosition(0);
    QTest::keyClick(rotation, Qt::Key_Delete);
    EXPECT_EQ(rotation->text().toStdString(), "2");
    EXPECT_EQ(window->Series().size(), 2u);
}

// While the characteristic function and the fit of a large series run, the
// event loop keeps turning: a 5 ms timer stands for the user's input events,
// and the longest pause between its ticks is how long an input waits at
// most. DW_RESPONSIVENESS_SAMPLES sets the size (10^6 for the figure of
// record; the suite runs 10^5).
TEST_F(AppXcb, EventLoopTurnsWhileTheCharFuncAndFitRun) {
    REQUIRE_XCB();
    const int samples = qEnvironmentVariableIsSet("DW_RESPONSIVENESS_SAMPLES")
                            ? qEnvironmentVariableIntValue("DW_RESPONSIVENESS_SAMPLES")
                            : 100000;
    loggen::CSplitMix random(20261209);
    loggen::SeriesSetup setup;
    setup.nImages = samples;
    const loggen::GeneratedSeries generated = loggen::SimulateSeries(setup, random);
    CA1TimeSeries series;
    for (const loggen::GeneratedSample& sample : generated.aSamples)
        series.m_aSamples.push_back({sample.nImage, sample.dTrueX, sample.dTrueY, 0.0, 0.0});
    series.m_nDataLines = samples;
    series.m_dImagePeriod = setup.dImagePeriodS;
    series.m_nImportType = IMPORT_C1A1;
    series.m_nStartTime = setup.nStartTime;
    series.m_nStopTime = setup.nStartTime + static_cast<int>(setup.dImagePeriodS * samples);

    auto window = ShowActiveWindow();
    // Two of them: choosing the second in the list links the pages to it.
    window->Series().push_back(series);
    window->Series().push_back(std::move(series));
    window->RefreshSeriesList();
    window->SeriesList()->setCurrentIndex(1);
    ASSERT_EQ(window->A1TimePage()->Series(), &window->Series()[1]);
    Focus(window->SeriesList());

    QElapsedTimer clock;
    qint64 last = -1, longestWhileBusy = 0, longest = 0;
    int ticksWhileBusy = 0;
    QTimer input;
    input.setInterval(5);
    QObject::connect(&input, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (last >= 0) longest = std::max(longest, now - last);
        if (last >= 0 && window->Runner()->IsBusy()) {
            longestWhileBusy = std::max(longestWhileBusy, now - last);
            ++ticksWhileBusy;
        }
        last = now;
    });
    clock.start();
    input.start();
    // The figure of record may take minutes on a loaded machine.
    const int waitMs = samples > 200000 ? 1800000 : 240000;
    // A diagram of the series is in view while each step runs (the samples'
    // first, then the characteristic function's), so each step ends with
    // the drawing of the diagrams it changed.
    window->Tabs()->setCurrentWidget(window->A1TimePage());
    ASSERT_TRUE(window->A1TimePage()->isVisible());
    QTest::keyClick(window->SeriesList(), Qt::Key_F, Qt::ControlModifier);
    const bool charFuncDone = window->Runner()->WaitUntilIdle(waitMs);
    const qint64 charFuncMs = clock.elapsed();
    window->Tabs()->setCurrentWidget(window->CFuncPage());
    ASSERT_TRUE(window->CFuncPage()->isVisible());
    QTest::keyClick(window->SeriesList(), Qt::Key_M, Qt::ControlModifier);
    const bool fitDone = window->Runner()->WaitUntilIdle(waitMs);
    input.stop();
    std::printf("in view at the end: %s\n", window->ModelPage()->isVisible()    ? "fitted model"
                                            : window->CFuncPage()->isVisible()  ? "characteristic function"
                                            : window->A1TimePage()->isVisible() ? "samples"
                                                                                : "another page");
    std::printf("%d samples: characteristic function %lld ms, fit %lld ms; longest pause of the event loop "
                "%lld ms while the work ran, %lld ms in all (%d ticks while busy)\n",
                samples, static_cast<long long>(charFuncMs), static_cast<long long>(clock.elapsed() - charFuncMs),
                static_cast<long long>(longestWhileBusy), static_cast<long long>(longest), ticksWhileBusy);
    ASSERT_TRUE(charFuncDone && fitDone);
    EXPECT_EQ(window->Series()[1].CharFuncValid, 1);
    EXPECT_EQ(window->Series()[1].ModelValid, 1);
    // On the GUI thread the timer could not tick at all while the work ran.
    EXPECT_GE(ticksWhileBusy, 10) << "the event loop stood still while the work ran";
}
