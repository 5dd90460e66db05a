#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// korvatel-cli: the core from the command line. args excludes the program name. Returns the
// process exit status: 0 done, 1 the command failed, 2 the command line was wrong.
int RunCli(const QStringList &args, QTextStream &out, QTextStream &err);

// The same on the process's standard output and error.
int RunCli(const QStringList &args);

} // namespace korvatel
