// driftwise-cli: the batch tool. All logic is in plain C++ (CliRun); the
// application object is here for the Qt image encoders of later stages.

#include "cli/CliRun.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return CliMain(args, stdout, stderr);
}
