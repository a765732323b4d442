#include "ui/pages/DDLogTextDlg.h"

#include "eval/Report.h"
#include "log/LogFile.h"
#include "series/A1TimeSeries.h"
#include "ui/IntervalsKeeper.h"
#include "ui/pages/PageLayout.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// "Courier New" at 14 pixels, or the system's fixed-pitch face at that size.
QFont TextBoxFont() {
    QFont font("Courier New");
    font.setPixelSize(14);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (QFontInfo(font).fixedPitch()) return font;
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fallback.setPixelSize(14);
    fallback.setWeight(QFont::Normal);
    return fallback;
}

// The text box shows the CR LF joined text as lines.
QString AsDisplayText(const std::string& text) {
    QString shown = ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

}  // namespace

CDDLogTextDlg::CDDLogTextDlg(int displayMode, QWidget* parent) : CDDPage(parent), m_nDisplayMode(displayMode) {}

void CDDLogTextDlg::Initialize() {
    if (m_pTextEdit) return;
    m_pSourceEdit = MakeReadOnlyLine(this);
    m_pSummaryEdit = MakeReadOnlyLine(this);
    auto* top = new QGridLayout;
    AddLabelledRow(top, 0, "Source file", m_pSourceEdit, this);
    AddLabelledRow(top, 1, "Contents", m_pSummaryEdit, this);
    top->setColumnStretch(1, 1);

    m_pTextEdit = new QPlainTextEdit(this);
    m_pTextEdit->setReadOnly(true);
    m_pTextEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pTextEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pTextEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pTextEdit->setMaximumBlockCount(0);
    m_pTextEdit->setFont(TextBoxFont());

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(m_pTextEdit, 1);
}

void CDDLogTextDlg::UpdatePage(CA1TimeSeries* series) {
    m_pSeries = series;
    if (!series) {
        LogIfAttached(m_pLog, "Initializing log text data display without data.");
        m_strSource = "Unknown.";
        m_strSummary = TextPageSummaryLine(nullptr, m_nDisplayMode);
        if (m_pTextEdit) {
            m_pTextEdit->clear();
            m_pTextEdit->verticalScrollBar()->setValue(0);
        }
    } else {
        LogIfAttached(m_pLog, "Initializing log text data display with data.");
        m_strSource = series->m_strSourceFile;
        m_strSummary = TextPageSummaryLine(series, m_nDisplayMode);
        if (m_pTextEdit) {
            if (m_nDisplayMode == 1) ShowLogLines(*series);
            else {
                // The report always opens at its top.
                m_pTextEdit->setPlainText(
                    AsDisplayText(BuildStabilityReport(*series) + UncertaintyBlockOf(m_pHost, *series)));
                m_pTextEdit->verticalScrollBar()->setValue(0);
                m_pTextEdit->horizontalScrollBar()->setValue(0);
            }
        }
    }
    if (m_pSourceEdit) {
        m_pSourceEdit->setText(ToQString(m_strSource));
        m_pSourceEdit->setCursorPosition(0);
        m_pSummaryEdit->setText(ToQString(m_strSummary));
        m_pSummaryEdit->setCursorPosition(0);
    }
}

void CDDLogTextDlg::ShowLogLines(const CA1TimeSeries& series) {
    QScrollBar* bar = m_pTextEdit->verticalScrollBar();
    const int previous = bar->value();
    const int count = series.m_nLastLine - series.m_nFirstLine + 1;
    if (count < 1) {
        m_pTextEdit->setPlainText(QStringLiteral("No data."));
        bar->setValue(0);
        return;
    }
    QString text;
    for (std::size_t i = 0; i < series.m_astrLines.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += ToQString(series.m_astrLines[i]);
    }
    m_pTextEdit->setPlainText(text);
    // Keep the reader's place, as far as the new text reaches.
    bar->setValue(std::clamp(previous, 0, std::max(0, bar->maximum())));
}
