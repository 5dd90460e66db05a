#pragma once

#include <QString>
#include <QStringList>

namespace korvatel
{

class TPrompter;

// The entry name of the one customer record that the program uses.
inline constexpr char16_t kSelfTab[] = u"ご自分";

// The keys of a customer record in the order in which they are written.
QStringList UserKeys();
// True for the keys whose values are normalised (katakana, then half-width, then trimmed) when
// the window stores them: Tel1, Tel2, Mail, Zip, Acount and Pass.
bool IsNormalisedUserKey(const QString &key);

// The customer list: ordered text lines, each one record in comma text whose items are
// "key=value". Only the first line beginning with "Tab=ご自分" is used; further lines are kept
// as they were read. A new list holds that single line with no fields.
class TUserRecord
{
public:
    TUserRecord();

    QStringList &Lines() { return FLines; }
    const QStringList &Lines() const { return FLines; }

    // Back to the single line "Tab=ご自分".
    void Clear();

    // The index of the first line beginning with "Tab=ご自分", or -1.
    int SelfIndex() const;

    // The trimmed value of key in the "Tab=ご自分" line; empty when there is no such line or
    // key. Keys are compared without regard to case.
    QString Value(const QString &key) const;
    // Sets key in the "Tab=ご自分" line exactly as given (creating the line when it is missing;
    // a new key takes its place in the order of UserKeys()).
    void SetValue(const QString &key, const QString &value);
    // Sets key as the window stores it: normalised for the keys of IsNormalisedUserKey, as
    // typed for the others.
    void StoreValue(const QString &key, const QString &value);

    QString Name() const { return Value(QStringLiteral("Name")); }
    QString Tel1() const { return Value(QStringLiteral("Tel1")); }
    QString Tel2() const { return Value(QStringLiteral("Tel2")); }
    QString Mail() const { return Value(QStringLiteral("Mail")); }
    QString Zip() const { return Value(QStringLiteral("Zip")); }
    QString Adrs1() const { return Value(QStringLiteral("Adrs1")); }
    QString Adrs1Over() const { return Value(QStringLiteral("Adrs1Over")); }
    QString Adrs2() const { return Value(QStringLiteral("Adrs2")); }
    QString Acount() const { return Value(QStringLiteral("Acount")); }
    QString Pass() const { return Value(QStringLiteral("Pass")); }

    // The prefecture number (1-47) of Adrs1, or -1: what the order summary prices delivery by.
    int Prefecture() const;

    // All "key=value" items of all lines joined: what the window compares to see whether the
    // record was changed.
    QString Snapshot() const;

    // Replaces the list with the lines of the customer file when it exists. False (and the list
    // unchanged) when the file is missing or cannot be read.
    bool LoadFromFile(const QString &path);
    // Writes the list whole (atomically, Shift-JIS). An empty list removes the file instead.
    // False when the write failed; an old file then stays as it was.
    bool SaveToFile(const QString &path) const;

private:
    QStringList FLines;
};

// Loads the customer file with the messages of the customer flows: an empty path shows
// "UserDataLoad:顧客データパスが未設定です。" and returns false; a missing file leaves the
// record as it is and returns true.
bool UserDataLoad(TUserRecord &user, const QString &path, TPrompter &prompter);
// Saves the customer file; an empty path shows "UserDataSave:顧客データパスが未設定です。".
// False when nothing was written.
bool UserDataSave(const TUserRecord &user, const QString &path, TPrompter &prompter);

// The prefecture table: 47 Japanese names in the order of their codes, then the same 47 in
// upper-case romanisation with "KEN", "TO" or "FU" joined on. index 0..93; empty outside.
QString PrefectureTableEntry(int index);
inline constexpr int kPrefectureTableSize = 94;

// The 1-based prefecture number of the first table entry at whose start the address begins:
// Japanese names against the address with the compatibility ideograph of 都 (U+FA26) replaced
// by 都, romanised names against the upper-cased address. -1 when none matches.
int AddressPrefecture(const QString &address);
// The length of the matched table entry for AddressPrefecture, or 0 when none matches.
int AddressPrefectureLength(const QString &address);

// The address with the compatibility ideograph of 都 (U+FA26) replaced by the ordinary 都.
QString PlainTo(const QString &address);

} // namespace korvatel
