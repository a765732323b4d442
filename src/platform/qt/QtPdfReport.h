// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The PDF report of one series with Qt: the title block and the report text
// as real text (the fonts' subsets are embedded, so it can be searched and
// copied), then the five diagrams drawn by the diagram renderer at 300 dpi
// or more at their printed size, each with its caption. Text that does not
// fit continues on the next page. The same pages go to a printer
// (PaintPages on a QPrinter).
//
// With SOURCE_DATE_EPOCH set, the creation date and the document id come
// from it, so the same inputs give the same bytes.

#include "files/ReportDocument.h"

#include <QPageSize>

#include <string>

class ITextRenderer;
class QByteArray;
class QLocale;
class QPagedPaintDevice;

// With SOURCE_DATE_EPOCH set, a fixed seed for Qt's hashes: the order of the
// fonts in a PDF follows it, so without this two processes write different
// bytes. Call first thing in main(), before any Qt object exists.
void FixQtHashSeedForReproducibleFiles();

// A4, or Letter where the locale measures in US units or is Canada's.
QPageSize::PageSizeId PaperForLocale(const QLocale& locale);
// "A4" or "Letter" (any case) to its page size; false for another name.
bool PaperFromName(const std::string& name, QPageSize::PageSizeId& paper);

// Layout figures (millimetres) and the least resolution of the diagrams.
inline constexpr double kReportMarginMm = 20.0;
inline constexpr double kReportDiagramWidthMm = 170.0;
inline constexpr double kReportDiagramMinDpi = 300.0;

class CQtPdfReport : public IReportPdfWriter {
public:
    // text: the diagrams' text renderer (not owned; null draws them without text).
    explicit CQtPdfReport(ITextRenderer* text, QPageSize::PageSizeId paper = QPageSize::A4);

    void SetPaper(QPageSize::PageSizeId paper) { m_paper = paper; }
    QPageSize::PageSizeId Paper() const { return m_paper; }

    bool WritePdf(const REPORTDOCUMENT& document, const CA1TimeSeries& series, const std::string& path,
                  std::string& error) override;

    // The PDF's bytes; false when a diagram image cannot be made.
    bool RenderPdf(const REPORTDOCUMENT& document, const CA1TimeSeries& series, QByteArray& bytes, std::string& error);

    // Paints every page onto the device (its first page already open), in
    // its own paint rectangle; returns the number of pages, 0 on failure.
    int PaintPages(QPagedPaintDevice& device, const REPORTDOCUMENT& document, const CA1TimeSeries& series,
                   std::string& error);

private:
    ITextRenderer* m_pText;
    QPageSize::PageSizeId m_paper;
};
