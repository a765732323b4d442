// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtPdfReport.h"

#include "platform/qt/QtSaveFile.h"

#include "plot/DiagramContent.h"

#include <QBuffer>
#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QHashFunctions>
#include <QImage>
#include <QLocale>
#include <QMarginsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <cmath>
#include <optional>

namespace {

// The diagram's logical size: the desktop program's diagram view.
constexpr int kDiagramLogicalWidth = 720;
constexpr int kDiagramLogicalHeight = 440;

QFont MakeFont(const QStringList& families, QFont::StyleHint hint, double points, bool bold = false) {
    QFont font(families.front());
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setKerning(false);
    return font;
}

QFont SansFont(double points, bool bold = false) {
    return MakeFont({"Liberation Sans", "DejaVu Sans"}, QFont::SansSerif, points, bold);
}
QFont MonoFont(double points) { return MakeFont({"Liberation Mono", "DejaVu Sans Mono"}, QFont::Monospace, points); }

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The image pixels per logical pixel that give at least the least
// resolution at the printed width, in steps of a quarter.
double DiagramScale(double widthMm) {
    const double pixels = kReportDiagramMinDpi * widthMm / 25.4;
    return std::ceil(4.0 * pixels / kDiagramLogicalWidth) / 4.0;
}

// Lays out the document page after page on a paged device.
class CPageWriter {
public:
    CPageWriter(QPagedPaintDevice& device, QPainter& painter) : m_device(device), m_painter(painter) {
        m_dPerMm = device.logicalDpiY() / 25.4;
        m_dWidth = device.width();
        m_dHeight = device.height();
    }

    double Mm(double mm) const { return mm * m_dPerMm; }
    double Width() const { return m_dWidth; }
    int Pages() const { return m_nPages; }

    void NewPage() {
        m_device.newPage();
        ++m_nPages;
        m_dY = 0.0;
    }
    // Moves to a new page unless height fits below the current position.
    void Reserve(double height) {
        if (m_dY > 0.0 && m_dY + height > m_dHeight) NewPage();
    }
    void Skip(double height) { m_dY += height; }

    // Text at the left offset, wrapped to the room to the right edge; each
    // piece that does not fit below goes to the next page.
    void Text(const QString& text, const QFont& font, double left = 0.0) {
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, &m_device);
        const double lineHeight = metrics.lineSpacing();
        const double room = m_dWidth - left;
        QString rest = text;
        do {
            qsizetype n = rest.size();
            while (n > 1 && metrics.horizontalAdvance(rest.left(n)) > room) --n;
            Reserve(lineHeight);
            m_painter.drawText(QPointF(left, m_dY + metrics.ascent()), rest.left(n));
            m_dY += lineHeight;
            rest = rest.mid(n);
        } while (!rest.isEmpty());
    }

    // Label and value in two columns, the value wrapped in its column.
    void Field(const QString& label, const QString& value, const QFont& labelFont, const QFont& valueFont,
               double valueLeft) {
        const QFontMetricsF metrics(labelFont, &m_device);
        Reserve(metrics.lineSpacing());
        m_painter.setFont(labelFont);
        m_painter.drawText(QPointF(0.0, m_dY + metrics.ascent()), label);
        Text(value, valueFont, valueLeft);
    }

    void Rule() {
        m_painter.save();
        m_painter.setPen(QPen(Qt::black, Mm(0.2)));
        m_painter.drawLine(QPointF(0.0, m_dY), QPointF(m_dWidth, m_dY));
        m_painter.restore();
    }

    // The image at its physical size, centred, with the caption below it;
    // both on one page.
    void Figure(const QImage& image, double widthMm, const QString& caption, const QFont& font) {
        const double w = std::min(Mm(widthMm), m_dWidth);
        const double h = w * image.height() / image.width();
        const QFontMetricsF metrics(font, &m_device);
        const QRectF captionRoom(0.0, 0.0, w, 3.0 * metrics.lineSpacing());
        const QRectF needed = metrics.boundingRect(captionRoom, Qt::TextWordWrap, caption);
        Reserve(h + Mm(2.0) + needed.height());
        const double left = (m_dWidth - w) / 2.0;
        m_painter.drawImage(QRectF(left, m_dY, w, h), image);
        m_dY += h + Mm(2.0);
        m_painter.setFont(font);
        m_painter.drawText(QRectF(left, m_dY, w, needed.height() + 1.0), Qt::TextWordWrap | Qt::AlignLeft, caption);
        m_dY += needed.height();
    }

private:
    QPagedPaintDevice& m_device;
    QPainter& m_painter;
    double m_dPerMm = 1.0;
    double m_dWidth = 0.0;
    double m_dHeight = 0.0;
    double m_dY = 0.0;
    int m_nPages = 1;
};

// Replaces every occurrence of a byte string with another of the same
// length (offsets in the file stay valid).
void ReplaceSameLength(QByteArray& bytes, const QByteArray& from, const QByteArray& to) {
    if (from.isEmpty() || from.size() != to.size()) return;
    for (qsizetype at = bytes.indexOf(from); at >= 0; at = bytes.indexOf(from, at + to.size()))
        bytes.replace(at, to.size(), to);
}

// The text between open and close after each occurrence of open.
QList<QByteArray> Between(const QByteArray& bytes, const QByteArray& open, const QByteArray& close) {
    QList<QByteArray> found;
    for (qsizetype at = bytes.indexOf(open); at >= 0; at = bytes.indexOf(open, at + 1)) {
        const qsizetype start = at + open.size();
        const qsizetype end = bytes.indexOf(close, start);
        if (end < 0) break;
        found.append(bytes.mid(start, end - start));
    }
    return found;
}

// A fixed time in place of the writer's clock in the dates of the info
// dictionary, (D:YYYYMMDDhhmmss...), and of the XMP metadata, if any.
void FixDates(QByteArray& bytes, long long epoch) {
    const QDateTime fixed = QDateTime::fromSecsSinceEpoch(epoch, QTimeZone::utc());
    for (const QByteArray& date : Between(bytes, "(D:", ")")) {
        QByteArray value = fixed.toString("yyyyMMddhhmmss").toLatin1();
        if (date.size() > value.size()) value += date.endsWith('Z') ? QByteArray("Z") : QByteArray("+00'00'");
        ReplaceSameLength(bytes, "(D:" + date + ")", "(D:" + value.leftJustified(date.size(), ' ', true) + ")");
    }
    for (const char* tag : {"xmp:CreateDate>", "xmp:ModifyDate>", "xmp:MetadataDate>"}) {
        const QByteArray open = QByteArray("<") + tag, close = QByteArray("</") + tag;
        for (const QByteArray& date : Between(bytes, open, close)) {
            QByteArray value = fixed.toString("yyyy-MM-ddThh:mm:ss").toLatin1();
            if (date.size() > value.size()) value += date.endsWith('Z') ? QByteArray("Z") : QByteArray("+00:00");
            ReplaceSameLength(bytes, open + date + close, open + value.leftJustified(date.size(), ' ', true) + close);
        }
    }
}

// The file identifier of the trailer, derived from the content (the dates
// included). The trailer follows the cross-reference table, so an id the
// writer drew at random is replaced, or a missing one added, without moving
// any object.
void SetDocumentId(QByteArray& bytes) {
    const qsizetype trailer = bytes.lastIndexOf("trailer");
    if (trailer < 0) return;
    const qsizetype end = bytes.indexOf(">>", trailer);
    if (end < 0) return;
    qsizetype open = bytes.indexOf("/ID", trailer);
    qsizetype close = -1;
    if (open >= 0 && open < end) {
        open = bytes.indexOf('[', open);
        close = open >= 0 ? bytes.indexOf(']', open) : -1;
    }
    const bool had = open >= 0 && close > open && close < end;
    QByteArray content = bytes;
    if (had) content.replace(open, close - open, QByteArray(close - open, '0'));
    const QByteArray id = QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex().left(32).toUpper();
    const QByteArray pair = "[<" + id + "> <" + id + ">]";
    if (had) bytes.replace(open, close - open + 1, pair);
    else bytes.insert(end, "/ID " + pair + "\n");
}
}  // namespace

void FixQtHashSeedForReproducibleFiles() {
    if (SourceDateEpoch()) QHashSeed::setDeterministicGlobalSeed();
}

QPageSize::PageSizeId PaperForLocale(const QLocale& locale) {
    if (locale.measurementSystem() == QLocale::ImperialUSSystem || locale.territory() == QLocale::Canada)
        return QPageSize::Letter;
    return QPageSize::A4;
}

bool PaperFromName(const std::string& name, QPageSize::PageSizeId& paper) {
    const QString key = Q(name).toLower();
    if (key == "a4") paper = QPageSize::A4;
    else if (key == "letter") paper = QPageSize::Letter;
    else return false;
    return true;
}

CQtPdfReport::CQtPdfReport(ITextRenderer* text, QPageSize::PageSizeId paper) : m_pText(text), m_paper(paper) {}

int CQtPdfReport::PaintPages(QPagedPaintDevice& device, const REPORTDOCUMENT& doc, const CA1TimeSeries& series,
                             std::string& error) {
    QPainter painter;
    if (!painter.begin(&device)) {
        error = "cannot paint on the page";
        return 0;
    }
    // Diagrams keep every pixel (no lossy compression of their lines).
    painter.setRenderHint(QPainter::LosslessImageRendering);
    CPageWriter page(device, painter);
    const QFont heading = SansFont(16.0, true);
    const QFont subheading = SansFont(11.0, true);
    const QFont label = SansFont(9.0, true);
    const QFont value = SansFont(9.0);
    const QFont mono = MonoFont(8.5);
    const QFont caption = SansFont(9.0);

    page.Text(Q(doc.strHeading), heading);
    page.Skip(page.Mm(3.0));
    for (const REPORTFIELD& f : doc.aTitleBlock) page.Field(Q(f.strLabel), Q(f.strValue), label, value, page.Mm(38.0));
    page.Skip(page.Mm(3.0));
    page.Rule();
    page.Skip(page.Mm(3.0));
    for (const std::string& line : doc.astrReport) page.Text(Q(line), mono);
    if (!doc.astrUncertainty.empty()) {
        page.Skip(page.Mm(4.0));
        page.Text(Q(doc.strUncertaintyHeading), subheading);
        page.Skip(page.Mm(1.5));
        for (const std::string& line : doc.astrUncertainty) page.Text(Q(line), mono);
    }

    const double widthMm = std::min(kReportDiagramWidthMm, page.Width() / page.Mm(1.0));
    const double scale = DiagramScale(widthMm);
    CA1Diagram diagram(m_pText, nullptr);
    const int w = static_cast<int>(std::lround(kDiagramLogicalWidth * scale));
    const int h = static_cast<int>(std::lround(kDiagramLogicalHeight * scale));
    if (!diagram.Create(w, h, scale)) {
        error = "cannot make a diagram image of " + std::to_string(w) + " x " + std::to_string(h) + " pixels";
        painter.end();
        return 0;
    }
    bool first = true;
    int figure = 0;
    for (const REPORTDIAGRAM& d : doc.aDiagrams) {
        diagram.m_style.nDisplayType = d.nDisplayType;
        if (!diagram.Render(&series)) continue;  // nothing to show
        if (first) page.NewPage();
        else page.Skip(page.Mm(8.0));
        first = false;
        const CImage32& pixels = diagram.Image();
        const QImage view(reinterpret_cast<const uchar*>(pixels.Data()), pixels.Width(), pixels.Height(),
                          pixels.BytesPerLine(), QImage::Format_RGB32);
        QImage image = view.convertToFormat(QImage::Format_RGB888);
        const double dotsPerMetre = pixels.Width() / (widthMm / 1000.0);
        image.setDotsPerMeterX(static_cast<int>(std::lround(dotsPerMetre)));
        image.setDotsPerMeterY(static_cast<int>(std::lround(dotsPerMetre)));
        page.Figure(image, widthMm, QStringLiteral("Figure %1. ").arg(++figure) + Q(d.strCaption), caption);
    }
    painter.end();
    return page.Pages();
}

bool CQtPdfReport::RenderPdf(const REPORTDOCUMENT& doc, const CA1TimeSeries& series, QByteArray& bytes,
                             std::string& error) {
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter writer(&buffer);
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_1_6);
        writer.setResolution(1200);
        writer.setTitle(Q(doc.strDocumentTitle));
        writer.setCreator(Q(doc.strCreator));
        writer.setPageLayout(QPageLayout(QPageSize(m_paper), QPageLayout::Portrait,
                                         QMarginsF(kReportMarginMm, kReportMarginMm, kReportMarginMm, kReportMarginMm),
                                         QPageLayout::Millimeter));
        pages = PaintPages(writer, doc, series, error);
    }
    buffer.close();
    if (pages == 0) return false;
    if (const std::optional<long long> epoch = SourceDateEpoch()) FixDates(bytes, *epoch);
    SetDocumentId(bytes);
    return true;
}

bool CQtPdfReport::WritePdf(const REPORTDOCUMENT& doc, const CA1TimeSeries& series, const std::string& path,
                            std::string& error) {
    QByteArray bytes;
    if (!RenderPdf(doc, series, bytes, error)) return false;
    return SaveFileWhole(path, bytes, error);
}
