#pragma once

#include "text/sjis_file.h"

#include <QString>
#include <QStringList>

namespace korvatel
{

// A key file: text lines of "Name=Value" (and bare words where a file uses them), read whole
// into a list and written whole as Shift-JIS with CR LF line ends. A name is the text before
// the first "="; the first matching line wins.
class TKeyFile
{
public:
    explicit TKeyFile(Qt::CaseSensitivity names = Qt::CaseInsensitive)
        : FNames(names)
    {
    }
    explicit TKeyFile(QStringList lines, Qt::CaseSensitivity names = Qt::CaseInsensitive)
        : FLines(std::move(lines))
        , FNames(names)
    {
    }

    // Replaces the lines with the file's; false (and no lines) when the file cannot be read.
    bool Load(const QString &path);
    // Writes the lines atomically; false when the write failed (the old file then stays).
    bool Save(const QString &path, TFileAccess access = TFileAccess::faShared) const;

    QStringList &Lines() { return FLines; }
    const QStringList &Lines() const { return FLines; }

    // Index of the first line named name, or -1.
    int IndexOfName(const QString &name) const;
    bool HasName(const QString &name) const { return IndexOfName(name) >= 0; }
    // The text after the first "=" of the first line named name; empty when there is none.
    QString Value(const QString &name) const;
    // Replaces the value of the first line named name, or appends a new line.
    void SetValue(const QString &name, const QString &value);
    void Remove(const QString &name);

    // Only the exact word "TRUE" reads as true; a missing key reads as false.
    bool Bool(const QString &name) const;
    // For keys whose default is true: anything but the exact word "FALSE" reads as true.
    bool BoolDefaultTrue(const QString &name) const;
    void SetBool(const QString &name, bool value);

    // The value read by the lenient number reader; fallback when missing or not a number.
    int Integer(const QString &name, int fallback) const;
    double Number(const QString &name, double fallback) const;

    // Bare-word lines: true when a line equals word (in the file's name case rule).
    bool HasWord(const QString &word) const;

private:
    QStringList FLines;
    Qt::CaseSensitivity FNames;
};

} // namespace korvatel
