#include "customer/registration.h"

#include "customer/user_record.h"
#include "net/win_inet.h"
#include "platform/private_files.h"
#include "platform/user_folders.h"
#include "text/key_file.h"
#include "text/scramble.h"
#include "version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

namespace korvatel
{

namespace
{

const QString kMemberSeparator = QStringLiteral("|@@@|");
const QString kMachineKey = QStringLiteral("@MachineID");

QString ReadMachineKey(const QString &path)
{
    TKeyFile keys(Qt::CaseSensitive);
    if (!keys.Load(path))
        return {};
    return keys.Value(kMachineKey).trimmed();
}

// Replaces the application-data key file by a copy of source; false when that failed.
bool CopyKeyFile(const QString &source, const QString &target)
{
    if (QFileInfo::exists(target))
        QFile::remove(target);
    // The copy is read and written again whole, so it is private from its first byte.
    const std::optional<QByteArray> data = ReadWholeFile(source);
    return data && WriteFileAtomic(target, *data, TFileAccess::faPrivate);
}

} // namespace

QString SystemKeyFile(const TUserFolders &folders)
{
    return QDir(folders.systemDir).filePath(QStringLiteral("Win32dpp.ini"));
}

QString AppDataKeyFile(const TUserFolders &folders)
{
    return QDir(folders.appData).filePath(QStringLiteral("Brannock/Win32dpp.ini"));
}

QString MemberKey(const QString &shopId)
{
    return QLatin1Char('@') + shopId + QLatin1Char('@');
}

TMemberAccount ReadMemberAccount(const QString &keyFile, const QString &shopId)
{
    TKeyFile keys(Qt::CaseSensitive);
    if (!keys.Load(keyFile))
        return {};
    const std::optional<QString> plain = Unscramble(keys.Value(MemberKey(shopId)).trimmed());
    if (!plain)
        return {};
    const qsizetype at = plain->indexOf(kMemberSeparator);
    if (at < 0)
        return { *plain, QString() };
    return { plain->left(at), plain->mid(at + kMemberSeparator.size()) };
}

bool WriteMemberAccount(
    const QString &keyFile, const QString &shopId, const TMemberAccount &account)
{
    TKeyFile keys(Qt::CaseSensitive);
    keys.Load(keyFile); // a missing file starts empty
    keys.SetValue(MemberKey(shopId), Scramble(account.user + kMemberSeparator + account.pass));
    MakePrivateFolder(QFileInfo(keyFile).absolutePath());
    return keys.Save(keyFile, TFileAccess::faPrivate);
}

QString MemberAuthPath()
{
    return QStringLiteral("/cgi-bin/auth.cgi");
}

QList<std::pair<QString, QString>> MemberAuthFields(const TMemberAccount &account)
{
    return { { QStringLiteral("usr"), account.user }, { QStringLiteral("pw"), account.pass } };
}

bool CheckMemberAccount(const TTransportSettings &transport, const QString &serverUrl,
    const TMemberAccount &account, QString *errorText, QString *transportText)
{
    TWinHTTP http(transport);
    QStringList lines;
    bool ok = http.Connect(serverUrl);
    QByteArray answer;
    if (ok)
        ok = http.PostForm(MemberAuthPath(), MemberAuthFields(account), {}, {}, {}, answer);
    if (ok) {
        const std::optional<QStringList> read = SjisLines(answer);
        ok = read.has_value();
        lines = read.value_or(QStringList());
    }
    if (ok && !lines.isEmpty() && lines.first().trimmed() == QLatin1String("OK"))
        return true;
    if (errorText) {
        *errorText = ok ? lines.join(QStringLiteral("\r\n")).trimmed()
                        : QStringLiteral("会員確認ができませんでした。");
    }
    if (transportText)
        *transportText = http.LastError();
    return false;
}

QString MakeMachineIdentifier()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    QString id;
    for (const quint32 word : words)
        id += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0')).toUpper();
    return id;
}

QString MachineIdentifier(const TUserFolders &folders, const QString &sysData)
{
    const QString local = AppDataKeyFile(folders);
    MakePrivateFolder(QFileInfo(local).absolutePath());
    QString id = ReadMachineKey(local);
    if (id.isEmpty()) {
        // An identifier made by an earlier installation is taken over from the system folder's
        // key file or, failing that, from the workspace's status file.
        const QString system = SystemKeyFile(folders);
        const QString status = QDir(sysData).filePath(QStringLiteral("StatusCash"));
        if (QFileInfo::exists(system)) {
            if (CopyKeyFile(system, local))
                id = ReadMachineKey(local);
        } else if (QFileInfo::exists(status)) {
            if (CopyKeyFile(status, local))
                id = ReadMachineKey(local);
        }
    }
    if (id.isEmpty()) {
        id = MakeMachineIdentifier();
        TKeyFile keys(Qt::CaseSensitive);
        keys.Load(local);
        keys.SetValue(kMachineKey, id);
        keys.Save(local, TFileAccess::faPrivate); // a failed save only means the identifier is made
                                                  // again next time
    }
    return id;
}

QString MachineIdentifier(const TUserFolders &folders, const QString &sysData, const TClock &)
{
    return MachineIdentifier(folders, sysData);
}

bool BuildRegistration(
    const TUserRecord &user, const QString &shopId, const QString &machineId, QStringList &lines)
{
    lines.clear();
    lines << QStringLiteral("Id=") + shopId + QLatin1Char(';') + QLatin1String(kProgramVersion)
            + QLatin1Char(';') + QLatin1String(kBuildStamp);
    const auto add = [&lines](const char *key, const QString &value) {
        if (!value.isEmpty())
            lines << QLatin1String(key) + QLatin1Char('=') + Scramble(value);
    };
    add("Zip", user.Zip());
    add("Name", user.Name());
    add("Tel", user.Tel1());
    add("Mail", user.Mail());
    if (!(user.Adrs1() + user.Adrs1Over() + user.Adrs2()).isEmpty())
        add("Adrs", user.Adrs1() + user.Adrs1Over() + QLatin1Char(';') + user.Adrs2());
    lines << QStringLiteral("MachineID=") + machineId;
    return lines.size() > 2;
}

} // namespace korvatel
