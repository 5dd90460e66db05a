#pragma once

#include "customer/history_record.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

class TCardPayment;
class TPrompter;
class TClock;
struct TUserFolders;

// The payment kinds as the history names them: the two-letter tag of a kind name ("ksiCredit"
// gives "cr"; an unknown name "un") and the ten-byte display name of a tag ("未定義支払" for an
// unknown tag). Kind names are compared without regard to case.
QString PaymentTag(const QString &kindName);
QString TagDisplayName(const QString &tag);

// Payment states of a history entry.
enum THistPayState : quint8 {
    hpsNone = 0, // not a card payment
    hpsSettled = 1, // "精算済"
    hpsWaiting = 2, // "報告待ち"
    hpsUnpaid = 3, // "未払い"
};
QString PayStateLabel(int state);

// The shop of a bundle of orders from several shops.
inline constexpr char kSeveralShops[] = "0000000000";

// One listed history file, as told by its name (the bundle list comes from the file).
struct TOrderHistRec {
    QString fileName;
    QString shop;
    QString stamp;
    QString amount;
    QString tag;
    quint8 payState = hpsNone;
    quint8 isBundle = 0;
    QString bundleList;
    int bundleCount = 0;
    quint8 sent = 1;
    quint8 expanded = 0;
    // The record of an attempt that never ended: the program was stopped during the send.
    quint8 interrupted = 0;

    // The card order ID between "](" and ")"; empty for a non-card order.
    QString CardOrderId() const;
    // The ID as the card service and the settlement query know it: "(P)" + ID for a bundle.
    QString PaymentId() const;
    // The total as a number (the digits after the tag).
    double Total() const;
};

// The entry that a file name describes (without reading the file).
TOrderHistRec HistEntryOf(const QString &fileName);

// The history file name of an order; the order number and total as they stand in the order
// text. The state suffix goes into the parentheses of a card order; a failed send is marked
// ".faild" for every kind.
QString HistoryFileName(const QString &orderNumber, const QString &tag, const QString &total,
    const QString &cardOrderId, bool sent, bool settled, bool waiting);
// The value of "注文番号=" in the order text; empty when there is none.
QString OrderNumberOf(const QStringList &orderText);
// The text after "合計金額 : \" in the order text, trimmed, without commas.
QString OrderTotalOf(const QStringList &orderText);

// The mark after the name of the record of an attempt that has started and not ended.
inline constexpr char kStartedSuffix[] = ".sending";

// "yyyymmdd-hhnnss…" as "yyyy.mm.dd hh:nn:ss".
QString StampDateText(const QString &stamp);
// The list line of an entry: date, shop, amount, payment name and state; an entry that was not
// sent ends in " (中止.or.失敗)", one whose send was interrupted in " (送信中断)".
QString EntryText(const TOrderHistRec &entry);
// The bundle mark of an expanded or collapsed bundle: "－" or "＋".
QString BundleMark(const TOrderHistRec &entry);
// The combined items of a bundle, one line each: "  > 20yy.mm.dd shop店 oderd-tel:… ec-uid:…".
QStringList BundleItemLines(const TOrderHistRec &entry);

// The order history: one compressed file per order in a folder of its own.
class TOrderHistory
{
public:
    explicit TOrderHistory(QString folder);
    // Brannock\Hist\ks_hist under the application-data folder.
    static QString DefaultFolder(const TUserFolders &folders);

    QString Folder() const { return FFolder; }
    QString FilePath(const QString &fileName) const;

    // Whether only orders that were sent successfully are recorded: the presence of the
    // success_only file, read once and remembered until SetSuccessOnly.
    bool SuccessOnly() const;
    // Creates or removes the success_only file; false when that failed.
    bool SetSuccessOnly(bool on);

    // Records an attempt to send an order: the card-payment lines (or none), the order text
    // (lines of "開始=", "終了=", an empty line and the order file) and the print-marking
    // lists. Returns the bytes written, or -1 when nothing was written (a failed send while
    // only successful ones are recorded, or a failed write).
    qint64 WriteHistoryRecord(bool sent, const QString &kindName, const QString &cardOrderId,
        const QStringList &creditLines, bool settled, bool waiting,
        const QList<TDpofList> &dpofLists, const QStringList &orderText);

    // The file name of the record WriteHistoryRecord writes for these values.
    static QString RecordFileName(bool sent, const QString &kindName, const QString &cardOrderId,
        bool settled, bool waiting, const QStringList &orderText);
    // Records the start of an attempt, before anything is sent: the sent record's name with
    // kStartedSuffix after it, which the lists of earlier versions (every "*.wcp") pass over.
    // The attempt's end replaces it (FinishStarted). Written even when only successful orders
    // are recorded: it is how a restart after a crash knows of the attempt. Returns the file
    // name, or an empty string when it could not be written.
    QString WriteStartedRecord(const QString &kindName, const QString &cardOrderId,
        const QStringList &creditLines, const QStringList &orderText);
    // Removes the record of a started attempt once its end is recorded.
    bool FinishStarted(const QString &startedName);

    // All "*.wcp" names, sorted.
    QStringList FileNames() const;
    // The listed entries: orders held in a bundle left out, unpaid entries first, the records
    // of interrupted attempts last.
    QList<TOrderHistRec> LoadList() const;

    // The card order IDs of all records not yet settled (a bundle's with "(P)" in front).
    QStringList UnsettledCardOrders() const;
    // The settlement callback of the server query. state 3 marks the record settled (renaming
    // its file) and lists its line among the settled orders; state 2 lists it when absent;
    // found tells whether a record of that ID exists. Returns true when a file was renamed.
    bool Settle(const QString &cardOrderId, int state, bool &found);
    // The display lines of orders reported settled or waiting during this run.
    const QStringList &SettledLines() const { return FSettled; }

    // Deletes every record whose name contains ".faild."; the number deleted.
    int DeleteFailed();
    bool DeleteRecord(const QString &fileName);

    // The card-payment lines of a record as key=value lines; empty when it cannot be read.
    QStringList CreditLines(const QString &fileName) const;

private:
    QString FFolder;
    mutable std::optional<bool> FSuccessOnly;
    QStringList FSettled;
};

// The text of a history file as the viewer shows it: the whole record with the first line of
// each of the card data keys lnk, nsp, cno and cmy removed. nullopt when it cannot be read.
std::optional<QStringList> HistoryViewText(const QString &path);

// Shows a history file: with a recipient the text is mailed first (subject "wcp-data") through
// mailer, a failure shown as "送信失敗\r\n\r\n" + the reason; with a viewer name the text is
// saved as ks_hist.txt in tempDir and handed to open. False when the file cannot be read.
bool ShowHistoryFile(const QString &path, const QString &recipient, const QString &viewerName,
    const QString &tempDir, TPrompter &prompter,
    const std::function<bool(const QString &recipient, const QString &subject, const QString &text,
        QString *reason)> &mailer,
    const std::function<bool(const QString &viewer, const QString &file)> &open);

// The outcome of combining several unpaid card orders into one payment.
struct TBundleResult {
    enum TOutcome {
        brMade, // the bundle file is written and the merged records are gone
        brNoNumber, // the card service gave no number
        brWriteFailed, // the card server refused the bundle; nothing changed
        brBadAmount, // the sum is not above 0 and at most kMaxCardAmount; nothing changed
    } outcome
        = brMade;
    QString fileName; // of the bundle
    QString cardOrderId; // the bundle's own ID (without "(P)")
    double sum = 0;
};

// The amount of an entry as the card payment counts it: the number after "[cr" in its name.
double CardAmountOf(const TOrderHistRec &entry);

// Combines the entries (unpaid card orders, plain or bundles) into one bundle record: their
// items grouped by shop, the customer data of the first readable record, an ID built from the
// telephone digits, a number of the card service, the shop and the date. The bundle is
// registered with the card service before the merged records are deleted, so a refusal loses
// nothing.
TBundleResult MakeBundle(TOrderHistory &history, const QList<TOrderHistRec> &entries,
    TCardPayment &card, const TClock &clock);

} // namespace korvatel
