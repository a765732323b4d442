// The whole road of one analysis over the pages, as the main window drives
// them: A22-time graph, characteristic function, Refresh, Fit Model, the
// model and probability pages, the report; plus every export command.

#include "PageTestSupport.h"

#include "FakeDialogs.h"
#include "eval/Lifetime.h"
#include "eval/Report.h"
#include "files/MainParameters.h"
#include "plot/DiagramContent.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDCFuncDiagramDlg.h"
#include "ui/pages/DDLogTextDlg.h"
#include "ui/pages/DDModelDiagramDlg.h"
#include "ui/pages/DiagramView.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr std::uint32_t kSeed = 12345;

// The six pages wired like the main window wires them; RebuildTabs shows the
// page of the series' current tab.
class PageAnalysis : public CQtTestApp, public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(m_dir.isValid());
        ImportGenerated(m_list, 600, 2);
        m_pSeries = &m_list.front();
        m_pSeries->m_pLog = &m_log;

        for (CDDPage* page : Pages()) {
            page->m_pLog = &m_log;
            page->m_pParams = &m_params;
            page->m_pHost = &m_host;
            page->m_pDialogs = &m_dialogs;
        }
        m_a22.SetDisplayType(static_cast<long long>(m_params.DataDisplayType) + 1);
        m_cfunc.m_seedSource = [] { return kSeed; };
        for (CDDPage* page : Pages()) page->Initialize();
        m_host.m_onRebuild = [this] { Show(m_pSeries->m_nCurrentTab); };
        Show(1);
    }

    std::vector<CDDPage*> Pages() { return {&m_logText, &m_report, &m_a22, &m_cfunc, &m_model, &m_prob}; }

    // The page of a tab index for the series, shown with it (the others hidden).
    CDDPage* Show(int tab) {
        CDDPage* page = nullptr;
        const bool model = m_pSeries->ModelValid > 0;
        switch (tab) {
        case 0: page = &m_logText; break;
        case 1: page = &m_a22; break;
        case 2: page = &m_cfunc; break;
        case 3: page = model ? static_cast<CDDPage*>(&m_model) : &m_report; break;
        case 4: page = &m_prob; break;
        default: page = &m_report; break;
        }
        for (CDDPage* other : Pages())
            if (other != page) other->hide();
        page->UpdatePage(m_pSeries);
        page->show();
        m_pShown = page;
        return page;
    }

    std::string Path(const char* name) const { return m_dir.filePath(name).toStdString(); }

    QTemporaryDir m_dir;
    CRecordingLog m_log;
    CMainParameters m_params;
    CFakePageHost m_host;
    CFakeDialogs m_dialogs;
    std::vector<CA1TimeSeries> m_list;
    CA1TimeSeries* m_pSeries = nullptr;
    CDDPage* m_pShown = nullptr;

    CDDLogTextDlg m_logText{1};
    CDDLogTextDlg m_report{2};
    CDDA1TimeDiagramDlg m_a22;
    CDDCFuncDiagramDlg m_cfunc;
    CDDModelDiagramDlg m_model{4};
    CDDModelDiagramDlg m_prob{5};
};

bool ImageHasInk(const CA1Diagram& diagram) {
    const CImage32& image = diagram.Image();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const COLOR c = image.GetPixel(x, y);
            if (!(c.r == 255 && c.g == 255 && c.b == 255)) return true;
        }
    return false;
}

TEST_F(PageAnalysis, FullRoadOfAnAnalysis) {
    // A22-time graph with statistics.
    EXPECT_EQ(m_pShown, &m_a22);
    EXPECT_EQ(Utf8(m_a22.Line1Edit()->text()).rfind("(A22x,A22y) Avg: (", 0), 0u);
    EXPECT_EQ(Utf8(m_a22.Line2Edit()->text()).rfind("Minimum correlation with ", 0), 0u);
    const CA1Diagram* graph = m_a22.View()->Diagram();
    EXPECT_EQ(graph->Image().Width(), CDiagramView::kViewWidth - 2);
    EXPECT_EQ(graph->Image().Height(), CDiagramView::kViewHeight - 2);
    EXPECT_TRUE(ImageHasInk(*graph));

    // Charact. Function...
    m_a22.CharFuncButton()->click();
    EXPECT_EQ(m_host.m_nRebuilds, 1);
    EXPECT_EQ(m_pSeries->m_nCurrentTab, 2);
    ASSERT_EQ(m_pShown, &m_cfunc);
    ASSERT_EQ(m_pSeries->CharFuncValid, 1);
    int longest = 0;
    for (const A1SAMPLE& p : m_pSeries->m_aCharFunc) longest = std::max(longest, p.nIndex);
    EXPECT_EQ(Utf8(m_cfunc.Line1Edit()->text()),
              FormatText("%d data points, max. timespan: %.1f s, extrapolated measurement error: %.3f nm",
                         static_cast<int>(m_pSeries->m_aCharFunc.size()), longest * 2.0, m_pSeries->MeasErr));
    EXPECT_EQ(Utf8(m_cfunc.Line2Edit()->text()), DirectStateText(*m_pSeries));
    EXPECT_EQ(Utf8(m_cfunc.EnergyEdit()->text()), "300.0");
    EXPECT_EQ(Utf8(m_cfunc.ResolutionEdit()->text()), "1.00");
    EXPECT_EQ(m_cfunc.View()->Diagram()->m_style.nDisplayType, 3);

    // Refresh with 200 keV.
    m_cfunc.EnergyEdit()->setText("200");
    m_cfunc.RefreshButton()->click();
    EXPECT_DOUBLE_EQ(m_params.ElEnergykV, 200.0);
    EXPECT_DOUBLE_EQ(m_pSeries->UsedElEnergykV, 200.0);
    EXPECT_DOUBLE_EQ(m_pSeries->UsedTargetResAng, 1.0);
    EXPECT_DOUBLE_EQ(m_pSeries->Tolerance, ComputeTolerance(200.0, 1.0, m_params.LimitPhase));
    EXPECT_EQ(Utf8(m_cfunc.Line2Edit()->text()), DirectStateText(*m_pSeries));
    m_cfunc.UpdatePage(m_pSeries);
    EXPECT_EQ(Utf8(m_cfunc.EnergyEdit()->text()), "200.0");

    // Fit Model: the fitted-model tab comes up with the five values.
    m_cfunc.FitModelButton()->click();
    EXPECT_EQ(m_host.m_nRebuilds, 2);
    EXPECT_EQ(m_pSeries->m_nCurrentTab, 3);
    ASSERT_EQ(m_pSeries->ModelValid, 1);
    ASSERT_EQ(m_pShown, &m_model);
    const CA1TimeSeries& s = *m_pSeries;
    EXPECT_EQ(Utf8(m_model.Line1Edit()->text()),
              FormatText("Di = %.3G nm, Da = %.3G nm, tc = %.3G s, s = %.3G nm, s-sqr = %3.G", s.FitDi, s.FitDa,
                         s.FitTc * 2.0, s.FitS, s.FitSSqr));
    EXPECT_EQ(Utf8(m_model.Line2Edit()->text()), ModelStateText(s));
    EXPECT_EQ(m_model.View()->Diagram()->m_style.nDisplayType, 4);
    EXPECT_TRUE(ImageHasInk(*m_model.View()->Diagram()));
    EXPECT_GT(s.ModelLifetime, 0.0);

    // The same fit again with the same seed gives the same model.
    const double di = s.FitDi;
    m_cfunc.OnFitModel();
    EXPECT_DOUBLE_EQ(m_pSeries->FitDi, di);

    // Probability plot.
    Show(4);
    EXPECT_EQ(Utf8(m_prob.Line1Edit()->text()), Utf8(m_model.Line1Edit()->text()));
    EXPECT_EQ(m_prob.View()->Diagram()->m_style.nDisplayType, 5);
    EXPECT_TRUE(ImageHasInk(*m_prob.View()->Diagram()));

    // Refresh on the model page updates both lifetimes.
    m_prob.EnergyEdit()->setText("300");
    m_prob.ResolutionEdit()->setText("0.8");
    m_prob.RefreshButton()->click();
    EXPECT_DOUBLE_EQ(m_params.TargetResAng, 0.8);
    EXPECT_DOUBLE_EQ(m_pSeries->Tolerance, ComputeTolerance(300.0, 0.8, m_params.LimitPhase));
    EXPECT_EQ(Utf8(m_prob.Line2Edit()->text()), ModelStateText(*m_pSeries));

    // The report.
    Show(5);
    EXPECT_EQ(Utf8(m_report.SummaryEdit()->text()), "Results of the model-based evaluation method.");
    EXPECT_TRUE(m_report.TextBox()->toPlainText().contains("Best fitting model parameters:"));
    EXPECT_TRUE(m_report.TextBox()->toPlainText().contains("electron energy: 300.0 keV, target resolution: 0.80 A"));

    // Re-Extract clears the evaluation again.
    Show(1);
    m_a22.OnReExtract();
    EXPECT_EQ(m_pSeries->CharFuncValid, 0);
    EXPECT_EQ(m_pSeries->ModelValid, 0);
    EXPECT_EQ(m_pShown, &m_a22);
}

// Energy and resolution are refused like the rotation when they are no
// number, and when they are not above 0 (an infinite tolerance): a message,
// and the previous value stays in the field and in the parameters.
TEST_F(PageAnalysis, EnergyAndResolutionThatAreNoPositiveNumberAreRefused) {
    m_a22.OnCharFunc();
    m_cfunc.OnFitModel();
    ASSERT_EQ(m_pSeries->ModelValid, 1);
    struct CASE {
        const char* szEnergy;
        const char* szResolution;
        const char* szMessage;
    };
    const CASE cases[] = {
        {"abc", "1.0", "Enter a number."},
        {"0", "1.0", "Enter an electron energy greater than 0 keV."},
        {"-5", "1.0", "Enter an electron energy greater than 0 keV."},
        {"300.0", "abc", "Enter a number."},
        {"300.0", "0", "Enter a target resolution greater than 0 A."},
    };
    for (CDDStabilityPage* page :
         {static_cast<CDDStabilityPage*>(&m_cfunc), static_cast<CDDStabilityPage*>(&m_model)}) {
        Show(page == &m_cfunc ? 2 : 3);
        for (const CASE& c : cases) {
            m_dialogs.m_messages.clear();
            page->EnergyEdit()->setText(c.szEnergy);
            page->ResolutionEdit()->setText(c.szResolution);
            page->OnRefresh();
            ASSERT_EQ(m_dialogs.m_messages.size(), 1u) << c.szEnergy << " " << c.szResolution;
            EXPECT_EQ(m_dialogs.m_messages[0].text, c.szMessage);
            EXPECT_DOUBLE_EQ(m_params.ElEnergykV, 300.0);
            EXPECT_DOUBLE_EQ(m_params.TargetResAng, 1.0);
            EXPECT_EQ(Utf8(page->EnergyEdit()->text()), "300.0");
            EXPECT_EQ(Utf8(page->ResolutionEdit()->text()), "1.00");
            EXPECT_EQ(Utf8(page->Line2Edit()->text()).find("no result"), std::string::npos);
        }
    }
    // A number above 0 is taken.
    m_cfunc.EnergyEdit()->setText("200");
    m_cfunc.OnFitModel();
    EXPECT_DOUBLE_EQ(m_params.ElEnergykV, 200.0);
}

TEST_F(PageAnalysis, PagesWithoutSeriesShowNoData) {
    m_cfunc.UpdatePage(nullptr);
    EXPECT_EQ(Utf8(m_cfunc.Line1Edit()->text()), "No data.");
    EXPECT_TRUE(m_cfunc.Line2Edit()->text().isEmpty());
    m_model.UpdatePage(nullptr);
    EXPECT_EQ(Utf8(m_model.Line1Edit()->text()), "No data.");
    // Without a series Refresh and Fit Model only exchange the controls.
    m_cfunc.EnergyEdit()->setText("100");
    m_cfunc.OnRefresh();
    m_cfunc.OnFitModel();
    EXPECT_DOUBLE_EQ(m_params.ElEnergykV, 300.0);
    EXPECT_EQ(m_host.m_nRebuilds, 0);
    // A model page of a series without a model.
    m_model.UpdatePage(m_pSeries);
    EXPECT_EQ(Utf8(m_model.Line1Edit()->text()), "No model fittted.");
    EXPECT_TRUE(m_model.Line2Edit()->text().isEmpty());
}

TEST_F(PageAnalysis, DataExportsWriteTheFilesAndLogThePageTexts) {
    m_a22.OnCharFunc();
    m_cfunc.OnFitModel();
    ASSERT_EQ(m_pSeries->ModelValid, 1);

    struct CASE {
        int tab;
        bool binary;
        const char* file;
        const char* success;
    };
    const CASE cases[] = {
        {1, false, "a22.txt", "Astigmatism-time data table saved to file ["},
        {1, true, "a22.dat", "Binary astigmatism-time data saved to file ["},
        {2, false, "cf.txt", "Characteristic function data table saved to file ["},
        {2, true, "cf.dat", "Binary characteristic data saved to file ["},
        {3, false, "model.txt", "Model data table saved to file ["},
        {3, true, "model.dat", "Binary model data saved to file ["},
        {4, false, "prob.txt", "Probability data table saved to file ["},
        {4, true, "prob.dat", "Binary probability data saved to file ["},
    };
    for (const CASE& c : cases) {
        CDDPage* page = Show(c.tab);
        const std::string path = Path(c.file);
        m_dialogs.QueueSaveFile(path);
        if (c.binary) page->OnExportBinary();
        else page->OnExportTable();
        EXPECT_TRUE(FileHasBytes(path)) << c.file;
        EXPECT_EQ(m_log.m_lines.back(), c.success + path + "].") << c.file;

        const FILEDIALOGREQUEST& request = m_dialogs.m_saveRequests.back();
        ASSERT_EQ(request.filters.size(), 2u);
        EXPECT_EQ(request.filterIndex, 1);
        EXPECT_TRUE(request.confirmOverwrite);
        EXPECT_TRUE(request.initialName.empty());
        EXPECT_EQ(request.filters[1].label, "All Files  (*.*)");
        EXPECT_EQ(request.filters[1].pattern, "*.*");
        if (c.binary) {
            EXPECT_EQ(request.filters[0].label, "Binary Data  (*.dat)");
            EXPECT_EQ(request.filters[0].pattern, "*.dat");
            EXPECT_EQ(request.defaultExtension, "dat");
        } else {
            EXPECT_EQ(request.filters[0].label, "Text Data Table  (*.txt)");
            EXPECT_EQ(request.filters[0].pattern, "*.txt");
            EXPECT_EQ(request.defaultExtension, "txt");
        }
    }

    // Failures are logged with the kind's text.
    const std::string nowhere = Path("missing/folder/x.txt");
    Show(3);
    m_dialogs.QueueSaveFile(nowhere);
    m_model.OnExportTable();
    EXPECT_EQ(m_log.m_lines.back(), "ERROR: Failed to save data table.");
    m_dialogs.QueueSaveFile(nowhere);
    m_model.OnExportBinary();
    EXPECT_EQ(m_log.m_lines.back(), "ERROR: Failed to save binary data.");

    // Cancelled: nothing written, nothing logged.
    const std::size_t lines = m_log.m_lines.size();
    m_model.OnExportTable();
    EXPECT_EQ(m_log.m_lines.size(), lines);
}

TEST_F(PageAnalysis, ModelPageOfAnotherDisplayTypeAsksButWritesNothing) {
    m_a22.OnCharFunc();
    m_cfunc.OnFitModel();
    CDDModelDiagramDlg odd(6);
    odd.m_pLog = &m_log;
    odd.m_pParams = &m_params;
    odd.m_pDialogs = &m_dialogs;
    odd.Initialize();
    odd.UpdatePage(m_pSeries);
    odd.show();
    const std::string path = Path("odd.txt");
    const std::size_t lines = m_log.m_lines.size();
    m_dialogs.QueueSaveFile(path);
    odd.OnExportTable();
    EXPECT_EQ(m_dialogs.m_saveRequests.size(), 1u);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    EXPECT_EQ(m_log.m_lines.size(), lines);
}

TEST_F(PageAnalysis, ExportsNeedASeriesAndAVisiblePage) {
    const std::size_t asked = m_dialogs.m_saveRequests.size();
    m_cfunc.hide();
    m_cfunc.OnExportTable();
    m_cfunc.OnExportImage();
    m_a22.UpdatePage(nullptr);
    m_a22.OnExportBinary();
    m_a22.OnExportImage();
    EXPECT_EQ(m_dialogs.m_saveRequests.size(), asked);
}

TEST_F(PageAnalysis, ExportImageAppendsTheFilterExtensionOnlyWhenMissing) {
    const std::string base = Path("graph");
    m_dialogs.QueueSaveFile(base, 1);  // JPEG filter, no extension
    m_a22.OnExportImage();
    ASSERT_FALSE(m_dialogs.m_saveRequests.empty());
    const FILEDIALOGREQUEST& request = m_dialogs.m_saveRequests.back();
    ASSERT_EQ(request.filters.size(), 4u);
    EXPECT_EQ(request.filters[0].label, "JPEG Format  (*.jpg)");
    EXPECT_EQ(request.filters[1].label, "Portable Network Graphics  (*.png)");
    EXPECT_EQ(request.filters[2].label, "Tagged Image File Format  (*.tif)");
    EXPECT_EQ(request.filters[3].label, "Uncompressed Bitmap  (*.bmp)");
    EXPECT_EQ(request.filters[3].pattern, "*.bmp");
    EXPECT_EQ(request.filterIndex, 2);
    EXPECT_EQ(request.defaultExtension, "png");
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_TRUE(request.initialName.empty());

    EXPECT_EQ(m_log.m_lines.back(), "Diagram image saved to file [" + base + ".jpg].");
    QFile jpeg(QString::fromStdString(base + ".jpg"));
    ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(jpeg.read(2).startsWith("\xff\xd8"));

    // A name with an extension is used as it stands, whatever the filter.
    const std::string bmp = Path("graph.bmp");
    m_dialogs.QueueSaveFile(bmp, 2);
    m_a22.OnExportImage();
    EXPECT_EQ(m_log.m_lines.back(), "Diagram image saved to file [" + bmp + "].");
    QFile bitmap(QString::fromStdString(bmp));
    ASSERT_TRUE(bitmap.open(QIODevice::ReadOnly));
    EXPECT_EQ(bitmap.read(2), QByteArray("BM"));

    for (auto [filter, ext] : {std::pair{2, "png"}, {3, "tif"}, {4, "bmp"}}) {
        const std::string name = Path("plain") + FormatText("%d", filter);
        m_dialogs.QueueSaveFile(name, filter);
        m_a22.OnExportImage();
        EXPECT_TRUE(FileHasBytes(name + "." + ext)) << ext;
    }

    // A dot in a folder name is no extension.
    QDir(m_dir.path()).mkdir("v1.2");
    const std::string dotted = Path("v1.2/graph");
    m_dialogs.QueueSaveFile(dotted, 2);
    m_a22.OnExportImage();
    EXPECT_TRUE(FileHasBytes(dotted + ".png"));

    // An unknown filter index without an extension aborts.
    m_dialogs.QueueSaveFile(Path("odd"), 7);
    m_a22.OnExportImage();
    EXPECT_EQ(m_log.m_lines.back(), "ERROR: Aborted saving the diagram image. Invalid image format.");

    // An extension no encoder knows fails.
    m_dialogs.QueueSaveFile(Path("graph.abc"), 2);
    m_a22.OnExportImage();
    EXPECT_EQ(m_log.m_lines.back(), "ERROR: Failed to save the diagram image.");
}

TEST_F(PageAnalysis, ContextMenuOffersTheThreeExports) {
    std::unique_ptr<QMenu> menu(m_a22.CreateContextMenu(nullptr));
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(Utf8(actions[0]->text()), "Export Image");
    EXPECT_EQ(Utf8(actions[1]->text()), "Export Data Table");
    EXPECT_EQ(Utf8(actions[2]->text()), "Export Binary Data");

    const std::string path = Path("menu.txt");
    m_dialogs.QueueSaveFile(path);
    actions[1]->trigger();
    EXPECT_TRUE(FileHasBytes(path));
    EXPECT_EQ(m_log.m_lines.back(), "Astigmatism-time data table saved to file [" + path + "].");
}

}  // namespace
