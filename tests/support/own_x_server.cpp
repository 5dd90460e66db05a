#include "support/own_x_server.h"

#include <QByteArray>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/prctl.h>
#include <unistd.h>

namespace korvatel::test
{

void StartOwnXServerIfAsked()
{
    if (qEnvironmentVariableIsEmpty("KORVATEL_TEST_XVFB") || qgetenv("QT_QPA_PLATFORM") == "xcb")
        return;
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    const pid_t server = ::fork();
    if (server == 0) {
        ::close(fds[0]);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM); // the server ends with the tests
        const QByteArray fd = QByteArray::number(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "1280x800x24",
            "-nolisten", "tcp", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    QByteArray display;
    char c;
    while (server > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
        display += c;
    ::close(fds[0]);
    if (display.isEmpty()) {
        std::fprintf(stderr, "no Xvfb: the windows are drawn offscreen\n");
        return;
    }
    qputenv("DISPLAY", ':' + display);
    qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace korvatel::test
