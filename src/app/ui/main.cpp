#include "app/program_update.h"
#include "app/ui/run_client.h"
#include "version.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // Answered before the application starts: --version needs no screen.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("korvatel %s (build %s)\n%s\n", korvatel::kProgramVersion,
            korvatel::kBuildStamp, qPrintable(korvatel::UpdateTrustLine()));
        return 0;
    }
    QApplication app(argc, argv);
    return korvatel::RunClient(app);
}
