#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace korvatel
{

struct TPricedOrder;
struct TPricingChoice;

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

} // namespace korvatel
