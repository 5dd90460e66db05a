#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace korvatel
{

// The folders that Windows hands out by name, mapped onto the user's home and the XDG
// variables. Every path is derived from the environment handed in, so a caller that sets HOME
// to a temporary folder gets folders that touch nothing real. Nothing is created on disk.
struct TUserFolders {
    QString home; // the user's home folder: the root of the system drive C
    QString windowsDir; // the Windows directory: <config>/korvatel/windows
    QString systemDir; // the Windows system folder: <config>/korvatel/system
    QString appData; // per-user application data: $XDG_DATA_HOME, else ~/.local/share
    QString desktop; // XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop
    QString temp; // $TMPDIR, else /tmp
    QString cache; // $XDG_CACHE_HOME, else ~/.cache
    // Where a browser leaves downloaded files: the XDG download folder first, then the cache
    // folders of Firefox, Chromium and Chrome.
    QStringList downloadCaches;
    QString configDir; // the program's own configuration folder: <config>/korvatel

    // Reads HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME and TMPDIR from env, and the
    // desktop and download folders from <config>/user-dirs.dirs when that file exists. XDG
    // variables that are empty or relative are ignored, as the XDG rules say.
    static TUserFolders FromEnvironment(
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
};

// The program's configuration folder, ~/.config/korvatel (respecting XDG_CONFIG_HOME). It holds
// servers.ini and drives.ini beside the windows/ and system/ stand-ins.
QString ConfigDir(const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());

// The value of key (such as "XDG_DESKTOP_DIR") in the text of a user-dirs.dirs file, with a
// leading "$HOME" replaced by home; empty when the key is missing or its value is neither
// "$HOME/…" nor an absolute path.
QString UserDirFromText(const QString &text, const QString &key, const QString &home);

} // namespace korvatel
