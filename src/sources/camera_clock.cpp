#include "sources/camera_clock.h"

#include "imaging/exif.h"
#include "imaging/heif_codec.h"
#include "imaging/picture_kinds.h"
#include "sources/date_scan.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace korvatel
{

namespace
{

// The Exif block lies in the first segments of a camera file (an APP1 holds at most 64 KiB,
// and at most an APP0 comes before it): no more of each file is read than this.
constexpr qint64 kExifHeadBytes = 160 * 1024;

QString CleanName(const QString &name)
{
    QString clean = name.trimmed();
    for (QChar &c : clean)
        if (c == u'=' || c == u'|' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'_';
    return clean;
}

} // namespace

QString TCameraClocks::FilePath(const QString &sysData)
{
    return QDir(sysData).filePath(QStringLiteral("CameraClock.ini"));
}

TCameraClocks TCameraClocks::FromLines(const QStringList &lines)
{
    TCameraClocks clocks;
    for (const QString &line : lines) {
        if (clocks.FOffsets.size() >= kMaxModels)
            break;
        const qsizetype eq = line.lastIndexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq);
        // The key must be what ModelKey makes: "make|model", already cleaned.
        const qsizetype bar = key.indexOf(u'|');
        if (bar < 0 || key.indexOf(u'|', bar + 1) >= 0
            || ModelKey(key.left(bar), key.mid(bar + 1)) != key || key == QLatin1String("|"))
            continue;
        bool ok = false;
        const qint64 seconds = line.mid(eq + 1).trimmed().toLongLong(&ok);
        if (!ok || seconds == 0 || seconds > kMaxOffset || seconds < -kMaxOffset)
            continue;
        clocks.FOffsets.insert(key, seconds);
    }
    return clocks;
}

QStringList TCameraClocks::Lines() const
{
    QStringList lines;
    for (auto it = FOffsets.constBegin(); it != FOffsets.constEnd(); ++it)
        lines << it.key() + u'=' + QString::number(it.value());
    return lines;
}

TCameraClocks TCameraClocks::Load(const QString &path)
{
    const std::optional<QStringList> lines = ReadSjisLines(path);
    return lines ? FromLines(*lines) : TCameraClocks();
}

bool TCameraClocks::Save(const QString &path) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteSjisLines(path, Lines(), TFileAccess::faPrivate);
}

QString TCameraClocks::ModelKey(const QString &make, const QString &model)
{
    return CleanName(make) + u'|' + CleanName(model);
}

qint64 TCameraClocks::Offset(const QString &make, const QString &model) const
{
    return FOffsets.value(ModelKey(make, model), 0);
}

bool TCameraClocks::SetOffset(const QString &make, const QString &model, qint64 seconds)
{
    const QString key = ModelKey(make, model);
    if (key == QLatin1String("|"))
        return false;
    seconds = std::clamp(seconds, -kMaxOffset, kMaxOffset);
    if (seconds == 0)
        FOffsets.remove(key);
    else if (FOffsets.contains(key) || FOffsets.size() < kMaxModels)
        FOffsets.insert(key, seconds);
    return true;
}

QDateTime TCameraClocks::Apply(
    const QString &make, const QString &model, const QDateTime &taken) const
{
    const qint64 offset = taken.isValid() ? Offset(make, model) : 0;
    return offset == 0 ? taken : taken.addSecs(offset);
}

qint64 ClockOffset(const QDateTime &recorded, const QDateTime &corrected)
{
    if (!recorded.isValid() || !corrected.isValid())
        return 0;
    return recorded.secsTo(corrected);
}

TCameraShot ReadCameraShot(const QString &path)
{
    TCameraShot shot;
    TExifInfo exif;
    const int kind = ImageKindOf(path);
    if (kind == ikHeif || kind == ikAvif) {
        const std::optional<QByteArray> tiff = ReadHeifExif(path);
        if (!tiff)
            return shot;
        exif.LoadFromData(ExifJpegHead(*tiff));
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return shot;
        exif.LoadFromData(file.read(kExifHeadBytes));
    }
    if (exif.ErrorCode() != 0)
        return shot;
    shot.make = exif.Make();
    shot.model = exif.Model();
    shot.taken = exif.DateTimeOriginal();
    return shot;
}

bool HasCameraExif(int kind)
{
    return kind == ikJpeg || kind == ikHeif || kind == ikAvif;
}

QStringList ShiftCameraClocks(const QStringList &lines, const TCameraClocks &clocks,
    const std::function<bool()> &abandon,
    const std::function<TCameraShot(const QString &path)> &readShot)
{
    if (clocks.Empty())
        return lines;
    QStringList shifted = lines;
    for (QString &line : shifted) {
        if (abandon && abandon())
            return lines;
        const std::optional<TScanEntry> entry = DecodeScanLine(line);
        if (!entry || !HasCameraExif(ImageKindOf(entry->path)))
            continue;
        const TCameraShot shot = readShot ? readShot(entry->path) : ReadCameraShot(entry->path);
        const qint64 offset = clocks.Offset(shot.make, shot.model);
        if (offset == 0 || !shot.taken.isValid() || PackFileDateTime(shot.taken) != entry->stamp)
            continue;
        line = ScanLine(PackFileDateTime(shot.taken.addSecs(offset)), entry->path, entry->size);
    }
    return shifted;
}

} // namespace korvatel
