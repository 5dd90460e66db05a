#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace korvatel
{

// One size of a campus price list with its unit price.
struct TCampusPrice {
    QString size;
    double price = 0;
};

// The sizes offered for the pictures of one campus album folder, in order; the first is the
// default.
struct TCampusPriceList {
    QString folder;
    QList<TCampusPrice> rows;

    QStringList SizeNames() const;
    bool Offers(const QString &size) const;
    // The unit price of the size; 0 when the list does not offer it.
    double PriceOf(const QString &size) const;
    QString DefaultSize() const { return rows.isEmpty() ? QString() : rows.first().size; }
    // The size after (step +1) or before (step −1) the given one, wrapping; the first size for a
    // size the list does not offer.
    QString NextSize(const QString &size, int step) const;
};

// Reads the text of an "Items.ini" file: the first two lines are skipped, the lines from the
// third up to "<Files>" are scrambled and hold "SizeNameCol=" and "PriceCol=" (column numbers
// from 0, defaults 1 and 2), then "<GridData>" and one comma-text row per size. nullopt when a
// scrambled line does not unscramble (the whole file counts as absent).
std::optional<QList<TCampusPrice>> ParseCampusItems(const QStringList &lines);
// The same from the file's bytes (Shift-JIS).
std::optional<QList<TCampusPrice>> ParseCampusItems(const QByteArray &data);

// The campus price lists of a shop: one per album folder that holds an "Items.ini" file.
class TCampusPriceLists
{
public:
    // Reads every folder directly under the shop's campus folder; folders without a readable
    // "Items.ini" get no list. Returns the number of lists read.
    int Load(const QString &campusShopFolder);
    void Clear() { FLists.clear(); }
    void Add(TCampusPriceList list);

    // The list of the folder that holds the picture (compared without regard to case or to
    // the kind of separator); nullptr when there is none.
    std::shared_ptr<const TCampusPriceList> ForPicture(const QString &picturePath) const;
    std::shared_ptr<const TCampusPriceList> ForFolder(const QString &folder) const;
    int Count() const { return int(FLists.size()); }

private:
    QList<std::shared_ptr<const TCampusPriceList>> FLists;
};

// The folder part of a picture path, cut at its last "/" or "\"; empty when there is none.
QString PictureFolder(const QString &path);
// True when both folder texts name the same folder: case and separators ignored, a trailing
// separator dropped.
bool SameFolder(const QString &a, const QString &b);

} // namespace korvatel
