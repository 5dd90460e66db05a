#include "app/cli.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return korvatel::RunCli(app.arguments().mid(1));
}
