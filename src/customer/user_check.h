#pragma once

#include <QString>
#include <functional>

namespace korvatel
{

class TPrompter;
class TUserRecord;

// The fields of the customer window, as typed.
struct TUserFields {
    QString name, tel1, tel2, mail, zip, adrs1, adrs1Over, adrs2, acount, pass;
};

// The fields of the "Tab=ご自分" line of a record.
TUserFields FieldsOf(const TUserRecord &user);
// Stores the fields into the record the way the window does (normalising the keys that are
// normalised, the others as typed).
void StoreFields(TUserRecord &user, const TUserFields &fields);

// Member mode: the customer is known by a member user name and password of the partner network
// instead of an identification code and password.
struct TMemberLogin {
    bool memberMode = false;
    QString user;
    QString pass;
};

enum class TUserCheck {
    ucPassed,
    ucIncomplete, // a required field is empty
    ucFaulty, // one or more field checks failed
};

struct TUserCheckResult {
    TUserCheck result = TUserCheck::ucPassed;
    QString message; // the text to show; empty when passed
};

// The single field checks; each gives the message line without its line end, or an empty text
// when the value passes. label is "電話" or "電話2".
QString CheckMail(const QString &mail);
QString CheckTelephone(const QString &tel, const QString &label);
QString CheckZip(const QString &zip);
QString CheckAddress(const QString &address);
QString CheckAcount(const QString &acount);
QString CheckPass(const QString &pass);

// The validation of the customer record before an order: the required fields first, then every
// field check. checkOnly puts the heading of the silent check in front of the message.
TUserCheckResult CheckUser(const TUserFields &fields, const TMemberLogin &member, bool checkOnly);

// CheckUser with its message shown as a warning; true when the record passed.
bool ValidateUser(
    const TUserFields &fields, const TMemberLogin &member, bool checkOnly, TPrompter &prompter);

} // namespace korvatel

namespace korvatel
{

// What the order steps hand to the customer window about the chosen delivery.
struct TUserOrderArgs {
    QString regionName; // the delivery region chosen for home delivery ("東京都"), or empty
    QString areaKindText; // the delivery kind's text, classified by DeliveryKindOf
    // The delivery fee for a postal code and address (the own-delivery fee rule); none gives 0.
    std::function<double(const QString &zip, const QString &address)> feeRule;
    double previousFee = 0;
    double previousTotal = 0;
};

// The delivery checks of the order button after the validation: the home-delivery region must
// begin the address, and an own-delivery fee must not have changed with the address. Shows the
// message and returns false when the customer must correct something.
bool CheckOrderDelivery(const TUserFields &fields, const TUserOrderArgs &args, TPrompter &prompter);

class TShopTerms;
// The own-delivery fee rule of the shop terms for an order amount: the own-delivery charge when
// the address lies in the shop's delivery area, else 0.
std::function<double(const QString &zip, const QString &address)> OwnDeliveryFeeRule(
    const TShopTerms &terms, double amount);

} // namespace korvatel
