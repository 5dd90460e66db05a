#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

class TThumbNail;
class TThumbNails;

// The content checksum a basket item keeps of its picture: SHA-256 over the file size (eight
// bytes, little-endian), its first 64 KiB and its last 64 KiB, as 64 lower-case hexadecimal
// figures. The head holds the Exif block with the shooting date and the embedded thumbnail, the
// tail the end of the image data, so a picture renamed or moved keeps its checksum while another
// picture of the same name and size does not. The work is bounded: at most 128 KiB are read,
// whatever the size. Empty when the file cannot be read.
QString PictureChecksum(const QString &path);
// True for text that has the checksum's form (the order memory keeps only such text); the
// whole-file hash has the same form.
bool IsPictureChecksum(const QString &text);
// SHA-256 over the whole file, as 64 lower-case hexadecimal figures; empty when the file cannot
// be read or the job thread it runs on is stopped. A basket item keeps it beside the checksum:
// the checksum finds a moved picture cheaply, the whole-file hash proves that no byte between
// head and tail was changed. It reads the whole picture, so the window leaves it to
// TWholeHashes (order/whole_hashes.h).
QString PictureWholeHash(const QString &path);

// How far a search for moved pictures may go.
struct TRelinkLimits {
    int maxDepth = 12; // folder levels below each root
    int maxFiles = 200000; // files looked at, over all roots
    int maxMillis = 30000; // wall time
};

// Progress and cancel of a search; both may be empty.
struct TRelinkProgress {
    std::function<bool()> cancelled; // asked between files
    std::function<void(const QString &folder, int files)> folder; // each folder entered
};

// A vanished item's picture found at a new place.
struct TFoundPicture {
    const TThumbNail *item = nullptr;
    QString path;
};

// What a search gave.
struct TRelinkSearch {
    QList<TFoundPicture> found;
    // Vanished items without a stored checksum: nothing can prove that a file is their picture,
    // so they are never matched.
    QList<const TThumbNail *> unverifiable;
    bool stopped = false; // cancelled or a limit was reached before every root was walked
    int filesSeen = 0;
};

// Looks for the pictures of the vanished items: the candidate files first (the date tree's
// pictures), then every file under the roots (the customer's folders), within the limits. A
// file is a match only when its size equals the item's stored size, its checksum equals the
// item's stored checksum and, when the item keeps a whole-file hash, its whole-file hash equals
// that; the first match of an item wins, and a file already in the basket never matches. Links
// (to files or folders) are never followed, and a walk stays on the filesystem of its root.
TRelinkSearch FindMovedPictures(const TThumbNails &list, const QList<const TThumbNail *> &vanished,
    const QStringList &roots, const QStringList &candidates, const TRelinkLimits &limits = {},
    const TRelinkProgress &progress = {});

// The folders a search walks, nearest first: the folder above each vanished picture's old
// folder and the one above that (never a filesystem's root), the browser's last folder, then
// the given roots (the source tree's fixed drives; removable, remote and CD drives are walked
// only when named as search roots). Each folder once.
QStringList MovedSearchRoots(const QList<const TThumbNail *> &vanished, const QString &lastDir,
    const QStringList &driveRoots);
// Sets what is told of each root folder a search is about to walk, or clears it when empty (as
// the program runs). A test harness watches with it that a search stays inside the test's own
// folder; it may be called from the thread that searches.
void WatchSearchRoots(std::function<void(const QString &root)> watch);
// The pictures of the date tree's list (the lines of DateData.ini) whose size some vanished
// item has: the candidates looked at before any folder is walked.
QStringList DateTreeCandidates(
    const QStringList &dateData, const QList<const TThumbNail *> &vanished);

// The question for one found picture, naming the old and the new place.
QString RelinkQuestion(const QString &oldPath, const QString &newPath);
// The notice for items that cannot be looked for.
QString UnverifiableNotice(int count);

// Points the item at its picture's new place. The counts, sizes, correction, date settings and
// phone trimming stay as they are; the file name, folder key and order thumbnail path follow the
// new path, and the order thumbnail and local copy already made are moved along. False (nothing
// changed) when the new file's checksum or whole-file hash no longer equals the stored one or
// the new path is already in the basket or is a link.
bool RelinkItem(TThumbNails &list, TThumbNail &item, const QString &newPath);

} // namespace korvatel
