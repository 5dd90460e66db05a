#include "sources/date_scan.h"

#include "imaging/picture_kinds.h"
#include "platform/folder_listing.h"
#include "platform/user_folders.h"
#include "sources/camera_clock.h"
#include "text/cp932.h"
#include "text/sjis_file.h"
#include "workspace/option_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace korvatel
{

namespace
{

// Folders nested deeper than this are not walked: a guard against pathological trees.
constexpr int kMaxDepth = 128;

QString WithSlash(QString folder)
{
    folder.replace(u'\\', u'/');
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// The folder part of a path, with its separator.
QString FolderOf(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.left(cut + 1);
}

QString NameOf(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

// Folder names are case-sensitive here: "Photos" and "photos" are two folders.
bool SameFolder(const QString &a, const QString &b)
{
    return WithSlash(a) == WithSlash(b);
}

// True when folder lies in (or is) root.
bool Inside(const QString &folder, const QString &root)
{
    if (root.isEmpty())
        return false;
    return WithSlash(folder).startsWith(WithSlash(root));
}

// A copy of a picture carries its name, time stamp and size into another folder; the name may
// have changed case on the way (a camera card's "IMG_1.JPG" copied as "img_1.jpg"). Two files
// of one folder are never copies of each other.
bool CopyOf(const TScanEntry &before, const TScanEntry &entry)
{
    return before.stamp == entry.stamp && before.size == entry.size
        && NameOf(before.path).compare(NameOf(entry.path), Qt::CaseInsensitive) == 0
        && FolderOf(before.path) != FolderOf(entry.path);
}

std::optional<quint32> Hex8(QStringView text)
{
    if (text.size() != 8)
        return std::nullopt;
    quint32 value = 0;
    for (const QChar c : text) {
        const int digit = c.isDigit()  ? c.unicode() - '0'
            : (c >= u'A' && c <= u'F') ? c.unicode() - 'A' + 10
            : (c >= u'a' && c <= u'f') ? c.unicode() - 'a' + 10
                                       : -1;
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | quint32(digit);
    }
    return value;
}

QString Hex(quint32 value)
{
    // By hand: the scan writes two of these for every picture.
    static const char kFigures[] = "0123456789ABCDEF";
    QString text(8, Qt::Uninitialized);
    QChar *out = text.data();
    for (int i = 7; i >= 0; --i, value >>= 4)
        out[i] = QLatin1Char(kFigures[value & 15]);
    return text;
}

// A month of the date tree as "yyyymm".
QString MonthKey(int year, int month)
{
    return QStringLiteral("%1%2")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'));
}

void CloseNode(TDateNode &node)
{
    node.text += QStringLiteral("(%1)").arg(node.count, 4);
}

// The calendar fields of a packed time stamp, for grouping: a QDateTime in local time would
// ask the C library for the zone's offset (and it looks at /etc/localtime again) every time.
struct TStampFields {
    QDate d;
    QTime t;
    bool isValid() const { return d.isValid() && t.isValid(); }
    QDate date() const { return d; }
    QTime time() const { return t; }
};

TStampFields UnpackStamp(quint32 stamp)
{
    const quint32 date = stamp >> 16;
    const quint32 time = stamp & 0xFFFF;
    return { QDate(int(date >> 9) + 1980, int(date >> 5 & 15), int(date & 31)),
        QTime(int(time >> 11), int(time >> 5 & 63), int(time & 31) * 2) };
}

// PackFileDateTime of the local calendar fields.
quint32 PackFields(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1980)
        return (1u << 5 | 1u) << 16;
    if (year > 2107)
        return quint32(127u << 9 | 12u << 5 | 31u) << 16 | (23u << 11 | 59u << 5 | 29u);
    const quint32 date = quint32(year - 1980) << 9 | quint32(month) << 5 | quint32(day);
    const quint32 time = quint32(hour) << 11 | quint32(minute) << 5 | quint32(second / 2);
    return date << 16 | time;
}

} // namespace

quint32 PackFileDateTime(const QDateTime &local)
{
    if (!local.isValid())
        return (1u << 5 | 1u) << 16;
    const QDate d = local.date();
    const QTime t = local.time();
    return PackFields(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

QDateTime UnpackFileDateTime(quint32 stamp)
{
    const TStampFields fields = UnpackStamp(stamp);
    if (!fields.isValid())
        return {};
    return QDateTime(fields.date(), fields.time());
}

QString ScanLine(quint32 stamp, const QString &path, qint64 size)
{
    QString line;
    line.reserve(8 + path.size() + 1 + 8);
    line += Hex(stamp);
    line += path;
    line += u'|';
    line += Hex(quint32(std::clamp<qint64>(size, 0, 0xFFFFFFFF)));
    return line;
}

std::optional<TScanEntry> DecodeScanLine(const QString &line)
{
    if (line.size() < 8 + 1 + 1 + 8)
        return std::nullopt;
    const qsizetype bar = line.lastIndexOf(u'|');
    if (bar < 9 || line.size() - bar - 1 != 8)
        return std::nullopt;
    const auto stamp = Hex8(QStringView(line).left(8));
    const auto size = Hex8(QStringView(line).mid(bar + 1));
    if (!stamp || !size)
        return std::nullopt;
    return TScanEntry { *stamp, line.mid(8, bar - 8), qint64(*size) };
}

QStringList PictureKindExtensions(const TOptionSettings &option)
{
    QStringList list;
    const auto add = [&](bool on, std::initializer_list<const char *> extensions) {
        if (on)
            for (const char *extension : extensions)
                list << QString::fromLatin1(extension);
    };
    add(option.Jpg, { ".jpg" });
    add(option.Jpeg, { ".jpeg" });
    add(option.Bmp, { ".bmp" });
    add(option.Bid, { ".bid" });
    add(option.Gif, { ".gif" });
    add(option.Icon, { ".ico" });
    add(option.Png, { ".png" });
    add(option.Tiff, { ".tif", ".tiff" });
    add(option.Webp, { ".webp" });
    add(option.Heif, { ".heic", ".heif", ".hif" });
    add(option.Avif, { ".avif" });
    add(option.Meta, { ".emf", ".wmf" });
    add(option.Avi, { ".avi" });
    return list;
}

TScanRules ScanRulesFrom(
    const TOptionSettings &option, const TUserFolders &folders, const QStringList &excluded)
{
    TScanRules rules;
    rules.extensions = PictureKindExtensions(option);
    rules.fullMode = option.FullMake;
    rules.internetCache = option.Temp;
    rules.sizeFilter = option.Size;
    rules.minSize = option.MinSize;
    rules.maxSize = option.MaxSize;
    rules.excluded = excluded;
    rules.systemFolders = { folders.windowsDir, folders.systemDir };
    rules.internetCaches = folders.downloadCaches;
    return rules;
}

QDateTime ScanDateTime(const QString &path, const QDateTime &fileTime, bool shootingDate)
{
    if (!shootingDate || !HasCameraExif(ImageKindOf(path)))
        return fileTime;
    const QDateTime taken = ReadCameraShot(path).taken;
    return taken.isValid() ? taken : fileTime;
}

bool SkippedBySkipList(const QString &folder)
{
    // The Windows words keep their meaning for drives shared with Windows; the trash folders
    // of this platform take the place of the recycle bin.
    static const char *const kWords[]
        = { "/recycle", "/korvate", "/korvdpof", "/korvadpof", "/korvhtms", "/program files/",
              ":/windows/", ":/winnt/", "/.local/share/trash/", "/.trash" };
    const QString lower = WithSlash(folder).toLower();
    for (const char *word : kWords)
        if (lower.contains(QLatin1String(word)))
            return true;
    return false;
}

TDateScanner::TDateScanner(TScanRules rules)
    : FRules(std::move(rules))
{
}

bool TDateScanner::InInternetCache(const QString &folder) const
{
    if (WithSlash(folder).toLower().contains(QLatin1String("/temporary internet files/")))
        return true;
    for (const QString &cache : FRules.internetCaches)
        if (Inside(folder, cache))
            return true;
    return false;
}

void TDateScanner::ScanFolder(const QString &folder, QStringList &lines, bool recurse)
{
    RefreshLocalZone();
    Walk(folder, lines, recurse, 0);
}

void TDateScanner::Walk(const QString &folder, QStringList &lines, bool recurse, int depth)
{
    if (FStop || depth > kMaxDepth)
        return;
    for (const QString &system : FRules.systemFolders)
        if (!system.isEmpty() && SameFolder(folder, system))
            return;
    for (const QString &excluded : FRules.excluded)
        if (SameFolder(folder, excluded))
            return;
    const QString path = WithSlash(folder);
    if (SkippedBySkipList(path))
        return;
    const bool cache = InInternetCache(path);
    const bool collect = !cache || FRules.internetCache;
    if (OnFolder)
        OnFolder(path);

    // One pass of the directory serves every extension and the subfolders; the status of a
    // file is read only when its extension is wanted.
    TFolderReader reader(path);
    std::vector<TFolderEntry> &entries = reader.Entries();
    std::sort(entries.begin(), entries.end(),
        [](const TFolderEntry &a, const TFolderEntry &b) { return a.name < b.name; });

    if (collect) {
        for (const QString &extension : FRules.extensions) {
            for (const TFolderEntry &entry : entries) {
                if (entry.folder)
                    continue;
                const qsizetype dot = entry.name.lastIndexOf(u'.');
                // The extension must match exactly: "a.JPG~" is not a ".jpg" picture.
                if (dot < 0
                    || QStringView(entry.name).mid(dot).compare(extension, Qt::CaseInsensitive)
                        != 0)
                    continue;
                // A file gone since the listing (or a dangling link) counts as empty and
                // undated, as the file system reports it.
                const TFileStamp stamp = reader.Stamp(entry).value_or(TFileStamp {});
                const qint64 size = stamp.size;
                if (FRules.sizeFilter
                    && (size < FRules.minSize || (FRules.maxSize != 0 && size > FRules.maxSize)))
                    continue;
                const QString file = path + entry.name;
                quint32 packed = PackFields(
                    stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, stamp.second);
                if (FRules.shootingDate) {
                    // Only a shooting date replaces the file time, which is packed already.
                    const QDateTime taken = ScanDateTime(file, QDateTime(), true);
                    if (taken.isValid())
                        packed = PackFileDateTime(taken);
                }
                lines << ScanLine(packed, file, size);
                if (Pump)
                    Pump();
                if (FStop)
                    return;
            }
        }
    }
    reader.Close();
    if (FRules.dateMode && OnCount)
        OnCount(int(lines.size()));
    if (!recurse)
        return;
    const bool all = FRules.fullMode
        || path.toLower().contains(QLatin1String("/documents and settings/"))
        || (FRules.internetCache && cache);
    for (const TFolderEntry &entry : entries) {
        if (!entry.folder)
            continue;
        if (!all && entry.name.contains(u'.'))
            continue; // fast mode: only names without an extension
        Walk(path + entry.name, lines, true, depth + 1);
        if (Pump)
            Pump();
        if (FStop)
            return;
    }
}

QList<TDrive> ScanDrives(const TDriveTable &drives, bool lan)
{
    QList<TDrive> list;
    for (const TDrive &drive : drives.Drives()) {
        if (drive.letter < u'B' || drive.letter > u'Z')
            continue;
        if (drive.type == dtFixed || (lan && drive.type == dtRemote))
            list << drive;
    }
    return list;
}

void ScanDisks(TDateScanner &scanner, const QList<TDrive> &drives, QStringList &lines)
{
    for (const TDrive &drive : drives) {
        scanner.ScanFolder(drive.root, lines, true);
        if (scanner.Stopped())
            break;
    }
}

std::optional<TDateLists> BuildDateLists(QStringList lines, const std::function<bool()> &abandon)
{
    TDateLists result;
    std::sort(lines.begin(), lines.end());
    result.lines = lines;

    int year = -1;
    int month = -1;
    int day = -1;
    TDateNode *yearNode = nullptr;
    TDateNode *monthNode = nullptr;
    TDateNode *dayNode = nullptr;
    QStringList monthLines;
    QString monthFolder;
    std::optional<TScanEntry> previous;

    const auto closeMonth = [&] {
        if (monthNode) {
            CloseNode(*dayNode);
            CloseNode(*monthNode);
            result.months.insert(MonthKey(year, month), monthLines);
        }
        monthLines.clear();
        monthFolder.clear();
    };

    for (const QString &line : std::as_const(lines)) {
        if (abandon && abandon())
            return std::nullopt;
        std::optional<TScanEntry> entry = DecodeScanLine(line);
        if (!entry)
            continue;
        const TStampFields when = UnpackStamp(entry->stamp);
        if (!when.isValid())
            continue;
        // A copy of the picture before it in another folder is listed once.
        if (previous && CopyOf(*previous, *entry))
            continue;
        previous = entry;

        const QDate date = when.date();
        if (date.year() != year || date.month() != month) {
            closeMonth();
            if (date.year() != year) {
                if (yearNode)
                    CloseNode(*yearNode);
                result.years.append({ QStringLiteral("%1年").arg(date.year(), 4), 0, {} });
                yearNode = &result.years.last();
            }
            year = date.year();
            month = date.month();
            yearNode->children.append(
                { QStringLiteral("%1/%2月").arg(year, 4, 10, QLatin1Char('0')).arg(month, 2), 0,
                    {} });
            monthNode = &yearNode->children.last();
            day = -1;
        }
        if (date.day() != day) {
            if (day >= 0)
                CloseNode(*dayNode);
            day = date.day();
            monthNode->children.append({ date.toString(QStringLiteral("yy/MM/dd")), 0, {} });
            dayNode = &monthNode->children.last();
        }
        const QString folder = FolderOf(entry->path);
        const QString name = NameOf(entry->path);
        const QString place = folder == monthFolder ? u'.' + name : entry->path;
        monthFolder = folder;
        monthLines << place
                + QStringLiteral("|%1 %2(%3)")
                      .arg(day)
                      .arg(when.time().toString(QStringLiteral("hh:mm:ss")))
                      .arg(entry->size);
        ++yearNode->count;
        ++monthNode->count;
        ++dayNode->count;
        ++result.pictures;
    }
    closeMonth();
    if (yearNode)
        CloseNode(*yearNode);
    return result;
}

QString DateDataPath(const QString &tree)
{
    return QDir(tree).filePath(QStringLiteral("DateData.ini"));
}

QString MonthFilePath(const QString &tree, int year, int month)
{
    return QDir(tree).filePath(MonthKey(year, month) + QStringLiteral(".ksf"));
}

QString LastDatePath(const QString &tree)
{
    return QDir(tree).filePath(QStringLiteral("LastDate.ini"));
}

std::optional<QStringList> ReadDateData(const QString &tree)
{
    const QString path = DateDataPath(tree);
    if (!QFileInfo::exists(path))
        return QStringList();
    const std::optional<QByteArray> data = ReadWholeFile(path, kMaxDateDataSize);
    if (!data)
        return std::nullopt;
    return SplitLines(FromCp932(*data));
}

void DeleteMonthFiles(const QString &tree)
{
    const QDir dir(tree);
    for (const QString &name : dir.entryList({ QStringLiteral("*.ksf") }, QDir::Files))
        QFile::remove(dir.filePath(name));
}

bool WriteMonthFiles(const QString &tree, const TDateLists &lists)
{
    bool ok = true;
    for (auto it = lists.months.constBegin(); it != lists.months.constEnd(); ++it)
        ok = WriteSjisLines(QDir(tree).filePath(it.key() + QStringLiteral(".ksf")), it.value())
            && ok;
    return ok;
}

QString DayNodeText(const QString &date)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})\\D(\\d{1,2})\\D(\\d{1,2})"));
    const QRegularExpressionMatch match = pattern.match(date);
    if (!match.hasMatch())
        return {};
    return QStringLiteral("%1/%2/%3")
        .arg(match.captured(1).toInt() % 100, 2, 10, QChar(u'0'))
        .arg(match.captured(2).toInt(), 2, 10, QChar(u'0'))
        .arg(match.captured(3).toInt(), 2, 10, QChar(u'0'));
}

std::optional<TDateRange> DateNodeRange(const QString &nodeText)
{
    const QString text = nodeText.section(u'(', 0, 0).trimmed();
    TDateRange range;
    bool ok = false;
    if (text.contains(u'年')) {
        range.year = text.section(u'年', 0, 0).trimmed().toInt(&ok);
    } else if (text.contains(u'月')) {
        bool monthOk = false;
        range.year = text.section(u'/', 0, 0).trimmed().toInt(&ok);
        const int month = text.section(u'/', 1).section(u'月', 0, 0).trimmed().toInt(&monthOk);
        ok = ok && monthOk && month >= 1 && month <= 12;
        range.firstMonth = range.lastMonth = month;
    } else {
        const QStringList parts = text.split(u'/');
        if (parts.size() != 3)
            return std::nullopt;
        bool okMonth = false;
        bool okDay = false;
        const int yy = parts[0].toInt(&ok);
        const int month = parts[1].toInt(&okMonth);
        const int day = parts[2].toInt(&okDay);
        ok = ok && okMonth && okDay && yy >= 0 && yy < 100 && month >= 1 && month <= 12 && day >= 1
            && day <= 31;
        range.year = yy < 90 ? 2000 + yy : 1900 + yy;
        range.firstMonth = range.lastMonth = month;
        range.firstDay = range.lastDay = day;
    }
    if (!ok || range.year < 1 || range.year > 9999)
        return std::nullopt;
    return range;
}

QList<TDatePicture> ReadMonthLines(const QStringList &lines, int year, int month, int firstDay,
    int lastDay, const QString &startFolder)
{
    QList<TDatePicture> pictures;
    QString folder = startFolder;
    for (const QString &line : lines) {
        const qsizetype bar = line.lastIndexOf(u'|');
        if (bar <= 0)
            continue;
        const QString place = line.left(bar);
        QString path;
        if (place.startsWith(u'.')) {
            path = folder + place.mid(1);
        } else {
            path = place;
            folder = FolderOf(place);
        }
        const QString rest = line.mid(bar + 1);
        const qsizetype blank = rest.indexOf(u' ');
        const qsizetype open = rest.indexOf(u'(');
        const qsizetype close = rest.indexOf(u')', open + 1);
        if (blank <= 0 || open < blank || close < open)
            continue;
        bool dayOk = false;
        bool sizeOk = false;
        const int day = rest.left(blank).toInt(&dayOk);
        const QTime time = QTime::fromString(
            rest.mid(blank + 1, open - blank - 1).trimmed(), QStringLiteral("hh:mm:ss"));
        const qint64 size = rest.mid(open + 1, close - open - 1).toLongLong(&sizeOk);
        if (!dayOk || !sizeOk || day < firstDay || day > lastDay || path.isEmpty())
            continue;
        const QDate date(year, month, day);
        pictures.append(
            { path, date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime(), size });
    }
    return pictures;
}

QList<TDatePicture> ListDateNode(const QString &tree, const QString &nodeText)
{
    QList<TDatePicture> pictures;
    const std::optional<TDateRange> range = DateNodeRange(nodeText);
    if (!range)
        return pictures;
    for (int month = range->firstMonth; month <= range->lastMonth; ++month) {
        const std::optional<QStringList> lines
            = ReadSjisLines(MonthFilePath(tree, range->year, month));
        if (lines)
            pictures += ReadMonthLines(*lines, range->year, month, range->firstDay, range->lastDay);
    }
    return pictures;
}

} // namespace korvatel
