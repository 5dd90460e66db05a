#include "sources/source_listing.h"

#include "workspace/workspace_settings.h"

#include <QDirIterator>
#include <algorithm>

namespace korvatel
{

bool ListedKind(const QString &name, const QStringList &extensions)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && extensions.contains(name.mid(dot).toLower());
}

QStringList FolderPictures(const QString &folder, const QStringList &extensions, bool subfolders)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Readable | QDir::Hidden,
        subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        if (ListedKind(it.fileName(), extensions))
            files << path;
    }
    // Within a folder the files come in name order; the sort of the list applies after.
    std::sort(files.begin(), files.end(),
        [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return files;
}

QString LastReadHint(const QString &previous, const QDateTime &when)
{
    const QString time = LastReadText(when);
    return QStringLiteral("[最終更新]　") + time + u'|'
        + previous.section(u'|', 1).section(QStringLiteral("。"), 0, 0)
        + QStringLiteral("。最終更新 ") + time;
}

} // namespace korvatel
