#include "sources/film_list.h"

#include "imaging/picture_kinds.h"

#include <QFileInfo>
#include <algorithm>

namespace korvatel
{

namespace
{

int Sign(qint64 value)
{
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

QString BaseName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

} // namespace

int CompareFilm(const TFilmData &a, const TFilmData &b, int kind, int direction)
{
    int result = 0;
    switch (kind) {
    case 1:
        result = Sign(BaseName(a.fileName).compare(BaseName(b.fileName), Qt::CaseInsensitive));
        break;
    case 2:
        result = Sign(std::abs(a.fileSize) - std::abs(b.fileSize));
        break;
    case 3:
        result = Sign(a.typeText.compare(b.typeText, Qt::CaseInsensitive));
        break;
    case 4:
        break; // the tie-break below is the comparison
    default:
        return Sign(qint64(a.index) - b.index);
    }
    result *= direction;
    if (result == 0)
        result = direction * Sign(a.stamp.toMSecsSinceEpoch() - b.stamp.toMSecsSinceEpoch());
    return result;
}

QString FilmTypeText(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return QStringLiteral("ファイル");
    return fileName.mid(dot + 1).toUpper() + QStringLiteral(" ファイル");
}

TFilmData &TFilmList::Add()
{
    if (size_t(FCount) == FItems.size())
        FItems.push_back(std::make_unique<TFilmData>());
    TFilmData &item = *FItems[size_t(FCount)];
    item = TFilmData();
    item.index = FCount;
    ++FCount;
    return item;
}

TFilmData &TFilmList::AddFile(const QString &path, qint64 size, const QDateTime &stamp)
{
    TFilmData &item = Add();
    item.fullPath = path;
    const QFileInfo info(path);
    item.fileName = info.fileName();
    item.displayName = item.fileName;
    item.pictureKind = ImageKindOf(item.fileName);
    item.movie = IsPictureFile(item.fileName) == 2;
    item.typeText = FilmTypeText(item.fileName);
    item.fileSize = size >= 0 ? size : (info.exists() ? info.size() : 0);
    item.stamp = stamp.isValid() ? stamp : info.lastModified();
    return item;
}

int TFilmList::IndexOf(const QString &path) const
{
    for (int i = 0; i < FCount; ++i)
        if (FItems[size_t(i)]->fullPath == path)
            return i;
    return -1;
}

int TFilmList::OrderedCount() const
{
    int count = 0;
    for (int i = 0; i < FCount; ++i)
        count += FItems[size_t(i)]->inOrder ? 1 : 0;
    return count;
}

void TFilmList::Sort(int kind, int direction)
{
    std::stable_sort(
        FItems.begin(), FItems.begin() + FCount, [kind, direction](const auto &a, const auto &b) {
            return CompareFilm(*a, *b, kind, direction) < 0;
        });
}

QStringList TFilmList::Paths() const
{
    QStringList paths;
    for (int i = 0; i < FCount; ++i)
        paths << FItems[size_t(i)]->fullPath;
    return paths;
}

} // namespace korvatel
