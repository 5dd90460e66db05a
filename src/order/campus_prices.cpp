#include "order/campus_prices.h"

#include "text/comma_text.h"
#include "text/cp932.h"
#include "text/key_file.h"
#include "text/numbers.h"
#include "text/scramble.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>

namespace korvatel
{

namespace
{

// Album price lists are short; a longer file is damaged or hostile.
constexpr qint64 kMaxItemsFile = 4 * 1024 * 1024;

QString FolderText(QString folder)
{
    folder.replace(u'\\', u'/');
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

} // namespace

QStringList TCampusPriceList::SizeNames() const
{
    QStringList names;
    for (const TCampusPrice &row : rows)
        names.append(row.size);
    return names;
}

bool TCampusPriceList::Offers(const QString &size) const
{
    return !size.isEmpty() && std::any_of(rows.begin(), rows.end(), [&](const TCampusPrice &r) {
        return r.size == size;
    });
}

double TCampusPriceList::PriceOf(const QString &size) const
{
    for (const TCampusPrice &row : rows) {
        if (row.size == size)
            return row.price;
    }
    return 0;
}

QString TCampusPriceList::NextSize(const QString &size, int step) const
{
    if (rows.isEmpty())
        return {};
    qsizetype at = -1;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].size == size) {
            at = i;
            break;
        }
    }
    if (at < 0)
        return rows.first().size;
    const qsizetype n = rows.size();
    return rows[((at + step) % n + n) % n].size;
}

std::optional<QList<TCampusPrice>> ParseCampusItems(const QStringList &lines)
{
    QStringList plain;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines[i] == QLatin1String("<Files>"))
            break;
        const std::optional<QString> text = Unscramble(lines[i]);
        if (!text)
            return std::nullopt;
        if (*text == QLatin1String("<Files>"))
            break;
        plain.append(*text);
    }
    const qsizetype grid = plain.indexOf(QStringLiteral("<GridData>"));
    const TKeyFile keys(grid < 0 ? plain : plain.mid(0, grid));
    // Column numbers beyond any sensible row are refused like negative ones: the default is taken.
    const auto column = [&](const char *name, int fallback) {
        const int value = keys.Integer(QLatin1String(name), fallback);
        return value >= 0 && value < 1000 ? value : fallback;
    };
    const int sizeColumn = column("SizeNameCol", 1);
    const int priceColumn = column("PriceCol", 2);
    QList<TCampusPrice> rows;
    if (grid < 0)
        return rows;
    for (qsizetype i = grid + 1; i < plain.size(); ++i) {
        const QStringList cells = FromCommaText(plain[i]);
        const QString size = cells.value(sizeColumn).trimmed();
        if (size.isEmpty())
            continue;
        rows.append({ size, ParseNumber(cells.value(priceColumn), 0) });
    }
    return rows;
}

std::optional<QList<TCampusPrice>> ParseCampusItems(const QByteArray &data)
{
    return ParseCampusItems(SplitLines(FromCp932(data)));
}

int TCampusPriceLists::Load(const QString &campusShopFolder)
{
    FLists.clear();
    const QDir shop(campusShopFolder);
    const QStringList folders = shop.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : folders) {
        const QString folder = shop.filePath(name);
        const std::optional<QByteArray> data
            = ReadWholeFile(QDir(folder).filePath(QStringLiteral("Items.ini")), kMaxItemsFile);
        if (!data)
            continue;
        std::optional<QList<TCampusPrice>> rows = ParseCampusItems(*data);
        if (rows)
            Add({ folder, std::move(*rows) });
    }
    return Count();
}

void TCampusPriceLists::Add(TCampusPriceList list)
{
    FLists.append(std::make_shared<const TCampusPriceList>(std::move(list)));
}

std::shared_ptr<const TCampusPriceList> TCampusPriceLists::ForFolder(const QString &folder) const
{
    for (const auto &list : FLists) {
        if (SameFolder(list->folder, folder))
            return list;
    }
    return nullptr;
}

std::shared_ptr<const TCampusPriceList> TCampusPriceLists::ForPicture(
    const QString &picturePath) const
{
    return ForFolder(PictureFolder(picturePath));
}

QString PictureFolder(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return cut < 0 ? QString() : path.left(cut);
}

bool SameFolder(const QString &a, const QString &b)
{
    return FolderText(a).compare(FolderText(b), Qt::CaseInsensitive) == 0;
}

} // namespace korvatel
