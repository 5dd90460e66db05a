#pragma once

#include "platform/drive_table.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>

namespace korvatel
{

struct TOptionSettings;
struct TUserFolders;

// The file system's packed date-time: the date in the high word (years since 1980 in bits
// 9-15, month 5-8, day 0-4) and the time in the low word (hours 11-15, minutes 5-10, seconds
// halved 0-4). Times before 1980 are kept as 1980-01-01 00:00:00 and times after 2107 as the
// last one the form holds; seconds lose their last bit.
quint32 PackFileDateTime(const QDateTime &local);
QDateTime UnpackFileDateTime(quint32 stamp);

// One found picture: 8 upper-case hexadecimal figures of the packed time stamp, the full path,
// "|" and 8 hexadecimal figures of the size. Sorting the lines as strings orders the pictures
// by time, then by path.
QString ScanLine(quint32 stamp, const QString &path, qint64 size);
struct TScanEntry {
    quint32 stamp = 0;
    QString path;
    qint64 size = 0;
};
// nullopt for a line that is not a scan line (short, bad figures, no "|", empty path).
std::optional<TScanEntry> DecodeScanLine(const QString &line);

// The extensions the date scan looks for, in their order, each when its kind is on in
// Option.ini: ".jpg", ".jpeg", ".bmp", ".bid", ".gif", ".ico", ".png", ".tif" and ".tiff",
// ".webp", ".heic", ".heif" and ".hif", ".avif", ".emf" and ".wmf" (one kind), ".avi".
QStringList PictureKindExtensions(const TOptionSettings &option);

// What the walk needs to know besides the folders.
struct TScanRules {
    QStringList extensions; // PictureKindExtensions
    bool fullMode = false; // visit folder names with an extension too ("FULLMAKE")
    bool internetCache = false; // show the browser's download cache ("TEMP")
    bool sizeFilter = false;
    qint64 minSize = 0;
    qint64 maxSize = 0; // 0: no upper bound
    QStringList excluded; // the active entries of the exclusion list
    // Skipped when the folder equals one of them: the stand-ins of the Windows and system
    // directories.
    QStringList systemFolders;
    // The folders that stand for "Temporary Internet Files" on this platform.
    QStringList internetCaches;
    bool dateMode = true; // report the count of lines found so far
    // File a photo under its Exif DateTimeOriginal (read once, here) rather than its file time.
    bool shootingDate = false;
};
// The rules of the options, the user's folders and the exclusion list.
TScanRules ScanRulesFrom(
    const TOptionSettings &option, const TUserFolders &folders, const QStringList &excluded);

// The date-time a picture is filed under: with shootingDate, the Exif DateTimeOriginal of a
// JPEG, HEIF or AVIF file that has a valid one; otherwise (and for every other file) its file
// time.
QDateTime ScanDateTime(const QString &path, const QDateTime &fileTime, bool shootingDate);

// True when the folder's lower-case path (with a trailing separator) contains one of the skip
// words: the recycle bin and trash folders, the workspace and its siblings ("/korvate",
// "/korvdpof", "/korvadpof", "/korvhtms"), the program and Windows folders.
bool SkippedBySkipList(const QString &folder);

// The walker of the date scan. It is used from one thread at a time; Stop may be called from
// any thread and ends the walk at the next entry.
class TDateScanner
{
public:
    explicit TDateScanner(TScanRules rules);

    const TScanRules &Rules() const { return FRules; }

    // Walks one folder and, when recurse is set, its subfolders (all of them in full mode,
    // only names without an extension in fast mode), appending a scan line for each picture.
    // Unreadable folders are skipped; the stop flag ends the whole walk at once.
    void ScanFolder(const QString &folder, QStringList &lines, bool recurse);

    void Stop() { FStop = true; }
    void ClearStop() { FStop = false; }
    bool Stopped() const { return FStop; }

    // Called with each folder walked (the status bar's folder panel) and with the number of
    // lines found so far (the first panel's "COUNT:"), on the walking thread.
    std::function<void(const QString &folder)> OnFolder;
    std::function<void(int count)> OnCount;
    // Called between entries, so a walk on the window's thread can let the window work.
    std::function<void()> Pump;

private:
    void Walk(const QString &folder, QStringList &lines, bool recurse, int depth);
    bool InInternetCache(const QString &folder) const;

    TScanRules FRules;
    std::atomic<bool> FStop { false };
};

// The drives of the disk scan in letter order from B to Z: the fixed drives, and the network
// drives when lan is set.
QList<TDrive> ScanDrives(const TDriveTable &drives, bool lan);
// Walks the roots of the drives one after the other and stops at the first drive after which
// the stop flag is set.
void ScanDisks(TDateScanner &scanner, const QList<TDrive> &drives, QStringList &lines);

// A node of the date tree: "%4d年", "%4.4d/%2d月" or "yy/mm/dd", each followed by its count
// as "(%4d)".
struct TDateNode {
    QString text;
    int count = 0;
    QList<TDateNode> children;
};

// What a build of the date tree makes from the scan lines.
struct TDateLists {
    QStringList lines; // sorted: the contents of DateData.ini
    QList<TDateNode> years;
    // "yyyymm" → the lines of the month file.
    QMap<QString, QStringList> months;
    int pictures = 0; // pictures listed (copies counted once)
};

// Sorts the lines and groups them by year, month and day; a line whose file name (case
// ignored), time stamp and size equal those of the line before, in another folder, is a copy
// and is skipped. Two names of one folder are two pictures, even when only their case differs.
// Lines that do not decode are kept in the sorted list but not listed. abandon is asked
// between lines; nullopt when it said yes.
std::optional<TDateLists> BuildDateLists(
    QStringList lines, const std::function<bool()> &abandon = {});

// The files of the date list in the \Tree folder.
QString DateDataPath(const QString &tree);
QString MonthFilePath(const QString &tree, int year, int month);
QString LastDatePath(const QString &tree);
// DateData.ini may be this large: the scan of a big network drive lists millions of pictures.
inline constexpr qint64 kMaxDateDataSize = qint64(1) << 30;
// The lines of DateData.ini: none when the file is missing, nullopt when it is there but cannot
// be read (an I/O error, over kMaxDateDataSize), so that nothing is written over it.
std::optional<QStringList> ReadDateData(const QString &tree);
// Deletes every "*.ksf" file of the folder.
void DeleteMonthFiles(const QString &tree);
// Writes the month files of a finished build; false when one could not be written.
bool WriteMonthFiles(const QString &tree, const TDateLists &lists);

// The days a node of the date tree covers.
struct TDateRange {
    int year = 0;
    int firstMonth = 1;
    int lastMonth = 12;
    int firstDay = 1;
    int lastDay = 31;
};
// A year node ("年" in the text), a month node ("月": year before "/", month between "/" and
// "月") or a day node "yy/mm/dd" (2000 + yy when yy < 90, else 1900 + yy); nullopt for any
// other text.
std::optional<TDateRange> DateNodeRange(const QString &nodeText);
// The day node "yy/mm/dd" of a picture's date text ("yyyy.mm.dd" or "yyyy-mm-dd", as the
// basket keeps it); empty for any other text.
QString DayNodeText(const QString &date);

// One picture of a month file.
struct TDatePicture {
    QString fullPath;
    QDateTime stamp;
    qint64 size = 0;
};
// The pictures of a month file's lines whose day lies in the range; lines that do not parse
// are skipped.
QList<TDatePicture> ReadMonthLines(const QStringList &lines, int year, int month, int firstDay,
    int lastDay, const QString &startFolder = {});
// The pictures of a date node read from the month files in the \Tree folder; empty when the
// text is not a date node or the files are missing.
QList<TDatePicture> ListDateNode(const QString &tree, const QString &nodeText);

} // namespace korvatel
