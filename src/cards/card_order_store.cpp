#include "cards/card_order_store.h"

#include "cards/card_history.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QBuffer>
#include <QDir>

namespace korvatel
{

std::optional<TSavedCardOrder> SaveCardOrder(
    const QString &postCardFolder, const TCardOrder &order, const QImage &card, bool change)
{
    TSavedCardOrder saved;
    saved.change = change;
    saved.folder = CardOrderFolder(postCardFolder, order.orderNo);
    saved.dpoFile = CardOrderFile(postCardFolder, order.orderNo);
    const QStringList fresh = BuildDpoLines(order, &saved.uploads);
    if (change) {
        const std::optional<QStringList> old = ReadDpoFile(saved.dpoFile);
        if (!old)
            return std::nullopt;
        saved.lines = ChangeDpoLines(*old, fresh);
        saved.uploads.clear();
    } else {
        saved.lines = fresh;
    }
    if (!QDir().mkpath(saved.folder))
        return std::nullopt;
    // The marker first: a crash after it leaves an order that is listed as unsent.
    // A change of an order whose first send never arrived is still a new order for the shop.
    const bool pendingNew
        = change && CardOrderUnsent(saved.folder) && !CardOrderPendingChange(saved.folder);
    if (pendingNew) {
        saved.change = false;
        saved.uploads += ReadUploadList(saved.folder);
    }
    if (!MarkCardOrderUnsent(saved.folder, true, saved.change))
        return std::nullopt;
    if (!WriteSjisLines(saved.dpoFile, saved.lines, TFileAccess::faPrivate))
        return std::nullopt;
    if (change)
        return saved;
    if (!TKeyFile(CardChoicesLines(order.choices))
             .Save(QDir(saved.folder).filePath(QStringLiteral("OrderEX.ini")),
                 TFileAccess::faPrivate))
        return std::nullopt;
    if (!WriteUploadList(saved.folder, saved.uploads))
        return std::nullopt;
    if (!card.isNull()) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        if (!card.save(&buffer, "JPG", 90)
            || !WriteFileAtomic(QDir(saved.folder).filePath(QLatin1String(kCardPicture)), jpeg,
                TFileAccess::faPrivate))
            return std::nullopt;
    }
    return saved;
}

} // namespace korvatel
