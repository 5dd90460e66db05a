#pragma once

#include "sources/browser_item.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>
#include <vector>

namespace korvatel
{

// One picture of the browser list: the thumbnail maker's item with what the list sorts by.
struct TFilmData : TBrowserItem {
    int index = 0; // the position in which the source listed it
    QString fileName;
    int diskNo = 1;
    int pictureKind = 0; // ImageKindOf the file
    QDateTime stamp; // the file's date-time
    QString typeText; // the kind of file as the list shows it ("JPG ファイル")
};

// The browser list's sort kinds: 0 list position, 1 file name without extension, 2 file size,
// 3 type text, 4 file date-time.
inline constexpr int kFilmSortCount = 5;
// −1, 0 or 1: a before b in the sort of kind, direction +1 ascending or −1 descending (kind 0
// is always ascending). Ties are broken by the date-time, in the direction.
int CompareFilm(const TFilmData &a, const TFilmData &b, int kind, int direction);

// The type text of a file: its extension in upper case and " ファイル".
QString FilmTypeText(const QString &fileName);

// The browser list (film list): the pictures of the chosen folder or date node. Items beyond
// the count stay allocated and are reused when the list is filled again.
class TFilmList
{
public:
    int Count() const { return FCount; }
    TFilmData &Item(int index) { return *FItems[size_t(index)]; }
    const TFilmData &Item(int index) const { return *FItems[size_t(index)]; }
    // Empties the list (keeping the item objects).
    void Clear() { FCount = 0; }
    // A fresh item at the end, its position set.
    TFilmData &Add();
    // Appends a picture file: name, kind, type text, size and time from the file (or the
    // values given when the file was listed elsewhere, as the date list does).
    TFilmData &AddFile(const QString &path, qint64 size = -1, const QDateTime &stamp = {});
    // The index of the item with exactly this full path, or −1 (case counts: "a.jpg" and
    // "a.JPG" are two pictures).
    int IndexOf(const QString &path) const;
    // Items marked as ordered.
    int OrderedCount() const;
    void Sort(int kind, int direction);
    // The full paths in list order.
    QStringList Paths() const;

private:
    std::vector<std::unique_ptr<TFilmData>> FItems;
    int FCount = 0;
};

} // namespace korvatel
