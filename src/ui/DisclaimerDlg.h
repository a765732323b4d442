#pragma once
// "Disclaimer": the no-warranty picture and the button "Acknowledged!".

#include <QDialog>

class CDisclaimerDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDisclaimerDlg(QWidget* parent = nullptr);
};
