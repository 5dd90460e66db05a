#include "sources/thumb_paths.h"

#include "platform/file_times.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korvatel
{

namespace
{

struct TModeRow {
    int longSide;
    const char *menu;
    const char *combo;
};

const TModeRow kModes[kThumbnailModeCount] = {
    { 400, "400Pix(標準)", "400Pix(標準)" },
    { 600, "600Pix(高画質)", "600Pix(高画質)" },
    { 800, "800Pix(高画質)", "800Pix(最高画質)" },
    { 400, "400Pix(ﾊﾞｲﾘﾆｱ+積分法)", "400Pix(ﾊﾞｲﾘﾆｱ+積分法)" },
    { 600, "600Pix(ﾊﾞｲﾘﾆｱ+積分法)", "600Pix(ﾊﾞｲﾘﾆｱ+積分法)" },
    { 800, "800Pix(ﾊﾞｲﾘﾆｱ+積分法)", "800Pix(ﾊﾞｲﾘﾆｱ+積分法)" },
    { 800, "Exifｻﾑﾈｲﾙ(非加工)", "Exifｻﾑﾈｲﾙ(非加工)" },
    { 800, "Exif(積分法で拡大)", "Exifｻﾑﾈｲﾙ(積分法拡大)" },
    { 800, "Real(本ﾃﾞｰﾀ表示)", "Real(本ﾃﾞｰﾀ表示)" },
};

bool ValidMode(int mode)
{
    return mode >= 0 && mode < kThumbnailModeCount;
}

// A path in the system's backslash form, back to the "/" form of Qt paths.
QString QtPath(QString path)
{
    return path.replace(u'\\', u'/');
}

QString JoinPath(const QString &works, const QString &rest)
{
    QString base = works;
    while (base.endsWith(u'/') || base.endsWith(u'\\'))
        base.chop(1);
    return QtPath(base + u'\\' + rest);
}

} // namespace

int ThumbnailLongSide(int mode)
{
    return ValidMode(mode) ? kModes[mode].longSide : 400;
}

bool ThumbnailAreaAverage(int mode)
{
    return mode >= 3 && mode <= 5;
}

QString ThumbnailModeMenuCaption(int mode)
{
    return ValidMode(mode) ? QString::fromUtf8(kModes[mode].menu) : QString();
}

QString ThumbnailModeComboCaption(int mode)
{
    return ValidMode(mode) ? QString::fromUtf8(kModes[mode].combo) : QString();
}

bool ModeSwitchDeletesThumbnails(int oldMode, int newMode)
{
    return oldMode != newMode && oldMode * newMode > 0;
}

QString FolderKey(const QString &path)
{
    QString p = path;
    p.replace(u'/', u'\\');
    if (p.startsWith(QLatin1String("\\\\")))
        p = QStringLiteral("LAN") + p.mid(1);
    else if (p.startsWith(u'\\'))
        p.remove(0, 1);
    p.remove(u':');
    while (p.contains(QLatin1String("\\\\")))
        p.remove(QStringLiteral("\\\\"));
    if (p.endsWith(u'\\'))
        p.chop(1);
    return p;
}

QString ThumbCachePath(const QString &works, const QString &path)
{
    return JoinPath(works, QStringLiteral("Disk$001\\") + FolderKey(path));
}

QString BrowserThumbPath(const QString &works, const QString &path)
{
    return ThumbCachePath(works, path) + QStringLiteral(".small.jpg");
}

QString DiskFolder(int diskNo)
{
    return QStringLiteral("Disk$")
        + QString::number(uint(diskNo), 16).toUpper().rightJustified(3, u'0');
}

QString PathFileName(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

QString OrderThumbnailPath(const QString &works, int diskNo, const QString &path)
{
    const QString name = PathFileName(path);
    const QString folder = FolderKey(path.left(path.size() - name.size()));
    QString rest = DiskFolder(diskNo) + u'\\';
    if (!folder.isEmpty())
        rest += folder + u'\\';
    // The folder key drops ":" and reads "\\" as a separator, while both are plain characters
    // of a file name here: "/p/a:b/x.jpg" and "/p/ab/x.jpg" would share one thumbnail and, worse,
    // one local copy, and the order would send one photo for both. Such a path gets a folder of
    // its own, named by a hash of the exact path.
    if (path.startsWith(u'/') && (path.contains(u':') || path.contains(u'\\'))) {
        const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
        rest += u'#' + QString::fromLatin1(hash.left(8).toHex()) + u'\\';
    }
    return JoinPath(works, rest + name + QStringLiteral(".BMP"));
}

QString LocalCopyPath(const QString &works, int diskNo, const QString &path)
{
    return OrderThumbnailPath(works, diskNo, path).chopped(4);
}

bool LocalCopyIsCurrent(const QString &source, const QString &copy)
{
    if (!QFileInfo(copy).isFile())
        return false;
    const std::optional<TFileTimes> from = ReadFileTimes(source);
    const std::optional<TFileTimes> kept = ReadFileTimes(copy);
    return from && kept && from->size == kept->size
        && from->lastWrite.toMSecsSinceEpoch() == kept->lastWrite.toMSecsSinceEpoch();
}

QString CurrentLocalCopy(const QString &source, const QString &copy)
{
    if (!QFileInfo(source).isFile())
        return QFileInfo(copy).isFile() ? copy : QString();
    if (LocalCopyIsCurrent(source, copy) || MakeLocalCopy(source, copy))
        return copy;
    return {};
}

bool MakeLocalCopy(const QString &source, const QString &copy)
{
    if (!QFileInfo(source).isFile())
        return false;
    if (!QDir().mkpath(QFileInfo(copy).absolutePath()))
        return false;
    if (QFileInfo::exists(copy)) {
        QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner);
        QFile::remove(copy);
    }
    if (!QFile::copy(source, copy))
        return false;
    // The copy is the program's own file: it must stay writable and deletable. It is the
    // customer's photo, sent with the order, and so the owner's alone, whatever the source's
    // mode was.
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    CopyFileTimes(source, copy);
    return true;
}

} // namespace korvatel
