#include "cards/pre_order.h"

#include "text/comma_text.h"
#include "text/numbers.h"
#include "text/scramble.h"
#include "text/sjis_file.h"
#include "workspace/workspace.h"

#include <QDir>
#include <QFileInfo>

namespace korvatel
{

namespace
{

// The value of "name=" in lines, case-insensitive as key files are; nullopt when absent.
std::optional<QString> ValueOf(const QStringList &lines, const QString &name)
{
    const QString head = name + u'=';
    for (const QString &line : lines) {
        if (line.startsWith(head, Qt::CaseInsensitive))
            return line.mid(head.size());
    }
    return std::nullopt;
}

QStringList TextOf(const QStringList &lines, const QString &name)
{
    const std::optional<QString> value = ValueOf(lines, name);
    return value && !value->isEmpty() ? FromCommaText(*value) : QStringList();
}

} // namespace

QString PreOrderPath(const TWorkspace &workspace)
{
    return PreOrderPath(workspace.PostCard());
}

QString PreOrderPath(const QString &postCardFolder)
{
    return QDir(postCardFolder).filePath(QStringLiteral("PreOrder.ini"));
}

QString LastCommentHint()
{
    return QStringLiteral("ご注文時のコメントをお書き下さい。");
}

QStringList ScrambleLines(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        out << Scramble(line);
    return out;
}

QStringList UnscrambleLines(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        out << Unscramble(line).value_or(line);
    return out;
}

QStringList PreOrderLines(const TPreOrder &order)
{
    QStringList lines;
    for (int i = 0; i < order.pictures.size(); ++i)
        lines << QStringLiteral("img[%1]=").arg(i) + order.pictures[i];
    lines << QStringLiteral("bun1=") + ToCommaText(order.bun1)
          << QStringLiteral("bun2=") + ToCommaText(order.bun2)
          << QStringLiteral("Sender=") + ToCommaText(order.sender)
          << QStringLiteral("LastComment=") + ToCommaText(order.lastComment);
    return lines;
}

bool WritePreOrder(const QString &path, const TPreOrder &order)
{
    return WriteSjisLines(path, ScrambleLines(PreOrderLines(order)), TFileAccess::faPrivate);
}

std::optional<TPreOrder> ReadPreOrder(const QString &path, const QStringList &defaultSender)
{
    const std::optional<QStringList> read = ReadSjisLines(path);
    if (!read)
        return std::nullopt;
    const QStringList lines = UnscrambleLines(*read);
    TPreOrder order;
    for (int i = 0; i < 1000; ++i) {
        const std::optional<QString> item = ValueOf(lines, QStringLiteral("img[%1]").arg(i));
        if (!item)
            break;
        order.pictures << *item;
    }
    order.bun1 = TextOf(lines, QStringLiteral("bun1"));
    order.bun2 = TextOf(lines, QStringLiteral("bun2"));
    order.sender = TextOf(lines, QStringLiteral("Sender"));
    order.lastComment = TextOf(lines, QStringLiteral("LastComment"));
    if (order.sender.join(QString()).trimmed().isEmpty())
        order.sender = defaultSender;
    return order;
}

bool WritePreOrderPictures(const QString &path, const QStringList &pictures)
{
    const bool exists = QFileInfo::exists(path);
    std::optional<TPreOrder> order = ReadPreOrder(path);
    if (!order) {
        if (exists)
            return false; // there but unreadable: its texts are not written over
        order.emplace();
    } else if (order->pictures == pictures) {
        return true;
    }
    order->pictures = pictures;
    return WritePreOrder(path, *order);
}

QString PreOrderPicturePath(const QString &item)
{
    // An image frame record is comma text with a "file=" item.
    for (const QString &part : FromCommaText(item)) {
        if (part.startsWith(QLatin1String("file="), Qt::CaseInsensitive))
            return part.mid(5);
    }
    return item;
}

bool WriteFavorites(const QString &path, const TFavorites &favorites, bool existedAtStart)
{
    if (favorites.templates.isEmpty() && !existedAtStart)
        return false;
    QStringList lines { QStringLiteral("<CHK>=%1").arg(favorites.checked) };
    lines << favorites.templates;
    return WriteSjisLines(path, ScrambleLines(lines), TFileAccess::faPrivate);
}

std::optional<TFavorites> ReadFavorites(const QString &path)
{
    const std::optional<QStringList> read = ReadSjisLines(path);
    if (!read)
        return std::nullopt;
    QStringList lines = UnscrambleLines(*read);
    TFavorites favorites;
    if (!lines.isEmpty() && lines.first().startsWith(QLatin1String("<CHK>="))) {
        favorites.checked = ParseInteger(lines.takeFirst().mid(6), -1);
    }
    favorites.templates = lines;
    if (favorites.checked >= favorites.templates.size() || favorites.checked < -1)
        favorites.checked = -1;
    return favorites;
}

} // namespace korvatel
