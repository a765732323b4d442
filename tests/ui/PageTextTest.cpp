// The text pages: log lines (mode 1) and the stability report (mode 2).

#include "PageTestSupport.h"

#include "eval/CharFunc.h"
#include "eval/Lifetime.h"
#include "eval/Report.h"
#include "ui/pages/DDLogTextDlg.h"

#include <QFontInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

namespace {

class PageText : public CQtTestApp, public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }

    std::unique_ptr<CDDLogTextDlg> MakePage(int mode) {
        auto page = std::make_unique<CDDLogTextDlg>(mode);
        page->m_pLog = &m_log;
        page->Initialize();
        page->resize(900, 500);
        page->show();
        return page;
    }

    CRecordingLog m_log;
};

TEST_F(PageText, WithoutSeriesShowsUnknownAndNoData) {
    auto page = MakePage(1);
    page->UpdatePage(nullptr);
    EXPECT_EQ(Utf8(page->SourceEdit()->text()), "Unknown.");
    EXPECT_EQ(Utf8(page->SummaryEdit()->text()), "No data.");
    EXPECT_TRUE(page->TextBox()->toPlainText().isEmpty());
    EXPECT_EQ(page->TextBox()->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(m_log.Has("Initializing log text data display without data."));
    EXPECT_TRUE(page->SourceEdit()->isReadOnly());
    EXPECT_TRUE(page->TextBox()->isReadOnly());
}

TEST_F(PageText, TextBoxIsFixedPitchFourteenPixelsWithoutWrapping) {
    auto page = MakePage(1);
    const QFont font = page->TextBox()->font();
    EXPECT_EQ(font.pixelSize(), 14);
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
    EXPECT_EQ(page->TextBox()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(page->TextBox()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(page->TextBox()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(PageText, LogLinesShowTheStoredLinesAndKeepTheScrollPosition) {
    std::vector<CA1TimeSeries> list;
    ImportGenerated(list, 300, 2);
    CA1TimeSeries& series = list.front();
    auto page = MakePage(1);
    page->UpdatePage(&series);

    EXPECT_EQ(Utf8(page->SourceEdit()->text()), "/data/generated.html");
    EXPECT_EQ(Utf8(page->SummaryEdit()->text()),
              FormatText("Extracted from line #%d to line #%d (%d lines).", series.m_nFirstLine, series.m_nLastLine,
                         series.m_nLastLine - series.m_nFirstLine + 1));
    EXPECT_TRUE(m_log.Has("Initializing log text data display with data."));
    // One text line per stored line, in order, nothing after the last one.
    const QPlainTextEdit* box = page->TextBox();
    ASSERT_EQ(box->blockCount(), static_cast<int>(series.m_astrLines.size()));
    EXPECT_EQ(Utf8(box->document()->findBlockByNumber(0).text()), "C1A1 series successfully started.");
    EXPECT_EQ(Utf8(box->document()->lastBlock().text()), series.m_astrLines.back());
    EXPECT_FALSE(box->toPlainText().contains(QLatin1Char('\r')));

    QScrollBar* bar = box->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 120);
    bar->setValue(120);
    page->UpdatePage(&series);
    EXPECT_EQ(bar->value(), 120);

    // Fewer lines than the old position: clamped to the end.
    CA1TimeSeries shorter = series;
    shorter.m_astrLines.resize(40);
    page->UpdatePage(&shorter);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_LT(bar->maximum(), 40);
}

TEST_F(PageText, LogLinesOfAnEmptyRangeShowNoData) {
    CA1TimeSeries series;
    series.m_strSourceFile = "/x/y.log";
    series.m_nFirstLine = 5;
    series.m_nLastLine = 4;
    series.m_astrLines = {"stale"};
    auto page = MakePage(1);
    page->UpdatePage(&series);
    EXPECT_EQ(Utf8(page->TextBox()->toPlainText()), "No data.");
    EXPECT_EQ(page->TextBox()->verticalScrollBar()->value(), 0);
}

TEST_F(PageText, LogLinesInEightBitTextAreShown) {
    CA1TimeSeries series;
    series.m_nFirstLine = 1;
    series.m_nLastLine = 1;
    series.m_astrLines = {std::string("A1 \xb5m")};  // Latin-1 micro sign, not UTF-8
    auto page = MakePage(1);
    page->UpdatePage(&series);
    EXPECT_EQ(page->TextBox()->toPlainText(), QString::fromLatin1("A1 \xb5m"));
}

TEST_F(PageText, ReportPageShowsTheReport) {
    std::vector<CA1TimeSeries> list;
    ImportGenerated(list);
    CA1TimeSeries& series = list.front();
    auto page = MakePage(2);

    page->UpdatePage(&series);
    EXPECT_EQ(Utf8(page->SummaryEdit()->text()), "No evaluation data present.");
    EXPECT_EQ(Utf8(page->TextBox()->toPlainText()), " ");

    ExtractCharacteristicFunction(series, 10);
    ASSERT_EQ(series.CharFuncValid, 1);
    EvaluateDirectLifetime(series, ComputeTolerance(300.0, 1.0, 0.25));
    page->UpdatePage(&series);
    EXPECT_EQ(Utf8(page->SummaryEdit()->text()), "Results of the direct evaluation method.");
    QString expected = QString::fromStdString(BuildStabilityReport(series));
    expected.replace("\r\n", "\n");
    EXPECT_EQ(page->TextBox()->toPlainText(), expected);
    EXPECT_TRUE(page->TextBox()->toPlainText().contains("Astigmatism Stability Report"));
}

}  // namespace
