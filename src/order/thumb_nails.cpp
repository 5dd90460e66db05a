#include "order/thumb_nails.h"

#include "imaging/exif.h"
#include "imaging/picture_kinds.h"
#include "order/relink.h"
#include "platform/prompter.h"
#include "pricing/price_tables.h"
#include "sources/browser_item.h"
#include "sources/camera_clock.h"
#include "sources/thumb_paths.h"
#include "text/cp932.h"
#include "text/numbers.h"

#include <QFileInfo>
#include <algorithm>
#include <climits>

namespace korvatel
{

namespace
{

int AddSaturating(int a, int b)
{
    return int(std::clamp<qint64>(qint64(a) + b, INT_MIN, INT_MAX));
}

int CompareText(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive);
}

template <typename T> int CompareValue(T a, T b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

// The comparison of the five sort kinds, before the direction is applied.
int CompareItems(const TThumbNail &a, const TThumbNail &b, int kind)
{
    switch (kind) {
    case osDate:
        if (int c = CompareText(a.PrintedDateKey(), b.PrintedDateKey()))
            return c;
        return CompareText(a.BaseName(), b.BaseName());
    case osFileName:
        if (int c = CompareText(a.BaseName(), b.BaseName()))
            return c;
        return CompareText(a.PrintedDateKey(), b.PrintedDateKey());
    case osFolder:
        return CompareText(a.FullPath, b.FullPath);
    case osFileSize:
        if (int c = CompareValue(a.FileSize, b.FileSize))
            return c;
        if (int c = CompareText(a.BaseName(), b.BaseName()))
            return c;
        return CompareText(a.PrintedDateKey(), b.PrintedDateKey());
    default:
        return CompareValue(a.Serial, b.Serial);
    }
}

} // namespace

const QStringList &OrderTypeNames()
{
    static const QStringList names = { QString(), QStringLiteral("otDpe"),
        QStringLiteral("otGoods"), QStringLiteral("otPhoto"), QStringLiteral("otContents"),
        QStringLiteral("otFile"), QStringLiteral("otReserv") };
    return names;
}

const QStringList &OrderTypeDisplayNames()
{
    static const QStringList names
        = { QString(), QStringLiteral("DPE"), QStringLiteral("物販"), QStringLiteral("ｷｬﾝﾊﾟｽ"),
              QStringLiteral("Webｺﾝﾃﾝﾂ"), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("予約") };
    return names;
}

TOrderType OrderTypeFromName(const QString &text)
{
    if (text.isEmpty())
        return otNone;
    for (const QStringList *table : { &OrderTypeNames(), &OrderTypeDisplayNames() }) {
        for (qsizetype i = 1; i < table->size(); ++i) {
            if (CompareText(text, table->at(i)) == 0)
                return TOrderType(i);
        }
    }
    return otNone;
}

const QStringList &ErrorKindNames()
{
    static const QStringList names
        = { QStringLiteral("neNoError"), QStringLiteral("neNotFound"), QStringLiteral("neZeroFile"),
              QStringLiteral("neUnFormat"), QStringLiteral("neUnDownload") };
    return names;
}

const QStringList &DateKindNames()
{
    static const QStringList names
        = { QStringLiteral("通常"), QStringLiteral("時刻"), QStringLiteral("指定") };
    return names;
}

bool IsCampusPicture(const QString &path)
{
    return path.toUpper().endsWith(QLatin1String(".CCI"));
}

bool IsProjectPicture(const QString &path)
{
    return path.endsWith(QLatin1String("_project.jpg"), Qt::CaseInsensitive);
}

int TThumbNail::SizeCount(const QString &size) const
{
    const QString prefix = size + u'=';
    for (const QString &line : Orders) {
        if (line.startsWith(prefix))
            return ParseInteger(line.mid(prefix.size()), 0);
    }
    return 0;
}

void TThumbNail::SetSizeCount(const QString &size, int count)
{
    const QString prefix = size + u'=';
    const auto at = std::find_if(
        Orders.begin(), Orders.end(), [&](const QString &l) { return l.startsWith(prefix); });
    if (count <= 0) {
        if (at != Orders.end())
            Orders.erase(at);
    } else if (at != Orders.end()) {
        *at = prefix + QString::number(count);
    } else {
        Orders.append(prefix + QString::number(count));
    }
    if (size == CurrentSize)
        CurrentCount = std::max(count, 0);
    Recount();
}

void TThumbNail::SetCurrentSize(const QString &size)
{
    CurrentSize = size;
    CurrentCount = std::max(SizeCount(size), 0);
}

void TThumbNail::AddToCurrent(int delta)
{
    CurrentCount = std::max(AddSaturating(CurrentCount, delta), 0);
    SetSizeCount(CurrentSize, CurrentCount);
}

void TThumbNail::ClearOrders()
{
    Orders.clear();
    TotalCount = 0;
    CurrentCount = 0;
}

void TThumbNail::Recount()
{
    int total = 0;
    for (const QString &line : Orders) {
        const qsizetype eq = line.indexOf(u'=');
        const int count = eq < 0 ? 0 : ParseInteger(line.mid(eq + 1), 0);
        if (count > 0)
            total = AddSaturating(total, count);
    }
    TotalCount = ErrorKind != neNoError ? 0 : total;
}

void TThumbNail::SetPicturePath(const QString &path, const QString &works)
{
    FullPath = path;
    FileName = PathFileName(path);
    FolderKey = DiskFolder(DiskNo) + u'\\'
        + korvatel::FolderKey(path.left(path.size() - FileName.size()));
    ThumbnailPath = OrderThumbnailPath(works, DiskNo, path);
}

void TThumbNail::SetDateTexts(const QDateTime &taken)
{
    const TPictureDate date = PictureDateText(taken, FullPath);
    DateStr[0] = date.date;
    DateStr[1] = (date.date + u' ' + date.time).trimmed();
}

QString TThumbNail::PrintedDateKey() const
{
    return DateStr[std::min<int>(DateType, 2)] + DateStr[1];
}

QString TThumbNail::BaseName() const
{
    const qsizetype dot = FileName.lastIndexOf(u'.');
    return dot < 0 ? FileName : FileName.left(dot);
}

TThumbNails::TThumbNails(TOrderContext context)
    : FContext(std::move(context))
{
}

TThumbNails::~TThumbNails() = default;

TThumbNail *TThumbNails::Item(int index) const
{
    return index >= 0 && index < Count() ? FItems[std::size_t(index)].get() : nullptr;
}

int TThumbNails::IndexOf(const TThumbNail *item) const
{
    for (int i = 0; i < Count(); ++i) {
        if (FItems[std::size_t(i)].get() == item)
            return i;
    }
    return -1;
}

void TThumbNails::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    FItems.erase(FItems.begin() + index);
    if (FItems.empty())
        FSerial = 0;
}

void TThumbNails::Clear()
{
    FItems.clear();
    FTotals = {};
    FSerial = 0;
    FAggregate = {};
}

int TThumbNails::Find(int diskNo, const QString &fullPath) const
{
    for (int i = 0; i < Count(); ++i) {
        const TThumbNail &item = *FItems[std::size_t(i)];
        if (item.DiskNo == diskNo && item.FullPath == fullPath)
            return i;
    }
    return -1;
}

void TThumbNails::Attach(std::unique_ptr<TThumbNail> item)
{
    item->FOwner = this;
    item->Serial = FSerial++;
    FItems.push_back(std::move(item));
}

TThumbNail *TThumbNails::AddPicture(
    int diskNo, const QString &fullPath, bool withoutCorrection, int count, const QString &size)
{
    auto item = std::make_unique<TThumbNail>();
    const bool campus = IsCampusPicture(fullPath);
    QString chosen = size;
    if (campus) {
        if (FContext.campus)
            item->CampusPrices = FContext.campus->ForPicture(fullPath);
        if (item->CampusPrices && (chosen.isEmpty() || !item->CampusPrices->Offers(chosen)))
            chosen = item->CampusPrices->DefaultSize();
    } else if (FContext.tables && (chosen.isEmpty() || FContext.tables->SizeIndex(chosen) < 0)) {
        chosen = FContext.tables->DefaultSize();
    }
    item->Project = IsProjectPicture(fullPath);
    if (item->Project && !FContext.projectSizes.isEmpty()) {
        if (!FContext.projectSizes.contains(chosen))
            chosen = FContext.projectSizes.first();
        count = std::max(count, 1);
    }
    if (!chosen.isEmpty() && count > 0) {
        item->Orders.append(chosen + u'=' + QString::number(count));
        item->TotalCount = count;
    }
    item->SetCurrentSize(chosen);
    item->CdOrder = true;
    item->OrderType = campus ? otPhoto : otDpe;
    item->DiskNo = diskNo;
    item->SetPicturePath(fullPath, FContext.works);
    if (!campus)
        item->Checksum = PictureChecksum(fullPath);
    item->DatePrint = !FContext.defDateNotPrint;
    if (withoutCorrection)
        item->Hosei.kind = 5;
    item->Width = -2;
    item->Height = -2;
    TThumbNail *added = item.get();
    Attach(std::move(item));
    return added;
}

void TThumbNails::Recount()
{
    FTotals = {};
    for (const auto &item : FItems) {
        item->Recount();
        if (item->ErrorKind != neNoError) {
            FTotals.badCount = AddSaturating(FTotals.badCount, 1);
            continue;
        }
        FTotals.orderCount = AddSaturating(FTotals.orderCount, item->TotalCount);
        if (FContext.cdOutput && item->CdOrder && !item->Project) {
            ++FTotals.cdCount;
            FTotals.cdBytes += std::max<qint32>(item->FileSize, 0);
        }
        // Project pictures have no phone toggle; a flag read back with one is not charged.
        if (item->KeitaiOrder && !item->Project)
            ++FTotals.keitaiCount;
    }
    if (OnChange)
        OnChange();
}

void TThumbNails::SetSortKind(int kind)
{
    FSortKind = std::clamp(kind, 0, kOrderSortCount - 1);
    Sort();
}

void TThumbNails::SetSortReversed(bool reversed)
{
    FSortReversed = reversed;
    Sort();
}

void TThumbNails::SetSort(int kind, bool reversed)
{
    FSortKind = std::clamp(kind, 0, kOrderSortCount - 1);
    FSortReversed = reversed;
}

void TThumbNails::Sort()
{
    if (OnBeforeSort)
        OnBeforeSort();
    SortItems(FSortKind, FSortReversed);
}

void TThumbNails::SortItems(int kind, bool reversed)
{
    std::sort(FItems.begin(), FItems.end(), [&](const auto &a, const auto &b) {
        const int c = CompareItems(*a, *b, kind);
        return reversed ? c > 0 : c < 0;
    });
}

void TThumbNails::RebuildAggregate()
{
    FAggregate = {};
    QList<TBasketPhoto> photos;
    for (const auto &item : FItems) {
        if (item->ErrorKind != neNoError)
            continue;
        for (const QString &line : item->Orders) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq <= 0)
                continue;
            const QString size = line.left(eq);
            const int count = ParseInteger(line.mid(eq + 1), 0);
            if (count <= 0)
                continue;
            if (item->OrderType == otPhoto) {
                const QString album = item->CampusPrices ? item->CampusPrices->folder
                                                         : PictureFolder(item->FullPath);
                const double price = item->CampusPrices ? item->CampusPrices->PriceOf(size) : 0;
                auto same = std::find_if(
                    FAggregate.campus.begin(), FAggregate.campus.end(), [&](const TCampusLine &l) {
                        return l.size == size && l.unitPrice == price && SameFolder(l.album, album);
                    });
                if (same == FAggregate.campus.end())
                    FAggregate.campus.append({ album, size, price, count });
                else
                    same->count = AddSaturating(same->count, count);
            } else {
                photos.append({ size, count, item->Repeated });
            }
        }
        if (FContext.cdOutput && item->CdOrder && !item->Project) {
            ++FAggregate.cdPictures;
            FAggregate.cdBytes += std::max<qint32>(item->FileSize, 0);
        }
    }
    if (FContext.tables)
        FAggregate.prints = MakePrintLines(photos, *FContext.tables, FAggregate.cdPictures > 0);
    else {
        for (const TBasketPhoto &photo : photos)
            FAggregate.prints.append({ photo.size, 0, photo.count });
    }
    FAggregate.phoneImages = FTotals.keitaiCount;
}

bool OrderMemoryCanHold(const QString &path)
{
    int unconverted = 0;
    const QByteArray bytes = ToCp932(path, &unconverted);
    // Some characters encode but read back as others (U+301C WAVE DASH becomes U+FF5E): the
    // path must come back exactly.
    return unconverted == 0 && FromCp932(bytes) == path;
}

QString UnstorablePathText(const QString &path)
{
    return QStringLiteral("ファイル名またはフォルダ名に使えない文字が含まれているため、"
                          "この画像は注文できません。\r\n名前を変えてから注文してください。"
                          "\r\n\r\n")
        + path;
}

TThumbNail *ToggleFromBrowser(
    TThumbNails &list, TBrowserItem &picture, const TToggleDefaults &defaults)
{
    if (picture.fileSize <= 0)
        return nullptr;
    const int found = list.Find(1, picture.fullPath);
    if (found >= 0) {
        list.Delete(found);
        picture.inOrder = false;
        return nullptr;
    }
    if (!OrderMemoryCanHold(picture.fullPath)) {
        if (defaults.prompter)
            defaults.prompter->Error(UnstorablePathText(picture.fullPath));
        picture.inOrder = false;
        return nullptr;
    }
    TThumbNail *item = list.AddPicture(
        1, picture.fullPath, defaults.withoutCorrection, defaults.count, defaults.size);
    item->FileSize = qint32(std::min<qint64>(picture.fileSize, INT_MAX));
    item->ErrorKind = neNoError;
    item->Width = -1;
    item->Height = -1;
    item->CdOrder = false;
    item->KeitaiOrder = false;
    item->DatePrint = false;
    if (item->OrderType == otDpe) {
        QDateTime taken;
        if (ImageKindOf(picture.fullPath) == ikJpeg) {
            TExifInfo exif;
            exif.SetImageFileName(picture.fullPath);
            if (exif.ErrorCode() == 0) {
                item->Width = exif.Width();
                item->Height = exif.Height();
                taken = defaults.cameraClocks ? defaults.cameraClocks->Apply(
                            exif.Make(), exif.Model(), exif.DateTimeOriginal())
                                              : exif.DateTimeOriginal();
            }
        }
        item->SetDateTexts(taken);
    }
    picture.inOrder = true;
    return item;
}

} // namespace korvatel
