#pragma once

#include "platform/drive_table.h"
#include "platform/user_folders.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

class TPrompter;

// What the program entry hands in: the command line without the program's own test options,
// the path of the program's own file, the user's folders and the drive table.
struct TEntryInput {
    QStringList arguments;
    QString ownPath;
    TUserFolders folders;
    TDriveTable drives;
    // Starts a program file; true when it started. Tests record instead of starting.
    std::function<bool(const QString &program)> start;
    // Marks a launcher written onto the desktop as trusted (TrustLauncher); unset: not marked.
    std::function<void(const QString &launcher)> trust = {};
};

// What the program entry settles for the rest of the run.
struct TEntryResult {
    bool proceed = false; // false: the program ends (a copy was started or a message shown)
    QString shopId;
    bool shopIdFromArgument = false; // the first argument named the shop
    bool cdStart = false; // started from the shop's CD ("orvane=ID/folder")
    QString startFolder; // the CD's start folder, a local path
    bool tabShop = false; // second argument "tab=shop"
    bool nonStandardName = false; // the own name does not start with "Korvatel"
    QString lastShopId; // the shop ID of the previous start, from LastShop.ini
};

// The program entry: settles the shop ID from the program's own name or the first argument,
// copies the program onto the desktop when it runs from the shop's CD or the browser's
// download folder (then starts that copy and ends) with its launchers in the applications menu
// and on the desktop, removes the launchers of copies that are gone, and checks the ID against the
// previous start. Every message goes through the prompter.
TEntryResult RunProgramEntry(const TEntryInput &input, TPrompter &prompter);

// The pieces of the rules, for the callers and tests that need one alone.
// True when text is not empty and consists of the figures 0 to 9 only.
bool IsAllFigures(const QString &text);
// The name of the desktop copy: "Korvatel" + ID when the ID is numeric, else the ID, followed
// by extension (".AppImage", or empty for a program file without one).
QString DesktopCopyName(const QString &shopId, const QString &extension);
// The shop ID written in a first argument: half-width; when not all figures, the first "TEL"
// (any case) and every blank, "-", "(" and ")" removed; the figures alone when that leaves
// only figures, else the argument as given.
QString ShopIdFromArgument(const QString &argument);
// Copies the program file onto target (replacing it) through a temporary file in the target's
// folder, writable by its owner and executable like the source. False when the copy failed.
bool CopyProgramFile(const QString &source, const QString &target);

} // namespace korvatel
