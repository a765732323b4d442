#include "ui/AboutDlg.h"

#include "Version.h"
#include "ui/Pictures.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Driftwise"));
    auto* picture = new QLabel(this);
    picture->setPixmap(BannerPicture(devicePixelRatioF()));
    // The version and the license, in one line under the banner.
    auto* notice = new QLabel(QStringLiteral("Version %1 \u2014 licensed under the GNU General Public License, "
                                             "version 3 or later (GPL-3.0-or-later).")
                                  .arg(QString::fromLatin1(kVersionText)),
                              this);
    notice->setObjectName(QStringLiteral("licenseNotice"));
    notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(notice);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
