#include "order/relink.h"

#include "order/thumb_nails.h"
#include "platform/background_job.h"
#include "platform/folder_listing.h"
#include "sources/date_scan.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <climits>

namespace korvatel
{

namespace
{

constexpr qint64 kChecksumPart = 64 * 1024;
constexpr qint64 kWholeHashPiece = 1024 * 1024;

// True when the file at the path may be taken for the item: the same checksum and, when the item
// keeps one, the same whole-file hash (read at most once a file, into the given cache).
bool SamePicture(const TThumbNail &item, const QString &path, const QString &sum, QString &whole)
{
    if (item.Checksum != sum)
        return false;
    if (item.WholeHash.isEmpty())
        return true; // an older basket's item: the checksum and the size are all there is
    if (whole.isEmpty())
        whole = PictureWholeHash(path);
    return !whole.isEmpty() && whole == item.WholeHash;
}

std::function<void(const QString &)> &RootWatch()
{
    static std::function<void(const QString &)> watch;
    return watch;
}

// The walk of one search: the items still looked for, by size, and the limits.
class TSearch
{
public:
    TSearch(const TThumbNails &list, const TRelinkLimits &limits, const TRelinkProgress &progress)
        : FList(list)
        , FLimits(limits)
        , FProgress(progress)
    {
        FClock.start();
    }

    void Want(const TThumbNail *item) { FBySize[item->FileSize].append(item); }
    bool Done() const { return FBySize.isEmpty(); }
    bool Stopped() const { return FStopped; }
    int Seen() const { return FSeen; }
    QList<TFoundPicture> &Found() { return FFound; }

    // Looks at one file; false once the search must end.
    bool Look(const QString &path, qint64 size)
    {
        if (Halt())
            return false;
        ++FSeen;
        if (size <= 0 || size > INT_MAX)
            return true;
        const auto it = FBySize.find(qint32(size));
        if (it == FBySize.end() || FTaken.contains(path) || InBasket(path))
            return true;
        const QString sum = PictureChecksum(path);
        if (sum.isEmpty())
            return true;
        QList<const TThumbNail *> &items = it.value();
        QString whole;
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (!SamePicture(*items[i], path, sum, whole))
                continue;
            FFound.append({ items[i], path });
            FTaken.insert(path);
            items.removeAt(i);
            if (items.isEmpty())
                FBySize.erase(it);
            break;
        }
        return !Done();
    }

    void Walk(const QString &root)
    {
        struct TLevel {
            QString folder;
            int depth;
        };
        // Only the root's own filesystem is walked: a mount below it (a network share, a card,
        // a disc) is left to a search that names it.
        const std::optional<quint64> device = DeviceOf(root);
        if (!device)
            return;
        QList<TLevel> stack { { root, 0 } };
        while (!stack.isEmpty() && !Done()) {
            const TLevel level = stack.takeLast();
            // A folder reached twice (a root inside another root) is walked once.
            const QString canonical = QFileInfo(level.folder).canonicalFilePath();
            if (canonical.isEmpty() || FWalked.contains(canonical))
                continue;
            FWalked.insert(canonical);
            if (FProgress.folder)
                FProgress.folder(level.folder, FSeen);
            // Links are left out, to files as to folders: a link's target is another place, found
            // (or not) where it lies, and a link to a parent would never end a walk.
            const QFileInfoList entries
                = QDir(level.folder)
                      .entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden
                              | QDir::NoSymLinks,
                          QDir::Name);
            for (const QFileInfo &entry : entries) {
                if (entry.isDir()) {
                    if (level.depth < FLimits.maxDepth
                        && DeviceOf(entry.absoluteFilePath()) == device)
                        stack.append({ entry.absoluteFilePath(), level.depth + 1 });
                } else if (!Look(entry.absoluteFilePath(), entry.size())) {
                    return;
                }
            }
        }
    }

private:
    bool Halt()
    {
        if (!FStopped
            && ((FProgress.cancelled && FProgress.cancelled()) || FSeen >= FLimits.maxFiles
                || FClock.elapsed() >= FLimits.maxMillis))
            FStopped = true;
        return FStopped;
    }

    bool InBasket(const QString &path) const
    {
        for (int i = 0; i < FList.Count(); ++i)
            if (FList.Item(i)->FullPath == path)
                return true;
        return false;
    }

    const TThumbNails &FList;
    const TRelinkLimits &FLimits;
    const TRelinkProgress &FProgress;
    QElapsedTimer FClock;
    QHash<qint32, QList<const TThumbNail *>> FBySize;
    QSet<QString> FTaken;
    QSet<QString> FWalked;
    QList<TFoundPicture> FFound;
    int FSeen = 0;
    bool FStopped = false;
};

// Moves a file made for the old path to the new one; a failure only costs making it again.
void MoveAlong(const QString &from, const QString &to)
{
    if (from == to || !QFileInfo(from).isFile())
        return;
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    QFile::rename(from, to);
}

} // namespace

QString PictureChecksum(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const quint64 sizeLe = qToLittleEndian(quint64(size));
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(&sizeLe), sizeof sizeLe));
    const QByteArray head = file.read(kChecksumPart);
    if (head.size() != std::min(size, kChecksumPart))
        return {};
    hash.addData(head);
    if (size > kChecksumPart) {
        const qint64 tailAt = std::max(kChecksumPart, size - kChecksumPart);
        if (!file.seek(tailAt))
            return {};
        const QByteArray tail = file.read(size - tailAt);
        if (tail.size() != size - tailAt)
            return {};
        hash.addData(tail);
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString PictureWholeHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // Read a piece at a time, so a job that is stopped (the window closing) ends within one piece
    // rather than after the whole of a large picture.
    for (;;) {
        if (JobStopRequested())
            return {};
        const QByteArray piece = file.read(kWholeHashPiece);
        if (piece.isEmpty())
            break;
        hash.addData(piece);
    }
    if (!file.atEnd())
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

bool IsPictureChecksum(const QString &text)
{
    if (text.size() != 64)
        return false;
    return std::all_of(text.begin(), text.end(),
        [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); });
}

TRelinkSearch FindMovedPictures(const TThumbNails &list, const QList<const TThumbNail *> &vanished,
    const QStringList &roots, const QStringList &candidates, const TRelinkLimits &limits,
    const TRelinkProgress &progress)
{
    TRelinkSearch result;
    TSearch search(list, limits, progress);
    for (const TThumbNail *item : vanished) {
        if (item->OrderType != otDpe || item->FileSize <= 0)
            continue;
        if (IsPictureChecksum(item->Checksum))
            search.Want(item);
        else
            result.unverifiable.append(item);
    }
    for (const QString &candidate : candidates) {
        if (search.Done())
            break;
        const QFileInfo info(candidate);
        if (info.isFile() && !info.isSymLink()
            && !search.Look(info.absoluteFilePath(), info.size()))
            break;
    }
    for (const QString &root : roots) {
        if (search.Done() || search.Stopped())
            break;
        const QFileInfo info(root);
        if (root.isEmpty() || !info.isDir())
            continue;
        const QString folder = info.absoluteFilePath();
        if (RootWatch())
            RootWatch()(folder);
        search.Walk(folder);
    }
    result.found = std::move(search.Found());
    result.stopped = search.Stopped();
    result.filesSeen = search.Seen();
    return result;
}

QStringList MovedSearchRoots(const QList<const TThumbNail *> &vanished, const QString &lastDir,
    const QStringList &driveRoots)
{
    QStringList roots;
    const auto add = [&roots](const QString &folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!folder.isEmpty() && QDir::isAbsolutePath(clean) && !QDir(clean).isRoot()
            && !roots.contains(clean))
            roots << clean;
    };
    for (const TThumbNail *item : vanished) {
        QDir up = QFileInfo(item->FullPath).absoluteDir();
        for (int level = 0; level < 2 && up.cdUp(); ++level)
            add(up.absolutePath());
    }
    add(lastDir);
    for (const QString &root : driveRoots)
        add(root);
    return roots;
}

void WatchSearchRoots(std::function<void(const QString &root)> watch)
{
    RootWatch() = std::move(watch);
}

QStringList DateTreeCandidates(
    const QStringList &dateData, const QList<const TThumbNail *> &vanished)
{
    QSet<qint64> sizes;
    for (const TThumbNail *item : vanished)
        sizes.insert(item->FileSize);
    QStringList candidates;
    for (const QString &line : dateData) {
        const std::optional<TScanEntry> entry = DecodeScanLine(line);
        if (entry && sizes.contains(entry->size))
            candidates << entry->path;
    }
    return candidates;
}

QString RelinkQuestion(const QString &oldPath, const QString &newPath)
{
    return QStringLiteral("見つかりました。\r\n\r\n注文した画像が移動されています。\r\n"
                          "元の場所: %1\r\n新しい場所: %2\r\n\r\n"
                          "新しい場所の画像を注文に使いますか？(枚数・サイズ・補正はそのまま)")
        .arg(QDir::toNativeSeparators(oldPath), QDir::toNativeSeparators(newPath));
}

QString UnverifiableNotice(int count)
{
    return QStringLiteral("%1個の画像は、注文に入れた時の照合データがないため、"
                          "移動先を自動では探せません。")
        .arg(count);
}

bool RelinkItem(TThumbNails &list, TThumbNail &item, const QString &newPath)
{
    const QString path = QFileInfo(newPath).absoluteFilePath();
    QString whole;
    if (!IsPictureChecksum(item.Checksum) || QFileInfo(path).isSymLink()
        || !SamePicture(item, path, PictureChecksum(path), whole))
        return false;
    for (int i = 0; i < list.Count(); ++i)
        if (list.Item(i) != &item && list.Item(i)->FullPath == path)
            return false;
    const QString oldThumbnail = item.ThumbnailPath;
    const QString oldCopy = item.LocalCopy();
    item.SetPicturePath(path, list.Context().works);
    if (!oldThumbnail.isEmpty() && !item.ThumbnailPath.isEmpty()) {
        MoveAlong(oldThumbnail, item.ThumbnailPath);
        MoveAlong(oldCopy, item.LocalCopy());
    }
    item.ErrorKind = neNoError;
    item.Broken = 0;
    return true;
}

} // namespace korvatel
