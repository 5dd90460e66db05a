#pragma once

#include "platform/drive_table.h"
#include "platform/user_folders.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace korvatel
{

class TPrompter;

// The workspace: the "Korvatel" folder at the root of one drive with the folders the program
// keeps between runs, plus the few files beside the operating system (LastShop.ini, KsSys\users,
// KorvaDPOF, KorvatelTemp). The drive table and the user's folders are handed in, so a test
// with a temporary home touches nothing real.
class TWorkspace
{
public:
    TWorkspace(TUserFolders folders, TDriveTable drives);

    // Chooses the drive (a letter, or a null QChar to take the first fixed drive from A to Z
    // that holds a Korvatel folder, else the system drive), empties \Work when it exists and
    // creates the missing folders. Returns the fresh-workspace flag: true when one of \Works,
    // \Download, \NdxFmt, \SysData, \Temp or \DpeOrder had to be created.
    bool PrepareWorkspace(QChar drive = {});

    // The drive letter of the workspace, upper case.
    QChar DriveLetter() const { return FDrive; }
    // The system drive: the drive of the Windows directory, which is the home folder's.
    QChar SystemDrive() const;
    bool Fresh() const { return FFresh; }
    // True when KsSys\users had to be created at this start (first use on this system).
    bool FirstUseOnSystem() const { return FFirstUseOnSystem; }

    QString Root() const { return FRoot; }
    // SysData is created on each call when it is missing.
    QString SysData() const;
    QString Works() const;
    QString Download() const;
    QString Temp() const;
    QString Tree() const;
    QString Campus() const;
    // The shop's own folder under \Campus (not created).
    QString CampusShop(const QString &shopId) const;
    QString PostCard() const;
    QString NdxFmt() const;
    // The customer file "User" in the root.
    QString UserFile() const;
    // KorvaDPOF at the top of the system drive.
    QString KorvaDpof() const;
    // KorvatelTemp in the program's cache folder (<cache>/korvatel), not under a name anyone
    // could take first in the shared temporary folder; made on first use by its users.
    QString KorvatelTemp() const;
    QString LastShopPath() const;

    const TUserFolders &Folders() const { return FFolders; }
    const TDriveTable &Drives() const { return FDrives; }
    // Takes the drive table of the moment, after media came or went. The root and its drive
    // letter stay those chosen at start, whatever the new table says of them.
    void SetDrives(TDriveTable drives) { FDrives = std::move(drives); }

    // Points the workspace at another root without touching the disk (used after a move).
    void SetRoot(QChar drive, const QString &root);

private:
    QString Sub(const char *name) const;

    TUserFolders FFolders;
    TDriveTable FDrives;
    QChar FDrive;
    QString FRoot;
    bool FFresh = false;
    bool FFirstUseOnSystem = false;
};

// LastShop.ini in the Windows directory: the shop ID of the previous start as the whole text;
// its file date is the date of the previous start.
struct TLastShop {
    QString shopId; // empty when the file is missing
    std::optional<QDateTime> lastStart; // the file's last-write time
};
QString LastShopFile(const TUserFolders &folders);
TLastShop ReadLastShop(const QString &path);
// Writes the shop ID as the whole text of the file; false when the write failed.
bool WriteLastShop(const QString &path, const QString &shopId);

// The steps of a workspace move that belong to the main window.
struct TMoveWorkspaceHooks {
    std::function<void()> saveAll; // the saving of the shutdown (order memory, tree, settings)
    std::function<void(bool visible)> showGrids; // hides or shows the order and list grids
    std::function<bool()> restart; // starts the program's own file again
};

enum class TMoveResult {
    mvCancelled, // the user said no, or the letter is the current one
    mvMoved, // the root now lies on the new drive; the run must end without saving
    mvFailed, // the old root stays; the grids are back
};

// Moves the whole workspace to the root of another drive after asking the user, as the
// "データ設定/ファイル管理" dialog does. On success the user is asked whether to start again;
// either way the caller marks the run as moved and ends the program.
TMoveResult MoveWorkspace(
    TWorkspace &workspace, QChar letter, TPrompter &prompter, const TMoveWorkspaceHooks &hooks);

} // namespace korvatel
