#include "sending/order_package.h"

#include "imaging/bitmap.h"
#include "imaging/correction_text.h"
#include "imaging/jpeg_codec.h"
#include "imaging/picture_kinds.h"
#include "order/order_thumbnail.h"
#include "order/thumb_nails.h"
#include "platform/private_files.h"
#include "platform/prompter.h"
#include "pricing/price_tables.h"
#include "sources/thumb_paths.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>

namespace korvatel
{

namespace
{

const QString kPrintFolder = QStringLiteral("$IMG_PRN");
const QString kCdFolder = QStringLiteral("CD-R/$IMG_CDR");
const QString kIndexFolder = QStringLiteral("$NDX");
const QString kCdSize = QStringLiteral("CD-R");

// A size name made safe as a folder name: separators and dots-only names are replaced, and so
// is each character that Shift-JIS cannot hold.
QString SizeFolder(const QString &size)
{
    QString folder = Cp932Safe(size);
    folder.replace(u'/', u'／').replace(u'\\', u'＼');
    if (folder.isEmpty() || folder == QLatin1String(".") || folder == QLatin1String(".."))
        folder = QStringLiteral("_");
    return folder;
}

struct TPicturePlace {
    const TThumbNail *item = nullptr;
    QString printName; // remote name in $IMG_PRN, empty when not printed
    QString cdName; // remote name in CD-R/$IMG_CDR
    QString formatLine; // "IMG FMT = …" of the picture's print order jobs
};

// The file that goes to the shop for an item: its local copy of the source picture, made
// again from the source when it is missing or differs from the source in size or time (a
// photo replaced or edited since it was put in the basket). Empty when neither exists.
QString SentPicture(const TThumbNail &item)
{
    const QString copy = item.LocalCopy();
    if (copy.isEmpty())
        return QFileInfo(item.FullPath).isFile() ? item.FullPath : QString();
    return CurrentLocalCopy(item.FullPath, copy);
}

// Writes a print order file into <folder>/<size>/MISC and adds it to the send list. Like
// everything in the order folder, the folders and the file are the owner's alone.
bool WriteDpof(TSendList &list, const QString &localFolder, const QString &orderName,
    const QString &sizeFolder, const QString &fileName, const QStringList &lines)
{
    const QString dir = localFolder + u'/' + sizeFolder + QStringLiteral("/MISC");
    if (!MakePrivateFolder(localFolder + u'/' + sizeFolder) || !MakePrivateFolder(dir)
        || !WriteSjisLines(dir + u'/' + fileName, lines, TFileAccess::faPrivate))
        return false;
    return list
        .Add(dir + u'/' + fileName, orderName + u'/' + sizeFolder + QStringLiteral("/MISC"),
            fileName, false, true)
        .has_value();
}

// The print order job of a placed picture under its remote name.
TDpofJob JobOf(const TPicturePlace &place, const QString &name, int count)
{
    const TThumbNail &item = *place.item;
    TDpofJob job;
    job.fileName = name;
    job.count = count;
    job.formatLine = place.formatLine;
    if (item.DatePrint)
        job.dateText = DpofDateText(
            item.DateStr[std::min<int>(item.DateType, 2)].trimmed(), item.DateType == dkCustom);
    return job;
}

// The packing of one order, step by step. Each step returns false after a failure and leaves
// the warning to show in FWarning; the caller then removes the local folder.
class TPacking
{
public:
    TPacking(const TOrderInput &input, TPrompter &prompter)
        : FInput(input)
        , FPrompter(prompter)
    {
    }

    bool MakeFolder();
    bool PlacePictures();
    bool AddAddressCard();
    bool AddIndexSheets();
    bool WriteSizePrintOrders();
    bool WriteCdPrintOrder();
    bool WriteOrderMessage();
    bool WriteEntryFiles();
    bool WriteCountFile();

    TPackedOrder &Order() { return FOrder; }
    const QString &Warning() const { return FWarning; }

private:
    bool Fail(const QString &warning);
    bool FailWrite(const QString &path);
    bool AddPicture(int index, TThumbNail &item);
    QStringList PrintedSizes() const;
    QList<TDpofJob> SizeJobs(const QString &size, bool campus) const;
    QString IndexSize() const
    {
        return FInput.indexSize.isEmpty() ? QStringLiteral("L") : FInput.indexSize;
    }

    const TOrderInput &FInput;
    TPrompter &FPrompter;
    TPackedOrder FOrder;
    QString FName; // N
    TSendList FList;
    QList<TPicturePlace> FPlaces;
    QStringList FCountList;
    QString FCardName; // remote name of the address card; empty without one
    QString FCardSize;
    QStringList FIndexNames; // remote names of the index sheets in $NDX
    QStringList FSizes;
    QString FCdChannelSize;
    QString FWarning;
};

bool TPacking::Fail(const QString &warning)
{
    FWarning = warning;
    return false;
}

bool TPacking::FailWrite(const QString &path)
{
    return Fail(QStringLiteral("ファイルを書き込めません。\r\n") + path);
}

// 1. The local order folder and the remote order name.
bool TPacking::MakeFolder()
{
    FOrder.start = FInput.now;
    const int counter = MakeLocalOrderFolder(FInput.workDir, FInput.now, &FOrder.localFolder);
    if (counter < 0)
        return false;
    FOrder.name = RemoteOrderName(FInput.now, counter, FInput.customer);
    FName = FOrder.name;
    return true;
}

// 2. Pictures: one upload per picture and folder; the print order files refer to the names.
bool TPacking::PlacePictures()
{
    TThumbNails *basket = FInput.basket;
    for (int i = 0; basket && i < basket->Count(); ++i) {
        TThumbNail *item = basket->Item(i);
        if (item->ErrorKind != neNoError)
            continue;
        if (item->TotalCount <= 0 && !item->CdOrder)
            continue;
        if (!AddPicture(i, *item))
            return false;
    }
    return true;
}

bool TPacking::AddPicture(int index, TThumbNail &item)
{
    TPicturePlace place;
    place.item = &item;
    const QString sent = SentPicture(item);
    if (sent.isEmpty())
        return Fail(NotFoundWarning(item.FullPath));
    // The shop corrects against the measured reference: an item whose grid picture was never
    // made is measured now, from the local copy just made.
    PrepareItemCorrection(item, FPrompter);
    const QString correction = ShopText(item.Hosei);
    if (item.TotalCount > 0) {
        const std::optional<QString> name
            = FList.Add(sent, FName + u'/' + kPrintFolder, item.FileName, true, true, correction);
        if (!name)
            return Fail(NotFoundWarning(item.FullPath));
        place.printName = *name;
    }
    if (item.CdOrder) {
        const std::optional<QString> name
            = FList.Add(sent, FName + u'/' + kCdFolder, item.FileName, true, true);
        if (!name)
            return Fail(NotFoundWarning(item.FullPath));
        place.cdName = *name;
    }
    const int kind = ImageKindOf(sent);
    place.formatLine = DpofFormatLine(
        kind, kind == ikJpeg ? ExifVersionOf(sent) : QByteArray(), item.Hosei.Active());
    FPlaces << place;
    FCountList << item.FullPath;
    if (FInput.onPicture)
        FInput.onPicture(index + 1, FInput.basket->Count());
    return true;
}

// 3. The address card is printed as a job of its own.
bool TPacking::AddAddressCard()
{
    if (FInput.cardCopies <= 0)
        return true;
    TAddressCard card;
    card.customer = FInput.customer;
    card.shopId = FInput.shop.shopId;
    card.orderName = FName;
    card.shopName = FInput.shop.name;
    card.shopTel = FInput.shop.tel;
    card.shopAddress = FInput.shop.address;
    card.phoneUrl = FInput.phoneUrl;
    const QString path = FOrder.localFolder + QStringLiteral("/_CARD_.JPG");
    const QByteArray jpeg = EncodeJpeg(TBitmap::FromImage(DrawAddressCard(card)), 80);
    // The card shows the customer's name, address and telephone.
    if (!WriteFileAtomic(path, jpeg, TFileAccess::faPrivate))
        return FailWrite(path);
    QString warning;
    const std::optional<QString> name = FList.Add(
        path, FName + u'/' + kPrintFolder, QStringLiteral("_CARD_.JPG"), true, true, {}, &warning);
    if (!name)
        return Fail(warning);
    FCardName = *name;
    return true;
}

// 3b. The index sheets of the CD-R pictures go to $NDX; each is printed once in the shop's
// index size.
bool TPacking::AddIndexSheets()
{
    if (!FInput.indexSheets)
        return true;
    QStringList cdPictures;
    for (const TPicturePlace &place : FPlaces) {
        if (!place.cdName.isEmpty())
            cdPictures << place.item->FullPath;
    }
    if (cdPictures.isEmpty())
        return true;
    QString warning;
    for (const QString &sheet : FInput.indexSheets(cdPictures, FOrder.localFolder)) {
        const std::optional<QString> name = FList.Add(sheet, FName + u'/' + kIndexFolder,
            QFileInfo(sheet).fileName(), true, true, {}, &warning);
        if (!name)
            return Fail(warning);
        FIndexNames << *name;
    }
    return true;
}

// The sizes that are printed, in the order of the shop's size table.
QStringList TPacking::PrintedSizes() const
{
    QStringList sizes;
    for (const TPicturePlace &place : FPlaces) {
        for (const QString &line : place.item->Orders) {
            const QString size = line.section(u'=', 0, 0);
            if (place.item->SizeCount(size) > 0 && !sizes.contains(size))
                sizes << size;
        }
    }
    if (FInput.tables) {
        std::stable_sort(sizes.begin(), sizes.end(), [&](const QString &a, const QString &b) {
            const auto rank = [&](const QString &s) {
                const int index = FInput.tables->SizeNameIndex(s);
                return index < 0 ? INT_MAX : index;
            };
            return rank(a) < rank(b);
        });
    }
    return sizes;
}

// The jobs of one size, campus pictures or the others; the address card leads the others of
// its size.
QList<TDpofJob> TPacking::SizeJobs(const QString &size, bool campus) const
{
    QList<TDpofJob> jobs;
    for (const TPicturePlace &place : FPlaces) {
        const int count = place.item->SizeCount(size);
        if (count > 0 && IsCampusPicture(place.item->FullPath) == campus)
            jobs << JobOf(place, place.printName, count);
    }
    if (!campus && size == FCardSize && !FCardName.isEmpty()) {
        TDpofJob card;
        card.fileName = FCardName;
        card.count = FInput.cardCopies;
        card.formatLine = DpofFormatLine(ikJpeg, {}, false);
        jobs.prepend(card);
    }
    if (!campus && size == IndexSize()) {
        for (const QString &sheet : FIndexNames) {
            TDpofJob job;
            job.fileName = sheet;
            job.count = 1;
            job.formatLine = DpofFormatLine(ikJpeg, {}, false);
            job.folder = kIndexFolder;
            jobs << job;
        }
    }
    return jobs;
}

// 4. Print order files: one per size (campus pictures in AUTPRINT.CCI).
bool TPacking::WriteSizePrintOrders()
{
    const QString creator = DpofCreator(FInput.programVersion);
    FSizes = PrintedSizes();
    FCardSize = !FSizes.isEmpty()
        ? (FSizes.contains(QStringLiteral("L")) ? QStringLiteral("L") : FSizes.first())
        : QStringLiteral("L");
    if (!FCardName.isEmpty() && !FSizes.contains(FCardSize))
        FSizes << FCardSize;
    // The CD-R's lab channel follows the first size of the prints (and card), not the sheets.
    FCdChannelSize = FSizes.value(0);
    if (!FIndexNames.isEmpty() && !FSizes.contains(IndexSize()))
        FSizes << IndexSize();
    for (const QString &size : FSizes) {
        for (const bool campus : { false, true }) {
            const QList<TDpofJob> jobs = SizeJobs(size, campus);
            if (jobs.isEmpty())
                continue;
            const QString channel = FInput.tables ? FInput.tables->SizeChannel(size) : QString();
            const QStringList lines = DpofLines(jobs, FInput.now, creator, channel, false);
            const QString file
                = campus ? QStringLiteral("AUTPRINT.CCI") : QStringLiteral("AUTPRINT.MRK");
            if (!WriteDpof(FList, FOrder.localFolder, FName, SizeFolder(size), file, lines))
                return FailWrite(FOrder.localFolder + u'/' + SizeFolder(size));
        }
    }
    return true;
}

// 5. The print order file of the CD-R.
bool TPacking::WriteCdPrintOrder()
{
    QList<TDpofJob> cdJobs;
    for (const TPicturePlace &place : FPlaces) {
        if (!place.cdName.isEmpty())
            cdJobs << JobOf(place, place.cdName, 1);
    }
    if (cdJobs.isEmpty())
        return true;
    const QString channel = FInput.tables && !FCdChannelSize.isEmpty()
        ? FInput.tables->SizeChannelCD(FCdChannelSize)
        : QString();
    if (!WriteDpof(FList, FOrder.localFolder, FName, kCdSize, QStringLiteral("AUTPRINT.MRK"),
            DpofLines(cdJobs, FInput.now, DpofCreator(FInput.programVersion), channel, true)))
        return FailWrite(FOrder.localFolder + QStringLiteral("/CD-R"));
    return true;
}

// 6. The order message, sent into the order folder and into "message/". Its "@EDT" line is
// set again when it is sent; the packing time keeps the line at its final length.
bool TPacking::WriteOrderMessage()
{
    TMessageInput message;
    message.customer = FInput.customer;
    message.shop = FInput.shop;
    message.figures = FInput.figures;
    message.orderName = FName;
    message.machineId = FInput.machineId;
    message.askMachineId = FInput.askMachineId;
    message.phoneUrl = FInput.phoneUrl;
    message.start = FInput.now;
    message.end = FInput.now;
    FOrder.messageLines = OrderMessageLines(message);
    FOrder.messageFile = FOrder.localFolder + u'/' + FName + QStringLiteral(".mes");
    // The message holds the customer's name, address and telephone: the owner's alone.
    if (!WriteSjisLines(FOrder.messageFile, FOrder.messageLines, TFileAccess::faPrivate))
        return FailWrite(FOrder.messageFile);
    FList.Items().append({ FOrder.messageFile, FName + u'/' + FName + QStringLiteral(".mes") });
    FList.Items().append(
        { FOrder.messageFile, QStringLiteral("message/") + FName + QStringLiteral(".mes") });
    return true;
}

// 7. The correction file and the entry file go first.
bool TPacking::WriteEntryFiles()
{
    if (!FList.CorrectionList().isEmpty()) {
        FOrder.correctionFile = FOrder.localFolder + QStringLiteral("/Hosei");
        if (!WriteSjisLines(FOrder.correctionFile, FList.CorrectionList(), TFileAccess::faPrivate))
            return FailWrite(FOrder.correctionFile);
        FList.Prepend(FOrder.correctionFile, FName + QStringLiteral("/Hosei"));
    }
    FOrder.entryFile = FOrder.localFolder + QStringLiteral("/SendList.etr");
    if (!WriteSjisLines(FOrder.entryFile, EntryFileLines(FOrder.messageLines, FList.FileList()),
            TFileAccess::faPrivate))
        return FailWrite(FOrder.entryFile);
    FList.Prepend(FOrder.entryFile, QStringLiteral("message/") + FName + QStringLiteral(".etr"));
    FOrder.sendList = FList;
    return true;
}

// 8. The count file of the pictures ordered, except for the test order.
bool TPacking::WriteCountFile()
{
    if (FInput.customer.name == QLatin1String("test-order"))
        return true;
    FCountList.sort(Qt::CaseInsensitive);
    FOrder.countFile
        = QDir(FInput.workDir).filePath(FInput.shop.shopId + u'-' + FName + QStringLiteral(".cnt"));
    // The count file names the customer's photos.
    if (!WriteSjisLines(FOrder.countFile, FCountList, TFileAccess::faPrivate))
        return FailWrite(FOrder.countFile);
    return true;
}

} // namespace

std::optional<TPackedOrder> PackOrder(const TOrderInput &input, TPrompter &prompter)
{
    TPacking packing(input, prompter);
    if (!packing.MakeFolder()) {
        prompter.Error(QStringLiteral("注文フォルダを作成できません。\r\n") + input.workDir);
        return std::nullopt;
    }
    if (!packing.PlacePictures() || !packing.AddAddressCard() || !packing.AddIndexSheets()
        || !packing.WriteSizePrintOrders() || !packing.WriteCdPrintOrder()
        || !packing.WriteOrderMessage() || !packing.WriteEntryFiles()
        || !packing.WriteCountFile()) {
        prompter.Warn(packing.Warning());
        QDir(packing.Order().localFolder).removeRecursively();
        return std::nullopt;
    }
    return packing.Order();
}

} // namespace korvatel
