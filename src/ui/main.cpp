// The Driftwise desktop program.
#include "platform/qt/QtPdfReport.h"
#include "ui/DriftwiseApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    FixQtHashSeedForReproducibleFiles();  // PDF reports under SOURCE_DATE_EPOCH
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();
    return CDriftwiseApp().Run(arguments);
}
