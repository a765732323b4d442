#include "ui/DisclaimerDlg.h"

#include "ui/Pictures.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CDisclaimerDlg::CDisclaimerDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Disclaimer"));
    auto* picture = new QLabel(this);
    picture->setPixmap(DisclaimerPicture(devicePixelRatioF()));
    picture->setAccessibleDescription(QStringLiteral("Driftwise is provided as is, without warranty of any kind."));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("Acknowledged!"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
