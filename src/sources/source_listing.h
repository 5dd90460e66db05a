#pragma once

#include "platform/drive_table.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace korvatel
{

// Whether the browser lists a file of this name: its extension, lower-cased with its dot, is
// one of the picture kinds of Option.ini (PictureKindExtensions).
bool ListedKind(const QString &name, const QStringList &extensions);

// The pictures a folder lists in the browser: the readable files (hidden ones included) of the
// listed kinds, with those of every subfolder when asked, in name order ignoring case.
QStringList FolderPictures(const QString &folder, const QStringList &extensions, bool subfolders);

// The folders directly inside a folder, as the folder tree shows them: hidden ones left out,
// in name order ignoring case. Empty for a folder that cannot be read.
QStringList SubfolderNames(const QString &folder);
// Whether the folder has one of those folders; stops at the first.
bool HasSubfolder(const QString &folder);

// The text of a drive's node in the folder tree: its letter, a colon and a blank, then
// "(ホーム)" for the home folder, else the filesystem's label, else the last name of its folder
// ("E: CARD").
QString DriveNodeText(const TDrive &drive, const QString &home);

// The refresh button's hint after a completed scan: "[最終更新]　" and the time as the short
// part; the previous long part up to its first "。", then "。最終更新 " and the time as the long
// one.
QString LastReadHint(const QString &previous, const QDateTime &when);

} // namespace korvatel
