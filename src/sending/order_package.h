#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

class TPrompter;
class TPriceTables;
struct TPricedOrder;
struct TPricingChoice;
class TThumbNails;
class TThumbNail;

// The customer fields that the order files carry (the customer record's accessors).
struct TOrderCustomer {
    QString name;
    QString tel1;
    QString mail;
    QString zip;
    QString adrs1;
    QString adrs1Over;
    QString adrs2;
    QString acount;
};

// The shop's side of an order: its id, the texts of its option table and order host table, and
// the payment details its terms give.
struct TOrderShop {
    QString shopId;
    QString name; // _SHOP_
    QString tel; // _TEL_
    QString address; // _ADRS_
    QString mail; // OrderMail of the order host table
    QStringList topComments; // empty when not switched on
    QStringList bottomComments;
    QStringList banks;
    bool creditNP = false, furikomiNP = false, uFuriNP = false, combiniNP = false;
    QString creditMacro, creditMacro2, creditLink;
    // Reads name, telephone, address, comments, banks and the payment flags from the option
    // table and the mail address from the order host lines.
    static TOrderShop FromTables(
        const QString &shopId, const QStringList &optionTable, const QStringList &orderHost);
};

// The figures of the priced order that the order message and the history need.
struct TOrderFigures {
    QStringList records; // the order line records, "<Msg>" lines included
    double total = 0; // rounded order total
    double tax = 0;
    double cashOnDeliveryFee = 0;
    double creditFee = 0; // F1 + F2 of a card payment
    double combiniFee = 0;
    double pointsUsed = 0, pointsGiven = 0, pointsEarned = 0;
    int printCount = 0;
    int phoneImages = 0;
    double phoneAmount = 0;
    int cdDiscs = 0;
    double cdAmount = 0;
    double deliveryFee = 0;
    int payment = -1; // TPaymentKind
    int delivery = -1;
};

// The figures of a priced order (after its payment stage) with the customer's choices.
TOrderFigures OrderFiguresOf(const TPricedOrder &order, const TPricingChoice &choice);

// The pieces of one send: a local file and its remote path (remote folder + "/" + remote name,
// relative to the image server's base folder).
struct TSendItem {
    QString local;
    QString remote;
};

// The send list of an order with its file list and correction list.
class TSendList
{
public:
    // Adds a file under remoteFolder. The remote name has "=", "|" and ";" replaced by their
    // full-width forms and, with unique, gets "(2)", "(3)" … before its extension when the
    // name (upper case) is already used in that folder. A missing or empty local file gives
    // nullopt and the warning text in *warning. With listed, a file list line (remote path
    // "=" size, then ";" correction when given) and, for a correction, a correction list line
    // are added. Returns the remote name used.
    std::optional<QString> Add(const QString &local, const QString &remoteFolder,
        const QString &remoteName, bool unique, bool listed, const QString &correction = {},
        QString *warning = nullptr);
    // Puts a file at the front of the list (the entry and correction files).
    void Prepend(const QString &local, const QString &remote);

    QList<TSendItem> &Items() { return FItems; }
    const QList<TSendItem> &Items() const { return FItems; }
    const QStringList &FileList() const { return FFileList; }
    const QStringList &CorrectionList() const { return FCorrectionList; }
    // The list as text lines, local path ";" remote path.
    QStringList Lines() const;

private:
    QList<TSendItem> FItems;
    QStringList FFileList;
    QStringList FCorrectionList;
    QStringList FUsedNames; // "FOLDER/NAME" in upper case
};

// "=" → "＝", "|" → "｜", ";" → "；"; each character that Shift-JIS cannot hold becomes "_".
QString FullWidthRemoteName(const QString &name);
// The warning for a file that is missing or empty.
QString NotFoundWarning(const QString &path);

// The time part of order names: "yyyymmdd-hhnnss" + counter "%.3d".
QString OrderStamp(const QDateTime &when, int counter);
// Makes the local order folder in workDir: the counter starts at the milliseconds of when and
// is raised until the folder does not exist yet. Returns the counter, or -1 when no folder
// could be made.
int MakeLocalOrderFolder(const QString &workDir, const QDateTime &when, QString *folder);
// The remote order name N: stamp + "-" + the digits of Tel1 + "-" + Acount, whose characters
// that a file name cannot hold (\ / : * ? " < > |, "." and control characters) become "_".
QString RemoteOrderName(const QDateTime &when, int counter, const TOrderCustomer &customer);

// The DPOF print order file (AUTPRINT.MRK) of one folder.
struct TDpofJob {
    QString fileName; // remote name of the picture
    int count = 0;
    QString formatLine; // "IMG FMT = …"
    QString dateText; // empty: no date imprint
};
// The creator string "<tool>/<version without dots>/<product>".
QString DpofCreator(const QString &version);
// The lines of a print order file. channel empty: no lab channel block. cdr: the picture source
// is "../../CD-R/$IMG_CDR/" instead of "../../$IMG_PRN/". The jobs are numbered from 1.
QStringList DpofLines(const QList<TDpofJob> &jobs, const QDateTime &packed, const QString &creator,
    const QString &channel, bool cdr);
// The format line of a picture: by its kind (JPEG, TIFF, other), Exif version and correction.
QString DpofFormatLine(int imageKind, const QByteArray &exifVersion, bool corrected);
// The Exif version of a picture file (four characters, "0220"); empty when it has none.
QByteArray ExifVersionOf(const QString &path);
// The date text printed on the picture: "-" and "/" become "." unless the text was typed by
// the customer (keepAsTyped).
QString DpofDateText(const QString &date, bool keepAsTyped);

// The address card: 640 × 480, laid out for delivery by post or for in-store pickup (the first
// address line reads "店頭受付").
struct TAddressCard {
    TOrderCustomer customer;
    QString shopId, orderName, shopName, shopTel, shopAddress;
    QString phoneUrl; // the phone-wallpaper address of the in-store layout
};
QImage DrawAddressCard(const TAddressCard &card);

// The text of the order line records for the order message.
QStringList RecordTexts(const QStringList &records);

// The order message (N.mes) as lines; start and end are the "@STT" and "@EDT" times.
struct TMessageInput {
    TOrderCustomer customer;
    TOrderShop shop;
    TOrderFigures figures;
    QString orderName;
    QString machineId; // "@MID" only when askMachineId
    bool askMachineId = false;
    QString phoneUrl;
    QDateTime start, end;
};
QStringList OrderMessageLines(const TMessageInput &input);
// The "yyyy/mm/dd hh:nn:ss" of the message keys.
QString MessageTime(const QDateTime &when);
// Replaces the value of the "@EDT=" line; false when there is none.
bool SetMessageEndTime(QStringList &lines, const QDateTime &end);
// The entry file: the message lines without "@STT"/"@EDT", "<files>", the file list, "<end>".
QStringList EntryFileLines(const QStringList &messageLines, const QStringList &fileList);

// Writes the index sheets of the CD-R pictures into the order folder and returns their paths.
using TIndexSheetHook
    = std::function<QStringList(const QStringList &pictures, const QString &orderFolder)>;

// Everything the packaging takes.
struct TOrderInput {
    const TThumbNails *basket = nullptr;
    const TPriceTables *tables = nullptr;
    TOrderCustomer customer;
    TOrderShop shop;
    TOrderFigures figures;
    QString workDir; // the local order folder and the count file go here
    QString programVersion;
    QDateTime now;
    int cardCopies = 0; // prints of the address card
    QString phoneUrl;
    QString machineId;
    bool askMachineId = false;
    TIndexSheetHook indexSheets; // CD-R orders only; none: no index sheets
    // Called after each item of the basket has been placed (its local copy made if missing):
    // items done and in all, for the transmission window.
    std::function<void(int done, int total)> onPicture;
};

// A packed order: the local folder, the remote order name and what is to be sent.
struct TPackedOrder {
    QString localFolder;
    QString name; // N
    TSendList sendList;
    QString messageFile; // local N.mes
    QString entryFile; // local SendList.etr
    QString correctionFile; // empty when there are no corrections
    QString countFile; // empty for "test-order"
    QStringList messageLines;
    QDateTime start;
    int sentFiles = 0; // files that have left the send list
};

// Packs the order. A missing or empty picture shows the warning through the prompter and stops
// packaging (nullopt; the local folder is removed again).
std::optional<TPackedOrder> PackOrder(const TOrderInput &input, TPrompter &prompter);

} // namespace korvatel
