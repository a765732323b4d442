// Draws the program's pictures: the banner of the welcome and About windows,
// the disclaimer picture and the program icon in several sizes. The PNGs are
// committed; after a change of the artwork or the version text rebuild them
// with:  cmake --build <build> --target dw_make_pictures
//        QT_QPA_PLATFORM=offscreen <build>/src/ui/dw_make_pictures src/ui/resources

#include "Version.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>

namespace {

const QColor kNight(0x0e, 0x1b, 0x2e);
const QColor kDeep(0x17, 0x34, 0x55);
const QColor kTeal(0x2f, 0xc4, 0xb2);
const QColor kAmber(0xf2, 0xa5, 0x3a);
const QColor kPaper(0xf4, 0xf1, 0xea);

// A diffractogram: concentric Thon rings squeezed into ellipses by two-fold
// astigmatism, drawn as soft bright bands on a dark disc.
void DrawDiffractogram(QPainter& p, QPointF centre, double radius, double ellipticity, double angleDeg) {
    p.save();
    p.translate(centre);
    QRadialGradient glow(QPointF(0, 0), radius);
    glow.setColorAt(0.0, QColor(0x2a, 0x55, 0x7a));
    glow.setColorAt(0.7, QColor(0x14, 0x2c, 0x48));
    glow.setColorAt(1.0, QColor(0x0e, 0x1b, 0x2e, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(0, 0), radius, radius);

    p.rotate(angleDeg);
    // Ring radii grow like sqrt(n), as the zeros of the contrast transfer function do.
    for (int n = 1; n <= 9; ++n) {
        const double r = radius * 0.88 * std::sqrt(n / 9.0);
        const double alpha = 210.0 * (1.0 - 0.075 * n);
        QColor ring = n % 2 ? kTeal : QColor(0xbf, 0xe9, 0xff);
        ring.setAlpha(static_cast<int>(alpha));
        p.setPen(QPen(ring, std::max(1.0, radius / 70.0 * (1.4 - n * 0.08))));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), r * (1.0 + ellipticity), r * (1.0 - ellipticity));
    }
    // The astigmatism axes.
    QPen axis(QColor(kAmber.red(), kAmber.green(), kAmber.blue(), 200), std::max(1.0, radius / 90.0), Qt::DashLine);
    p.setPen(axis);
    p.drawLine(QPointF(-radius * 0.98, 0), QPointF(radius * 0.98, 0));
    axis.setColor(QColor(255, 255, 255, 90));
    p.setPen(axis);
    p.drawLine(QPointF(0, -radius * 0.8), QPointF(0, radius * 0.8));
    p.restore();
}

// A drifting A22 trace: a random walk that wanders off and is pulled back.
void DrawDriftTrace(QPainter& p, const QRectF& area) {
    QPainterPath path;
    double y = 0.0, v = 0.0;
    unsigned state = 12345;
    auto noise = [&state] {
        state = state * 214013u + 2531011u;
        return static_cast<double>((state >> 16) & 0x7fff) / 32767.0 - 0.5;
    };
    const int steps = 180;
    for (int i = 0; i <= steps; ++i) {
        v = 0.86 * v + 0.9 * noise();
        y = 0.97 * y + v * 0.25;
        const double x = area.left() + area.width() * i / steps;
        const double py = area.center().y() + y * area.height() * 0.45 + 0.25 * area.height() * std::sin(i / 38.0);
        if (i == 0) path.moveTo(x, py);
        else path.lineTo(x, py);
    }
    QPen trace(kTeal, 2.0);
    trace.setJoinStyle(Qt::RoundJoin);
    p.setPen(trace);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    // The tolerance band.
    QPen band(QColor(kAmber.red(), kAmber.green(), kAmber.blue(), 170), 1.2, Qt::DashLine);
    p.setPen(band);
    p.drawLine(QPointF(area.left(), area.top()), QPointF(area.right(), area.top()));
    p.drawLine(QPointF(area.left(), area.bottom()), QPointF(area.right(), area.bottom()));
}

QFont Font(int pixels, int weight, bool italic = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void DrawBackground(QPainter& p, const QRect& rect) {
    QLinearGradient sky(rect.topLeft(), rect.bottomRight());
    sky.setColorAt(0.0, kNight);
    sky.setColorAt(1.0, kDeep);
    p.fillRect(rect, sky);
}

// An image of w x h logical pixels drawn at the given device-pixel ratio.
QImage ScaledImage(int w, int h, int ratio, QImage::Format format) {
    QImage image(w * ratio, h * ratio, format);
    image.setDevicePixelRatio(ratio);
    return image;
}

// The banner (welcome and About windows), w x h logical pixels.
QImage Banner(int w, int h, int ratio = 1) {
    QImage image = ScaledImage(w, h, ratio, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawBackground(p, QRect(0, 0, w, h));
    DrawDiffractogram(p, QPointF(w * 0.80, h * 0.44), h * 0.37, 0.16, -28.0);
    DrawDriftTrace(p, QRectF(28, h * 0.64, w * 0.52, h * 0.13));

    p.setPen(kPaper);
    p.setFont(Font(50, QFont::Bold));
    p.drawText(QPointF(28, 92), QStringLiteral("Driftwise"));
    p.setPen(kTeal);
    p.setFont(Font(16, QFont::Normal));
    p.drawText(QPointF(31, 122), QStringLiteral("Astigmatism stability benchmark"));
    p.setPen(QColor(0xc9, 0xd6, 0xe3));
    p.setFont(Font(13, QFont::Normal));
    p.drawText(QPointF(31, 143), QStringLiteral("for aberration-corrected TEMs"));

    p.setPen(QColor(0x9f, 0xb3, 0xc8));
    p.setFont(Font(12, QFont::Normal));
    p.drawText(QPointF(28, h - 22), QStringLiteral("Version %1").arg(QString::fromLatin1(kVersionText)));
    p.setPen(QColor(0x6f, 0x86, 0x9e));
    p.drawText(QRectF(w * 0.5, h - 36, w * 0.5 - 20, 20), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("How long does A22 stay in tolerance?"));
    return image;
}

QImage Disclaimer(int w, int h, int ratio = 1) {
    QImage image = ScaledImage(w, h, ratio, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    image.fill(kPaper);

    // Banner strip.
    const int strip = 104;
    DrawBackground(p, QRect(0, 0, w, strip));
    p.setClipRect(QRect(0, 0, w, strip));
    DrawDiffractogram(p, QPointF(w - 70, strip / 2.0), strip * 0.62, 0.16, -28.0);
    p.setClipping(false);
    p.setPen(kPaper);
    p.setFont(Font(36, QFont::Bold));
    p.drawText(QPointF(24, 56), QStringLiteral("Driftwise"));
    p.setPen(kTeal);
    p.setFont(Font(13, QFont::Normal));
    p.drawText(QPointF(26, 82), QStringLiteral("Version %1").arg(QString::fromLatin1(kVersionText)));
    p.fillRect(QRect(0, strip, w, 4), kAmber);

    p.setPen(kNight);
    p.setFont(Font(20, QFont::Bold));
    p.drawText(QPointF(24, strip + 42), QStringLiteral("Disclaimer"));

    const QString text =
        QStringLiteral("This program is provided \"as is\", without warranty of any kind, express or implied, "
                       "including but not limited to the warranties of merchantability, fitness for a particular "
                       "purpose and non-infringement.\n\n"
                       "The lifetimes, probabilities and model parameters it reports are estimates computed from the "
                       "logged measurements. They do not replace the judgement of the operator, and they are no "
                       "guarantee of the performance of any instrument.\n\n"
                       "In no event shall the authors be liable for any claim, damages or other liability arising "
                       "from the use of this program or of its results.");
    p.setFont(Font(13, QFont::Normal));
    p.setPen(QColor(0x22, 0x2c, 0x38));
    p.drawText(QRectF(24, strip + 58, w - 48, h - strip - 70), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return image;
}

// The program icon: a rounded dark tile with the astigmatic rings.
QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const QRectF tile(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    QLinearGradient sky(tile.topLeft(), tile.bottomRight());
    sky.setColorAt(0.0, QColor(0x1d, 0x3f, 0x66));
    sky.setColorAt(1.0, kNight);
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(tile, s * 0.2, s * 0.2);

    p.save();
    p.translate(s / 2, s / 2);
    p.rotate(-30);
    const int rings = size >= 48 ? 4 : 2;
    for (int n = 1; n <= rings; ++n) {
        const double r = s * 0.36 * std::sqrt(n / static_cast<double>(rings));
        QColor ring = n % 2 ? kTeal : QColor(0xbf, 0xe9, 0xff);
        p.setPen(QPen(ring, std::max(1.0, s / (size >= 48 ? 26.0 : 14.0))));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), r * 1.22, r * 0.78);
    }
    p.setPen(QPen(kAmber, std::max(1.0, s / 22.0), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-s * 0.40, 0), QPointF(s * 0.40, 0));
    p.restore();
    return image;
}

bool Save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool ok = image.save(path, "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QDir out(folder);
    bool ok = Save(Banner(500, 320), out.filePath(QStringLiteral("banner.png")));
    ok = Save(Disclaimer(500, 396), out.filePath(QStringLiteral("disclaimer.png"))) && ok;
    // The same for screens scaled by 1.5 and more.
    ok = Save(Banner(500, 320, 2), out.filePath(QStringLiteral("banner@2x.png"))) && ok;
    ok = Save(Disclaimer(500, 396, 2), out.filePath(QStringLiteral("disclaimer@2x.png"))) && ok;
    for (int size : {16, 32, 48, 64, 128, 256})
        ok = Save(Icon(size), out.filePath(QStringLiteral("icons/%1/driftwise.png").arg(size))) && ok;
    return ok ? 0 : 1;
}
