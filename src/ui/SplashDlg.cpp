#include "ui/SplashDlg.h"

#include "ui/Pictures.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

CDriftwiseSplashDlg::CDriftwiseSplashDlg(QWidget* parent, int lockMs, int closeMs)
    : QDialog(parent), m_nCloseMs(closeMs), m_pLockTimer(new QTimer(this)), m_pCloseTimer(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Welcome !"));
    auto* picture = new QLabel(this);
    picture->setPixmap(BannerPicture(devicePixelRatioF()));
    // Clicks on the picture reach the dialog.
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_pLockTimer->setSingleShot(true);
    m_pLockTimer->setInterval(lockMs);
    connect(m_pLockTimer, &QTimer::timeout, this, &CDriftwiseSplashDlg::OnLockTimer);
    m_pCloseTimer->setSingleShot(true);
    connect(m_pCloseTimer, &QTimer::timeout, this, [this] { QDialog::accept(); });
}

void CDriftwiseSplashDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_bClosable && !m_pLockTimer->isActive()) m_pLockTimer->start();
}

void CDriftwiseSplashDlg::OnLockTimer() {
    m_bClosable = true;
    m_pCloseTimer->start(m_nCloseMs);
}

void CDriftwiseSplashDlg::accept() {
    if (m_bClosable) QDialog::accept();
}

void CDriftwiseSplashDlg::reject() {
    if (m_bClosable) QDialog::reject();
}

void CDriftwiseSplashDlg::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (m_bClosable) QDialog::accept();
}

void CDriftwiseSplashDlg::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (m_bClosable && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) QDialog::accept();
}

void CDriftwiseSplashDlg::closeEvent(QCloseEvent* event) {
    if (m_bClosable) QDialog::closeEvent(event);
    else event->ignore();
}
