// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram follows its view: a resize re-renders the shown series at the
// new size once the size has come to rest, the pages let the diagram take the
// room they have, and Export Image saves the image that is shown.

#include "PageTestSupport.h"

#include "FakeDialogs.h"
#include "files/MainParameters.h"
#include "platform/qt/QtTextRenderer.h"
#include "plot/DiagramContent.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDModelDiagramDlg.h"
#include "ui/pages/DiagramView.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QPixmap>
#include <QTabWidget>

namespace {

// Runs the event loop until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int ms = 2000) {
    QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

// Pixels of the two images that differ.
int Differing(const CImage32& a, const CImage32& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const COLOR p = a.GetPixel(x, y);
            const COLOR q = b.GetPixel(x, y);
            n += p.r != q.r || p.g != q.g || p.b != q.b;
        }
    return n;
}

int CountOf(const CImage32& image, int r, int g, int b) {
    int n = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const COLOR c = image.GetPixel(x, y);
            n += c.r == r && c.g == g && c.b == b;
        }
    return n;
}

class PageDiagramResize : public CQtTestApp, public ::testing::Test {
protected:
    void SetUp() override {
        ImportGenerated(m_list, 300, 2);
        m_pSeries = &m_list.front();
    }
    // The diagram of the series drawn straight into an image of the size.
    CImage32 Reference(int width, int height, int displayType) {
        CQtTextRenderer text;
        CA1Diagram wnd(&text);
        EXPECT_TRUE(wnd.Create(width, height));
        wnd.m_style.nDisplayType = displayType;
        wnd.Render(m_pSeries);
        return wnd.Image();
    }

    std::vector<CA1TimeSeries> m_list;
    CA1TimeSeries* m_pSeries = nullptr;
};

TEST_F(PageDiagramResize, ResizeRendersTheSeriesAnewOnceTheSizeRests) {
    CDiagramView view;
    int asked = 0;
    view.SetSeriesSource([&]() -> const CA1TimeSeries* {
        ++asked;
        return m_pSeries;
    });
    ASSERT_TRUE(view.Create());
    ASSERT_TRUE(view.Render(m_pSeries));
    view.show();
    ASSERT_TRUE(WaitFor([&] { return !view.RefitPending(); }));
    EXPECT_EQ(view.ImageSize(), QSize(CDiagramView::kViewWidth - 2, CDiagramView::kViewHeight - 2));
    asked = 0;

    // A drag: several sizes in a row, the last one stays.
    for (int w : {760, 820, 900, 980, 1002}) {
        view.resize(w, 602);
        QApplication::processEvents();
    }
    // Until the size rests the last image is kept (and shown stretched).
    EXPECT_TRUE(view.RefitPending());
    EXPECT_EQ(view.ImageSize(), QSize(720, 440));
    EXPECT_EQ(asked, 0);
    const QImage stretched = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_NE(stretched.pixel(900, 500), qRgb(0, 0, 0));  // no black gap beyond the old image

    ASSERT_TRUE(WaitFor([&] { return !view.RefitPending(); }));
    EXPECT_EQ(asked, 1);  // one re-render for the whole drag
    EXPECT_EQ(view.ImageSize(), QSize(1000, 600));
    EXPECT_EQ(view.Diagram()->m_style.nWidth, 1000);
    EXPECT_EQ(view.Diagram()->m_style.rcPlot.right, 992);
    EXPECT_EQ(Differing(view.Diagram()->Image(), Reference(1000, 600, 1)), 0);

    // Painted one to one again.
    const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < 600; y += 7)
        for (int x = 0; x < 1000; x += 7) {
            const COLOR c = view.Diagram()->Image().GetPixel(x, y);
            wrong += shown.pixel(x + 1, y + 1) != qRgb(c.r, c.g, c.b);
        }
    EXPECT_EQ(wrong, 0);

    // Back to a size it already has: nothing to do.
    view.resize(1002, 602);
    QApplication::processEvents();
    EXPECT_FALSE(view.RefitPending());
}

TEST_F(PageDiagramResize, RenderWithoutASeriesLeavesTheImageAsItIs) {
    CDiagramView view;
    view.Create();
    ASSERT_TRUE(view.Render(m_pSeries));
    const CImage32 before = view.Diagram()->Image();
    view.resize(600, 400);  // not yet re-rendered
    EXPECT_FALSE(view.Render(nullptr));
    EXPECT_EQ(view.ImageSize(), QSize(720, 440));
    EXPECT_EQ(Differing(view.Diagram()->Image(), before), 0);
}

TEST_F(PageDiagramResize, ResizeWithoutASeriesLeavesPlainBackground) {
    CDiagramView view;
    const CA1TimeSeries* shown = m_pSeries;
    view.SetSeriesSource([&] { return shown; });
    view.Create();
    view.Render(m_pSeries);
    shown = nullptr;  // the series is gone
    view.resize(500, 300);
    view.Refit();
    EXPECT_EQ(view.ImageSize(), QSize(498, 298));
    EXPECT_EQ(CountOf(view.Diagram()->Image(), 255, 255, 255), 498 * 298);
}

TEST_F(PageDiagramResize, PageGivesTheDiagramTheRoomItHasAndExportsWhatIsShown) {
    CRecordingLog log;
    CMainParameters params;
    CFakeDialogs dialogs;
    CDDModelDiagramDlg page(4);
    page.m_pLog = &log;
    page.m_pParams = &params;
    page.m_pDialogs = &dialogs;
    page.Initialize();
    CDiagramView* view = page.View();

    // A modest minimum, room to grow.
    EXPECT_LE(view->minimumSizeHint().width(), 400);
    EXPECT_LE(view->minimumSizeHint().height(), 250);
    EXPECT_EQ(view->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    EXPECT_EQ(view->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    EXPECT_LE(page.minimumSizeHint().width(), 700);
    EXPECT_LE(page.minimumSizeHint().height(), 450);

    page.UpdatePage(m_pSeries);
    page.resize(1400, 900);
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !view->RefitPending() && view->width() > 1000; }));
    // The diagram takes the page's width less the side column and its height
    // less the two lines above it.
    EXPECT_GT(view->width(), 1400 - 250);
    EXPECT_GT(view->height(), 900 - 150);
    EXPECT_EQ(view->ImageSize(), QSize(view->width() - 2, view->height() - 2));

    page.resize(720, 460);
    ASSERT_TRUE(WaitFor([&] { return !view->RefitPending() && view->width() < 700; }));
    EXPECT_EQ(view->ImageSize(), QSize(view->width() - 2, view->height() - 2));

    // Export Image right after a resize: the image is brought to the shown size first.
    page.resize(900, 600);
    QApplication::processEvents();
    QTemporaryDir dir;
    const std::string path = dir.filePath("shown.png").toStdString();
    dialogs.QueueSaveFile(path, 2);
    page.OnExportImage();
    const QImage saved(QString::fromStdString(path));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(view->width() - 2, view->height() - 2));
    EXPECT_EQ(saved.size(), view->ImageSize());
    ASSERT_GE(log.m_lines.size(), 2u);
    EXPECT_EQ(log.m_lines.back(), "Diagram image saved to file [" + path + "].");
    EXPECT_EQ(log.m_lines[log.m_lines.size() - 2],
              FormatText("Saving the diagram image of %d x %d pixels.", saved.width(), saved.height()));
}

TEST_F(PageDiagramResize, PageSwitchShowsTheDiagramAtTheSizeOfTheTabs) {
    // Two diagram pages on tabs, as in the main window: the hidden page misses
    // the window's resize and catches up when it comes up.
    CMainParameters params;
    auto* a22 = new CDDA1TimeDiagramDlg;
    auto* model = new CDDModelDiagramDlg(4);
    QTabWidget tabs;
    for (CDDPage* page : {static_cast<CDDPage*>(a22), static_cast<CDDPage*>(model)}) {
        page->m_pParams = &params;
        page->Initialize();
    }
    tabs.addTab(a22, "A22-Time Graph");
    tabs.addTab(model, "Fitted Model");
    QObject::connect(&tabs, &QTabWidget::currentChanged, [&](int index) {
        (index == 0 ? static_cast<CDDPage*>(a22) : static_cast<CDDPage*>(model))->UpdatePage(m_pSeries);
    });
    a22->UpdatePage(m_pSeries);
    tabs.resize(1000, 640);
    tabs.show();
    ASSERT_TRUE(WaitFor([&] { return !a22->View()->RefitPending(); }));
    tabs.setCurrentIndex(1);
    tabs.resize(1300, 860);
    ASSERT_TRUE(WaitFor([&] { return !model->View()->RefitPending() && model->View()->width() > 1000; }));

    tabs.setCurrentIndex(0);
    CDiagramView* view = a22->View();
    ASSERT_TRUE(WaitFor([&] { return !view->RefitPending() && view->width() > 1000; }));
    EXPECT_EQ(view->ImageSize(), QSize(view->width() - 2, view->height() - 2));
    EXPECT_EQ(Differing(view->Diagram()->Image(), Reference(view->width() - 2, view->height() - 2, 1)), 0);
}

}  // namespace
