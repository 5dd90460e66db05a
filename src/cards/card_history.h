#pragma once

#include "cards/dpo_file.h"
#include "net/win_inet.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace korvatel
{

// The card orders placed with the shops, each in a folder of its own named after its order
// number inside "History" of the PostCard folder: the order file (order number + ".dpo"), the
// finished card ("Card.jpg"), the upload list ("Upload.lst": source path, two tabs, upload
// name) and, until the order reached the shop whole, the marker "Unsent".
QString CardHistoryFolder(const QString &postCardFolder);
QString CardOrderFolder(const QString &postCardFolder, const QString &orderNo);
QString CardOrderFile(const QString &postCardFolder, const QString &orderNo);
inline constexpr char kCardPicture[] = "Card.jpg";
inline constexpr char kUploadList[] = "Upload.lst";
inline constexpr char kUnsentMarker[] = "Unsent";

// Marks an order as unsent (true) or sent; false when the marker could not be changed. The
// marker tells whether what is still to be sent is a change of an order the shop holds.
bool MarkCardOrderUnsent(const QString &orderFolder, bool unsent, bool change = false);
bool CardOrderUnsent(const QString &orderFolder);
bool CardOrderPendingChange(const QString &orderFolder);
bool WriteUploadList(const QString &orderFolder, const QList<TCardUpload> &uploads);
QList<TCardUpload> ReadUploadList(const QString &orderFolder);

// One card order of the history.
struct TCardHistEntry {
    QString orderNo;
    QString folder;
    QString stamp; // the first 17 characters after the first "-": "yyyymmdd-hhnnsszz"
    bool fileThere = false; // the order file was read
    bool unsent = false;
    bool pendingChange = false; // what is unsent is a change
    QStringList lines; // the order file, unscrambled
};

// The orders of a shop (folders whose name up to the first "-" is shopId), oldest first. Each
// order file is read and unscrambled; a folder without a readable order file is listed with
// fileThere false.
QList<TCardHistEntry> ListCardHistory(const QString &postCardFolder, const QString &shopId);

// The number of orders of a template ("CARD_NAME") among the entries.
int TemplateOrderCount(const QList<TCardHistEntry> &entries, const QString &cardName);

// The detail lines of an order shown in the history window.
QStringList CardHistoryDetails(const QStringList &dpoLines);

// The history's payment state label of an order (7.2): card payments that are not yet settled
// read "未払い"; others none. "精算済" when the shop's answer file says so.
QString CardPayStateLabel(const TCardHistEntry &entry);

// Fetches a missing order file from the shop's image server (order folder + "/" + order number
// + ".dpo" under the base folder) into the order's folder. False when it could not.
bool DownloadCardOrderFile(const TTransportSettings &transport, const THostRecord &host,
    bool passive, const QString &postCardFolder, const QString &orderNo);

// The history's messages.
QString NoOrderFileText();
QString DownloadFailedText();

} // namespace korvatel
