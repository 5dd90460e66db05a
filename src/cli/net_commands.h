#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// The server commands of korvatel-cli, using the server configuration (servers.ini,
// KORVATEL_SERVERS); each returns the process exit status (0 done, 1 the command failed, 2 the
// command line was wrong).
// fetch-shop SHOPID DIR: the shop data into DIR; prints the log and the switches.
int CliFetchShop(const QStringList &args, QTextStream &out, QTextStream &err);
// server-time: the time of the first time server that answers.
int CliServerTime(const QStringList &args, QTextStream &out, QTextStream &err);
// versions [OWNVERSION]: the state of the version service and the newer versions.
int CliVersions(const QStringList &args, QTextStream &out, QTextStream &err);
// ftp-list HOST USER DIR: the entries of an FTP folder with their size-and-time markers. The
// password comes from KORVATEL_FTP_PASSWORD or, when that is not set, the first line of
// standard input.
int CliFtpList(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
