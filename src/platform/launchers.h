#pragma once

#include "platform/user_folders.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

// A launcher (a desktop entry, ".desktop" file) that starts one shop's program: the shop's copy
// on the desktop, or the installed program told its shop by the first argument.
struct TShopLauncher {
    QString shopId; // names the launcher files, see LauncherFileName
    QString name; // the name the desktop shows: "Korvatel1234"
    QString program; // the absolute path of the program started (also its TryExec)
    QStringList arguments;
    QString icon; // an icon theme name ("korvatel") or an absolute file path
};

// The file name of a shop's launchers, "korvatel-shop-1234.desktop": letters, figures and "-"
// of the shop ID stay, every other character becomes "_" and its code in hex, so that any shop
// ID gives one plain file name.
QString LauncherFileName(const QString &shopId);

// One Exec argument quoted as desktop entries want it: unchanged when it holds nothing
// special, else in double quotes with ", `, $ and \ escaped; "%" is doubled either way.
QString QuoteExecArgument(const QString &argument);

// The whole desktop entry (UTF-8 text, as desktop entries must be) of the launcher. It carries
// "X-Korvatel-Shop=" with the shop ID, which marks the files this program may remove.
QByteArray DesktopEntryText(const TShopLauncher &launcher);

// The applications folder of the user's menu: <appData>/applications.
QString ApplicationsFolder(const TUserFolders &folders);

// Writes the launcher into the applications folder and onto the desktop (replacing an older
// one), executable, and hands the one on the desktop to trust (when set) so that the desktop
// starts it without asking. Returns the paths written; a folder that cannot be written is skipped.
QStringList WriteShopLaunchers(const TShopLauncher &launcher, const TUserFolders &folders,
    const std::function<void(const QString &path)> &trust = {});

// Removes this program's launchers (files with "X-Korvatel-Shop=") from the applications
// folder and the desktop whose program is gone, or, with a shop ID, those of that shop.
// Returns the paths removed. Files of other programs are never touched.
QStringList RemoveStaleLaunchers(const TUserFolders &folders);
QStringList RemoveShopLaunchers(const QString &shopId, const TUserFolders &folders);

// Marks a desktop launcher as trusted for GNOME's desktop ("gio set FILE metadata::trusted
// true") when gio is there; any failure is ignored, the launcher then asks once before it runs.
void TrustLauncher(const QString &path);

// The program's icon for a launcher: the installed icon's theme name "korvatel" when the
// program runs from /usr/bin with its icon installed, an installed icon's path beside any other
// installed program, else the icon written from the program's resources into
// <appData>/icons/hicolor/scalable/apps/korvatel.svg (its path; empty when it cannot be
// written).
QString LauncherIcon(const QString &programFolder, const TUserFolders &folders);

} // namespace korvatel
