#include "platform/qt/QtTextRenderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>

namespace {
// Fonts larger than this are refused rather than rasterised.
constexpr int kMaxPixelHeight = 2000;
}  // namespace

CQtTextRenderer::CQtTextRenderer() = default;
CQtTextRenderer::~CQtTextRenderer() = default;

bool CQtTextRenderer::SelectFonts(const std::string& face, int pixelHeight) {
    m_font.reset();
    // Fonts need the GUI application (the font database of the platform).
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    if (face.empty() || pixelHeight <= 0 || pixelHeight > kMaxPixelHeight) return false;
    auto font = std::make_unique<QFont>(QString::fromStdString(face));
    // Where the face itself is missing (no "Times" on most Linux systems)
    // its metric-compatible stand-ins come next, so text keeps the widths
    // the layout was made for.
    QStringList families{QString::fromStdString(face)};
    const QString key = families.front().toLower();
    if (key == "times" || key == "times new roman")
        families << "Times New Roman"
                 << "Liberation Serif"
                 << "Tinos"
                 << "Nimbus Roman"
                 << "TeX Gyre Termes";
    font->setFamilies(families);
    font->setPixelSize(pixelHeight);
    font->setWeight(QFont::Normal);
    font->setStyle(QFont::StyleNormal);
    font->setUnderline(false);
    font->setStrikeOut(false);
    // The face decides where it exists; otherwise any serif face.
    font->setStyleHint(QFont::Serif);
    m_font = std::move(font);
    return true;
}

void CQtTextRenderer::TextExtent(const std::string& text, bool, int& cx, int& cy) {
    cx = 0;
    cy = 0;
    if (!m_font) return;
    // The rotated font has the same extent along its own baseline.
    const QFontMetrics metrics(*m_font);
    cx = metrics.horizontalAdvance(QString::fromStdString(text));
    cy = metrics.height();
}

void CQtTextRenderer::DrawText(CImage32& image, int x, int y, const std::string& text, COLOR color, bool vertical) {
    if (!m_font || !image.IsValid() || text.empty()) return;
    // Paint straight into the diagram's pixels.
    QImage view(reinterpret_cast<uchar*>(image.Data()), image.Width(), image.Height(), image.BytesPerLine(),
                QImage::Format_RGB32);
    QPainter painter(&view);
    painter.setFont(*m_font);
    painter.setPen(QColor(color.r, color.g, color.b));
    const int ascent = QFontMetrics(*m_font).ascent();
    const QString s = QString::fromStdString(text);
    if (vertical) {
        // Reading upwards: the text's top-left corner at (x, y), its top facing left.
        painter.translate(x, y);
        painter.rotate(-90.0);
        painter.drawText(QPoint(0, ascent), s);
    } else {
        painter.drawText(QPoint(x, y + ascent), s);
    }
}
