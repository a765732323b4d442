#pragma once
// The application object: sets up the toolkit side of the program (settings
// organisation, dialogs, file-error box, diagram text and image back ends),
// creates the main window, imports the files named on the command line and
// runs the window until it is closed.

#include <QStringList>

#include <string>

class CDriftwiseApp {
public:
    CDriftwiseApp() = default;

    // arguments: the command line without the program name. Log files and
    // folders are imported; "--screenshots FOLDER" saves pictures of the
    // windows there and quits. Returns the exit code.
    int Run(const QStringList& arguments);

    // The program file's name without folder and without its last extension.
    static std::string ExecutableBaseName();
    // The folder of Log.txt and Setup.prm: the per-user data folder (XDG data
    // home) + "/" + the executable's base name.
    static std::string DataFolderPath();
    // Sets organisation "Corvolab" and the application name the settings use.
    static void PrepareApplication();
};
