// driftwise-cli: the batch tool. All logic is in plain C++ (CliRun); here are
// the application object and the Qt back ends of the exported diagrams.

#include "cli/CliFollow.h"
#include "cli/CliRun.h"
#include "platform/qt/QtImageEncoder.h"
#include "platform/qt/QtPdfReport.h"
#include "platform/qt/QtTextRenderer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

bool g_bVerbose = false;

// Qt's own notes (such as the offscreen platform's remark on a missing
// runtime folder) are no part of the tool's output: they appear only with
// --verbose. Fatal messages still end the program as Qt does.
void QtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (g_bVerbose || type == QtFatalMsg)
        std::fprintf(stderr, "driftwise-cli: Qt: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    FixQtHashSeedForReproducibleFiles();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

    // Fonts need the GUI application, and only the diagram export uses them.
    // The tool runs headless: without a platform of the user's choice it
    // takes the offscreen one.
    const CliParseResult parsed = ParseCliOptions(args);
    const bool diagrams =
        parsed.bOk && parsed.options.action == CliOptions::Action::Run && !parsed.options.strExportDir.empty();
    g_bVerbose = parsed.bOk && parsed.options.bVerbose;
    qInstallMessageHandler(&QtMessage);
    std::unique_ptr<QCoreApplication> app;
    if (diagrams) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    CQtTextRenderer text;
    CQtImageEncoder encoder;
    CliPlatform platform;
    platform.pText = &text;
    platform.pEncoder = &encoder;
    // A4, or Letter where the user's locale has it.
    CQtPdfReport pdf(&text, PaperForLocale(QLocale::system()));
    platform.pPdf = &pdf;
    return CliFollowMain(args, stdout, stderr, platform);
}
