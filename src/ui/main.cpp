// The Driftwise desktop program.
#include "ui/DriftwiseApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();
    return CDriftwiseApp().Run(arguments);
}
