// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram on a screen scaled by 2, on a real X server (Xvfb, the xcb
// platform, QT_SCALE_FACTOR=2; see CMakeLists.txt): the page's diagram is
// drawn at device resolution and reaches the screen pixel for pixel, not as
// 2 x 2 blocks of a diagram drawn at the logical size, and its frame edge is
// not smoothed grey.

#include "PageTestSupport.h"

#include "plot/DiagramContent.h"
#include "ui/AboutDlg.h"
#include "ui/DisclaimerDlg.h"
#include "ui/SplashDlg.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DiagramView.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

namespace {

bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

void Settle(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool IsBlack(QRgb p) { return qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 0; }
bool IsWhite(QRgb p) { return qRed(p) == 255 && qGreen(p) == 255 && qBlue(p) == 255; }

TEST(XvfbDiagramScale, DiagramIsDrawnAtDeviceResolution) {
    TestApp();
    // Run by hand elsewhere the test steps aside; under ctest's Xvfb wrapper
    // (DW_XVFB_SCALE_TEST set) a wrong platform or scale is a failure.
    const bool required = qEnvironmentVariableIsSet("DW_XVFB_SCALE_TEST");
    if (QGuiApplication::platformName() != "xcb") {
        ASSERT_FALSE(required) << "platform " << QGuiApplication::platformName().toStdString();
        GTEST_SKIP() << "needs the xcb platform on an X server (run through ctest: Xvfb with QT_SCALE_FACTOR=2)";
    }
    if (qGuiApp->devicePixelRatio() != 2.0) {
        ASSERT_FALSE(required) << "device-pixel ratio " << qGuiApp->devicePixelRatio();
        GTEST_SKIP() << "needs a device-pixel ratio of 2 (QT_SCALE_FACTOR=2), have " << qGuiApp->devicePixelRatio();
    }

    std::vector<CA1TimeSeries> list;
    ImportGenerated(list, 400, 2);
    CDDA1TimeDiagramDlg page;
    page.Initialize();
    page.UpdatePage(&list.front());
    page.resize(900, 560);
    page.move(20, 20);
    page.show();
    CDiagramView* view = page.View();
    ASSERT_TRUE(WaitFor([&] { return page.windowHandle() && page.windowHandle()->isExposed(); }));
    ASSERT_TRUE(WaitFor([&] { return !view->RefitPending() && view->ImageSize() == view->WantedImageSize(); }));
    Settle(300);

    // The image has the client area's device pixels and is drawn at scale 2.
    const CA1Diagram& diagram = *view->Diagram();
    EXPECT_EQ(view->devicePixelRatioF(), 2.0);
    EXPECT_EQ(diagram.m_style.dScale, 2.0);
    EXPECT_EQ(view->ImageSize(), QSize(2 * (view->width() - 2), 2 * (view->height() - 2)));
    EXPECT_EQ(diagram.m_style.rcPlot.left, 16);

    // What the X server shows: the image pixel for pixel, 2 device pixels
    // inside the view's 1-pixel edge.
    const QPoint topLeft = view->mapToGlobal(QPoint(0, 0));
    QScreen* screen = page.screen();
    ASSERT_NE(screen, nullptr);
    const QImage shown = screen->grabWindow(0, topLeft.x(), topLeft.y(), view->width(), view->height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(2 * view->width(), 2 * view->height()));
    const CImage32& image = diagram.Image();
    int differing = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const COLOR c = image.GetPixel(x, y);
            differing += shown.pixel(x + 2, y + 2) != qRgb(c.r, c.g, c.b);
        }
    EXPECT_EQ(differing, 0);

    // The sunken edge is one logical pixel: two device rows and columns.
    const QRgb dark = view->palette().color(QPalette::Dark).rgb();
    const QRgb light = view->palette().color(QPalette::Light).rgb();
    const int W = shown.width();
    const int H = shown.height();
    int wrongEdge = 0;
    for (int x = 0; x < W; x += 5) wrongEdge += shown.pixel(x, 0) != dark || shown.pixel(x, 1) != dark;
    for (int y = 0; y < H; y += 5) wrongEdge += shown.pixel(0, y) != dark || shown.pixel(1, y) != dark;
    for (int x = 2; x < W; x += 5) wrongEdge += shown.pixel(x, H - 1) != light || shown.pixel(x, H - 2) != light;
    for (int y = 2; y < H; y += 5) wrongEdge += shown.pixel(W - 1, y) != light || shown.pixel(W - 2, y) != light;
    EXPECT_EQ(wrongEdge, 0);

    // Not 2 x 2 blocks: neighbouring device columns differ in many places
    // (text, curves and markers have single-pixel detail).
    int unlikePairs = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x + 1 < shown.width(); x += 2) unlikePairs += shown.pixel(x, y) != shown.pixel(x + 1, y);
    EXPECT_GT(unlikePairs, 500);

    // The frame's top edge down the middle: white margin, then the two rings
    // as four rows of pure black, no grey rows between.
    int top = -1;
    const int column = 2 + (image.Width() / 2);
    for (int y = 2; y < shown.height() && top < 0; ++y)
        if (!IsWhite(shown.pixel(column, y))) top = y;
    ASSERT_GT(top, 2);
    for (int y = 2; y < top; ++y) EXPECT_TRUE(IsWhite(shown.pixel(column, y))) << y;
    for (int y = top; y < top + 4; ++y) EXPECT_TRUE(IsBlack(shown.pixel(column, y))) << y;
    EXPECT_EQ(top - 2, diagram.m_style.rcPlot.top - 2);  // the outer ring one pen width above the plot area
}

}  // namespace

// The banner and disclaimer pictures are drawn for the screen: at scale 2
// a picture of twice the pixels with ratio 2, not the 1x picture enlarged.
TEST(XvfbDiagramScale, PicturesOfTheInformationWindowsMatchTheScreen) {
    TestApp();
    if (QGuiApplication::platformName() != "xcb" || qGuiApp->devicePixelRatio() != 2.0)
        GTEST_SKIP() << "needs the xcb platform at QT_SCALE_FACTOR=2 (run through ctest)";
    CAboutDlg about(nullptr);
    CDisclaimerDlg disclaimer(nullptr);
    CDriftwiseSplashDlg splash(nullptr, 0, 0);
    for (QDialog* dialog :
         {static_cast<QDialog*>(&about), static_cast<QDialog*>(&disclaimer), static_cast<QDialog*>(&splash)}) {
        int pictures = 0;
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            const QPixmap picture = label->pixmap();
            if (picture.isNull()) continue;
            ++pictures;
            EXPECT_EQ(picture.devicePixelRatio(), 2.0) << dialog->windowTitle().toStdString();
            EXPECT_EQ(picture.width(), 1000) << dialog->windowTitle().toStdString();
            EXPECT_EQ(picture.deviceIndependentSize().toSize().width(), 500);
        }
        EXPECT_EQ(pictures, 1) << dialog->windowTitle().toStdString();
    }
}
