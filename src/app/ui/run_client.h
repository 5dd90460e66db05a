#pragma once

class QApplication;

namespace korvatel
{

// Starts the client on an existing application object: the claim of the workspace (a second
// start on it brings the first run to the front and ends), the program entry, the start-up,
// the main window and the message loop. Four options serve tests, screenshots and benchmarks and
// are not handed to the entry: "--screenshot=FILE" saves the main window as a PNG once it is
// shown and closes it, "--quit-after=MS" closes it after that many milliseconds,
// "--unattended" answers every start window and message with its first choice, writing its
// text to standard error, and "--report-first-screen" prints the milliseconds from the
// process's start to the film strip's first complete screen (the list shown at start, every
// visible cell drawn) to standard output and ends the process at once, saving nothing. They
// are passed on to a copy that the program starts.
int RunClient(QApplication &app);

} // namespace korvatel
