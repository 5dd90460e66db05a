#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

struct TServerConfig;
struct TUserFields;

// A card template's description, as the shop's card price file gives it for each plate: fields
// separated by groups of two and three tab characters. The first field is the title, the field
// in "[" "]" the template's code, the next field after it the number of user pictures the
// template takes. A code that is not all upper case selects the second price set.
struct TTemplateDesc {
    QStringList fields;
    QString title;
    QString code; // without the brackets
    int userPictures = 0;
    int priceSet = 1; // 1 or 2
};
TTemplateDesc SplitTemplateDesc(const QString &description);

// One paper of a price set with its unit price steps: from each count on, the unit price.
struct TCardPaper {
    QString name;
    QList<QPair<int, double>> steps; // (from count, unit price), ascending counts
    bool Priced() const { return !steps.isEmpty(); }
    // The unit price for a number of cards; the first step's below it.
    double UnitPrice(int count) const;
};

// A delivery or payment choice: its name and fee (a range for deliveries whose fee depends on
// the place), or refused by the shop ("注文不可").
struct TCardFeeChoice {
    QString name;
    double low = 0;
    double high = 0;
    bool refused = false;
};

// The card prices of one price set: the basic charge, the papers, the deliveries and payments,
// the free-delivery discount, the convenience-store limit and the amount range.
struct TCardPriceSet {
    double charge = 0;
    QList<TCardPaper> papers;
    QList<TCardFeeChoice> deliveries;
    QList<TCardFeeChoice> payments;
    QString discountName; // empty: no discount kind
    double discountFrom = 0; // the card amount from which delivery is free
    double conbiniLimit = 0; // 0: no limit
    double minAmount = 1;
    double maxAmount = 1000000;
};

// The shop's card price file ("CardPrice.ini" beside its plates): the template descriptions by
// plate file and two price sets.
struct TCardPrices {
    QList<QPair<QString, QString>> templates; // plate file, description
    TCardPriceSet sets[2];
    QString Description(const QString &plateFile) const;
};
// The largest card price file taken from the shop.
inline constexpr qint64 kCardPriceCap = 64 * 1024;
// Reads the price file's lines ("[Template]", "[Price1]", "[Price2]" sections). Values that do
// not read are skipped; nullopt when no price set has a paper.
std::optional<TCardPrices> ParseCardPrices(const QStringList &lines);
// Fetches the price file from the shop's plate folder on the format servers, the primary
// first; nullopt when neither answers with a readable file. With a shop data key the file must
// be the one the envelope kept in downloadDir lists ("Plates/CardPrice.ini").
std::optional<TCardPrices> FetchCardPrices(
    const TServerConfig &config, const QString &shopId, const QString &downloadDir);

// The choices of the card order window ("OrderEX.ini").
struct TCardChoices {
    int num = 0;
    int paperNdx = 0;
    QString transStr;
    QString payStr;
    QString kanaName;
    bool otherSend = false;
    int otherPref = -1;
    QString otherName, otherZip, otherAdrs, otherMail, otherTel;
    friend bool operator==(const TCardChoices &, const TCardChoices &) = default;
};
QStringList CardChoicesLines(const TCardChoices &choices);
TCardChoices ReadCardChoices(const QString &path);
// Writes the choices when the file's content differs from them; while an order is being
// changed only when forced. True when the file was written.
bool WriteCardChoices(
    const QString &path, const TCardChoices &choices, bool changingOrder, bool force);

// The order number: shop ID, "-", the server's order time ("yyyymmdd-hhnnsszz"), "-", Tel1
// normalised without blanks and "-", "-", the identification code when it has exactly four
// characters, else the check number of what precedes.
QString CardOrderNumber(
    const QString &shopId, const QString &orderTime, const QString &tel1, const QString &acount);
// The check number: byte values (Shift-JIS) summed, reduced modulo 10000 when the sum reaches
// 10000, as "%.4d".
QString CardCheckNumber(const QString &text);

// The priced card order.
struct TCardPrice {
    double charge = 0; // CHARGE
    double chargeCost = 0; // CHARGE_COST
    double unitPrice = 0; // the step's unit price
    double defPrice = 0; // DEF_PRICE: the first step's
    double cost = 0; // COST
    int num = 0;
    QString paper;
    QString trans;
    double transDef = 0, transFee = 0, transCost = 0;
    QString transDisc;
    QString pay;
    double payFee = 0;
    double total = 0;
    QStringList lines; // ORDER_LINES: the price detail lines
    bool paperPriced = false;
};
// Prices the choices; the destination prefecture (1-47, -1 unknown) picks the high end of a
// delivery fee range for Hokkaido and Okinawa.
TCardPrice PriceCardOrder(const TCardPriceSet &set, const TCardChoices &choices, int prefecture);
// The fee shown after a choice's name: " \800～\1,200", " \315", or " 注文不可".
QString FeeText(const TCardFeeChoice &choice);
// The price lines of a paper: "P1～ \100 x", … one per step.
QStringList PaperStepLines(const TCardPaper &paper);
// The coupled choices: "宅配(代引)" as delivery takes "代引(宅配)" as payment and the other
// way round. Gives the partner name, or empty.
QString CoupledChoice(const QString &name);
// The notes shown under the payment list for a payment choice.
QString PaymentNote(const TCardPriceSet &set, const QString &payment);

// What the window checks before sending.
struct TCardCheckInput {
    QStringList pictures; // the user pictures chosen
    int templatePictures = 0; // the pictures the template takes
    QStringList senderLines;
    TCardChoices choices;
    const TCardPriceSet *prices = nullptr;
    QString name, kana, zip, adrs1, mail, tel1, tel2; // the customer
};
// The first failing check's message in the fixed order, or empty.
QString CheckCardOrder(const TCardCheckInput &input);
// The message on pictures beyond the template's count: how many, then each by its file name
// on a line of its own, so the customer knows which to take off.
QString ExtraPicturesText(const QStringList &extra);
// The checks of the other recipient alone (step 5).
QString CheckOtherRecipient(const TCardChoices &choices, const QString &customerName);

// The questions and texts of sending.
QString ChangeQuestion();
QString RepeatTemplateQuestion(int times);
QString RepeatCustomerQuestion(int earlier);
QString FirstOrderQuestion();
QString SentText();
QString NoTemplateText();

// The payment kind name of the print orders (7.2) for a card payment choice.
QString CardPaymentKind(const QString &payment);

// What the card order window is opened with.
struct TCardOrderArgs {
    QString shopId, shopName;
    QString postCardFolder;
    QString plateFile; // the template's plate file
    TTemplateDesc desc;
    TCardPriceSet prices;
    QStringList senderLines, lastComment;
    QStringList pictures; // the user pictures placed on the card
    QStringList cardTextLines; // "BUN_COUNT=", "BUN[1]=", …
    QStringList layoutLines;
    QImage card; // the finished card
    // The customer, from the customer record.
    QString name, zip, adrs1, adrs1Over, adrs2, mail, tel1, tel2, acount;
    // Set when an order already sent is being changed: its order number.
    QString changeOrderNo;
};

// How the window ended.
enum class TCardOrderResult {
    coSent, // the order was sent
    coLookAtHistory, // the customer chose to look at the earlier order ("No")
    coClosed,
};

} // namespace korvatel
