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
// folder, the file name and ".BMP". The local copy is the same path without ".BMP". A local
// path that holds ":" or "\" (which the folder key cannot keep apart) gets a further folder
// "#" + 16 hexadecimal digits of its hash, so no two sources share a copy.
QString OrderThumbnailPath(const QString &works, int diskNo, const QString &path);
QString LocalCopyPath(const QString &works, int diskNo, const QString &path);

// The file name of a path, after its last "/" or "\".
QString PathFileName(const QString &path);

// True when the local copy exists with the size and last-write time of its source: a photo
// replaced or edited since the copy was made differs in one of them.
bool LocalCopyIsCurrent(const QString &source, const QString &copy);
// The local copy to send for a source: kept when it is current, made again from the source
// when it is missing or stale, kept as it is when the source is gone (a removed card). Empty
// when there is neither.
QString CurrentLocalCopy(const QString &source, const QString &copy);

// Copies the source to the local copy path (creating its folders), makes the copy its
// owner's alone, readable and writable (0600), and gives it the source's times. False when the
// source is missing or the copy fails.
bool MakeLocalCopy(const QString &source, const QString &copy);

} // namespace korvatel
