#pragma once

#include "pricing/discounts.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

class TPriceTables;
class TShopTerms;
class TPrompter;

// One print line: all ordered photos of one size at one unit price.
struct TPrintLine {
    QString size;
    double unitPrice = 0;
    int count = 0;
};

// One line of prints from the shop's shared event albums, priced by the campus price list.
struct TCampusLine {
    QString album;
    QString size;
    double unitPrice = 0;
    int count = 0;
};

// A photo of the basket as the pricing needs it: its size, its number of prints and whether
// it comes from a shop CD-R (a reprint).
struct TBasketPhoto {
    QString size;
    int count = 0;
    bool fromShopCd = false;
};

// What the order list hands to the pricing: the print lines, the campus lines, the CD-R (its
// picture count, their bytes and the price kind chosen) and the phone images.
struct TPricingBasket {
    QList<TPrintLine> prints;
    QList<TCampusLine> campus;
    int cdPictures = 0;
    qint64 cdBytes = 0;
    int cdKind = 1; // cdtJustify
    int phoneImages = 0;
    // The index sheets of the CD-R pictures, one print each of indexSize. They come with the
    // CD-R: listed in the statement, never charged or counted as prints.
    int indexSheets = 0;
    QString indexSize;
};

// The print lines of the photos: one per size and unit price, in order of first appearance.
// The unit price is that of price kind 1 when the order makes a CD-R, kind 2 for a photo
// from a shop CD-R, else kind 0.
QList<TPrintLine> MakePrintLines(
    const QList<TBasketPhoto> &photos, const TPriceTables &tables, bool orderMakesCd);

// The text forms "L;19.0000000=10" and "album;;L;;30.0000000;;=2", and their readers (nullopt
// for a line that is not of that form or whose count is negative).
QString PrintLineText(const TPrintLine &line);
std::optional<TPrintLine> ParsePrintLine(const QString &text);
QString CampusLineText(const TCampusLine &line);
std::optional<TCampusLine> ParseCampusLine(const QString &text);

// The shop's data the pricing reads.
struct TPricingContext {
    const TPriceTables &tables;
    const TShopTerms &terms;
    const TDiscountRules &rules;
    QDate today;
};

// The customer's choices in the order window. Kinds are -1 when nothing is chosen.
struct TPricingChoice {
    int payment = -1;
    int delivery = -1;
    int prefecture = 0;
    // The customer's address, for the own-delivery area.
    QString address;
    // Points: the entry is shown only when the customer has points to use.
    bool pointsShown = false;
    double pointsAvailable = 0;
    double pointsUsed = 0;
};

// One row of the statement.
struct TStatementRow {
    enum TKind {
        srPrint,
        srBasicFee,
        srCd,
        srIndex, // the CD-R's index sheets, free
        srPhoneBase,
        srPhoneExtra,
        srDelivery,
        srDiscount,
        srDeliveryDiscount,
        srSubtotal,
        srTax,
        srTotal,
    };
    TKind kind = srPrint;
    QString label;
    // The unit price and count columns, shown when hasUnit.
    bool hasUnit = false;
    double unitPrice = 0;
    int count = 0;
    double amount = 0;
    // A note beside the label (the basic fee's rule).
    QString note;
};

// The priced order: running totals, the statement, the payment stage and the order line records.
struct TPricedOrder {
    QList<TPrintLine> prints; // in size order
    double printsTotal = 0;
    int printCount = 0;
    double campusAmount = 0;
    int campusCount = 0;
    QMap<QString, int> campusAlbumCounts;
    double basicFee = 0;
    int cdDiscs = 0;
    double cdTotal = 0;
    int indexSheets = 0; // free prints of the CD-R's index sheets
    int phoneImages = 0;
    double phoneBase = 0;
    int phoneExtraImages = 0;
    double phoneExtra = 0;
    double deliveryFee = 0;
    // The amount the discounts and the own-delivery charge are measured on (step 8).
    double amountMeasure = 0;
    TDiscountResult discounts;
    double discountTotal = 0; // amount + count discount + value of free prints
    double subtotal = 0; // G
    double tax = 0;
    double total = 0;
    double pointsGiven = 0;
    double pointsEarned = 0;
    bool campusNoteShown = false;
    QString campusNote;
    QList<TStatementRow> rows;
    QString taxLabel;
    QString totalLabel;
    QString pointsText;

    // The payment stage.
    double pointsUsed = 0;
    double remaining = 0;
    double fixedFee = 0;
    double rateFee = 0;
    QString feeLabel; // "ｸﾚｼﾞｯﾄ手数料 …", empty when the payment has no fee
    double cashOnDeliveryFee = 0;
    double grandTotal = 0;

    QString buttonCaption;
    bool buttonEnabled = false;
    bool buttonVisible = true;

    QStringList records;
};

// Prices the basket (steps 1 to 12 and 14 of the order statement) and runs the payment stage.
TPricedOrder PriceOrder(
    const TPricingBasket &basket, const TPricingContext &context, const TPricingChoice &choice);

// The payment stage: points used, the card, convenience-store and cash-on-delivery fees, the
// grand total, the order button, and the payment records filled into their slots.
void ApplyPaymentStage(
    TPricedOrder &order, const TPricingContext &context, const TPricingChoice &choice);

// The short summary of the order bar.
QString OrderSummaryText(const TPricedOrder &order);

// The confirmation of the order button.
struct TOrderConfirmation {
    // The prefecture choice is shown (home delivery needs it) and its text.
    bool prefectureShown = false;
    QString prefectureText;
    QString comment;
};

// What the confirmed order stores.
struct TConfirmedOrder {
    QString prefecture;
    QString delivery;
    QStringList records;
};

// Runs the confirmation steps through the prompter: the missing prefecture message, the Yes/No
// question when the shop offers a choice, the comment lines as "<Msg>" records. nullopt when
// the window stays open.
std::optional<TConfirmedOrder> ConfirmOrder(TPrompter &prompter, const TPricedOrder &order,
    const TPricingContext &context, const TPricingChoice &choice,
    const TOrderConfirmation &confirmation);

} // namespace korvatel
