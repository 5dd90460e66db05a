#include "text/comma_text.h"

namespace korvatel
{

namespace
{

bool NeedsQuotes(const QString &item)
{
    for (QChar c : item) {
        if (c.unicode() <= u' ' || c == u',' || c == u'"')
            return true;
    }
    return false;
}

} // namespace

QString ToCommaText(const QStringList &items)
{
    QString text;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += u',';
        const QString &item = items.at(i);
        if (NeedsQuotes(item)) {
            QString quoted = item;
            quoted.replace(u'"', QLatin1String("\"\""));
            text += u'"' + quoted + u'"';
        } else {
            text += item;
        }
    }
    return text;
}

QStringList FromCommaText(const QString &text)
{
    QStringList items;
    if (text.isEmpty())
        return items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (true) {
        QString item;
        // Blanks before an opening quote are layout, not content.
        qsizetype j = i;
        while (j < n && text.at(j) == u' ')
            ++j;
        if (j < n && text.at(j) == u'"') {
            i = j + 1;
            while (i < n) {
                if (text.at(i) == u'"') {
                    if (i + 1 < n && text.at(i + 1) == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text.at(i++);
            }
        }
        while (i < n && text.at(i) != u',')
            item += text.at(i++);
        items.append(item);
        if (i >= n)
            break;
        ++i; // the comma; a comma at the very end leaves one empty item behind it
        if (i == n) {
            items.append(QString());
            break;
        }
    }
    return items;
}

} // namespace korvatel
