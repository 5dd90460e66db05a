#include "app/registration_report.h"

#include "app/client_session.h"
#include "app/online_start.h"
#include "mobile/mail/mail_settings.h"
#include "net/server_lookups.h"
#include "platform/prompter.h"
#include "text/sjis_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QUrl>

namespace korvatel
{

namespace
{

QByteArray RecordDigest(const QStringList &lines)
{
    return QCryptographicHash::hash(
        lines.join(QStringLiteral("\r\n")).toUtf8(), QCryptographicHash::Sha256)
        .toHex();
}

// The name the customer knows each line of the record by.
QString FieldName(const QString &line)
{
    static const QList<std::pair<QString, QString>> names {
        { QStringLiteral("Id"), QStringLiteral("店舗番号とプログラムの版") },
        { QStringLiteral("Zip"), QStringLiteral("郵便番号") },
        { QStringLiteral("Name"), QStringLiteral("お名前") },
        { QStringLiteral("Tel"), QStringLiteral("電話番号") },
        { QStringLiteral("Mail"), QStringLiteral("メールアドレス") },
        { QStringLiteral("Adrs"), QStringLiteral("住所") },
        { QStringLiteral("MachineID"),
            QStringLiteral("このパソコンの識別番号（無作為に作った番号）") },
    };
    const QString key = line.section(u'=', 0, 0);
    for (const auto &[name, text] : names) {
        if (name == key)
            return text;
    }
    return key;
}

} // namespace

QString RegistrationQuestion(const QStringList &lines, const QString &url)
{
    QStringList fields;
    for (const QString &line : lines)
        fields << QStringLiteral("・") + FieldName(line);
    return QStringLiteral(
        "お客様の情報を販売店のサーバー「%1」へ送信してよろしいですか？\r\n\r\n"
        "送信する情報:\r\n%2\r\n\r\n"
        "起動時に暗号化した通信(HTTPS)で送り、内容が変わったときだけ送り直します。"
        "「いいえ」を選ぶと送信しません。\r\n"
        "この設定は「インターネットの設定」でいつでも変更できます。")
        .arg(QUrl(url).host(), fields.join(QStringLiteral("\r\n")));
}

TRegistrationReport PrepareRegistrationReport(
    const TClientSession &session, const TClock &clock, TPrompter &prompter)
{
    TRegistrationReport report;
    const TUserFolders &folders = session.Workspace().Folders();
    const std::optional<QString> url = RegistrationReportUrl(session.Servers);
    if (!url) {
        report.state = TReportState::rsNoAddress;
        return report;
    }
    report.url = *url;
    report.lines = RegistrationReportLines(session, folders, clock);
    if (report.lines.isEmpty())
        return report;

    const QString sysData = session.Workspace().SysData();
    const QString settingsFile = QDir(sysData).filePath(TMailSettings::FileName());
    TMailSettings settings = TMailSettings::Load(settingsFile);
    if (!settings.registrationReport) {
        const TModalResult answer = prompter.Ask(TMsgKind::mkConfirmation,
            RegistrationQuestion(report.lines, report.url), mbYes | mbNo | mbSafeDefault);
        // A box closed without an answer is asked again at the next report.
        if (answer == TModalResult::mrYes || answer == TModalResult::mrNo) {
            settings.registrationReport = answer == TModalResult::mrYes;
            settings.Save(settingsFile);
        }
    }
    if (!settings.registrationReport.value_or(false)) {
        report.state = TReportState::rsDeclined;
        return report;
    }
    report.digestFile = QDir(sysData).filePath(QStringLiteral("Registration.sha256"));
    const std::optional<QByteArray> sent = ReadWholeFile(report.digestFile, 1024);
    report.state = sent && sent->trimmed() == RecordDigest(report.lines) ? TReportState::rsUnchanged
                                                                         : TReportState::rsDue;
    return report;
}

TReportState SendRegistrationReport(
    const TTransportSettings &transport, const TRegistrationReport &report)
{
    if (report.state != TReportState::rsDue)
        return report.state;
    if (!ReportRegistration(transport, report.url, report.lines))
        return TReportState::rsFailed;
    // A digest that cannot be kept only means the same record goes once more next time.
    WriteFileAtomic(report.digestFile, RecordDigest(report.lines), TFileAccess::faPrivate);
    return TReportState::rsSent;
}

} // namespace korvatel
