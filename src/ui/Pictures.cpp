#include "ui/Pictures.h"

namespace {

QPixmap PictureFor(const QString& name, qreal devicePixelRatio) {
    if (devicePixelRatio > 1.0) {
        QPixmap sharp(QStringLiteral(":/driftwise/%1@2x.png").arg(name));
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return QPixmap(QStringLiteral(":/driftwise/%1.png").arg(name));
}

}  // namespace

QPixmap BannerPicture(qreal devicePixelRatio) { return PictureFor(QStringLiteral("banner"), devicePixelRatio); }

QPixmap DisclaimerPicture(qreal devicePixelRatio) { return PictureFor(QStringLiteral("disclaimer"), devicePixelRatio); }

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/driftwise/icons/%1/driftwise.png").arg(size), QSize(size, size));
    return icon;
}
