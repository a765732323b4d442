#include "ui/Pictures.h"

QPixmap BannerPicture() { return QPixmap(QStringLiteral(":/driftwise/banner.png")); }

QPixmap DisclaimerPicture() { return QPixmap(QStringLiteral(":/driftwise/disclaimer.png")); }

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/driftwise/icons/%1/driftwise.png").arg(size), QSize(size, size));
    return icon;
}
