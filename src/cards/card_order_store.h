#pragma once

#include "cards/dpo_file.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// A card order kept in its folder of the card history, ready to be sent.
struct TSavedCardOrder {
    QString folder;
    QString dpoFile;
    QStringList lines;
    QList<TCardUpload> uploads; // the pictures to send; none for a changed order
    bool change = false;
};

// Writes the order into its history folder: the order file (Shift-JIS, CR LF, 0600), the
// finished card as "Card.jpg", the upload list and the "Unsent" marker, which stays until the
// order reached the shop. With change, the existing order file is read and only the
// changeable items are replaced in place; the pictures are not sent again. nullopt when a
// write failed, or when a change finds no order file to change.
std::optional<TSavedCardOrder> SaveCardOrder(
    const QString &postCardFolder, const TCardOrder &order, const QImage &card, bool change);

} // namespace korvatel
