#include "text/sjis_file.h"

#include "text/cp932.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace korvatel
{

std::optional<QByteArray> ReadWholeFile(const QString &path, qint64 maxSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A file reported larger than the cap is refused without reading. Otherwise read one byte
    // past its reported size (read() reserves what it is asked for), then refuse a file that
    // grew past the cap meanwhile.
    if (file.size() > maxSize)
        return std::nullopt;
    QByteArray data = file.read(std::min(file.size(), maxSize) + 1);
    while (data.size() <= maxSize && !file.atEnd() && file.error() == QFileDevice::NoError)
        data += file.read(std::min<qint64>(maxSize + 1 - data.size(), 1 << 20));
    if (data.size() > maxSize || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

std::optional<QString> ReadSjisText(const QString &path)
{
    const std::optional<QByteArray> data = ReadWholeFile(path);
    if (!data)
        return std::nullopt;
    return FromCp932(*data);
}

std::optional<QStringList> ReadSjisLines(const QString &path)
{
    const std::optional<QByteArray> data = ReadWholeFile(path);
    if (!data)
        return std::nullopt;
    return SjisLines(*data);
}

qsizetype CountLines(QByteArrayView bytes)
{
    qsizetype lines = 0;
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    qsizetype lastBreak = -1;
    while (p < end) {
        const char c = *p;
        if (c == '\r' || c == '\n') {
            ++lines;
            if (c == '\r' && p + 1 < end && p[1] == '\n')
                ++p;
            lastBreak = p - bytes.data();
        }
        ++p;
    }
    if (lastBreak + 1 < bytes.size())
        ++lines;
    return lines;
}

std::optional<QStringList> SjisLines(const QByteArray &bytes, qsizetype maxLines)
{
    if (CountLines(bytes) > maxLines)
        return std::nullopt;
    return SplitLines(FromCp932(bytes));
}

QStringList SplitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool WriteFileAtomic(const QString &path, const QByteArray &data, TFileAccess access)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The temporary file is still empty: from here on only the owner can read it.
    if (access == TFileAccess::faPrivate
        && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteSjisText(const QString &path, const QString &text, TFileAccess access)
{
    return WriteFileAtomic(path, ToCp932(text), access);
}

QString JoinLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

bool WriteSjisLines(const QString &path, const QStringList &lines, TFileAccess access)
{
    return WriteSjisText(path, JoinLines(lines), access);
}

} // namespace korvatel
