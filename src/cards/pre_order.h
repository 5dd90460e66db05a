#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// The card being prepared ("PreOrder.ini" in the PostCard folder): the card's own pictures in
// list order (an image frame record line or a file path each), the two message texts, the
// sender text and the order comment, each text as lines.
struct TPreOrder {
    QStringList pictures;
    QStringList bun1, bun2;
    QStringList sender;
    QStringList lastComment;
    friend bool operator==(const TPreOrder &, const TPreOrder &) = default;
};

class TWorkspace;

// The file of the card being prepared in the workspace's PostCard folder.
QString PreOrderPath(const TWorkspace &workspace);
QString PreOrderPath(const QString &postCardFolder);

// The hint shown while the order comment is empty.
QString LastCommentHint();

// The file lines before scrambling: "img[0]=", "img[1]=", …, "bun1=", "bun2=", "Sender=",
// "LastComment=" (texts as comma text).
QStringList PreOrderLines(const TPreOrder &order);
// Writes every line scrambled (0600, atomically). False when the write failed.
bool WritePreOrder(const QString &path, const TPreOrder &order);
// Reads the file back line by line (a line that unscrambles is used unscrambled, any other as
// it stands); the pictures stop at the first missing index. An empty sender is filled from
// defaultSender. nullopt when the file cannot be read.
std::optional<TPreOrder> ReadPreOrder(const QString &path, const QStringList &defaultSender = {});
// Replaces the pictures of the file (made when missing) and keeps its texts. False when the
// write failed.
bool WritePreOrderPictures(const QString &path, const QStringList &pictures);
// The picture file of a PreOrder picture item: an image frame record's file, else the item.
QString PreOrderPicturePath(const QString &item);

// The favourite template list ("Favorites.ini"): the checked template's index (-1 none) and
// the templates in list order.
struct TFavorites {
    int checked = -1;
    QStringList templates;
    friend bool operator==(const TFavorites &, const TFavorites &) = default;
};
// Writes "<CHK>=" + index, then one line per template, every line scrambled; only when the list
// has entries or the file existed at start. True when written.
bool WriteFavorites(const QString &path, const TFavorites &favorites, bool existedAtStart);
std::optional<TFavorites> ReadFavorites(const QString &path);

// Each line scrambled, and back: lines that do not unscramble stay as they are.
QStringList ScrambleLines(const QStringList &lines);
QStringList UnscrambleLines(const QStringList &lines);

} // namespace korvatel
