#include "app/ui/run_client.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return korvatel::RunClient(app);
}
