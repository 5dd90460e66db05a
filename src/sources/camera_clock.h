#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

// The clock corrections of the customer's cameras: for each camera model (Exif Make and
// Model) the seconds its clock was off. They are applied where a shooting date is shown or
// printed (the date tree, the basket's date imprint); the pictures and their Exif are never
// changed.
//
// The file CameraClock.ini of the workspace (Shift-JIS, CR LF, 0600) has one line per model:
//   Make|Model=seconds
// with "=", "|" and control characters of the names replaced by "_". Lines that do not parse,
// offsets beyond ±200 years and lines after the first 1000 are ignored.
class TCameraClocks
{
public:
    static constexpr int kMaxModels = 1000;
    static constexpr qint64 kMaxOffset = 200LL * 366 * 24 * 3600;

    // The file's place in the workspace's SysData folder.
    static QString FilePath(const QString &sysData);
    static TCameraClocks FromLines(const QStringList &lines);
    QStringList Lines() const;
    // A missing or unreadable file gives no corrections.
    static TCameraClocks Load(const QString &path);
    bool Save(const QString &path) const;

    bool Empty() const { return FOffsets.isEmpty(); }
    // The key of a model: the trimmed make and model joined by "|", cleaned as described.
    static QString ModelKey(const QString &make, const QString &model);
    // Seconds to add to the model's dates; 0 when it has none.
    qint64 Offset(const QString &make, const QString &model) const;
    // Sets the model's offset (clamped to ±kMaxOffset); 0 removes it. False when the model has
    // no name at all (no make and no model), which no correction can be kept for.
    bool SetOffset(const QString &make, const QString &model, qint64 seconds);
    // taken moved by the model's offset; taken itself when it has none or is invalid.
    QDateTime Apply(const QString &make, const QString &model, const QDateTime &taken) const;

private:
    QMap<QString, qint64> FOffsets;
};

// The offset that turns the recorded date into the corrected one, in seconds.
qint64 ClockOffset(const QDateTime &recorded, const QDateTime &corrected);

// What a picture's Exif says of its camera and shooting date; empty texts and an invalid date
// when it has no readable Exif. A HEIF or AVIF file gives the Exif block of its primary picture
// (read through libheif); any other file is read as a JPEG, at most its first 160 KiB.
struct TCameraShot {
    QString make;
    QString model;
    QDateTime taken;
};
TCameraShot ReadCameraShot(const QString &path);
// True for the picture kinds (ImageKindOf) whose files carry a camera's Exif block that
// ReadCameraShot reads: JPEG, HEIF and AVIF.
bool HasCameraExif(int kind);

// The date tree's side: the DateData.ini lines of pictures whose camera has an offset, with
// their time moved by it. A line is moved only when its time is the camera's own (it equals
// the picture's Exif DateTimeOriginal, to the packed time's two seconds), so a file time set
// by copying is never shifted. Without corrections the lines come back untouched and no file
// is read. abandon is asked between files; when it says yes the lines come back as they are.
QStringList ShiftCameraClocks(const QStringList &lines, const TCameraClocks &clocks,
    const std::function<bool()> &abandon = {},
    const std::function<TCameraShot(const QString &path)> &readShot = {});

} // namespace korvatel
