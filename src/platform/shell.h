#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace korvatel
{

// The URL that ShellOpen hands to the desktop: text with a scheme of two or more letters
// ("http:", "mailto:", "file:") as it is, anything else as a local file (relative to the
// current folder). Invalid for empty text.
QUrl ShellUrl(const QString &pathOrUrl);

// Opens a file with its associated program or a web page in the browser, as the shell's
// "open" does. True when the desktop accepted the request.
bool ShellOpen(const QString &pathOrUrl);

// Starts a program without waiting for it. True when it started (where Windows answers with a
// result above 32).
bool StartProgram(const QString &program, const QStringList &args = {});

// Moves a folder with everything in it to the path to, without asking. Within one filesystem
// the folder is renamed; across filesystems it is copied with its file times and links, then
// the source is deleted. A failed copy is removed again and the source stays as it was. The
// target must not exist yet (a move never merges into an existing folder), and its parent
// must. True only when the source is gone and the target exists.
bool MoveFolder(const QString &from, const QString &to);

// Deletes a folder with everything in it, without asking. Links inside are removed, never
// followed; a link given as path is removed itself. True when nothing is left at path
// (also when there was nothing); false for an empty path, "/" or a path that is a file.
bool DeleteFolder(const QString &path);

// Deletes everything inside a folder, hidden entries included, and keeps the folder. Links
// inside are removed, never followed, and a link given as path is left alone (false). True when
// the folder exists and is empty afterwards.
bool EmptyFolder(const QString &path);

} // namespace korvatel
