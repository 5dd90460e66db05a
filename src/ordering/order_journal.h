#pragma once

#include "sending/order_package.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// The order being sent, kept beside the local order folders (KorvaDPOF) so that a restart
// after a crash, a power cut or a logout knows what became of it. It is written once the order
// is packed, before anything is sent; marked sent the moment the shop confirms the order; and
// removed when the customer has answered about the basket. Private to its user, written
// atomically and flushed to the disk.
struct TOrderJournal {
    enum TState { jsSending, jsSent };
    TState state = jsSending;
    QString name; // the order's name on the shop's server, which a resend keeps
    QString localFolder;
    QDateTime start;
    QString messageFile, entryFile, correctionFile, countFile;
    QList<TSendItem> sendList; // the whole list as packed
    QStringList fileList; // the file list lines, for the history's text
    int payment = -1; // TPaymentKind
    QString paymentKind; // its name, for the history
    QString cardOrderId;
    QStringList creditLines;
    double amount = 0; // to pay by card
    QStringList items; // the keys of the basket's items that went into the order
    QString startedRecord; // the history's record of the attempt; empty without a history

    static QString FilePath(const QString &korvaDpof);
    // The journal of the workspace; nullopt when there is none, or when it is damaged (too big,
    // no order name, a name or a remote path that leaves its folder).
    static std::optional<TOrderJournal> Load(const QString &korvaDpof);
    bool Save(const QString &korvaDpof) const;
    // The journal's file as bytes, and back (nullopt for a damaged one, as Load).
    QByteArray Bytes() const;
    static std::optional<TOrderJournal> FromBytes(const QByteArray &bytes);
    static bool Remove(const QString &korvaDpof);

    // The journal of a freshly packed order.
    static TOrderJournal Of(const TPackedOrder &order);
    // The packed order again, its message read back from its file; nullopt when that fails.
    std::optional<TPackedOrder> Packed() const;
};

} // namespace korvatel
