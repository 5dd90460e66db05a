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

QStringList SubfolderNames(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

bool HasSubfolder(const QString &folder)
{
    return QDirIterator(folder, QDir::Dirs | QDir::NoDotAndDotDot).hasNext();
}

QString DriveNodeText(const TDrive &drive, const QString &home)
{
    QString name;
    if (!home.isEmpty() && drive.root == QDir::cleanPath(home))
        name = QStringLiteral("(ホーム)");
    else if (!drive.label.isEmpty())
        name = drive.label;
    else if (drive.root == QLatin1String("/"))
        name = drive.root;
    else
        name = drive.root.section(u'/', -1);
    return drive.letter + QStringLiteral(": ") + name;
}

QString LastReadHint(const QString &previous, const QDateTime &when)
{
    const QString time = LastReadText(when);
    return QStringLiteral("[最終更新]　") + time + u'|'
        + previous.section(u'|', 1).section(QStringLiteral("。"), 0, 0)
        + QStringLiteral("。最終更新 ") + time;
}

} // namespace korvatel
