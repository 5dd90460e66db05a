#pragma once

#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvatel::test
{

// The rows of a tab-separated file whose first line names the columns, each row as column name
// to value (a missing cell reads as empty). Empty when the file cannot be read.
inline QList<QHash<QString, QString>> ReadTsv(const QString &path)
{
    QList<QHash<QString, QString>> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QStringList header
        = QString::fromUtf8(file.readLine()).trimmed().split(QLatin1Char('\t'));
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QStringList cells = line.split(QLatin1Char('\t'));
        QHash<QString, QString> row;
        for (int i = 0; i < header.size(); ++i)
            row.insert(header.at(i), cells.value(i));
        rows.append(row);
    }
    return rows;
}

} // namespace korvatel::test
