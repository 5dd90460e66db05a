// The order memory files OrderMemory and CampusOrder: the basket between runs.

#include "imaging/correction_text.h"
#include "imaging/picture_kinds.h"
#include "order/relink.h"
#include "order/thumb_nails.h"
#include "platform/clock.h"
#include "text/comma_text.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace korvatel
{

namespace
{

// No real basket comes near this; a damaged or hostile file must not fill the memory with
// items.
constexpr int kMaxMemoryItems = 100000;

const QString kDataLine = QStringLiteral("<Data>");

void MakeWritable(const QString &path)
{
    if (QFileInfo::exists(path) && !QFileInfo(path).isWritable())
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
}

// Writes one memory file when the list has items of its type, else deletes it.
bool SaveOne(const TThumbNails &list, const QString &path, TOrderType type, const QDateTime &now)
{
    if (path.isEmpty())
        return true;
    MakeWritable(path);
    const QStringList lines = list.MemoryLines(type, now);
    if (lines.isEmpty()) {
        // Nothing of this type: the file goes, as a basket without such items leaves none.
        return !QFileInfo::exists(path) || QFile::remove(path);
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteSjisLines(path, lines);
}

// A number of the order memory: a decimal, rounded; anything malformed gives 0.
int MemoryNumber(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < INT_MIN || value > INT_MAX)
        return 0;
    return int(std::nearbyint(value));
}

// A record is kept when it names a picture the browser can put into the basket: the picture
// kinds, and the ".bid" bitmaps, which the browser lists and orders like ".bmp".
bool KeptInFile(const QString &path, TOrderType fileType)
{
    if (path.isEmpty())
        return false;
    if (IsPictureFile(path) != 1 && !path.endsWith(QLatin1String(".bid"), Qt::CaseInsensitive))
        return false;
    return fileType == otPhoto ? IsCampusPicture(path) : !IsCampusPicture(path);
}

// The phone trimming as the file keeps it, four values with four decimals, or empty when every
// value rounds to zero. The decision is taken on the rounded text, not on the values, so a value
// too small to show is dropped at once and the file reads back and writes again unchanged. A tiny
// negative value prints as "-0.0000", which reads back as a zero that prints without its sign, so
// every zero is written unsigned.
QString KeitaiTrimingText(const double (&trim)[4])
{
    QStringList values;
    bool shown = false;
    for (const double value : trim) {
        QString text = QString::asprintf("%.4f", value);
        if (text.toDouble() == 0)
            text = QStringLiteral("0.0000");
        else
            shown = true;
        values << text;
    }
    return shown ? values.join(u':') : QString();
}

// Moves a basket file that could not be read to "<file>.unread" (".unread2", … when an earlier
// one is there: that may be the only copy of an older basket). True when it is out of the way.
bool MoveAside(const QString &path)
{
    if (!QFileInfo::exists(path))
        return true;
    for (int n = 1; n <= 99; ++n) {
        const QString aside
            = path + QStringLiteral(".unread") + (n > 1 ? QString::number(n) : QString());
        if (!QFileInfo::exists(aside))
            return QFile::rename(path, aside);
    }
    return false;
}

} // namespace

QStringList TThumbNails::MemoryLines(TOrderType fileType, const QDateTime &now) const
{
    // Both files list their items in serial order, whatever the list's sort.
    std::vector<const TThumbNail *> items;
    for (const auto &item : FItems) {
        if (item->OrderType == fileType)
            items.push_back(item.get());
    }
    if (items.empty())
        return {};
    std::sort(items.begin(), items.end(),
        [](const TThumbNail *a, const TThumbNail *b) { return a->Serial < b->Serial; });

    QStringList lines;
    lines << QStringLiteral("Date=") + now.date().toString(QStringLiteral("yyyy/MM/dd"))
          << QStringLiteral("Timt=") + now.time().toString(QStringLiteral("hh:mm:ss"))
          << QStringLiteral("OrderCount=%1").arg(FTotals.orderCount)
          << QStringLiteral("CdOrderCount=%1").arg(FTotals.cdCount)
          << QStringLiteral("KeitaiOrderCount=%1").arg(FTotals.keitaiCount)
          << QStringLiteral("BadCount=%1").arg(FTotals.badCount);
    for (const TThumbNail *item : items) {
        lines << kDataLine << QStringLiteral("OrderType=") + OrderTypeNames().value(item->OrderType)
              << QStringLiteral("DiskNo=%1").arg(item->DiskNo)
              << QStringLiteral("FullPath=") + item->FullPath
              << QStringLiteral("FileSize=%1").arg(item->FileSize);
        if (!item->Checksum.isEmpty())
            lines << QStringLiteral("Checksum=") + item->Checksum;
        if (!item->WholeHash.isEmpty())
            lines << QStringLiteral("WholeHash=") + item->WholeHash;
        if (item->ErrorKind != neNoError)
            lines << QStringLiteral("Error=") + ErrorKindNames().value(item->ErrorKind);
        if (item->Repeated)
            lines << QStringLiteral("Repeated=TRUE");
        for (int i = 0; i < 3; ++i)
            lines << QStringLiteral("DateStr[%1]=").arg(i) + item->DateStr[i];
        lines << QStringLiteral("OrdersList=") + ToCommaText(item->Orders)
              << QStringLiteral("OrderSize=") + item->CurrentSize;
        if (item->CdOrder)
            lines << QStringLiteral("CdOrder=TRUE");
        if (item->KeitaiOrder)
            lines << QStringLiteral("KeitaiOrder=TRUE");
        if (item->KeitaiRotat > 0)
            lines << QStringLiteral("KeitaiRotat=%1").arg(item->KeitaiRotat);
        const QString trim = KeitaiTrimingText(item->KeitaiTriming);
        if (!trim.isEmpty())
            lines << QStringLiteral("KeitaiTriming=") + trim;
        if (item->DatePrint)
            lines << QStringLiteral("DatePrint=TRUE");
        if (item->DateType > 0)
            lines << QStringLiteral("DateType=%1").arg(item->DateType);
        const QString hosei = RecordToText(item->Hosei);
        if (!hosei.isEmpty())
            lines << QStringLiteral("HoseiData=") + hosei + u';';
    }
    return lines;
}

bool TThumbNails::SaveMemory(
    const QString &mainFile, const QString &campusFile, const QDateTime &now) const
{
    // Each file is written to a temporary file and renamed over the old one, so a crash while
    // saving leaves the previous basket whole.
    // A file the last load could not read is moved aside first, so the save never overwrites
    // or deletes a basket this run has not seen; one that cannot be moved is not saved over.
    QStringList stillThere;
    for (const QString &path : std::exchange(FUnreadFiles, {}))
        if (!MoveAside(path))
            stillThere << path;
    FUnreadFiles = stillThere;
    const bool main = !stillThere.contains(mainFile) && SaveOne(*this, mainFile, otDpe, now);
    const bool campus
        = !stillThere.contains(campusFile) && SaveOne(*this, campusFile, otPhoto, now);
    return main && campus;
}

bool TThumbNails::SaveMemory(
    const QString &mainFile, const QString &campusFile, const TClock &clock) const
{
    return SaveMemory(mainFile, campusFile, clock.Now());
}

int TThumbNails::ReadMemoryLines(const QStringList &lines, TOrderType fileType, int *skipped)
{
    int read = 0;
    int dropped = 0;
    qsizetype at = lines.indexOf(kDataLine);
    while (at >= 0 && at < lines.size()) {
        const qsizetype next = lines.indexOf(kDataLine, at + 1);
        if (Count() >= kMaxMemoryItems) {
            ++dropped;
            at = next;
            continue;
        }
        const TKeyFile record(lines.mid(at + 1, next < 0 ? -1 : next - at - 1));
        at = next;

        const QString path = record.Value(QStringLiteral("FullPath"));
        if (!KeptInFile(path, fileType)) {
            ++dropped;
            continue;
        }
        auto item = std::make_unique<TThumbNail>();
        item->FullPath = path;
        item->DiskNo = MemoryNumber(record.Value(QStringLiteral("DiskNo")));
        // Each file carries one order type and is written back with the items of that type
        // only, so the file's type is taken whatever the record names: a record of another
        // type would otherwise be lost, or land in the other file and be dropped there, at the
        // next save.
        const TOrderType type = fileType;
        item->OrderType = type;
        if (type == otPhoto && FContext.campus)
            item->CampusPrices = FContext.campus->ForPicture(path);
        item->SetPicturePath(path, FContext.works);
        item->Project = IsProjectPicture(path);
        item->FileSize = MemoryNumber(record.Value(QStringLiteral("FileSize")));
        // Baskets written before the checksum was kept have none; a damaged one is dropped, so
        // it can never make another picture look like this one.
        const QString checksum = record.Value(QStringLiteral("Checksum"));
        if (type == otDpe && IsPictureChecksum(checksum)) {
            item->Checksum = checksum;
            const QString whole = record.Value(QStringLiteral("WholeHash"));
            if (IsPictureChecksum(whole))
                item->WholeHash = whole;
        }
        item->ErrorKind = neNoError;
        item->Width = -1;
        item->Height = -1;
        item->DatePrint = type == otDpe && !FContext.defDateNotPrint
            && record.Bool(QStringLiteral("DatePrint"));
        item->Repeated = record.Bool(QStringLiteral("Repeated"));
        for (int i = 0; i < 3; ++i)
            item->DateStr[i] = record.Value(QStringLiteral("DateStr[%1]").arg(i));
        item->DateType
            = TDateKind(std::clamp(MemoryNumber(record.Value(QStringLiteral("DateType"))), 0, 2));
        item->Orders = FromCommaText(record.Value(QStringLiteral("OrdersList")));
        item->Orders.removeAll(QString());
        item->SetCurrentSize(record.Value(QStringLiteral("OrderSize")));
        item->CdOrder = record.Bool(QStringLiteral("CdOrder"));
        item->KeitaiOrder = record.Bool(QStringLiteral("KeitaiOrder"));
        item->KeitaiRotat
            = quint8(std::clamp(MemoryNumber(record.Value(QStringLiteral("KeitaiRotat"))), 0, 255));
        const QStringList trim = record.Value(QStringLiteral("KeitaiTriming")).split(u':');
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            const double v = trim.value(i).trimmed().toDouble(&ok);
            item->KeitaiTriming[i] = ok && std::isfinite(v) ? v : 0;
        }
        // The record is written with a ";" behind it; the last field must not carry it.
        QString hosei = record.Value(QStringLiteral("HoseiData"));
        if (hosei.endsWith(u';'))
            hosei.chop(1);
        TextToRecord(hosei, item->Hosei);
        item->Recount();
        Attach(std::move(item));
        ++read;
    }
    if (skipped)
        *skipped = dropped;
    return read;
}

int TThumbNails::LoadMemory(const QString &mainFile, const QString &campusFile)
{
    FTotals = {};
    int read = 0;
    const std::pair<const QString *, TOrderType> files[]
        = { { &mainFile, otDpe }, { &campusFile, otPhoto } };
    for (const auto &[path, type] : files) {
        if (path->isEmpty() || !QFileInfo::exists(*path))
            continue;
        // A file that cannot be read, whose text gives no item, or of which any record gives
        // no item, is moved aside by the next save instead of being replaced, so what this
        // run could not read is still there to be looked at. The totals are rebuilt below.
        const std::optional<QStringList> lines = ReadSjisLines(*path);
        int skipped = 0;
        const int items = lines ? ReadMemoryLines(*lines, type, &skipped) : 0;
        const auto blank = [](const QString &line) { return line.trimmed().isEmpty(); };
        if (!lines || skipped > 0
            || (items == 0 && !std::all_of(lines->begin(), lines->end(), blank)))
            FUnreadFiles << *path;
        read += items;
    }
    Recount();
    RebuildAggregate();
    Sort();
    return read;
}

} // namespace korvatel
