#include "ui/SettingsDlg.h"

#include "platform/Dialogs.h"
#include "text/Format.h"
#include "text/Parse.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

CDriftwiseSettingsDlg::CDriftwiseSettingsDlg(IDialogs* dialogs, QWidget* parent)
    : QDialog(parent), m_pDialogs(dialogs), m_pDiversity(new QLineEdit(this)), m_pPhase(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Program Settings"));

    // Digits only, as the diversity is a count.
    m_pDiversity->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pDiversity));
    m_pDiversity->setMaximumWidth(90);
    m_pPhase->setMaximumWidth(90);

    // Each field is the buddy of its label (Alt+M, Alt+P; screen readers name it).
    auto* diversityLabel = new QLabel(QStringLiteral("&Minimum diversity of the characteristic function:"), this);
    diversityLabel->setBuddy(m_pDiversity);
    auto* phaseLabel = new QLabel(QStringLiteral("Astigmatism &phase shift tolerance:"), this);
    phaseLabel->setBuddy(m_pPhase);
    auto* grid = new QGridLayout;
    grid->addWidget(diversityLabel, 0, 0);
    grid->addWidget(m_pDiversity, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("(Use values above 10!)"), this), 0, 2);
    grid->addWidget(phaseLabel, 1, 0);
    grid->addWidget(m_pPhase, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("(Specify in fractions of Pi!)"), this), 1, 2);

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDriftwiseSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDriftwiseSettingsDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(separator);
    layout->addWidget(buttons);
    SetValues(m_nMinDiversity, m_dLimitPhase);
}

void CDriftwiseSettingsDlg::SetValues(int minDiversity, double limitPhase) {
    m_nMinDiversity = minDiversity;
    m_dLimitPhase = limitPhase;
    m_strLimitPhase = FormatText("%.3f", limitPhase);
    m_pDiversity->setText(QString::fromStdString(FormatText("%d", minDiversity)));
    m_pPhase->setText(QString::fromStdString(m_strLimitPhase));
}

bool CDriftwiseSettingsDlg::ReadFields() {
    const std::string diversityText = m_pDiversity->text().toStdString();
    const int diversity = ReadLeadingInt(diversityText);
    if (!HasLeadingNumber(diversityText) || diversity < kMinDiversityLow || diversity > kMinDiversityHigh) {
        if (m_pDialogs)
            m_pDialogs->Message(this,
                                FormatText("Enter an integer between %d and %d.", kMinDiversityLow, kMinDiversityHigh),
                                "Driftwise", MessageIcon::Warning);
        m_pDiversity->setFocus();
        m_pDiversity->selectAll();
        return false;
    }
    m_nMinDiversity = diversity;

    m_strLimitPhase = m_pPhase->text().toStdString();
    if (!m_strLimitPhase.empty()) {
        double phase = ReadLeadingDouble(m_strLimitPhase);
        // Not-a-number cannot come from the reader, but keep the clamp total.
        if (!(phase >= kLimitPhaseLow)) phase = kLimitPhaseLow;
        if (phase > kLimitPhaseHigh) phase = kLimitPhaseHigh;
        m_dLimitPhase = phase;
    }
    return true;
}

void CDriftwiseSettingsDlg::accept() {
    if (ReadFields()) QDialog::accept();
}
