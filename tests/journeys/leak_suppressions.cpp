// The journeys draw on an X server, where Qt's X11 platform opens the system's D-Bus library,
// which keeps a buffer to the end of the program. Under LeakSanitizer that buffer is left out
// of the report, so that leaks of the program's own still fail the tests.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
