#pragma once
// Saves pictures of the running program for the documentation: the main
// window on each tab of the selected series (after the characteristic
// function and the model fit), the four small dialogs and, on a screen with a
// scale above 1, the A22-time graph's diagram on its own. Used by
// "driftwise --screenshots FOLDER" (scripts/screenshots.sh).

#include <QString>

class CDriftwiseDlg;
class QWidget;

class CScreenshotTour {
public:
    CScreenshotTour(CDriftwiseDlg& window, const QString& folder) : m_window(window), m_folder(folder) {}
    // Runs the tour and closes the window. False when a picture could not be saved.
    bool Run();

private:
    bool Save(QWidget& widget, const QString& name);
    void SaveScaledDiagram();
    static void Settle(int ms);

    CDriftwiseDlg& m_window;
    QString m_folder;
    bool m_bOk = true;
};
