#include "sending/card_order_send.h"

#include "cards/card_history.h"
#include "cards/dpo_file.h"
#include "platform/private_files.h"
#include "platform/prompter.h"
#include "sending/order_message.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>

namespace korvatel
{

std::optional<TPackedOrder> PackCardOrder(
    const QString &orderFolder, const QString &orderNo, bool change, TPrompter &prompter)
{
    const QDir folder(orderFolder);
    const QString dpoFile = folder.filePath(orderNo + QStringLiteral(".dpo"));
    const std::optional<QStringList> lines = ReadDpoFile(dpoFile);
    if (!lines)
        return std::nullopt;
    // The upload's working files go to a folder of their own: giving up removes the local
    // order folder, and the order itself must stay in the history.
    TPackedOrder order;
    order.localFolder = folder.filePath(QStringLiteral("Send"));
    if (!MakePrivateFolder(order.localFolder))
        return std::nullopt;
    order.name = orderNo;
    order.messageLines = *lines;
    QString warning;
    auto add = [&](const QString &local, const QString &name) {
        if (order.sendList.Add(local, orderNo, name, true, true, {}, &warning))
            return true;
        prompter.Warn(warning);
        return false;
    };
    if (!change) {
        for (const TCardUpload &upload : ReadUploadList(orderFolder)) {
            if (!add(upload.local, upload.name))
                return std::nullopt;
        }
        const QString card = folder.filePath(QLatin1String(kCardPicture));
        if (QFile::exists(card) && !add(card, QLatin1String(kCardPicture)))
            return std::nullopt;
    }
    if (!add(dpoFile, orderNo + QStringLiteral(".dpo")))
        return std::nullopt;
    order.entryFile = QDir(order.localFolder).filePath(QStringLiteral("SendList.etr"));
    QStringList head = *lines;
    head.prepend(change ? QStringLiteral("@CARD=CHANGE") : QStringLiteral("@CARD=NEW"));
    if (!WriteSjisLines(order.entryFile, EntryFileLines(head, order.sendList.FileList()),
            TFileAccess::faPrivate))
        return std::nullopt;
    order.sendList.Prepend(
        order.entryFile, QStringLiteral("message/") + orderNo + QStringLiteral(".etr"));
    return order;
}

TSendResult SendCardOrder(TOrderUpload &upload, const QString &orderFolder, const QString &orderNo,
    bool change, TPrompter &prompter)
{
    std::optional<TPackedOrder> order = PackCardOrder(orderFolder, orderNo, change, prompter);
    if (!order)
        return TSendResult::srFailed;
    MarkCardOrderUnsent(orderFolder, true, change);
    upload.keepOnGiveUp = change;
    const TSendResult result = upload.Send(*order);
    if (result == TSendResult::srSent)
        MarkCardOrderUnsent(orderFolder, false);
    return result;
}

} // namespace korvatel
