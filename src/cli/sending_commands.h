#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// "korvatel-cli order MEMORY --customer USER --shop HOSTFMT|SHOPID [options]": prices the
// order memory file against the shop data, packs it into an order folder and sends it to the
// shop's image server without a window, printing one line per progress step. --shop takes a
// shop data container (HostFmt.ini; the shop id is its folder's name unless --shop-id says
// otherwise) or a shop id fetched from the format servers of the server configuration.
// Options: --payment NAME, --delivery NAME, --prefecture N, --comment TEXT, --work DIR (the
// folder of the order folders and count files; default: the memory file's folder), --mode
// auto|ftp|http, --card COPIES (address card prints), --history DIR (an order history folder
// that records every attempt), --pack-only. Every question of the
// upload gets its first button (so a send that keeps failing gives up). Exit status 0 sent
// (or packed with --pack-only), 1 not sent, 2 wrong command line.
int OrderCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
