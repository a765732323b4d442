// SPDX-License-Identifier: GPL-3.0-or-later
// The main window under a window manager (ctest runs these as
// ui_app_xvfb_openbox: Xvfb with openbox): a remembered geometry that no
// longer fits comes back with its whole frame, title bar included, on the
// screen, and that place is what is saved.

#include "AppTestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace {

class AppXcbWm : public AppTest {};

}  // namespace

TEST_F(AppXcbWm, RememberedWindowComesBackWithItsFrameOnTheScreen) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the xcb platform and a window manager (ctest runs it as ui_app_xvfb_openbox)";
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // Remembered at the top left corner, as large as the screen.
    m_store.WriteInt("Window Layout", "Left", area.x());
    m_store.WriteInt("Window Layout", "Top", area.y());
    m_store.WriteInt("Window Layout", "Width", area.width());
    m_store.WriteInt("Window Layout", "Height", area.height());
    auto window = MakeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    if (!QTest::qWaitFor([&] { return window->frameGeometry() != window->geometry(); }, 5000))
        GTEST_SKIP() << "no window manager framed the window";
    EXPECT_TRUE(QTest::qWaitFor([&] { return area.contains(window->frameGeometry()); }, 5000))
        << "frame at " << window->frameGeometry().x() << "," << window->frameGeometry().y() << " size "
        << window->frameGeometry().width() << "x" << window->frameGeometry().height() << ", area " << area.width()
        << "x" << area.height();
    EXPECT_GT(window->geometry().y(), area.y()) << "no room for the title bar";
    const QRect client = window->geometry();
    window->OnQuit();
    int top = 0;
    ASSERT_TRUE(m_store.GetInt("Window Layout", "Top", top));
    EXPECT_EQ(top, client.y());
}
