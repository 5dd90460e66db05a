#include "cli/cli.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

int main(int argc, char **argv)
{
    // The commands that draw text (index sheets, the order's address card) need fonts, that is a
    // GUI application; a command line has no screen, so it draws offscreen unless told otherwise.
    std::unique_ptr<QCoreApplication> app;
    const bool draws
        = argc > 1 && (qstrcmp(argv[1], "index-sheet") == 0 || qstrcmp(argv[1], "order") == 0);
    if (draws) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return korvatel::RunCli(app->arguments().mid(1));
}
