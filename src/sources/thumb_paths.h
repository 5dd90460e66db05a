#pragma once

#include <QString>

namespace korvatel
{

// The thumbnail modes of the browser (0..8): long side, scaling and captions.
inline constexpr int kThumbnailModeCount = 9;

// 400, 600 or 800: the long side of a browser thumbnail made in the mode. Modes 6 to 8 use 800
// for the pictures they cannot show otherwise (no Exif thumbnail, or not a JPEG file).
int ThumbnailLongSide(int mode);
// True in modes 3 to 5, which scale with ResizeAreaAverage; the others stretch.
bool ThumbnailAreaAverage(int mode);
// The captions of the menu group "専用サムネイル作成モード" and of the combo box; empty for a mode
// out of range.
QString ThumbnailModeMenuCaption(int mode);
QString ThumbnailModeComboCaption(int mode);
// A mode switch deletes the browser thumbnails of the listed items when the product of the two
// modes is above 0, so switching to or from mode 0 keeps the files. Choosing the current mode
// does nothing.
bool ModeSwitchDeletesThumbnails(int oldMode, int newMode);

// The folder key of a path: a network path ("\\server\…") becomes "LAN\server\…", every ":" is
// removed, every pair of backslashes is deleted (repeatedly) and a trailing backslash is cut.
// "/" counts as "\"; a local path of this platform that starts with one "/" loses it, as the
// drive letter's colon would be lost. The result uses backslashes.
QString FolderKey(const QString &path);

// The browser thumbnail of a source: the Works folder, "Disk$001", the folder key of the whole
// path, then ".small.jpg" (ThumbCachePath is the path without that suffix). The results use
// "/" as Qt paths do.
QString ThumbCachePath(const QString &works, const QString &path);
QString BrowserThumbPath(const QString &works, const QString &path);

// "Disk$" and the disk number as upper-case hexadecimal, at least 3 places.
QString DiskFolder(int diskNo);

// The order thumbnail of an item: Works, DiskFolder(disk), the folder key of the source's
// folder, the file name and ".BMP". The local copy is the same path without ".BMP".
QString OrderThumbnailPath(const QString &works, int diskNo, const QString &path);
QString LocalCopyPath(const QString &works, int diskNo, const QString &path);

// The file name of a path, after its last "/" or "\".
QString PathFileName(const QString &path);

// Copies the source to the local copy path (creating its folders), clears the copy's
// read-only attribute and gives it the source's times. False when the source is missing or the
// copy fails.
bool MakeLocalCopy(const QString &source, const QString &copy);

} // namespace korvatel
