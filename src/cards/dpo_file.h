#pragma once

#include "cards/card_order.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// Everything the card order file holds.
struct TCardOrder {
    QString shopId, shopName, orderNo;
    // The customer.
    QString name, kana, zip, adrs1, adrs2, adrs3, tel, mail, hTel;
    // The card.
    QString cardName, thumb;
    TCardPrice price;
    TCardChoices choices;
    QString otherPrefName; // the prefecture's name for OTHER_PREF
    QStringList pictures; // the user pictures' paths, in slot order
    QStringList pictureComments;
    QStringList cardTextLines;
    QStringList senderLines;
    QStringList lastComment;
    QStringList layoutLines;
};

// One upload of a card order: a local file and the name it goes under.
struct TCardUpload {
    QString local;
    QString name;
};

// The upload name of a user picture: "IMG[n]" and the file's name joined by "_".
QString DpoPictureName(int n, const QString &path);

// The card order file's lines in their fixed order with the empty lines after their groups.
// uploads receives the pictures with their upload names.
QStringList BuildDpoLines(const TCardOrder &order, QList<TCardUpload> *uploads = nullptr);

// The largest order file read.
inline constexpr qint64 kMaxDpoSize = 4 * 1024 * 1024;
// Reads the file's bytes (Shift-JIS): a line that begins with "**" or "*" carries a scrambled
// value after the marker and is replaced by its plain line when it unscrambles; others stay.
std::optional<QStringList> ReadDpoBytes(const QByteArray &bytes);
std::optional<QStringList> ReadDpoFile(const QString &path);

// The value of KEY in the lines (the first "KEY=" line), or nullopt.
std::optional<QString> DpoValue(const QStringList &lines, const QString &key);
// The value of KEY, empty when the lines have none.
QString DpoText(const QStringList &lines, const char *key);
// The picture upload names of the "IMG[n]_" lines.
QStringList DpoPictures(const QStringList &lines);

// The keys a changed order replaces: the customer fields, prices, delivery, payment and other
// recipient items.
QStringList DpoChangeableKeys();
// Replaces the changeable keys of old by those of fresh, in place; every other line (the
// order number, the card, the pictures, the texts, the layout) stays. A key whose new value is
// empty keeps its line as "KEY=".
QStringList ChangeDpoLines(const QStringList &old, const QStringList &fresh);

} // namespace korvatel
