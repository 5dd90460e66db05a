#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace korvatel
{

class TPriceTables;

// Payment kinds; bit i of a payment set stands for kind i.
enum TPaymentKind {
    ksiCredit,
    ksiDaibiki,
    ksiFurikomi,
    ksiUFuri,
    ksiCombini,
    ksiKakitome,
    ksiTentoo,
    ksiTakeCash,
    ksiKakeUri,
    ksiJifuri,
    ksiCumpus,
};
inline constexpr int kPaymentKindCount = 11;

// Delivery kinds; bit i of a delivery set stands for kind i.
enum TDeliveryKind { hsoMailbin, hsoMailbinFast, hsoTakuhaibin, hsoShop, hsoJihai, hsoCumpus };
inline constexpr int kDeliveryKindCount = 6;

using TKindSet = unsigned;

// Names of a kind ("ksiCredit", "クレジット", "ｸﾚｼﾞｯﾄ"); empty for an unknown kind.
QString PaymentKindCode(int kind);
QString PaymentKindName(int kind);
QString PaymentKindShort(int kind);
QString DeliveryKindCode(int kind);
QString DeliveryKindName(int kind);
QString DeliveryKindShort(int kind);

// The first payment kind one of whose name forms occurs in the text (case ignored);
// ksiTentoo when none does.
int PaymentKindOf(const QString &text);
// An exact match with a delivery kind's name first, then the last kind whose name occurs in
// the text; hsoShop when none.
int DeliveryKindOf(const QString &text);
// The kinds named in a list text such as "クレジット,ご来店にて" (by code or display name).
TKindSet PaymentSetOf(const QString &text);
TKindSet DeliverySetOf(const QString &text);
// The names of the kinds in the set joined by ",".
QString PaymentSetText(TKindSet set, bool shortNames);
QString DeliverySetText(TKindSet set, bool shortNames);

// The prefectures in their official order, 1 (北海道) to 47 (沖縄県); empty outside.
QString PrefectureName(int number);
// The number of a prefecture name (also without its last character "都", "道", "府", "県"),
// 0 when unknown.
int PrefectureNumber(const QString &name);
inline constexpr int kPrefectureCount = 47;

// One step of a fee table: the charge applies from the threshold upward.
struct TFeeStep {
    double threshold = 0;
    double charge = 0;
};

// The shop's terms from the option table: the payment and delivery kinds offered, their fee
// tables, the own-delivery area, bank details, comments and the seller notice.
class TShopTerms
{
public:
    // Clears and reads everything from the option table.
    void LoadShopTerms(const QStringList &optionTable);

    TKindSet Payments() const { return FPayments; }
    TKindSet Deliveries() const { return FDeliveries; }
    bool OffersPayment(int kind) const { return kind >= 0 && (FPayments >> kind) & 1u; }
    bool OffersDelivery(int kind) const { return kind >= 0 && (FDeliveries >> kind) & 1u; }
    QList<int> PaymentKinds() const;
    QList<int> DeliveryKinds() const;
    // Takes a payment kind off the offer: one the program cannot complete here.
    void WithdrawPayment(int kind)
    {
        if (kind >= 0 && kind < kPaymentKindCount)
            FPayments &= ~(TKindSet(1) << kind);
    }

    // Step tables.
    double MailCharge(int count) const { return StepCharge(FMailbin, count); }
    double FastMailCharge(int count) const { return StepCharge(FMailbinFast, count); }
    double HomeDeliveryCharge(int prefecture) const;
    double OwnDeliveryCharge(double amount) const;
    double CashOnDeliveryFee(double amount) const { return StepCharge(FDaibiki, amount); }
    double CardFixedFee(double amount) const { return StepCharge(FCredit, amount); }
    double CombiniFixedFee(double amount) const { return StepCharge(FCombini, amount); }
    double CardRateFee(double amount) const { return amount * FCreditPerFee; }
    double CombiniRateFee(double amount) const { return amount * FCombiniPerFee; }
    double CreditRate() const { return FCreditPerFee; }
    double CombiniRate() const { return FCombiniPerFee; }
    bool HasCreditRate() const { return FHasCreditRate; }
    bool HasCombiniRate() const { return FHasCombiniRate; }

    // Whether the address lies in the shop's own delivery area.
    bool InOwnDeliveryArea(const QString &address) const;

    // The substitute names for automatic debit; empty when not set.
    QString JifuriNameLong() const { return FJifuriLong; }
    QString JifuriNameShort() const { return FJifuriShort; }
    // The display name of a payment kind, with the automatic-debit substitute where one is set.
    QString PaymentDisplayName(int kind) const;

    QString MailbinURL() const { return FMailbinURL; }
    QString TakuhaibinURL() const { return FTakuhaibinURL; }
    bool CreditNP() const { return FCreditNP; }
    bool CombiniNP() const { return FCombiniNP; }
    bool FurikomiNP() const { return FFurikomiNP; }
    bool UFuriNP() const { return FUFuriNP; }
    bool BBSUse() const { return FBBSUse; }
    QString BBS() const { return FBBS; }
    bool MapUse() const { return FMapUse; }
    QString MapTitle() const { return FMapTitle; }
    QString MapURL() const { return FMapURL; }
    QString CreditMacro() const { return FCreditMacro; }
    QString CreditMacro2() const { return FCreditMacro2; }
    bool CombiniTransUse() const { return FCombiniTransUse; }
    QString CombiniTransRes() const { return FCombiniTransRes; }
    QString CombiniTransID() const { return FCombiniTransID; }
    // Shop comments above and below the statement; empty unless switched on.
    QStringList TopComments() const { return FUseCommentTop ? FTopComments : QStringList(); }
    QStringList BottomComments() const { return FUseCommentBtm ? FBtmComments : QStringList(); }
    QStringList BankStrings() const { return FBankStrings; }
    // The seller notice: the shop's own lines, the custom lines, or the built-in notice.
    QStringList TokushoStrings() const;

    const QList<TFeeStep> &MailSteps() const { return FMailbin; }
    const QList<TFeeStep> &FastMailSteps() const { return FMailbinFast; }
    const QList<TFeeStep> &HomeDeliverySteps() const { return FTakuhai; }
    const QList<TFeeStep> &OwnDeliverySteps() const { return FJihai; }
    const QList<TFeeStep> &CashOnDeliverySteps() const { return FDaibiki; }
    const QList<TFeeStep> &CardSteps() const { return FCredit; }
    const QList<TFeeStep> &CombiniSteps() const { return FCombini; }
    const QStringList &GlobalArea() const { return FGlobalArea; }
    const QStringList &AndArea() const { return FAndArea; }
    const QStringList &NotArea() const { return FNotArea; }

    // The step lookup: the last step whose threshold is not above the measure; 0 when none.
    static double StepCharge(const QList<TFeeStep> &steps, double measure);

private:
    TKindSet FPayments = 0;
    TKindSet FDeliveries = 0;
    QString FMailbinURL, FTakuhaibinURL;
    bool FCreditNP = false, FCombiniNP = false, FFurikomiNP = false, FUFuriNP = false;
    QList<TFeeStep> FMailbin, FMailbinFast, FTakuhai, FJihai, FDaibiki, FCredit, FCombini;
    double FCreditPerFee = 0, FCombiniPerFee = 0;
    bool FHasCreditRate = false, FHasCombiniRate = false;
    bool FBBSUse = false, FMapUse = false, FCombiniTransUse = false;
    QString FBBS, FMapTitle, FMapURL, FCreditMacro, FCreditMacro2;
    QString FCombiniTransRes, FCombiniTransID;
    QStringList FGlobalArea, FAndArea, FNotArea;
    QString FJifuriLong, FJifuriShort;
    bool FUseCommentTop = false, FUseCommentBtm = false;
    QStringList FTopComments, FBtmComments, FBankStrings;
    bool FCustomTokushoUse = false;
    QStringList FCustomTokusho, FTokusho;
};

// The texts of the shop information panel: fee tables of the payment kinds, delivery charges,
// the own-delivery area, the tax and rounding notes and the CD-R prices, each list under its
// heading.
QStringList ShopInformationLines(const TShopTerms &terms, const TPriceTables &tables);

} // namespace korvatel
