#pragma once

namespace korvatel
{

// A named step of a long piece of work at which the program may die (a power cut, a crash, a
// logout). The crash tests make the program kill itself there (SIGKILL, nothing flushed or
// cleaned up), by naming the step in the environment variable KORVATEL_CRASH_AT; without it
// the call does nothing.
void CrashPoint(const char *name);

} // namespace korvatel
