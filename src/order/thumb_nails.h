#pragma once

#include "imaging/correction.h"
#include "order/campus_prices.h"
#include "pricing/order_pricing.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace korvatel
{

class TCameraClocks;
class TClock;
class TPriceTables;
class TPrompter;
class TThumbNails;
struct TBrowserItem;

// Kinds of order item, stored by name in the order memory.
enum TOrderType : uint8_t { otNone, otDpe, otGoods, otPhoto, otContents, otFile, otReserv };
const QStringList &OrderTypeNames(); // "", "otDpe", …
const QStringList &OrderTypeDisplayNames(); // "", "DPE", "物販", "ｷｬﾝﾊﾟｽ", …
// The type whose name or display name equals the text ignoring case; otNone when none does.
TOrderType OrderTypeFromName(const QString &text);

// What is wrong with an item's picture.
enum TErrorKind : uint8_t { neNoError, neNotFound, neZeroFile, neUnFormat, neUnDownload };
const QStringList &ErrorKindNames();

// Which date text is printed on the picture.
enum TDateKind : uint8_t { dkNormal = 0, dkTime = 1, dkCustom = 2 };
const QStringList &DateKindNames(); // "通常", "時刻", "指定"

// True for a ".cci" file (campus picture) and for a name ending in "_project.jpg".
bool IsCampusPicture(const QString &path);
bool IsProjectPicture(const QString &path);

// One order item: a picture with the prints wanted of it.
class TThumbNail
{
public:
    TThumbNails *Owner() const { return FOwner; }

    TOrderType OrderType = otDpe;
    std::shared_ptr<const TCampusPriceList> CampusPrices; // order type 3 only
    quint32 Serial = 0;
    int DiskNo = 0;
    QString FullPath;
    bool Repeated = false;
    QString FolderKey; // "Disk$001\C\Photos"
    QString FileName;
    QString ThumbnailPath; // the order thumbnail (".BMP")
    // The local copy of the picture kept beside the order thumbnail (its path without ".BMP");
    // empty when the item has no thumbnail path.
    QString LocalCopy() const
    {
        return ThumbnailPath.size() > 4 ? ThumbnailPath.chopped(4) : QString();
    }
    // Sets FullPath and what follows from it and DiskNo: the file name, the folder key and the
    // order thumbnail path under the Works folder.
    void SetPicturePath(const QString &path, const QString &works);
    QString DateStr[3];
    // Sets the date imprint's texts DateStr[0] (the date) and DateStr[1] (date and time) from
    // PictureDateText of the shooting date and FullPath.
    void SetDateTexts(const QDateTime &taken);
    TErrorKind ErrorKind = neNoError;
    qint32 FileSize = 0;
    // The content checksum of the picture taken when it entered the basket (PictureChecksum of
    // order/relink.h); empty for items of older baskets, which are then never relinked.
    QString Checksum;
    // The whole-file hash of the picture (PictureWholeHash), taken after the item was added,
    // away from the window (TWholeHashes); while it is empty (not taken yet, or an older
    // basket's item whose picture is gone) the item is relinked on the checksum and size alone.
    QString WholeHash;
    qint32 Width = -2; // −1: read when needed; −2: not read since the item was made
    qint32 Height = -2;
    QStringList Orders; // "size=count", no line for a count of 0
    qint32 TotalCount = 0;
    QString CurrentSize;
    qint32 CurrentCount = 0;
    bool CdOrder = false;
    bool KeitaiOrder = false;
    quint8 KeitaiRotat = 0;
    double KeitaiTriming[4] = { 0, 0, 0, 0 };
    bool DatePrint = false;
    TDateKind DateType = dkNormal;
    CorrectionRecord Hosei;
    bool Project = false;
    // The order grid's broken state: 0 sound, 1 the picture is gone, 3 it does not load, 4 a
    // campus picture that cannot be obtained. A broken item is not decoded again.
    int Broken = 0;

    // The count of a size; 0 when it has no line.
    int SizeCount(const QString &size) const;
    // Sets the count of a size (0 removes its line) and recounts the item.
    void SetSizeCount(const QString &size, int count);
    // Makes the size current; the current count becomes its count (never below 0). Every change
    // of the current size goes through here, so the count shown is always the size's own.
    void SetCurrentSize(const QString &size);
    // Adds delta to the current size's count, never below 0, and writes it back.
    void AddToCurrent(int delta);
    // Empties the orders and zeroes the total and current counts.
    void ClearOrders();
    // Total = the sum of the orders' counts (saturating), 0 while the item has an error.
    void Recount();
    // The text of the item's date kind followed by text [1]: the key of the date sorts.
    QString PrintedDateKey() const;
    // The file name without its extension.
    QString BaseName() const;

private:
    friend class TThumbNails;
    TThumbNails *FOwner = nullptr;
};

// What the order list takes from the shop and the settings around it.
struct TOrderContext {
    const TPriceTables *tables = nullptr;
    const TCampusPriceLists *campus = nullptr;
    // The sizes a project picture may have; its first is the default.
    QStringList projectSizes;
    // Shop option DefDateNotPrint: new items start without the date imprint.
    bool defDateNotPrint = false;
    // CD-R output is enabled: items with CD-R count towards the disc.
    bool cdOutput = true;
    // The Works folder of the workspace, for the order thumbnail paths.
    QString works;
};

// Sort kinds of the order list ("注文順" … "サイズ順").
enum TOrderSort { osSerial, osDate, osFileName, osFolder, osFileSize };
inline constexpr int kOrderSortCount = 5;

// The totals of the order memory header.
struct TOrderTotals {
    int orderCount = 0;
    int cdCount = 0;
    qint64 cdBytes = 0;
    int keitaiCount = 0;
    int badCount = 0;
};

// The order list: the customer's basket, one item per picture.
class TThumbNails
{
public:
    explicit TThumbNails(TOrderContext context = {});
    ~TThumbNails();
    TThumbNails(const TThumbNails &) = delete;
    TThumbNails &operator=(const TThumbNails &) = delete;

    TOrderContext &Context() { return FContext; }
    const TOrderContext &Context() const { return FContext; }

    int Count() const { return int(FItems.size()); }
    // nullptr when the index is out of range.
    TThumbNail *Item(int index) const;
    int IndexOf(const TThumbNail *item) const;
    // Frees the item; an emptied list resets the serial counter.
    void Delete(int index);
    // Frees every item and zeroes the totals and the serial counter.
    void Clear();
    // The index of the item with this disk number and exactly this path, or −1. Names that
    // differ only in case are two pictures on this platform.
    int Find(int diskNo, const QString &fullPath) const;

    // Adds a picture (campus lists, offered sizes, project sizes as the order rules say) and
    // returns the new item, appended at the end. It reads only the picture's checksum; the
    // whole-file hash is left to the caller.
    TThumbNail *AddPicture(int diskNo, const QString &fullPath, bool withoutCorrection, int count,
        const QString &size);

    // Recomputes the totals and calls OnChange.
    void Recount();
    const TOrderTotals &Totals() const { return FTotals; }
    int OrderCount() const { return FTotals.orderCount; }
    int CdCount() const { return FTotals.cdCount; }
    qint64 CdBytes() const { return FTotals.cdBytes; }
    int KeitaiOrderCount() const { return FTotals.keitaiCount; }
    int BadCount() const { return FTotals.badCount; }
    quint32 NextSerial() const { return FSerial; }
    std::function<void()> OnChange;

    // Sorting: the setters store and re-sort at once; SetSort only stores (State.ini).
    int SortKind() const { return FSortKind; }
    bool SortReversed() const { return FSortReversed; }
    void SetSortKind(int kind);
    void SetSortReversed(bool reversed);
    void SetSort(int kind, bool reversed);
    void Sort();
    // Called before sorting, so the grid can commit an open date-text editor.
    std::function<void()> OnBeforeSort;

    // The per-size aggregate the pricing reads: print lines of the disk pictures (one per
    // size and unit price, from the price tables) and campus lines (album folder, size and
    // the campus list's price), with the CD-R count and bytes.
    void RebuildAggregate();
    const TPricingBasket &Aggregate() const { return FAggregate; }

    // The order memory. SaveMemory writes OrderMemory (order type 1) and CampusOrder (type 3)
    // atomically, each only when it has items (else the file is deleted), in serial order; the
    // sort is restored afterwards. False when a file could not be written (the old file then
    // stays as it was; a file of which the last load could not read every record is first
    // renamed to "<file>.unread", so no item is lost without a trace).
    // LoadMemory appends the records of both files (either may be missing),
    // then recounts, rebuilds the aggregate and sorts; it returns the number of items read.
    bool SaveMemory(const QString &mainFile, const QString &campusFile, const QDateTime &now) const;
    bool SaveMemory(const QString &mainFile, const QString &campusFile, const TClock &clock) const;
    int LoadMemory(const QString &mainFile, const QString &campusFile);
    // The text of one memory file, and its reader on text already read (fileType is 1 for
    // OrderMemory, 3 for CampusOrder).
    QStringList MemoryLines(TOrderType fileType, const QDateTime &now) const;
    // skipped (when given) receives the number of records that gave no item.
    int ReadMemoryLines(const QStringList &lines, TOrderType fileType, int *skipped = nullptr);

private:
    void Attach(std::unique_ptr<TThumbNail> item);
    void SortItems(int kind, bool reversed);

    TOrderContext FContext;
    std::vector<std::unique_ptr<TThumbNail>> FItems;
    quint32 FSerial = 0;
    TOrderTotals FTotals;
    int FSortKind = osSerial;
    bool FSortReversed = false;
    TPricingBasket FAggregate;
    // Memory files of which the last load could not read every record; the next save sets them
    // aside.
    mutable QStringList FUnreadFiles;
};

// The defaults of the browser toggle: the "注文数初期値" box, the default size of Default.ini
// and the "無補正" box.
struct TToggleDefaults {
    int count = 1;
    QString size;
    bool withoutCorrection = false;
    TPrompter *prompter = nullptr; // tells why a picture cannot be ordered; none: silent
    // The camera clock corrections the date imprint's texts follow; none: the Exif dates.
    const TCameraClocks *cameraClocks = nullptr;
};

// True when the order memory can keep path: the file is Shift-JIS text, and a path with a
// character that Shift-JIS cannot hold (a folder named "Café") would come back as another path
// and the item would vanish at the next start.
bool OrderMemoryCanHold(const QString &path);
// The message for a picture whose path the order memory cannot keep.
QString UnstorablePathText(const QString &path);

// Adds the browsed picture to the order, or removes it when it is there already (disk 1).
// Returns the added item, or nullptr when it was removed, the browser item has no file size or
// its path cannot be kept (then the prompter, if any, says so). The browser item's in-order
// flag follows.
TThumbNail *ToggleFromBrowser(
    TThumbNails &list, TBrowserItem &picture, const TToggleDefaults &defaults);

} // namespace korvatel
