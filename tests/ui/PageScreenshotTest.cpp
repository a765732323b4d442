// Pictures of the six tab pages for the documentation (docs/screenshots).
// Runs only when DW_PAGE_SCREENSHOTS names a folder, otherwise it is skipped:
//   DW_PAGE_SCREENSHOTS=docs/screenshots QT_QPA_PLATFORM=xcb
//   xvfb-run -a -s "-screen 0 1280x1024x24"
//   build/default/tests/ui/ui_page_tests --gtest_filter='PageScreenshots*'
// (one command line).

#include "PageTestSupport.h"

#include "FakeDialogs.h"
#include "files/MainParameters.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDCFuncDiagramDlg.h"
#include "ui/pages/DDLogTextDlg.h"
#include "ui/pages/DDModelDiagramDlg.h"

#include <QDeadlineTimer>
#include <QPixmap>

namespace {

void Settle(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Grab(CDDPage& page, CA1TimeSeries& series, const QDir& folder, const char* name) {
    page.UpdatePage(&series);
    page.show();
    Settle(300);
    const bool saved = page.grab().save(folder.filePath(name), "PNG");
    page.hide();
    return saved;
}

TEST(PageScreenshots, SaveEveryPage) {
    const QString target = qEnvironmentVariable("DW_PAGE_SCREENSHOTS");
    if (target.isEmpty()) GTEST_SKIP() << "set DW_PAGE_SCREENSHOTS to a folder to save the pictures";
    TestApp();
    QDir folder(target);
    ASSERT_TRUE(folder.mkpath("."));

    std::vector<CA1TimeSeries> list;
    ImportGenerated(list, 900, 2, 11, "/home/lab/logs/session-0412.html", 1, 0.0, 0.07, 0.015);
    CA1TimeSeries& series = list.front();

    CRecordingLog log;
    CMainParameters params;
    CFakeDialogs dialogs;
    CFakePageHost host;
    CDDLogTextDlg logText(1), report(2);
    CDDA1TimeDiagramDlg a22;
    CDDCFuncDiagramDlg cfunc;
    CDDModelDiagramDlg model(4), prob(5);
    cfunc.m_seedSource = [] { return 20140206u; };
    for (CDDPage* page : std::initializer_list<CDDPage*>{&logText, &report, &a22, &cfunc, &model, &prob}) {
        page->m_pLog = &log;
        page->m_pParams = &params;
        page->m_pHost = &host;
        page->m_pDialogs = &dialogs;
        page->Initialize();
    }
    // Every page as large as a diagram page, as in the main window's tabs.
    const QSize size = cfunc.sizeHint();
    for (CDDPage* page : std::initializer_list<CDDPage*>{&logText, &report, &a22, &cfunc, &model, &prob})
        page->resize(size);

    EXPECT_TRUE(Grab(logText, series, folder, "page-log-text.png"));
    EXPECT_TRUE(Grab(a22, series, folder, "page-a22-time.png"));
    a22.SetDisplayType(2);
    EXPECT_TRUE(Grab(a22, series, folder, "page-a22-2d.png"));
    a22.OnCharFunc();
    ASSERT_EQ(series.CharFuncValid, 1);
    EXPECT_TRUE(Grab(cfunc, series, folder, "page-charact-func.png"));
    cfunc.UpdatePage(&series);
    cfunc.OnFitModel();
    ASSERT_EQ(series.ModelValid, 1);
    EXPECT_TRUE(Grab(model, series, folder, "page-fitted-model.png"));
    EXPECT_TRUE(Grab(prob, series, folder, "page-prob-plot.png"));
    EXPECT_TRUE(Grab(report, series, folder, "page-summary.png"));
}

}  // namespace
