// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pages/IntervalsPanel.h"

#include "boot/UncertaintyText.h"
#include "series/A1TimeSeries.h"
#include "ui/IntervalsKeeper.h"
#include "ui/pages/PageLayout.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

const char* const kIntervalsExplanation =
    "P(a,t) is the chance that a future run of the instrument stays within the tolerance a for the time t, "
    "if the fitted model is right.\n"
    "The intervals say how well this one series pins the model down: the range of the fitted values and "
    "lifetimes over series simulated from the fitted model and evaluated alike.";

CIntervalsPanel::CIntervalsPanel(QWidget* parent) : QWidget(parent) {
    m_pField = MakeReadOnlyLine(this);
    m_pField->setAccessibleName(QStringLiteral("Intervals"));
    m_pProgress = new QProgressBar(this);
    m_pProgress->setMaximumWidth(120);
    m_pProgress->setRange(0, 0);
    // Not a push button: the page's command buttons go off while a step of
    // the window runs, the run's Cancel must not.
    m_pCancel = new QToolButton(this);
    m_pCancel->setText(QStringLiteral("Cancel"));
    m_pButton = new QPushButton(QStringLiteral("Intervals"), this);
    m_pButton->setAutoDefault(false);
    for (QWidget* w : {static_cast<QWidget*>(m_pField), static_cast<QWidget*>(m_pButton)}) {
        w->setToolTip(QString::fromUtf8(kIntervalsExplanation));
        w->setWhatsThis(QString::fromUtf8(kIntervalsExplanation));
    }
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_pField, 1);
    row->addWidget(m_pProgress);
    row->addWidget(m_pCancel);
    row->addWidget(m_pButton);
    m_pProgress->hide();
    m_pCancel->hide();
    connect(m_pButton, &QPushButton::clicked, this, &CIntervalsPanel::intervalsRequested);
    connect(m_pCancel, &QToolButton::clicked, this, &CIntervalsPanel::cancelRequested);
}

void CIntervalsPanel::Show(const CA1TimeSeries* series, CIntervalsKeeper* keeper, const SERIESINTERVALS* found) {
    const bool running = keeper && series && keeper->IsRunningFor(*series);
    m_pProgress->setVisible(running);
    m_pCancel->setVisible(running);
    if (running) {
        if (keeper->Total() > 0) {
            m_pProgress->setRange(0, static_cast<int>(keeper->Total()));
            m_pProgress->setValue(static_cast<int>(std::min(keeper->Done(), keeper->Total())));
        } else {
            m_pProgress->setRange(0, 0);
        }
        m_pField->setText(QStringLiteral("Computing the intervals..."));
    } else {
        m_pField->setText(found ? ToQString(IntervalsFieldText(found->set)) : QString());
    }
    m_pField->setCursorPosition(0);
    m_pButton->setEnabled(keeper && series && series->ModelValid == 1 && !keeper->IsBusy());
}
