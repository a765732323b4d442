#pragma once
// "Welcome !": the banner picture, shown once after start. It cannot be
// closed for the first lock time (2 s), then closes on a key press or a
// mouse click, and closes itself after the close time (4 s more).

#include <QDialog>

class QTimer;

class CDriftwiseSplashDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLockMs = 2000;
    static constexpr int kCloseMs = 4000;

    // Tests pass short times.
    explicit CDriftwiseSplashDlg(QWidget* parent = nullptr, int lockMs = kLockMs, int closeMs = kCloseMs);

    bool IsClosable() const { return m_bClosable; }

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnLockTimer();

    int m_nCloseMs;
    bool m_bClosable = false;
    QTimer* m_pLockTimer;
    QTimer* m_pCloseTimer;
};
