// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The intervals row of the Fitted Model and Prob. Plot pages, beside the
// stability field: the one-line result ("95 %: lifetime ... ; model fit
// p = ..."), the progress of a run with its Cancel, and "Intervals".

#include <QWidget>

class CA1TimeSeries;
class CIntervalsKeeper;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
struct SERIESINTERVALS;

// What P(a,t) and the intervals are, one sentence each (tooltips and
// What's-This of the pages).
extern const char* const kIntervalsExplanation;

class CIntervalsPanel : public QWidget {
    Q_OBJECT
public:
    explicit CIntervalsPanel(QWidget* parent = nullptr);

    // Shows the state of the series' intervals: a run going for it, the
    // found intervals, or none.
    void Show(const CA1TimeSeries* series, CIntervalsKeeper* keeper, const SERIESINTERVALS* found);

    QLineEdit* Field() const { return m_pField; }
    QProgressBar* Progress() const { return m_pProgress; }
    QToolButton* CancelButton() const { return m_pCancel; }
    QPushButton* IntervalsButton() const { return m_pButton; }

signals:
    void intervalsRequested();
    void cancelRequested();

private:
    QLineEdit* m_pField = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QToolButton* m_pCancel = nullptr;
    QPushButton* m_pButton = nullptr;
};
