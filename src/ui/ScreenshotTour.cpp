#include "ui/ScreenshotTour.h"

#include "ui/AboutDlg.h"
#include "ui/DisclaimerDlg.h"
#include "ui/DriftwiseDlg.h"
#include "ui/SettingsDlg.h"
#include "ui/SplashDlg.h"
#include "ui/pages/DiagramView.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

#include <cstdio>

void CScreenshotTour::Settle(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool CScreenshotTour::Save(QWidget& widget, const QString& name) {
    Settle(300);
    const QString path = QDir(m_folder).filePath(name);
    const bool ok = widget.grab().save(path, "PNG");
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "Saved" : "Failed to save", qPrintable(path));
    m_bOk = m_bOk && ok;
    return ok;
}

// On a screen with a scale above 1, the diagram of the shown page on its own,
// in device pixels ("diagram-scale-2.png" at scale 2).
void CScreenshotTour::SaveScaledDiagram() {
    QWidget* page = m_window.Tabs()->currentWidget();
    CDiagramView* view = page ? page->findChild<CDiagramView*>() : nullptr;
    const qreal ratio = m_window.devicePixelRatioF();
    if (!view || ratio <= 1.0) return;
    Save(*view, QStringLiteral("diagram-scale-%1.png").arg(ratio));
}

bool CScreenshotTour::Run() {
    QDir().mkpath(m_folder);
    // The window keeps the size it opened with (the default that fits the
    // screen), as a user sees it at the first start.
    Settle(600);

    if (!m_window.SelectedSeries()) {
        Save(m_window, QStringLiteral("main-window-empty.png"));
    } else {
        m_window.OnCharFunc();
        m_window.OnFitModel();
        const QStringList names = {
            QStringLiteral("main-window-log-text.png"),     QStringLiteral("main-window-a22-time.png"),
            QStringLiteral("main-window-charact-func.png"), QStringLiteral("main-window-fitted-model.png"),
            QStringLiteral("main-window-prob-plot.png"),    QStringLiteral("main-window-summary.png")};
        QTabWidget* tabs = m_window.Tabs();
        for (int i = 0; i < tabs->count() && i < names.size(); ++i) {
            tabs->setCurrentIndex(i);
            Save(m_window, names.at(i));
            if (i == 1) SaveScaledDiagram();  // the A22-time graph
        }
        tabs->setCurrentIndex(tabs->count() >= 4 ? 3 : tabs->count() - 1);
    }

    {
        CDriftwiseSplashDlg splash(&m_window, 60000, 60000);
        splash.show();
        Save(splash, QStringLiteral("welcome.png"));
    }
    {
        CAboutDlg about(&m_window);
        about.show();
        Save(about, QStringLiteral("about.png"));
    }
    {
        CDisclaimerDlg disclaimer(&m_window);
        disclaimer.show();
        Save(disclaimer, QStringLiteral("disclaimer.png"));
    }
    {
        CDriftwiseSettingsDlg settings(nullptr, &m_window);
        settings.SetValues(m_window.Parameters().MinDiversity, m_window.Parameters().LimitPhase);
        settings.show();
        Save(settings, QStringLiteral("settings.png"));
    }
    m_window.close();
    return m_bOk;
}
