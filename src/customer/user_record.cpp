#include "customer/user_record.h"

#include "platform/prompter.h"
#include "pricing/shop_terms.h"
#include "text/comma_text.h"
#include "text/half_width.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QFileInfo>

namespace korvatel
{

namespace
{

const char *const kUserKeys[] = { "Tab", "Name", "Tel1", "Tel2", "Mail", "Zip", "Adrs1",
    "Adrs1Over", "Adrs2", "Acount", "Pass" };

const char *const kRomanPrefectures[kPrefectureCount] = { "HOKKAIDO", "AOMORIKEN", "IWATEKEN",
    "MIYAGIKEN", "AKITAKEN", "YAMAGATAKEN", "FUKUSHIMAKEN", "IBARAKIKEN", "TOCHIGIKEN", "GUNMAKEN",
    "SAITAMAKEN", "CHIBAKEN", "TOKYOTO", "KANAGAWAKEN", "NIIGATAKEN", "TOYAMAKEN", "ISHIKAWAKEN",
    "FUKUIKEN", "YAMANASHIKEN", "NAGANOKEN", "GIFUKEN", "SHIZUOKAKEN", "AICHIKEN", "MIEKEN",
    "SHIGAKEN", "KYOTOFU", "OSAKAFU", "HYOGOKEN", "NARAKEN", "WAKAYAMAKEN", "TOTTORIKEN",
    "SHIMANEKEN", "OKAYAMAKEN", "HIROSHIMAKEN", "YAMAGUCHIKEN", "TOKUSHIMAKEN", "KAGAWAKEN",
    "EHIMEKEN", "KOCHIKEN", "FUKUOKAKEN", "SAGAKEN", "NAGASAKIKEN", "KUMAMOTOKEN", "OITAKEN",
    "MIYAZAKIKEN", "KAGOSHIMAKEN", "OKINAWAKEN" };

QString SelfLinePrefix()
{
    return QStringLiteral("Tab=") + QString::fromUtf16(kSelfTab);
}

// The key of a "key=value" item: the text before its first "=".
QString ItemKey(const QString &item)
{
    const qsizetype eq = item.indexOf(QLatin1Char('='));
    return eq < 0 ? item : item.left(eq);
}

int KeyRank(const QString &key)
{
    const QStringList keys = UserKeys();
    for (int i = 0; i < keys.size(); ++i) {
        if (keys.at(i).compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return keys.size();
}

// The 0-based index of the matching table entry and its length.
std::pair<int, int> MatchPrefecture(const QString &address)
{
    const QString japanese = PlainTo(address);
    const QString upper = address.toUpper();
    for (int i = 0; i < kPrefectureTableSize; ++i) {
        const QString entry = PrefectureTableEntry(i);
        const QString &subject = i < kPrefectureCount ? japanese : upper;
        if (subject.startsWith(entry))
            return { i, int(entry.size()) };
    }
    return { -1, 0 };
}

} // namespace

QStringList UserKeys()
{
    QStringList keys;
    for (const char *key : kUserKeys)
        keys << QLatin1String(key);
    return keys;
}

bool IsNormalisedUserKey(const QString &key)
{
    for (const char *name : { "Tel1", "Tel2", "Mail", "Zip", "Acount", "Pass" }) {
        if (key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

TUserRecord::TUserRecord()
{
    Clear();
}

void TUserRecord::Clear()
{
    FLines = QStringList { SelfLinePrefix() };
}

int TUserRecord::SelfIndex() const
{
    const QString prefix = SelfLinePrefix();
    for (int i = 0; i < FLines.size(); ++i) {
        if (FLines.at(i).startsWith(prefix))
            return i;
    }
    return -1;
}

QString TUserRecord::Value(const QString &key) const
{
    const int index = SelfIndex();
    if (index < 0)
        return {};
    for (const QString &item : FromCommaText(FLines.at(index))) {
        if (ItemKey(item).compare(key, Qt::CaseInsensitive) == 0)
            return item.mid(key.size() + 1).trimmed();
    }
    return {};
}

void TUserRecord::SetValue(const QString &key, const QString &value)
{
    int index = SelfIndex();
    if (index < 0) {
        FLines.append(SelfLinePrefix());
        index = int(FLines.size()) - 1;
    }
    QStringList items = FromCommaText(FLines.at(index));
    const QString item = key + QLatin1Char('=') + value;
    bool done = false;
    for (QString &existing : items) {
        const QString existingKey = ItemKey(existing);
        if (existingKey.compare(key, Qt::CaseInsensitive) == 0) {
            existing = existingKey + QLatin1Char('=') + value; // the key keeps its spelling
            done = true;
            break;
        }
    }
    if (!done) {
        // A new key goes before the first item that is written after it.
        const int rank = KeyRank(key);
        qsizetype at = items.size();
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (KeyRank(ItemKey(items.at(i))) > rank) {
                at = i;
                break;
            }
        }
        items.insert(at, item);
    }
    FLines[index] = ToCommaText(items);
}

void TUserRecord::StoreValue(const QString &key, const QString &value)
{
    SetValue(key, IsNormalisedUserKey(key) ? ToHalfWidth(value) : value);
}

int TUserRecord::Prefecture() const
{
    return AddressPrefecture(Adrs1());
}

QString TUserRecord::Snapshot() const
{
    QString text;
    for (const QString &line : FLines) {
        for (const QString &item : FromCommaText(line))
            text += item;
    }
    return text;
}

bool TUserRecord::LoadFromFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    std::optional<QStringList> lines = ReadSjisLines(path);
    if (!lines)
        return false;
    FLines = *lines;
    return true;
}

bool TUserRecord::SaveToFile(const QString &path) const
{
    if (path.isEmpty())
        return false;
    // The list replaces the file in one rename, so a failed write never loses the old record;
    // only an empty list removes the file.
    if (FLines.isEmpty())
        return !QFileInfo::exists(path) || QFile::remove(path);
    return WriteSjisLines(path, FLines, TFileAccess::faPrivate);
}

bool UserDataLoad(TUserRecord &user, const QString &path, TPrompter &prompter)
{
    if (path.isEmpty()) {
        prompter.Error(QStringLiteral("UserDataLoad:顧客データパスが未設定です。"));
        return false;
    }
    user.LoadFromFile(path);
    return true;
}

bool UserDataSave(const TUserRecord &user, const QString &path, TPrompter &prompter)
{
    if (path.isEmpty()) {
        prompter.Error(QStringLiteral("UserDataSave:顧客データパスが未設定です。"));
        return false;
    }
    return user.SaveToFile(path);
}

QString PrefectureTableEntry(int index)
{
    if (index < 0 || index >= kPrefectureTableSize)
        return {};
    if (index < kPrefectureCount)
        return PrefectureName(index + 1);
    return QLatin1String(kRomanPrefectures[index - kPrefectureCount]);
}

int AddressPrefecture(const QString &address)
{
    const int index = MatchPrefecture(address).first;
    return index < 0 ? -1 : index % kPrefectureCount + 1;
}

int AddressPrefectureLength(const QString &address)
{
    return MatchPrefecture(address).second;
}

QString PlainTo(const QString &address)
{
    QString text = address;
    text.replace(QChar(0xFA26), QChar(0x90FD));
    return text;
}

} // namespace korvatel
