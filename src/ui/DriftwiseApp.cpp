#include "ui/DriftwiseApp.h"

#include "files/FileErrorReporter.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtSettingsStore.h"
#include "ui/DriftwiseDlg.h"
#include "ui/FileErrorBox.h"
#include "ui/Pictures.h"
#include "ui/ScreenshotTour.h"

#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <vector>

std::string CDriftwiseApp::ExecutableBaseName() {
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (name.isEmpty()) name = QStringLiteral("driftwise");
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    return name.toStdString();
}

std::string CDriftwiseApp::DataFolderPath() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return std::string();
    return base.toStdString() + "/" + ExecutableBaseName();
}

void CDriftwiseApp::PrepareApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Corvolab"));
    QCoreApplication::setApplicationName(QString::fromStdString(ExecutableBaseName()));
    // No display name: the platform would append it to every caption.
    QGuiApplication::setDesktopFileName(QStringLiteral("driftwise"));
    QGuiApplication::setWindowIcon(ProgramIcon());
}

int CDriftwiseApp::Run(const QStringList& arguments) {
    PrepareApplication();

    std::vector<std::string> files;
    QString screenshotFolder;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--screenshots") && i + 1 < arguments.size()) {
            screenshotFolder = arguments.at(++i);
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::fputs("Usage: driftwise [LOGFILE|FOLDER]...\n"
                       "Starts the Driftwise desktop program and imports the given CEOS C1A1 and\n"
                       "ATLASStab logs (the format is recognised by content).\n",
                       stdout);
            return 0;
        } else {
            files.push_back(argument.toStdString());
        }
    }

    CQtDialogs dialogs;
    CFileErrorBox errorBox(&dialogs);
    IFileErrorReporter* previousReporter = SetFileErrorReporter(&errorBox);
    CQtSettingsStore store(ExecutableBaseName());

    int code = 0;
    {
        DRIFTWISESETUP setup;
        setup.pDialogs = &dialogs;
        setup.pStore = &store;
        setup.strDataFolder = DataFolderPath();
        if (!screenshotFolder.isEmpty())
            setup.runDialog = [](QDialog&) { return 0; };  // the tour opens its own dialogs
        CDriftwiseDlg window(setup);
        window.show();
        window.ImportFiles(files);
        if (!screenshotFolder.isEmpty()) code = CScreenshotTour(window, screenshotFolder).Run() ? 0 : 1;
        else code = QApplication::exec();
    }
    store.Sync();
    SetFileErrorReporter(previousReporter);
    return code;
}
