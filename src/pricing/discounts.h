#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvatel
{

class TPriceTables;
class TShopTerms;

// Benefit types of an amount or count rule.
enum TDiscountType { dctUnknone, dctDiscount, dctPerDiscount, dctPointAdd, dctPerPointAdd };
// How a campaign rule combines with the permanent one.
enum TCampaignMode { catUnknown, catAdd, dctOnly, dctOff };
// The measure of the delivery rule's first condition.
enum TSoryoTarget { stgUnknown, stgNum, stgValue };
// How the delivery rule's second condition joins.
enum TSoryoNext { snxtNone, snxtOR, snxtAND };
// The new-registration condition and what it gives.
enum TNewOrderMin { nomZero, nomNum, nomValue };
enum TNewOrderService { nosPrint, nosPoint };

// An enumerated value read by code name or display name, ignoring case; 0 for anything else.
int DiscountTypeOf(const QString &text);
int CampaignModeOf(const QString &text);
int SoryoTargetOf(const QString &text);
int SoryoNextOf(const QString &text);
int NewOrderMinOf(const QString &text);
int NewOrderServiceOf(const QString &text);
QString DiscountTypeName(int type);
QString DiscountTypeUnit(int type);

struct TDiscountStep {
    int threshold = 0;
    int value = 0;
};

// A step rule: the amount rule or the count rule.
struct TStepRule {
    bool use = false;
    int type = dctUnknone;
    QList<TDiscountStep> steps;
};

struct TSoryoRule {
    bool use = false;
    int target = stgUnknown;
    double value1 = 0;
    int next = snxtNone;
    double value2 = 0;
    double maxOff = 0;
};

struct TNewOrderRule {
    bool use = false;
    int minType = nomZero;
    int min = 0;
    int service = nosPrint;
    int value = 0;
};

// The shop's discount rules: each of the four kinds has a permanent rule and a campaign rule
// that is active between two dates.
struct TDiscountRules {
    TStepRule valued, numed;
    TSoryoRule soryo;
    TNewOrderRule newOrder;
    QDate campaignStart; // null: the zero date
    QDate campaignEnd;
    TStepRule cpnValued, cpnNumed;
    TSoryoRule cpnSoryo;
    TNewOrderRule cpnNewOrder;
    int cpnValuedAdd = catUnknown, cpnNumedAdd = catUnknown;
    int cpnSoryoAdd = catUnknown, cpnNewOrderAdd = catUnknown;
    QStringList messages;
    QString title;
    QString campaignTitle;
    // The net rule set prices free prints at net prices.
    bool net = true;

    // Reads the rule set from the option table. Empty campaign dates keep the dates held.
    void LoadDiscountRules(const QStringList &optionTable);
    // Today is on or after the start date and on or before the end date.
    bool CampaignActive(const QDate &today) const;
};

// The result of one run of the engine.
struct TDiscountResult {
    double valuedDiscount = 0;
    double valuedPoints = 0;
    double numedDiscount = 0;
    double numedPoints = 0;
    double freePrints = 0;
    double freePrintValue = 0;
    double newOrderPoints = 0;
    bool soryoReduced = false;
    double deliveryCharge = 0;
    double deliveryReduction = 0;
};

// Applies the rules to an order of count prints worth amount, delivered by the delivery method
// named in deliveryText to the prefecture (number 1 to 47, 0 unknown).
TDiscountResult ApplyDiscounts(const TDiscountRules &rules, const TShopTerms &terms,
    const TPriceTables &tables, int printCount, int prefecture, const QString &deliveryText,
    bool newRegistration, double amount, const QDate &today);

// The rule descriptions of the shop information panel: the permanent rules under their title,
// the campaign rules (while the campaign is on, or before it starts) with their period, and the
// shop's notice lines.
QStringList DiscountRuleLines(const TDiscountRules &rules, const QDate &today);

} // namespace korvatel
