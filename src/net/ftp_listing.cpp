#include "net/ftp_listing.h"

#include "text/cp932.h"

namespace korvatel
{

namespace
{

int MonthNumber(const QByteArray &name)
{
    static const char *const kMonths[]
        = { "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec" };
    const QByteArray lower = name.toLower();
    for (int i = 0; i < 12; ++i) {
        if (lower == kMonths[i])
            return i + 1;
    }
    return 0;
}

bool AllDigits(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The next blank-separated field from pos; pos ends on the first blank after it.
QByteArray NextField(const QByteArray &line, qsizetype &pos)
{
    while (pos < line.size() && (line.at(pos) == ' ' || line.at(pos) == '\t'))
        ++pos;
    const qsizetype start = pos;
    while (pos < line.size() && line.at(pos) != ' ' && line.at(pos) != '\t')
        ++pos;
    return line.mid(start, pos - start);
}

} // namespace

std::optional<TFtpEntry> ParseListLine(const QByteArray &rawLine, const QDateTime &now)
{
    QByteArray line = rawLine;
    while (line.endsWith('\r') || line.endsWith('\n'))
        line.chop(1);
    qsizetype pos = 0;
    const QByteArray perms = NextField(line, pos);
    if (perms.size() < 10 || !QByteArray("-dlbcps").contains(perms.at(0)))
        return std::nullopt;
    const QByteArray links = NextField(line, pos);
    if (!AllDigits(links))
        return std::nullopt;
    NextField(line, pos); // owner
    // The group is left out by some servers: the size is then the fourth field.
    QByteArray group = NextField(line, pos);
    QByteArray sizeText = NextField(line, pos);
    QByteArray month = sizeText;
    if (MonthNumber(month) == 0) {
        month = NextField(line, pos);
    } else {
        sizeText = group;
    }
    const int monthNumber = MonthNumber(month);
    const QByteArray dayText = NextField(line, pos);
    const QByteArray yearOrTime = NextField(line, pos);
    if (!AllDigits(sizeText) || monthNumber == 0 || !AllDigits(dayText) || dayText.size() > 2)
        return std::nullopt;
    // One blank separates the time from the name; further blanks belong to the name.
    if (pos >= line.size())
        return std::nullopt;
    QByteArray name = line.mid(pos + 1);
    if (perms.at(0) == 'l') {
        const qsizetype arrow = name.indexOf(" -> ");
        if (arrow >= 0)
            name.truncate(arrow);
    }
    if (name.isEmpty())
        return std::nullopt;

    bool ok = false;
    const qint64 size = sizeText.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    const int day = dayText.toInt();
    QDateTime lastWrite;
    if (yearOrTime.size() == 5 && yearOrTime.at(2) == ':') {
        const QTime time(yearOrTime.left(2).toInt(), yearOrTime.mid(3).toInt());
        QDate date(now.date().year(), monthNumber, day);
        if (date.isValid() && date > now.date().addDays(1))
            date = QDate(now.date().year() - 1, monthNumber, day);
        if (date.isValid() && time.isValid())
            lastWrite = QDateTime(date, time);
    } else if (AllDigits(yearOrTime) && yearOrTime.size() == 4) {
        const QDate date(yearOrTime.toInt(), monthNumber, day);
        if (date.isValid())
            lastWrite = QDateTime(date, QTime(0, 0));
    } else {
        return std::nullopt;
    }

    TFtpEntry entry;
    entry.name = FromCp932(name);
    entry.isDir = perms.at(0) == 'd';
    entry.size = size;
    entry.lastWrite = lastWrite;
    return entry;
}

QList<TFtpEntry> ParseListing(const QByteArray &text, const QDateTime &now)
{
    QList<TFtpEntry> entries;
    for (const QByteArray &line : text.split('\n')) {
        std::optional<TFtpEntry> entry = ParseListLine(line, now);
        if (!entry || entry->name == QLatin1String(".") || entry->name == QLatin1String(".."))
            continue;
        entries.append(std::move(*entry));
    }
    return entries;
}

} // namespace korvatel
